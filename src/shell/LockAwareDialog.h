#pragma once

#include "framework/Dialog.h"
#include "shell/MainFrame.h"

#include <optional>

// A dialog that knows what the screen lock means for it: when the main frame locks (its 100 ms tick
// closes every window over it), the dialog marks its command for replay (when it belongs to one) and
// ends itself with its lock code. The operation that opened it goes on as if cancelled.
class CLockAwareDialog : public CDialog {
    Q_OBJECT
public:
    CLockAwareDialog(int nIDTemplate, int nLockEndCode, std::optional<CMainFrame::ReplayFlag> replay,
                     QWidget* pParent = nullptr);
    // A dialog whose template lives beside its class.
    CLockAwareDialog(const DlgTemplate& tmpl, int nLockEndCode, std::optional<CMainFrame::ReplayFlag> replay,
                     QWidget* pParent = nullptr);

    bool ClosesOnLock() const override { return m_bLockTimerOn; }
    void CloseForLock() override;

protected:
    // Dialogs that never close by themselves (the prompt on the locked screen) switch it off.
    void SetLockTimerEnabled(bool bOn) { m_bLockTimerOn = bOn; }

private:
    int m_nLockEndCode;
    std::optional<CMainFrame::ReplayFlag> m_replay;
    bool m_bLockTimerOn = true;
};
