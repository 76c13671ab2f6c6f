#include "shell/ScreenLockSettingsDlg.h"

#include "cipher/DocumentFile.h"

#include "controls/StrengthMeter.h"
#include "docs/EnterPasswordDlg.h"
#include "framework/MessageBox.h"
#include "framework/Utf8Text.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/LockSettings.h"
#include "shell/MainFrame.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

const char* const kTimeoutEntries[kTimeoutCount] = {"1 minute",   "2 minutes",  "3 minutes",  "5 minutes",
                                                    "10 minutes", "15 minutes", "30 minutes", "60 minutes"};

const char* const kEmptyScreenPassword =
    "Type a screen password, or clear \"Enable Screen Password\": without a password any key unlocks the screen.";

QString FromRecord(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

// Closed by the lock, the dialog comes back after the unlock.
CScreenLockSettingsDlg::CScreenLockSettingsDlg(QWidget* pParent)
    : CLockAwareDialog(IDD_SCREEN_LOCK_SETTINGS, IDCANCEL, ID_SETTINGS_SCREEN_LOCK, pParent) {
    MapCommand(IDC_LOCK_WHEN_IDLE, [this] { OnLockWhenIdle(); });
    MapCommand(IDC_LOCK_PASSWORD_ON, [this] { EnablePasswordFields(); });
}

bool CScreenLockSettingsDlg::OnInitDialog() {
    CEditorApp* app = GetEditorApp();
    if (!app)
        return false;
    app->LoadLockSettings();
    const LockSettingsRecord& settings = app->GetLockSettings();

    for (int id : {IDC_LOCK_PASSWORD, IDC_LOCK_CONFIRM, IDC_LOCK_PROMPT_TEXT}) {
        if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id)))
            edit->setMaxLength(LockSettingsRecord::kTextSize - 1);
    }
    if (auto* combo = qobject_cast<QComboBox*>(GetDlgItem(IDC_LOCK_TIMEOUT))) {
        combo->clear();
        for (const char* entry : kTimeoutEntries)
            combo->addItem(QString::fromLatin1(entry));
        // A damaged or foreign record may hold any number; the list only knows eight.
        m_nStoredIndex =
            settings.nTimeoutIndex >= 0 && settings.nTimeoutIndex < kTimeoutCount ? settings.nTimeoutIndex : 0;
        combo->setCurrentIndex(m_nStoredIndex);
    }
    SetDlgItemText(IDC_LOCK_PROMPT_TEXT, FromRecord(settings.PromptText()));
    CheckDlgButton(IDC_LOCK_WHEN_IDLE, settings.bLockWhenIdle != 0);
    CheckDlgButton(IDC_LOCK_AT_STARTUP, settings.bLockAtStartup != 0);
    CheckDlgButton(IDC_LOCK_PASSWORD_ON, settings.bScreenPasswordOn != 0);

    // The stored password is never shown (it is kept only as a verifier): the fields start empty, and
    // left empty they keep it.

    // The screen password guards every lock, the Lock command's and the desktop's too: it and the prompt
    // text can always be set, whichever automatic lock is on. Only the timeout needs the idle lock.
    if (settings.bLockWhenIdle != 1 && settings.bLockAtStartup == 0)
        EnableDlgItem(IDC_LOCK_TIMEOUT, false);
    EnablePasswordFields();
    if (settings.bLockWhenIdle == 1)
        EnableDlgItem(IDC_LOCK_TIMEOUT, true);

    return CLockAwareDialog::OnInitDialog();
}

void CScreenLockSettingsDlg::OnLockWhenIdle() {
    EnableDlgItem(IDC_LOCK_TIMEOUT, IsDlgButtonChecked(IDC_LOCK_WHEN_IDLE));
}

void CScreenLockSettingsDlg::EnablePasswordFields() {
    const bool on = IsDlgButtonChecked(IDC_LOCK_PASSWORD_ON);
    EnableDlgItem(IDC_LOCK_PASSWORD, on);
    EnableDlgItem(IDC_LOCK_CONFIRM, on);
}

