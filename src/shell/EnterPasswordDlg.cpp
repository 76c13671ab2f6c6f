#include "shell/EnterPasswordDlg.h"

#include "framework/CapsLockWarning.h"
#include "res/resource.h"
#include "shell/MainFrame.h"

#include <QLineEdit>

CEnterPasswordDlg::CEnterPasswordDlg(QWidget* pParent)
    : CLockAwareDialog(IDD_ENTER_PASSWORD, IDCANCEL, std::nullopt, pParent) {}

CEnterPasswordDlg::~CEnterPasswordDlg() {
    m_szPassword.Wipe();
}

platform::SecureString CEnterPasswordDlg::SecureUtf8(const QString& text) {
    QByteArray bytes = text.toUtf8();
    platform::SecureString result(bytes.constData(), static_cast<size_t>(bytes.size()));
    platform::WipeMemory(bytes.data(), static_cast<size_t>(bytes.size()));
    return result;
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
    m_szPassword = SecureUtf8(GetDlgItemText(IDC_PASSWORD).left(kMaxPasswordLength));
}

void CEnterPasswordDlg::OnControlChanged(int nID, Notify code) {
    if (nID != IDC_PASSWORD || code != Changed)
        return;
    ReadPassword();
    EnableDlgItem(IDOK, !m_szPassword.empty());
    CMainFrame::StampActivity();
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
