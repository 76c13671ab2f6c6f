#include "docs/SetPasswordDlg.h"

#include "cipher/DocumentFile.h"

#include "controls/StrengthMeter.h"
#include "docs/EnterPasswordDlg.h"
#include "framework/CapsLockWarning.h"
#include "framework/MessageBox.h"
#include "framework/Utf8Text.h"
#include "res/resource.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QSignalBlocker>

CSetPasswordDlg::CSetPasswordDlg(QWidget* pParent) : CLockAwareDialog(IDD_SET_PASSWORD, IDCANCEL, 0, pParent) {}

CSetPasswordDlg::~CSetPasswordDlg() {
    m_szPassword.Wipe();
}

platform::SecureString CSetPasswordDlg::TakePassword() {
    platform::SecureString taken(m_szPassword);
    m_szPassword.Wipe();
    return taken;
}

void CSetPasswordDlg::SetDocumentPath(const QString& path) {
    m_strFileName = path.isEmpty() ? QString() : QFileInfo(path).completeBaseName();
}

void CSetPasswordDlg::RateStrength() {
    if (auto* meter = qobject_cast<CStrengthMeter*>(GetDlgItem(IDC_SET_PASSWORD_STRENGTH))) {
        const QStringList words = m_strFileName.isEmpty() ? QStringList() : QStringList{m_strFileName};
        meter->SetPassword(GetDlgItemText(IDC_PASSWORD), words);
    }
}

bool CSetPasswordDlg::OnInitDialog() {
    CLockAwareDialog::OnInitDialog();
    const platform::SecureString initial = m_szPassword;
    const QString text = TextFromUtf8(initial.data(), static_cast<qsizetype>(initial.size()));
    for (const int id : {IDC_PASSWORD, IDC_CONFIRM_PASSWORD}) {
        if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id))) {
            edit->setMaxLength(kMaxPasswordLength);
            edit->setText(text); // the change handlers run as for typing
        }
    }
    EnableDlgItem(IDOK, !initial.empty());
    if (m_bSetMode)
        SetDlgItemText(IDOK, QStringLiteral("Set"));
    SetDlgItemText(IDC_PASSWORD_FORMAT, m_nFormat == cipher::DocFormat::Strong
                                            ? QStringLiteral("Strong: opens in Lockwarden Editor 2.5 and later.")
                                            : QStringLiteral("Compatible: opens in older editors too, but is quick "
                                                             "to guess."));
    if (QWidget* first = GetDlgItem(IDC_PASSWORD))
        first->setFocus();
    CCapsLockWarning::Attach(this, IDC_CAPS_LOCK_WARNING);
    return true;
}

void CSetPasswordDlg::OnControlChanged(int nID, Notify code) {
    if (code != Changed)
        return;
    if (nID == IDC_PASSWORD) {
        m_szPassword = TakeSecureUtf8(GetDlgItemText(IDC_PASSWORD), kMaxPasswordLength);
        RateStrength();
        // A confirmation typed before the password no longer confirms anything.
        SetDlgItemText(IDC_CONFIRM_PASSWORD, QString());
        // Emptying an empty field reports no change: OK follows both fields here too.
        EnableDlgItem(IDOK, !m_szPassword.empty() && !GetDlgItemText(IDC_CONFIRM_PASSWORD).isEmpty());
    } else if (nID == IDC_CONFIRM_PASSWORD) {
        EnableDlgItem(IDOK, !GetDlgItemText(IDC_PASSWORD).isEmpty() && !GetDlgItemText(IDC_CONFIRM_PASSWORD).isEmpty());
    }
}

void CSetPasswordDlg::OnOK() {
    m_szPassword = TakeSecureUtf8(GetDlgItemText(IDC_PASSWORD), kMaxPasswordLength);
    // Enter reaches here too: an empty password can't be confirmed.
    if (m_szPassword.empty())
        return;
    if (const std::string problem = cipher::NewPasswordProblem(m_szPassword.view()); !problem.empty()) {
        AfxMessageBox(QString::fromStdString(problem), MB_ICONEXCLAMATION, QStringLiteral("Set Password"));
        m_szPassword.Wipe();
        return;
    }
    if (m_szPassword.view() != TakeSecureUtf8(GetDlgItemText(IDC_CONFIRM_PASSWORD), kMaxPasswordLength).view()) {
        AfxMessageBox(QStringLiteral("The passwords you typed do not match. Type the password in both text boxes."),
                      MB_ICONEXCLAMATION, QStringLiteral("Set Password"));
        SetDlgItemText(IDC_PASSWORD, QString());
        SetDlgItemText(IDC_CONFIRM_PASSWORD, QString());
        m_szPassword.Wipe();
        if (QWidget* first = GetDlgItem(IDC_PASSWORD))
            first->setFocus();
        return;
    }
    EndDialog(IDOK);
}

void CSetPasswordDlg::OnDestroy() {
    CLockAwareDialog::OnDestroy();
    // The fields' text is the password: don't leave it in the widgets after the question. Quietly,
    // so that the password the dialog took is still there for its caller.
    for (const int id : {IDC_PASSWORD, IDC_CONFIRM_PASSWORD}) {
        if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id))) {
            const QSignalBlocker quiet(edit);
            edit->clear();
        }
    }
    if (auto* meter = qobject_cast<CStrengthMeter*>(GetDlgItem(IDC_SET_PASSWORD_STRENGTH)))
        meter->Clear();
}
