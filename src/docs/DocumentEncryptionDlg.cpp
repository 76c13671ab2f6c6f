#include "docs/DocumentEncryptionDlg.h"

#include "docs/EncryptedDocument.h"
#include "res/resource.h"

namespace {

const DlgTemplate& Template() {
    static const DlgTemplate tmpl{
        IDD_DOCUMENT_ENCRYPTION,
        "Document Encryption",
        260,
        150,
        {
            {DlgKind::GroupBox, -1, "Active document", 7, 4, 246, 66},
            {DlgKind::RadioButton, IDC_ENCRYPTION_COMPATIBLE, "&Compatible: opens in older versions and on Windows", 14,
             16, 234, 12},
            {DlgKind::RadioButton, IDC_ENCRYPTION_STRONG, "&Strong: opens only in this version and later", 14, 30, 234,
             12},
            {DlgKind::Static, -1, "A change takes effect when the document is next saved.", 14, 48, 234, 16},
            {DlgKind::GroupBox, -1, "New documents", 7, 76, 246, 42},
            {DlgKind::CheckBox, IDC_ENCRYPTION_NEW_STRONG, "&New documents start with strong encryption", 14, 92, 234,
             12},
            {DlgKind::DefPushButton, IDOK, "OK", 146, 128, 50, 14},
            {DlgKind::PushButton, IDCANCEL, "Cancel", 203, 128, 50, 14},
        }};
    return tmpl;
}

} // namespace

// Closed by the screen lock like Cancel: nothing changes, and the user asks again after unlocking.
CDocumentEncryptionDlg::CDocumentEncryptionDlg(QWidget* pParent) : CLockAwareDialog(Template(), IDCANCEL, 0, pParent) {}

bool CDocumentEncryptionDlg::OnInitDialog() {
    const bool strong = m_nFormat == cipher::DocFormat::Strong;
    CheckDlgButton(IDC_ENCRYPTION_COMPATIBLE, m_bHasDocument && !strong);
    CheckDlgButton(IDC_ENCRYPTION_STRONG, m_bHasDocument && strong);
    EnableDlgItem(IDC_ENCRYPTION_COMPATIBLE, m_bHasDocument);
    EnableDlgItem(IDC_ENCRYPTION_STRONG, m_bHasDocument);
    CheckDlgButton(IDC_ENCRYPTION_NEW_STRONG, m_bNewStrong);
    return CLockAwareDialog::OnInitDialog();
}

void CDocumentEncryptionDlg::OnOK() {
    if (m_bHasDocument)
        m_nFormat =
            IsDlgButtonChecked(IDC_ENCRYPTION_STRONG) ? cipher::DocFormat::Strong : cipher::DocFormat::Compatible;
    m_bNewStrong = IsDlgButtonChecked(IDC_ENCRYPTION_NEW_STRONG);
    CLockAwareDialog::OnOK();
}

void CDocumentEncryptionDlg::Run(CEncryptedDocument* pDocument) {
    CDocumentEncryptionDlg dialog;
    dialog.m_bHasDocument = pDocument != nullptr;
    if (pDocument)
        dialog.m_nFormat = pDocument->m_nFormat;
    dialog.m_bNewStrong = CEncryptedDocument::GetNewDocumentsStrong();
    if (dialog.DoModal() != IDOK)
        return;
    CEncryptedDocument::SetNewDocumentsStrong(dialog.m_bNewStrong);
    if (pDocument && pDocument->m_nFormat != dialog.m_nFormat) {
        pDocument->m_nFormat = dialog.m_nFormat;
        pDocument->SetModifiedFlag(true); // the file on disk is still in the old format until saved
    }
}
