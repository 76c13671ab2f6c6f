#include "shell/TimedFileDialog.h"

#include "shell/MainFrame.h"

CTimedFileDialog::CTimedFileDialog(bool bOpenFileDialog, const QString& defExt, const QString& fileName, unsigned flags,
                                   const QString& filter, QWidget* pParent)
    : CFileDialog(bOpenFileDialog, defExt, fileName, flags, filter, pParent), m_bOpenMode(bOpenFileDialog ? 1 : 0),
      m_nReplayFlag(bOpenFileDialog ? CMainFrame::ReplayOpen : CMainFrame::ReplaySaveAs) {}

void CTimedFileDialog::CloseForLock() {
    if (CMainFrame* frame = CMainFrame::Get())
        frame->SetReplayFlag(static_cast<CMainFrame::ReplayFlag>(m_nReplayFlag));
    reject();
}
