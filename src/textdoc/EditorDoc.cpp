#include "textdoc/EditorDoc.h"

#include "framework/Utf8Text.h"
#include "textdoc/EditorView.h"

CEditorDoc::CEditorDoc() : CEncryptedDocument(".etx", kSaveFilter) {}

CEditorDoc::~CEditorDoc() {
    DropDecodedVersion();
}

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

cipher::DocStatus CEditorDoc::DecodeVersion(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8) {
    DropDecodedVersion();
    return CEditorView::DecodeFileBytes(fileBytes, passwordUtf8, m_strDecoded);
}

void CEditorDoc::TakeDecodedVersion() {
    if (CEditorView* view = GetEditorView())
        view->ReplaceText(m_strDecoded);
    DropDecodedVersion();
}

void CEditorDoc::DropDecodedVersion() {
    WipeString(m_strDecoded);
    m_strDecoded.clear();
}

bool CEditorDoc::BuildClearText(platform::SecureString& text) {
    CEditorView* view = GetEditorView();
    if (!view)
        return false;
    QByteArray utf8 = view->GetTextUtf8();
    text.assign(utf8.constData(), static_cast<size_t>(utf8.size()));
    WipeBytes(utf8);
    return true;
}

cipher::DocStatus CEditorDoc::WriteDocumentFile(const QString& path, std::string_view passwordUtf8,
                                                const cipher::ReplaceRule& rule, cipher::FileVersion& written) {
    CEditorView* view = GetEditorView();
    if (!view)
        return {cipher::DocResult::CannotWrite, 0};
    return view->WriteDocumentFile(path, passwordUtf8, m_nFormat, rule, &written);
}
