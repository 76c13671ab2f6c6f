#include "textdoc/EditorDoc.h"

#include "textdoc/EditorView.h"

CEditorDoc::CEditorDoc() : CEncryptedDocument(".etx", kSaveFilter) {}

CEditorDoc::~CEditorDoc() = default;

CEditorView* CEditorDoc::GetEditorView() const {
    for (CView* view : GetViews()) {
        if (auto* editor = dynamic_cast<CEditorView*>(view))
            return editor;
    }
    return nullptr;
}

bool CEditorDoc::IsModified() {
    if (CEditorView* view = GetEditorView())
        return view->IsModified();
    return CEncryptedDocument::IsModified();
}

void CEditorDoc::SetModifiedFlag(bool bModified) {
    CEncryptedDocument::SetModifiedFlag(bModified);
    // The editor reports its own changes back here; setting it to the same state again is quiet.
    if (CEditorView* view = GetEditorView(); view && view->IsModified() != bModified)
        view->SetModified(bModified);
}

cipher::DocStatus CEditorDoc::ReadDocumentFile(const QString& path, std::string_view passwordUtf8) {
    CEditorView* view = GetEditorView();
    if (!view)
        return {cipher::DocResult::CannotRead, 0};
    return view->ReadDocumentFile(path, passwordUtf8);
}

cipher::DocStatus CEditorDoc::WriteDocumentFile(const QString& path, std::string_view passwordUtf8) {
    CEditorView* view = GetEditorView();
    if (!view)
        return {cipher::DocResult::CannotWrite, 0};
    return view->WriteDocumentFile(path, passwordUtf8, m_nFormat);
}
