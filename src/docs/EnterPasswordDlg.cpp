#include "docs/EnterPasswordDlg.h"

#include "framework/CapsLockWarning.h"
#include "framework/Utf8Text.h"
#include "res/resource.h"

#include <QLineEdit>

CEnterPasswordDlg::CEnterPasswordDlg(QWidget* pParent) : CLockAwareDialog(IDD_ENTER_PASSWORD, IDCANCEL, 0, pParent) {}

CEnterPasswordDlg::~CEnterPasswordDlg() {
    m_szPassword.Wipe();
}

platform::SecureString CEnterPasswordDlg::TakePassword() {
    platform::SecureString taken(m_szPassword);
    m_szPassword.Wipe();
    return taken;
}

bool CEnterPasswordDlg::OnInitDialog() {
    m_szPassword.Wipe();
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(IDC_PASSWORD))) {
        edit->setMaxLength(kMaxPasswordLength);
        edit->clear();
        edit->setFocus();
    }
    EnableDlgItem(IDOK, false);
    SetLockTimerEnabled(m_bTimerOn != 0);
    CLockAwareDialog::OnInitDialog();
    SetDlgItemText(IDC_PASSWORD_LABEL,
                   m_bScreenMode ? QStringLiteral("Screen Password:") : QStringLiteral("File Password:"));
    CCapsLockWarning::Attach(this, IDC_CAPS_LOCK_WARNING);
    return true;
}

void CEnterPasswordDlg::ReadPassword() {
    m_szPassword = TakeSecureUtf8(GetDlgItemText(IDC_PASSWORD), kMaxPasswordLength);
}

void CEnterPasswordDlg::OnControlChanged(int nID, Notify code) {
    if (nID != IDC_PASSWORD || code != Changed)
        return;
    ReadPassword();
    EnableDlgItem(IDOK, !m_szPassword.empty());
}

void CEnterPasswordDlg::OnOK() {
    ReadPassword();
    // Enter reaches here too; an empty password is never accepted.
    if (m_szPassword.empty())
        return;
    EndDialog(IDOK);
}

void CEnterPasswordDlg::OnDestroy() {
    CLockAwareDialog::OnDestroy();
    // The field's text is the password: don't leave it in the widget after the question.
    if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(IDC_PASSWORD))) {
        const QSignalBlocker quiet(edit);
        edit->clear();
    }
}
