#include "shell/TimedFileDialog.h"

#include "shell/MainFrame.h"

#include <QTimerEvent>

CTimedFileDialog::CTimedFileDialog(bool bOpenFileDialog, const QString& defExt, const QString& fileName, unsigned flags,
                                   const QString& filter, QWidget* pParent)
    : CFileDialog(bOpenFileDialog, defExt, fileName, flags, filter, pParent), m_bOpenMode(bOpenFileDialog ? 1 : 0) {}

int CTimedFileDialog::DoModal() {
    m_lockTimer.start(100, this);
    const int result = CFileDialog::DoModal();
    m_lockTimer.stop();
    return result;
}

void CTimedFileDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_lockTimer.timerId()) {
        CFileDialog::timerEvent(event);
        return;
    }
    CMainFrame* frame = CMainFrame::Get();
    if (!frame || !frame->ShouldCloseDialogs())
        return;
    m_lockTimer.stop();
    frame->SetReplayFlag(m_bOpenMode ? CMainFrame::ReplayOpen : CMainFrame::ReplaySaveAs);
    reject();
}
