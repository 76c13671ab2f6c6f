#include "framework/LockClosable.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QToolTip>
#include <QWidget>

namespace {

// Closing a sub-menu leaves its parent menu open, so the loop goes on until none is left; a popup
// that refuses to close must not keep it going for ever.
constexpr int kMaxPopups = 32;

bool StaysOverLock(QWidget* window) {
    if (qobject_cast<QMessageBox*>(window))
        return true;
    if (auto* closable = dynamic_cast<CLockClosable*>(window))
        return !closable->ClosesOnLock();
    return false;
}

} // namespace

void CloseWindowsForLock(QWidget* mainWnd) {
    // Menus first: a menu opened from a dialog would otherwise hold the dialog's end back.
    for (int i = 0; i < kMaxPopups; ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            break;
        popup->close();
    }
    QToolTip::hideText();

    QList<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != mainWnd && window->isVisible() && qobject_cast<QDialog*>(window) && !StaysOverLock(window))
            windows.push_back(window);
    }
    for (const QPointer<QWidget>& window : windows) {
        // Ending one dialog may already have ended another (its owner, or a dialog it had opened).
        if (!window || !window->isVisible())
            continue;
        if (auto* closable = dynamic_cast<CLockClosable*>(window.data()))
            closable->CloseForLock();
        else
            static_cast<QDialog*>(window.data())->reject();
    }
}
