#include "framework/DocTemplate.h"

#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "framework/ResourceRegistry.h"
#include "framework/WinApp.h"

#include <QFileInfo>
#include <algorithm>

CMultiDocTemplate::CMultiDocTemplate(int nIDResource, DocFactory newDoc, FrameFactory newFrame, ViewFactory newView)
    : m_nIDResource(nIDResource), m_docStrings(AfxLoadString(nIDResource).split(QLatin1Char('\n'))),
      m_newDoc(std::move(newDoc)), m_newFrame(std::move(newFrame)), m_newView(std::move(newView)) {}

CMultiDocTemplate::~CMultiDocTemplate() {
    const std::vector<CDocument*> docs = m_docs;
    m_docs.clear();
    for (CDocument* doc : docs) {
        doc->m_pDocTemplate = nullptr;
        delete doc;
    }
}

QString CMultiDocTemplate::GetDocString(DocStringIndex index) const {
    return index < m_docStrings.size() ? m_docStrings.at(index) : QString();
}

static QString ComparablePath(const QString& path) {
    QFileInfo info(path);
    return info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
}

CMultiDocTemplate::Confidence CMultiDocTemplate::MatchDocType(const QString& path, CDocument*& pOpenDoc) const {
    pOpenDoc = nullptr;
    const QString wanted = ComparablePath(path);
    for (CDocument* doc : m_docs) {
        if (!doc->IsClosing() && !doc->GetPathName().isEmpty() && ComparablePath(doc->GetPathName()) == wanted) {
            pOpenDoc = doc;
            return yesAlreadyOpen;
        }
    }
    const QString ext = GetDocString(filterExt);
    if (!ext.isEmpty() && path.endsWith(ext, Qt::CaseInsensitive))
        return yesAttemptNative;
    return yesAttemptForeign;
}

CMDIChildWnd* CMultiDocTemplate::CreateNewFrame(CDocument* pDoc) {
    CMDIChildWnd* frame = m_newFrame();
    CCreateContext context;
    context.newView = m_newView;
    context.pCurrentDoc = pDoc;
    if (!frame->LoadFrame(context)) {
        delete frame;
        return nullptr;
    }
    return frame;
}

void CMultiDocTemplate::DiscardHalfBuilt(CDocument* pDoc, CMDIChildWnd* pFrame) {
    RemoveDocument(pDoc);
    if (pFrame)
        pFrame->DestroyFrame();
    pDoc->m_bClosing = true;
    pDoc->deleteLater();
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const QString& path, bool bMakeVisible) {
    return OpenDocument(path, nullptr, bMakeVisible);
}

CDocument* CMultiDocTemplate::OpenNewDocument(const std::function<void(CDocument&)>& fill, bool bMakeVisible) {
    return OpenDocument(QString(), fill, bMakeVisible);
}

CDocument* CMultiDocTemplate::OpenDocument(const QString& path, const std::function<void(CDocument&)>& fill,
                                           bool bMakeVisible) {
    CDocument* doc = m_newDoc();
    doc->m_pDocTemplate = this;
    m_docs.push_back(doc);

    // The frame and its views exist before the document opens: a view may be the one that reads the file.
    CMDIChildWnd* frame = CreateNewFrame(doc);
    if (!frame) {
        DiscardHalfBuilt(doc, nullptr);
        return nullptr;
    }

    if (path.isEmpty()) {
        QString title = GetDocString(docName);
        doc->SetTitle(title.isEmpty() ? QStringLiteral("Untitled") : title);
        if (!doc->OnNewDocument()) {
            DiscardHalfBuilt(doc, frame);
            return nullptr;
        }
        if (fill)
            fill(*doc);
    } else {
        if (!doc->OnOpenDocument(path)) {
            DiscardHalfBuilt(doc, frame);
            return nullptr;
        }
        doc->SetPathName(path);
    }
    frame->InitialUpdateFrame(doc, bMakeVisible);
    return doc;
}

void CMultiDocTemplate::RemoveDocument(CDocument* pDoc) {
    auto it = std::find(m_docs.begin(), m_docs.end(), pDoc);
    if (it != m_docs.end())
        m_docs.erase(it);
}

bool CMultiDocTemplate::SaveAllModified() {
    const std::vector<CDocument*> docs = m_docs;
    for (CDocument* doc : docs) {
        if (!doc->SaveModified())
            return false;
    }
    return true;
}

void CMultiDocTemplate::CloseAllDocuments() {
    const std::vector<CDocument*> docs = m_docs;
    for (CDocument* doc : docs)
        doc->OnCloseDocument();
}
