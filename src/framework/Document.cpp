#include "framework/Document.h"

#include "framework/ClipboardGuard.h"
#include "framework/DocTemplate.h"
#include "framework/MDIChildWnd.h"
#include "framework/MessageBox.h"
#include "framework/StandardIds.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

std::vector<CDocument*> OpenDocuments() {
    std::vector<CDocument*> docs;
    if (CWinApp* app = AfxGetApp()) {
        for (const auto& docTemplate : app->GetDocTemplates())
            docs.insert(docs.end(), docTemplate->GetDocuments().begin(), docTemplate->GetDocuments().end());
    }
    return docs;
}

// The folder of a file as a title shows it: the home folder as "~".
QString FolderShown(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    const QString home = QDir::homePath();
    if (folder == home)
        return QStringLiteral("~");
    if (folder.startsWith(home + QLatin1Char('/')))
        return QLatin1Char('~') + folder.mid(home.size());
    return folder;
}

} // namespace

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
    UpdateAllFrameTitles();
}

QString CDocument::GetDisplayTitle() const {
    QString name = m_strTitle;
    if (const_cast<CDocument*>(this)->IsModified())
        name += QLatin1Char('*');
    if (!m_strPathName.isEmpty()) {
        const std::vector<CDocument*> docs = OpenDocuments();
        const bool bNameShared = std::any_of(docs.begin(), docs.end(), [this](const CDocument* other) {
            return other != this && !other->m_bClosing && !other->m_strPathName.isEmpty() &&
                   other->m_strTitle == m_strTitle;
        });
        if (bNameShared)
            name += QStringLiteral(" (%1)").arg(FolderShown(m_strPathName));
    }
    return name;
}

void CDocument::SetModifiedFlag(bool bModified) {
    m_bModified = bModified;
    // Always: a kind of document may keep its flag elsewhere (the text view), set after this.
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
    // A document that shared its file name with this one no longer needs its folder shown.
    UpdateAllFrameTitles();
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

void CDocument::UpdateAllFrameTitles() {
    for (CDocument* doc : OpenDocuments())
        doc->UpdateFrameTitles();
}
