#pragma once

#include "framework/Dialog.h"
#include "shell/MainFrame.h"

#include <QBasicTimer>
#include <optional>

// A dialog that watches the screen lock: every 100 ms it checks the main frame, and once the screen
// has locked after the idle timeout it marks its command for replay (when it belongs to one) and
// ends itself with its lock code. The operation that opened it goes on as if cancelled.
class CLockAwareDialog : public CDialog {
    Q_OBJECT
public:
    CLockAwareDialog(int nIDTemplate, int nLockEndCode, std::optional<CMainFrame::ReplayFlag> replay,
                     QWidget* pParent = nullptr);
    // A dialog whose template lives beside its class.
    CLockAwareDialog(const DlgTemplate& tmpl, int nLockEndCode, std::optional<CMainFrame::ReplayFlag> replay,
                     QWidget* pParent = nullptr);

protected:
    // Starts the lock timer; dialogs that override it call this first.
    bool OnInitDialog() override;
    void OnDestroy() override;
    // Runs every 100 ms while the timer is on.
    virtual void OnLockTimer();
    void timerEvent(QTimerEvent* event) override;

    // Dialogs that never close by themselves (the prompt on the locked screen) switch it off.
    void SetLockTimerEnabled(bool bOn) { m_bLockTimerOn = bOn; }

private:
    int m_nLockEndCode;
    std::optional<CMainFrame::ReplayFlag> m_replay;
    bool m_bLockTimerOn = true;
    QBasicTimer m_lockTimer;
};
