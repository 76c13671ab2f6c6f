#include "docs/EnterPasswordDlg.h"

#include "framework/CapsLockWarning.h"
#include "framework/DialogTemplate.h"
#include "framework/Utf8Text.h"
#include "res/resource.h"

#include <QLineEdit>

CEnterPasswordDlg::CEnterPasswordDlg(QWidget* pParent) : CLockAwareDialog(IDD_ENTER_PASSWORD, IDCANCEL, 0, pParent) {}

namespace {

const DlgTemplate kNamedFileTemplate = {
    IDD_ENTER_PASSWORD,
    "Enter Password",
    194,
    94,
    {
        {DlgKind::Icon, -1, nullptr, 8, 8, 21, 20, 0, IDI_PASSWORD},
        {DlgKind::Static, IDC_PASSWORD_FILE, "", 38, 8, 148, 9},
        {DlgKind::Static, IDC_PASSWORD_NOTICE, "", 38, 19, 148, 18},
        {DlgKind::Static, IDC_PASSWORD_LABEL, "File Password:", 38, 40, 148, 9},
        {DlgKind::Password, IDC_PASSWORD, "", 38, 51, 148, 14},
        {DlgKind::Static, IDC_CAPS_LOCK_WARNING, "Caps Lock is on.", 8, 76, 72, 9, DS_HIDDEN},
        {DlgKind::DefPushButton, IDOK, "OK", 82, 74, 50, 14},
        {DlgKind::PushButton, IDCANCEL, "Cancel", 136, 74, 50, 14},
    }};

// The question when a file is opened: its name on a line of its own under the label. The name comes
// first in the template so that the label, not the name, stands right before the field it names.
const DlgTemplate kOpenFileTemplate = {
    IDD_ENTER_PASSWORD,
    "Enter Password",
    194,
    75,
    {
        {DlgKind::Icon, -1, nullptr, 8, 8, 21, 20, 0, IDI_PASSWORD},
        {DlgKind::Static, IDC_PASSWORD_FILE, "", 38, 20, 148, 9},
        {DlgKind::Static, IDC_PASSWORD_LABEL, "File Password:", 38, 9, 148, 9},
        {DlgKind::Password, IDC_PASSWORD, "", 38, 31, 148, 14},
        {DlgKind::Static, IDC_CAPS_LOCK_WARNING, "Caps Lock is on.", 8, 56, 72, 9, DS_HIDDEN},
        {DlgKind::DefPushButton, IDOK, "OK", 82, 54, 50, 14},
        {DlgKind::PushButton, IDCANCEL, "Cancel", 136, 54, 50, 14},
    }};

} // namespace

CEnterPasswordDlg::CEnterPasswordDlg(const DlgTemplate& tmpl, const QString& fileName, const QString& notice)
    : CLockAwareDialog(tmpl, IDCANCEL, 0, nullptr), m_strFileName(fileName), m_strNotice(notice) {}

std::unique_ptr<CEnterPasswordDlg> CEnterPasswordDlg::ForFile(const QString& fileName, const QString& notice) {
    return std::unique_ptr<CEnterPasswordDlg>(new CEnterPasswordDlg(kNamedFileTemplate, fileName, notice));
}

std::unique_ptr<CEnterPasswordDlg> CEnterPasswordDlg::ForOpening(const QString& path) {
    auto dialog = std::unique_ptr<CEnterPasswordDlg>(
        new CEnterPasswordDlg(kOpenFileTemplate, path.mid(path.lastIndexOf(QLatin1Char('/')) + 1), QString()));
    dialog->m_strFilePath = path;
    return dialog;
}

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
    if (!m_strFileName.isEmpty()) {
        SetDlgItemText(IDC_PASSWORD_FILE, m_strFileName);
        SetDlgItemText(IDC_PASSWORD_NOTICE, m_strNotice);
        // The whole path for whoever needs to tell two files of the same name apart.
        if (QWidget* file = GetDlgItem(IDC_PASSWORD_FILE); file && !m_strFilePath.isEmpty()) {
            file->setToolTip(m_strFilePath);
            file->setAccessibleDescription(m_strFilePath);
        }
    }
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
