#pragma once

#include <QString>

class QAction;

// Gives a menu item its text as menu resources write it, "&New\tCtrl+N": the action's text is the part
// before the tab and the key after it becomes the action's shortcut, so that the menu shows the key in
// its column and a screen reader says the name and the key apart.
//
// The shortcut is only shown, never taken: the key belongs to the main window's accelerator table,
// which takes it whatever the menus' state. The item's shortcut is bound to the menu alone
// (Qt::WidgetShortcut), which matches only while that menu itself holds the focus; a window-wide
// shortcut on the item would compete with the accelerator for the same key ("ambiguous shortcut")
// and neither would run.
void SetMenuItemText(QAction* action, const QString& text);
