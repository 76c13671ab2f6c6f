#pragma once

#include <QPoint>
#include <vector>

class QAction;
class QMenu;
class QWidget;
class CCmdTarget;

// The context menus of the text view and the edit fields: items that carry command ids, with the
// tool bar images of their commands, whose commands travel the main window's command route.
namespace textdoc {

struct CommandItem {
    int id = 0; // 0 for a separator
    const char* text = nullptr;
};

// Builds the menu. PopupCommandMenu sends the chosen item's command along the main window's command
// route; without a main window (a field shown on its own) to `fallback`, when given.
QMenu* BuildCommandMenu(const std::vector<CommandItem>& items, QWidget* parent);

// Sets each item enabled or disabled as the command route says, as is done before the menu opens.
void UpdateCommandMenu(QMenu* menu, CCmdTarget* fallback);

// Shows the menu at a screen point until it closes, deletes it, then carries out the chosen command.
void PopupCommandMenu(QMenu* menu, const QPoint& globalPos, CCmdTarget* fallback);

// The command id an item of such a menu carries; 0 for a separator.
int CommandId(const QAction* action);

} // namespace textdoc
