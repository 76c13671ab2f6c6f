#include "shell/LockAwareDialog.h"

#include <QTimerEvent>

namespace {
constexpr int kLockCheckMs = 100;
}

CLockAwareDialog::CLockAwareDialog(int nIDTemplate, int nLockEndCode, std::optional<CMainFrame::ReplayFlag> replay,
                                   QWidget* pParent)
    : CDialog(nIDTemplate, pParent), m_nLockEndCode(nLockEndCode), m_replay(replay) {}

CLockAwareDialog::CLockAwareDialog(const DlgTemplate& tmpl, int nLockEndCode,
                                   std::optional<CMainFrame::ReplayFlag> replay, QWidget* pParent)
    : CDialog(tmpl, pParent), m_nLockEndCode(nLockEndCode), m_replay(replay) {}

bool CLockAwareDialog::OnInitDialog() {
    if (m_bLockTimerOn)
        m_lockTimer.start(kLockCheckMs, this);
    return true;
}

void CLockAwareDialog::OnDestroy() {
    m_lockTimer.stop();
}

void CLockAwareDialog::OnLockTimer() {
    CMainFrame* frame = CMainFrame::Get();
    if (!frame || !frame->ShouldCloseDialogs())
        return;
    m_lockTimer.stop();
    if (m_replay)
        frame->SetReplayFlag(*m_replay);
    EndDialog(m_nLockEndCode);
}

void CLockAwareDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_lockTimer.timerId())
        OnLockTimer();
    else
        CDialog::timerEvent(event);
}
