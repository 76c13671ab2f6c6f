#include "docs/TimedFileDialog.h"

#include "docs/LockGate.h"
#include "res/resource.h"

CTimedFileDialog::CTimedFileDialog(bool bOpenFileDialog, const QString& defExt, const QString& fileName, unsigned flags,
                                   const QString& filter, QWidget* pParent)
    : CFileDialog(bOpenFileDialog, defExt, fileName, flags, filter, pParent), m_bOpenMode(bOpenFileDialog ? 1 : 0),
      m_nReplayCommand(bOpenFileDialog ? ID_FILE_OPEN : ID_FILE_SAVE_AS) {}

void CTimedFileDialog::CloseForLock() {
    if (CLockGate* lock = CLockGate::Get())
        lock->MarkForReplay(m_nReplayCommand);
    reject();
}