void CScreenLockSettingsDlg::OnControlChanged(int nID, Notify code) {
    if (nID != IDC_LOCK_PASSWORD || code != Changed)
        return;
    if (auto* meter = qobject_cast<CStrengthMeter*>(GetDlgItem(IDC_LOCK_STRENGTH)))
        meter->SetPassword(GetDlgItemText(IDC_LOCK_PASSWORD));
}

int CScreenLockSettingsDlg::GetTimeoutIndex() const {
    auto* combo = qobject_cast<const QComboBox*>(GetDlgItem(IDC_LOCK_TIMEOUT));
    if (!combo)
        return m_nStoredIndex;
    const int typed = combo->findText(combo->currentText().trimmed(), Qt::MatchFixedString);
    if (typed >= 0 && typed < kTimeoutCount)
        return typed;
    const int chosen = combo->currentIndex();
    return chosen >= 0 && chosen < kTimeoutCount ? chosen : m_nStoredIndex;
}

void CScreenLockSettingsDlg::OnOK() {
    CEditorApp* app = GetEditorApp();
    if (!app)
        return;
    const platform::SecureString password =
        TakeSecureUtf8(GetDlgItemText(IDC_LOCK_PASSWORD), LockSettingsRecord::kTextSize - 1);
    const platform::SecureString confirm =
        TakeSecureUtf8(GetDlgItemText(IDC_LOCK_CONFIRM), LockSettingsRecord::kTextSize - 1);
    if (const std::string problem = cipher::NewPasswordProblem(password.view()); !problem.empty()) {
        AfxMessageBox(QString::fromStdString(problem), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (password.view() != confirm.view()) {
        AfxMessageBox(QStringLiteral("Passwords don't match"), MB_OK);
        return;
    }
    LockSettingsRecord& settings = app->GetLockSettings();
    const bool bKeepStored = password.empty() && settings.HasScreenPassword();
    if (IsDlgButtonChecked(IDC_LOCK_PASSWORD_ON) && password.empty() && !bKeepStored) {
        // Any key would unlock while the user believes the screen is protected.
        AfxMessageBox(QString::fromLatin1(kEmptyScreenPassword), MB_OK | MB_ICONEXCLAMATION);
        if (QWidget* field = GetDlgItem(IDC_LOCK_PASSWORD))
            field->setFocus();
        return;
    }
    // Kept to be put back when the file can't be written: memory then says what the disk says.
    const LockSettingsRecord previous = settings;
    if (!bKeepStored && !settings.StoreScreenPassword(password.view())) {
        AfxMessageBox(QStringLiteral("The screen password could not be stored: the memory it needs is not available."),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    settings.SetPromptText(GetDlgItemText(IDC_LOCK_PROMPT_TEXT).toUtf8().toStdString());
    settings.bLockWhenIdle = IsDlgButtonChecked(IDC_LOCK_WHEN_IDLE) ? 1 : 0;
    settings.bLockAtStartup = IsDlgButtonChecked(IDC_LOCK_AT_STARTUP) ? 1 : 0;
    settings.bScreenPasswordOn = IsDlgButtonChecked(IDC_LOCK_PASSWORD_ON) ? 1 : 0;
    settings.nTimeoutIndex = GetTimeoutIndex();
    std::string why;
    if (!app->SaveLockSettings(&why)) {
        settings = previous;
        AfxMessageBox(QStringLiteral("The screen lock settings were not saved. ") + QString::fromStdString(why),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The prompt text reaches the lock at its next lock, which reads the file again.
    if (CMainFrame* frame = app->GetMainFrame())
        frame->ScreenLock().ApplySettings(settings, false);
    EndDialog(IDOK);
}

void CScreenLockSettingsDlg::OnDestroy() {
    CLockAwareDialog::OnDestroy();
    // The fields hold the screen password: empty them once the dialog is done.
    for (int id : {IDC_LOCK_PASSWORD, IDC_LOCK_CONFIRM}) {
        if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(id)))
            edit->clear();
    }
}
