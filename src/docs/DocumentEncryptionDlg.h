#pragma once

#include "cipher/DocumentFile.h"
#include "docs/LockAwareDialog.h"

class CEncryptedDocument;

// "Document Encryption": the format the active document is saved in, and whether new documents
// start in the strong format. A changed format takes effect at the document's next save, so the
// document becomes modified; without an active document only the choice for new ones is offered.
class CDocumentEncryptionDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CDocumentEncryptionDlg(QWidget* pParent = nullptr);

    // Shows the dialog for a document (or none) and applies what the user chose with OK.
    static void Run(CEncryptedDocument* pDocument);

    bool m_bHasDocument = false;
    cipher::DocFormat m_nFormat = cipher::DocFormat::Compatible;
    bool m_bNewStrong = false;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};
