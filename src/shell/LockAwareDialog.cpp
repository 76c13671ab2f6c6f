#include "shell/LockAwareDialog.h"

CLockAwareDialog::CLockAwareDialog(int nIDTemplate, int nLockEndCode, std::optional<CMainFrame::ReplayFlag> replay,
                                   QWidget* pParent)
    : CDialog(nIDTemplate, pParent), m_nLockEndCode(nLockEndCode), m_replay(replay) {}

CLockAwareDialog::CLockAwareDialog(const DlgTemplate& tmpl, int nLockEndCode,
                                   std::optional<CMainFrame::ReplayFlag> replay, QWidget* pParent)
    : CDialog(tmpl, pParent), m_nLockEndCode(nLockEndCode), m_replay(replay) {}

void CLockAwareDialog::CloseForLock() {
    if (!m_bLockTimerOn || !isVisible())
        return;
    if (m_replay) {
        if (CMainFrame* frame = CMainFrame::Get())
            frame->SetReplayFlag(*m_replay);
    }
    EndDialog(m_nLockEndCode);
}
