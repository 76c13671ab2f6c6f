#pragma once

#include "cipher/DocumentFile.h"
#include "docs/LockAwareDialog.h"
#include "platform/SecureMemory.h"

// "Set Password": a new file password typed twice. The button reads "Save" when a new document is
// saved and "Set" for Set New File Password, where both fields start with the current password.
class CSetPasswordDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CSetPasswordDlg(QWidget* pParent = nullptr);
    ~CSetPasswordDlg() override;

    static constexpr int kMaxPasswordLength = 259;

    // 1: the OK button reads "Set" instead of "Save".
    uint8_t m_bSetMode = 0;
    // The format the file is written in: the dialog says what it means for the file.
    cipher::DocFormat m_nFormat = cipher::DocFormat::Compatible;

    // Before DoModal: the password both fields start with. After OK: the new password (UTF-8).
    void SetPassword(const platform::SecureString& password) { m_szPassword = password; }
    const platform::SecureString& GetPassword() const { return m_szPassword; }
    // Hands the password to the caller and wipes the dialog's own copy.
    platform::SecureString TakePassword();
    // The file the password is for: its name (without folder and extension) counts for little in the
    // strength shown, as a password made of it is among the first an attacker tries.
    void SetDocumentPath(const QString& path);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnControlChanged(int nID, Notify code) override;
    void OnDestroy() override;

private:
    void RateStrength();

    platform::SecureString m_szPassword;
    QString m_strFileName;
};
