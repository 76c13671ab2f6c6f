#pragma once

#include "docs/LockAwareDialog.h"

// "New Document...": asks which kind of document to create.
// Ends with kTextDocument, kPasswordsDocument, or 0 when closed with its close box.
class CNewDocumentDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    static constexpr int kTextDocument = 1;
    static constexpr int kPasswordsDocument = 3;

    explicit CNewDocumentDlg(QWidget* pParent = nullptr);

protected:
    void OnClose() override { EndDialog(0); }
};
