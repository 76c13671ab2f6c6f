#pragma once

#include "docs/LockAwareDialog.h"

// "Screen Lock Settings": when to lock (idle for a chosen time, at start-up), the screen password and
// whether it is asked for, and the prompt text of the lock window. OK saves the settings file.
class CScreenLockSettingsDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CScreenLockSettingsDlg(QWidget* pParent = nullptr);

    // The timeout entry the dialog stands on: the entry whose text is typed, else the last one
    // chosen from the list; always one of the eight.
    int GetTimeoutIndex() const;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnDestroy() override;
    // The strength meter follows the screen password as it is typed.
    void OnControlChanged(int nID, Notify code) override;

private:
    void OnLockWhenIdle();
    // The password fields follow "Enable Screen Password" alone.
    void EnablePasswordFields();

    int m_nStoredIndex = 0;
};
