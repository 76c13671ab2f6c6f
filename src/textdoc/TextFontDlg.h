#pragma once

#include "framework/LockClosable.h"

#include <QFontDialog>

// View, Font: the fixed-pitch fonts only, in the toolkit's own dialog (a desktop's native one would be
// out of reach of the lock). When the screen locks it closes as cancelled and Font runs again after
// the unlock, like the program's other dialogs.
class CTextFontDlg : public QFontDialog, public CLockClosable {
    Q_OBJECT
public:
    CTextFontDlg(const QFont& initial, QWidget* pParent = nullptr);

    void CloseForLock() override;
};
