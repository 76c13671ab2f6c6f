#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;

// Gives a menu item its text as menu resources write it, "&New\tCtrl+N": the action's text is the part
// before the tab and the key after it becomes the action's shortcut, so that the menu shows the key in
// its column and a screen reader says the name and the key apart.
//
// The item's shortcut is only shown, never taken: the keys belong to the main window's accelerator
// table. It is bound to the menu (Qt::WidgetShortcut), which a context menu never holds the focus as.
void SetMenuItemText(QAction* action, const QString& text);

// For the menus of the menu bar, which Qt ties to the bar: while the bar holds the focus (Alt pressed
// and let go) an item's shortcut would match as well as the accelerator's, an "ambiguous shortcut" that
// runs neither. Their items therefore carry their keys only while the menu is open, when the open menu
// keeps the accelerators out, and keep them aside the rest of the time.
void ShowMenuKeysWhileOpen(QMenu* menu);

// The key a menu item shows, whether its menu is open or not.
QKeySequence MenuItemKey(const QAction* action);
