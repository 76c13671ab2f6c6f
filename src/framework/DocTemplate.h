#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class CDocument;
class CMDIChildWnd;
class CView;

// What a child frame needs to build its views: the view class to create and the document to attach.
struct CCreateContext {
    std::function<CView*()> newView;
    CDocument* pCurrentDoc = nullptr;
};

// A document type: its seven-field description string, and how to build a document with its child
// frame and first view. Owns the open documents of its type.
class CMultiDocTemplate {
public:
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
    enum Confidence {
        noAttempt,
        maybeAttemptForeign,
        maybeAttemptNative,
        yesAttemptForeign,
        yesAttemptNative,
        yesAlreadyOpen
    };

    using DocFactory = std::function<CDocument*()>;
    using FrameFactory = std::function<CMDIChildWnd*()>;
    using ViewFactory = std::function<CView*()>;

    CMultiDocTemplate(int nIDResource, DocFactory newDoc, FrameFactory newFrame, ViewFactory newView);
    ~CMultiDocTemplate();
    CMultiDocTemplate(const CMultiDocTemplate&) = delete;
    CMultiDocTemplate& operator=(const CMultiDocTemplate&) = delete;

    template <class TDoc, class TFrame, class TView> static std::unique_ptr<CMultiDocTemplate> Make(int nIDResource) {
        return std::make_unique<CMultiDocTemplate>(
            nIDResource, [] { return static_cast<CDocument*>(new TDoc); },
            [] { return static_cast<CMDIChildWnd*>(new TFrame); }, [] { return static_cast<CView*>(new TView); });
    }

    int GetResourceID() const { return m_nIDResource; }
    QString GetDocString(DocStringIndex index) const;

    // How well the path suits this type; yesAlreadyOpen puts the open document into pOpenDoc.
    Confidence MatchDocType(const QString& path, CDocument*& pOpenDoc) const;

    // Opens the file, or makes a new untitled document when path is empty. Null when that fails;
    // the half-built document and its window are gone again by then.
    CDocument* OpenDocumentFile(const QString& path, bool bMakeVisible = true);
    // Makes a new untitled document and lets `fill` give it its content (and title) before its views
    // are first updated, as an import does. Null when that fails.
    CDocument* OpenNewDocument(const std::function<void(CDocument&)>& fill, bool bMakeVisible = true);

    const std::vector<CDocument*>& GetDocuments() const { return m_docs; }
    void RemoveDocument(CDocument* pDoc);
    // Asks every document whether it may close; false as soon as one refuses.
    bool SaveAllModified();
    void CloseAllDocuments();

private:
    CDocument* OpenDocument(const QString& path, const std::function<void(CDocument&)>& fill, bool bMakeVisible);
    CMDIChildWnd* CreateNewFrame(CDocument* pDoc);
    void DiscardHalfBuilt(CDocument* pDoc, CMDIChildWnd* pFrame);

    int m_nIDResource;
    QStringList m_docStrings;
    DocFactory m_newDoc;
    FrameFactory m_newFrame;
    ViewFactory m_newView;
    std::vector<CDocument*> m_docs;
};
