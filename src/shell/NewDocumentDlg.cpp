#include "shell/NewDocumentDlg.h"

#include "res/resource.h"

CNewDocumentDlg::CNewDocumentDlg(QWidget* pParent) : CDialog(IDD_NEW_DOCUMENT, pParent) {
    MapCommand(IDC_NEW_TEXT, [this] { EndDialog(kTextDocument); });
    MapCommand(IDC_NEW_PASSWORDS, [this] { EndDialog(kPasswordsDocument); });
}
