#include "shell/TimedFileDialog.h"

#include "shell/MainFrame.h"

CTimedFileDialog::CTimedFileDialog(bool bOpenFileDialog, const QString& defExt, const QString& fileName, unsigned flags,
                                   const QString& filter, QWidget* pParent)
    : CFileDialog(bOpenFileDialog, defExt, fileName, flags, filter, pParent), m_bOpenMode(bOpenFileDialog ? 1 : 0) {}

void CTimedFileDialog::CloseForLock() {
    if (CMainFrame* frame = CMainFrame::Get())
        frame->SetReplayFlag(m_bOpenMode ? CMainFrame::ReplayOpen : CMainFrame::ReplaySaveAs);
    reject();
}
