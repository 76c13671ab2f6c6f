#include "textdoc/CommandMenu.h"

#include "framework/CmdTarget.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MenuItemText.h"
#include "framework/WinApp.h"
#include "res/Resources.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

namespace textdoc {

namespace {

void RunCommand(int nID, CCmdTarget* fallback) {
    if (CMDIFrameWnd* frame = AfxGetMainFrame()) {
        frame->OnUserCommand(nID);
        return;
    }
    if (!fallback)
        return;
    CCmdUI ui(nID);
    if (fallback->OnUpdateCmdUI(nID, ui) && !ui.IsEnabled())
        return;
    fallback->OnCmdMsg(nID);
}

} // namespace

int CommandId(const QAction* action) {
    bool ok = false;
    const int nID = action ? action->data().toInt(&ok) : 0;
    return ok ? nID : 0;
}

QMenu* BuildCommandMenu(const std::vector<CommandItem>& items, QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (const CommandItem& item : items) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(CommandIcon(item.id), QString());
        SetMenuItemText(action, QString::fromUtf8(item.text));
        action->setData(item.id);
    }
    return menu;
}

void UpdateCommandMenu(QMenu* menu, CCmdTarget* fallback) {
    if (CMDIFrameWnd* frame = AfxGetMainFrame()) {
        frame->UpdateMenuUI(menu);
        return;
    }
    for (QAction* action : menu->actions()) {
        const int nID = CommandId(action);
        if (nID == 0)
            continue;
        CCmdUI ui(nID);
        action->setEnabled(fallback && fallback->OnUpdateCmdUI(nID, ui) && ui.IsEnabled());
    }
}

void PopupCommandMenu(QMenu* menu, const QPoint& globalPos, CCmdTarget* fallback) {
    UpdateCommandMenu(menu, fallback);
    QPointer<QMenu> guard(menu);
    const int nID = CommandId(menu->exec(globalPos));
    delete guard.data();
    // The command runs once the menu is gone, as a command posted by the menu would: it may close
    // the window the menu was opened over.
    if (nID != 0)
        RunCommand(nID, fallback);
}

} // namespace textdoc
