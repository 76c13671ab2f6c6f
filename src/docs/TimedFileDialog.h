#pragma once

#include "framework/FileDialog.h"

// The Open and Save As dialog. When the screen locks it marks Open (or Save As) for replay and closes
// as cancelled, like every other dialog of the program.
class CTimedFileDialog : public CFileDialog {
    Q_OBJECT
public:
    CTimedFileDialog(bool bOpenFileDialog, const QString& defExt = {}, const QString& fileName = {}, unsigned flags = 0,
                     const QString& filter = {}, QWidget* pParent = nullptr);

    void CloseForLock() override;

    // 1 for an open dialog, 0 for a save dialog.
    const int m_bOpenMode;
    // The command the lock marks for replay when it closes the dialog: Open or Save As, unless the
    // caller is another command that asks for a file.
    int m_nReplayCommand;
};
