#include "docs/LockAwareDialog.h"

#include "docs/LockGate.h"

CLockAwareDialog::CLockAwareDialog(int nIDTemplate, int nLockEndCode, int nReplayCommand, QWidget* pParent)
    : CDialog(nIDTemplate, pParent), m_nLockEndCode(nLockEndCode), m_nReplayCommand(nReplayCommand) {}

CLockAwareDialog::CLockAwareDialog(const DlgTemplate& tmpl, int nLockEndCode, int nReplayCommand, QWidget* pParent)
    : CDialog(tmpl, pParent), m_nLockEndCode(nLockEndCode), m_nReplayCommand(nReplayCommand) {}

void CLockAwareDialog::CloseForLock() {
    if (!m_bLockTimerOn || !isVisible())
        return;
    if (CLockGate* lock = CLockGate::Get(); lock && m_nReplayCommand != 0)
        lock->MarkForReplay(m_nReplayCommand);
    EndDialog(m_nLockEndCode);
}
