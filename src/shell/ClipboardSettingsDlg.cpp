#include "shell/ClipboardSettingsDlg.h"

#include "framework/ClipboardGuard.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

namespace {

const DlgTemplate& Template() {
    static const DlgTemplate tmpl{
        IDD_CLIPBOARD_SETTINGS,
        "Clipboard",
        220,
        62,
        {
            {DlgKind::Static, -1, "&Clear a copied password after (seconds):", 7, 10, 150, 9},
            {DlgKind::Edit, IDC_CLIPBOARD_CLEAR_SECONDS, "", 160, 8, 53, 14},
            {DlgKind::Static, -1, "0 keeps it until the screen locks or the program exits.", 7, 26, 206, 9},
            {DlgKind::DefPushButton, IDOK, "OK", 106, 42, 50, 14},
            {DlgKind::PushButton, IDCANCEL, "Cancel", 163, 42, 50, 14},
        }};
    return tmpl;
}

} // namespace

// Closed by the screen lock like Cancel: nothing changes.
CClipboardSettingsDlg::CClipboardSettingsDlg(QWidget* pParent) : CLockAwareDialog(Template(), IDCANCEL, 0, pParent) {}

bool CClipboardSettingsDlg::OnInitDialog() {
    SetDlgItemText(IDC_CLIPBOARD_CLEAR_SECONDS, QString::number(CClipboardGuard::ClearDelay()));
    return true;
}

void CClipboardSettingsDlg::OnOK() {
    bool bNumber = false;
    const int nSeconds = GetDlgItemText(IDC_CLIPBOARD_CLEAR_SECONDS).trimmed().toInt(&bNumber);
    if (!bNumber || nSeconds < 0 || nSeconds > CClipboardGuard::kMaxDelay) {
        AfxMessageBox(QStringLiteral("Enter a whole number of seconds from 0 to %1.").arg(CClipboardGuard::kMaxDelay),
                      MB_OK | MB_ICONEXCLAMATION);
        if (QWidget* field = GetDlgItem(IDC_CLIPBOARD_CLEAR_SECONDS))
            field->setFocus();
        return;
    }
    CClipboardGuard::SetClearDelay(nSeconds);
    EndDialog(IDOK);
}
