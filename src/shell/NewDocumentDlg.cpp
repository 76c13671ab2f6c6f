#include "shell/NewDocumentDlg.h"

#include "res/resource.h"

CNewDocumentDlg::CNewDocumentDlg(QWidget* pParent) : CLockAwareDialog(IDD_NEW_DOCUMENT, 0, ID_FILE_NEW, pParent) {
    MapCommand(IDC_NEW_TEXT, [this] { EndDialog(kTextDocument); });
    MapCommand(IDC_NEW_PASSWORDS, [this] { EndDialog(kPasswordsDocument); });
}
