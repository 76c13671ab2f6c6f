#pragma once

#include "framework/FileDialog.h"

#include <QBasicTimer>

// The Open and Save As dialog, watching the screen lock like every other dialog: once the screen has
// locked it marks Open (or Save As) for replay and closes as cancelled.
class CTimedFileDialog : public CFileDialog {
    Q_OBJECT
public:
    CTimedFileDialog(bool bOpenFileDialog, const QString& defExt = {}, const QString& fileName = {}, unsigned flags = 0,
                     const QString& filter = {}, QWidget* pParent = nullptr);

    int DoModal();

    // 1 for an open dialog, 0 for a save dialog.
    const int m_bOpenMode;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer m_lockTimer;
};
