#include "shell/WelcomeDlg.h"

#include "framework/MDIFrameWnd.h"
#include "framework/ShellOpen.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/ProductInfo.h"

#include <QUrl>

CWelcomeDlg::CWelcomeDlg(CMDIFrameWnd* pReceiver)
    : CLockAwareDialog(IDD_WELCOME, 0, ID_VIEW_WIZARD, pReceiver), m_pReceiver(pReceiver) {
    MapCommand(IDC_WELCOME_NEW, [this] { EndAndSend(ID_FILE_NEW); });
    MapCommand(IDC_WELCOME_OPEN, [this] { EndAndSend(ID_FILE_OPEN); });
    MapCommand(IDC_WELCOME_WEB, [] { ShellOpen(QUrl(QString::fromLatin1(kProductWebPage))); });
}

bool CWelcomeDlg::OnInitDialog() {
    CLockAwareDialog::OnInitDialog();
    CEditorApp* app = GetEditorApp();
    CheckDlgButton(IDC_WELCOME_SHOW, app && app->GetShowWelcome() != 0);
    return true;
}

void CWelcomeDlg::EndAndSend(int nCommand) {
    EndDialog(IDOK);
    if (m_pReceiver)
        m_pReceiver->SendCommand(nCommand);
    StoreShowWelcome();
}

void CWelcomeDlg::OnDestroy() {
    CLockAwareDialog::OnDestroy();
    StoreShowWelcome();
}

void CWelcomeDlg::StoreShowWelcome() {
    if (CEditorApp* app = GetEditorApp())
        app->SetShowWelcome(IsDlgButtonChecked(IDC_WELCOME_SHOW) ? 1 : 0);
}
