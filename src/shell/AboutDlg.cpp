#include "shell/AboutDlg.h"

#include "controls/Label.h"
#include "controls/LinkLabel.h"
#include "res/resource.h"
#include "shell/ProductInfo.h"

CAboutDlg::CAboutDlg(QWidget* pParent) : CLockAwareDialog(IDD_ABOUTBOX, 0, ID_APP_ABOUT, pParent) {}

QString CAboutDlg::BuildStamp() {
    return QStringLiteral(__DATE__ " " __TIME__);
}

bool CAboutDlg::OnInitDialog() {
    CLockAwareDialog::OnInitDialog();
    const QColor darkBlue(0, 0, 192);
    if (auto* title = qobject_cast<CLabel*>(GetDlgItem(IDC_ABOUT_TITLE)))
        title->SetFontName(QStringLiteral("Times New Roman")).SetFontSize(16).SetFontBold(true).SetTextColor(darkBlue);
    SetDlgItemText(IDC_ABOUT_VERSION, QStringLiteral("Version ") + QLatin1String(kProductVersion));
    if (auto* version = qobject_cast<CLabel*>(GetDlgItem(IDC_ABOUT_VERSION)))
        version->SetFontName(QStringLiteral("Times New Roman"))
            .SetFontSize(12)
            .SetFontBold(true)
            .SetTextColor(darkBlue);
    SetDlgItemText(IDC_ABOUT_BUILD, QStringLiteral("Build: ") + BuildStamp());
    if (auto* build = qobject_cast<CLabel*>(GetDlgItem(IDC_ABOUT_BUILD)))
        build->SetFontName(QStringLiteral("Times New Roman")).SetFontSize(12).SetFontBold(false).SetTextColor(darkBlue);
    if (auto* link = qobject_cast<CLinkLabel*>(GetDlgItem(IDC_ABOUT_LINK))) {
        link->setText(QString::fromLatin1(kProductWebPage));
        link->SetUrl(QString::fromLatin1(kProductWebPage));
    }
    // Enter closes the box: the caret starts on OK, not on the link, which Enter would open.
    if (QWidget* ok = GetDlgItem(IDOK))
        ok->setFocus(Qt::OtherFocusReason);
    return true;
}
