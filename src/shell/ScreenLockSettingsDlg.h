#pragma once

#include "framework/Dialog.h"

#include <QBasicTimer>

// "Screen Lock Settings": when to lock (idle for a chosen time, at start-up), the screen password and
// whether it is asked for, and the prompt text of the lock window. OK saves the settings file.
class CScreenLockSettingsDlg : public CDialog {
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
    // Runs every 100 ms while the dialog is up: once the screen has locked, marks the command for
    // replay after the unlock and ends with Cancel.
    virtual void OnLockTimer();
    void timerEvent(QTimerEvent* event) override;

private:
    void OnLockWhenIdle();
    void OnLockAtStartup();
    void OnPasswordOn();
    // The password fields and the other options follow the check boxes.
    void EnablePasswordFields();
    void EnableOptions();

    QBasicTimer m_lockTimer;
    int m_nStoredIndex = 0;
};
