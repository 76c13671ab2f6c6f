#pragma once

#include "docs/LockAwareDialog.h"
#include "platform/SecureMemory.h"

#include <memory>

// "Enter Password": asks for a file password, or in screen mode for the screen password. OK stays
// disabled while the field is empty. With its lock timer on, the dialog ends as cancelled once the
// screen has locked; without it, it stays up however long it is left alone.
class CEnterPasswordDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CEnterPasswordDlg(QWidget* pParent = nullptr);
    // The question for the password of a file the user did not just choose (a version another program
    // wrote, recovered work): a line names the file, the next says why its password is asked.
    static std::unique_ptr<CEnterPasswordDlg> ForFile(const QString& fileName, const QString& notice);
    // The question when the user opens a file: its name on a line under the label.
    static std::unique_ptr<CEnterPasswordDlg> ForOpening(const QString& path);
    ~CEnterPasswordDlg() override;

    static constexpr int kMaxPasswordLength = 259;

    // 1: the lock timer runs while the dialog is up (the default); 0: it never closes by itself.
    int m_bTimerOn = 1;
    // 1: the label reads "Screen Password:" instead of "File Password:".
    int m_bScreenMode = 0;

    // The password typed (UTF-8, at most 259 characters); filled as the user types and on OK.
    const platform::SecureString& GetPassword() const { return m_szPassword; }
    // Hands the password to the caller and wipes the dialog's own copy.
    platform::SecureString TakePassword();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnDestroy() override;
    void OnControlChanged(int nID, Notify code) override;

private:
    CEnterPasswordDlg(const DlgTemplate& tmpl, const QString& fileName, const QString& notice);
    void ReadPassword();

    QString m_strFileName;
    QString m_strFilePath;
    QString m_strNotice;

    platform::SecureString m_szPassword;
};
