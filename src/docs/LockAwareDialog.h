#pragma once

#include "framework/Dialog.h"

// A dialog that knows what the screen lock means for it: when the main frame locks (its 100 ms tick
// closes every window over it), the dialog marks its command for replay (when it belongs to one) and
// ends itself with its lock code. The operation that opened it goes on as if cancelled.
class CLockAwareDialog : public CDialog {
    Q_OBJECT
public:
    // nReplayCommand: the command that opened the dialog and runs again after the unlock; 0 for none.
    CLockAwareDialog(int nIDTemplate, int nLockEndCode, int nReplayCommand, QWidget* pParent = nullptr);
    // A dialog whose template lives beside its class.
    CLockAwareDialog(const DlgTemplate& tmpl, int nLockEndCode, int nReplayCommand, QWidget* pParent = nullptr);

    bool ClosesOnLock() const override { return m_bLockTimerOn; }
    void CloseForLock() override;

protected:
    // Dialogs that never close by themselves (the prompt on the locked screen) switch it off.
    void SetLockTimerEnabled(bool bOn) { m_bLockTimerOn = bOn; }

private:
    int m_nLockEndCode;
    int m_nReplayCommand;
    bool m_bLockTimerOn = true;
};
