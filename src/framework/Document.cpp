#include "framework/Document.h"

#include "framework/ClipboardGuard.h"
#include "framework/DocTemplate.h"
#include "framework/MDIChildWnd.h"
#include "framework/MessageBox.h"
#include "framework/StandardIds.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QFileInfo>
#include <algorithm>

CDocument::CDocument() {
    MapCommand(ID_FILE_CLOSE, [this] { OnFileClose(); });
}

CDocument::~CDocument() {
    for (CView* view : m_views)
        view->m_pDocument = nullptr;
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const QString& title) {
    m_strTitle = title;
    UpdateFrameTitles();
}

void CDocument::SetPathName(const QString& path, bool bAddToMRU) {
    QFileInfo info(path);
    m_strPathName = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    SetTitle(info.fileName());
    if (bAddToMRU) {
        if (CWinApp* app = AfxGetApp())
            app->AddToRecentFileList(m_strPathName);
    }
}

bool CDocument::OnNewDocument() {
    DeleteContents();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const QString&) {
    DeleteContents();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const QString&) {
    SetModifiedFlag(false);
    return true;
}

bool CDocument::SaveModified() {
    if (!IsModified())
        return true;
    const QString name = m_strPathName.isEmpty() ? m_strTitle : m_strPathName;
    switch (AfxMessageBox(QStringLiteral("Save changes to %1?").arg(name), MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDYES:
        // Without a path there is nowhere to save; the document types that can save override this.
        return !m_strPathName.isEmpty() && OnSaveDocument(m_strPathName);
    case IDNO:
        return true;
    default:
        return false;
    }
}

bool CDocument::CanCloseFrame(CMDIChildWnd* pFrame) {
    for (CMDIChildWnd* frame : GetFrames()) {
        if (frame != pFrame)
            return true; // another window still shows the document
    }
    return SaveModified();
}

void CDocument::OnCloseDocument() {
    if (m_bClosing)
        return;
    m_bClosing = true;
    // Text selected in it must not outlive it in the X selection.
    if (CClipboardGuard* guard = CClipboardGuard::Get())
        guard->OnDocumentClosed(this);
    const std::vector<CMDIChildWnd*> frames = GetFrames();
    for (CView* view : m_views)
        view->m_pDocument = nullptr;
    m_views.clear();
    for (CMDIChildWnd* frame : frames)
        frame->DestroyFrame();
    if (m_pDocTemplate) {
        m_pDocTemplate->RemoveDocument(this);
        m_pDocTemplate = nullptr;
    }
    deleteLater();
}

void CDocument::OnFileClose() {
    if (!SaveModified())
        return;
    OnCloseDocument();
}

void CDocument::AddView(CView* pView) {
    if (pView->m_pDocument == this)
        return;
    if (pView->m_pDocument)
        pView->m_pDocument->RemoveView(pView);
    m_views.push_back(pView);
    pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
    auto it = std::find(m_views.begin(), m_views.end(), pView);
    if (it != m_views.end()) {
        m_views.erase(it);
        pView->m_pDocument = nullptr;
    }
}

void CDocument::UpdateAllViews(CView* pSender, long lHint) {
    const std::vector<CView*> views = m_views;
    for (CView* view : views) {
        if (view != pSender)
            view->OnUpdate(pSender, lHint);
    }
}

std::vector<CMDIChildWnd*> CDocument::GetFrames() const {
    std::vector<CMDIChildWnd*> frames;
    for (CView* view : m_views) {
        CMDIChildWnd* frame = view->GetParentFrame();
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end())
            frames.push_back(frame);
    }
    return frames;
}

void CDocument::UpdateFrameTitles() {
    for (CMDIChildWnd* frame : GetFrames())
        frame->OnUpdateFrameTitle();
}
