#include "framework/MenuItemText.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QVariant>

namespace {

const char* const kKeyProperty = "lw_menu_key";

// Moves the menu's shortcuts aside: each item keeps its key in a property, without a shortcut.
void PutKeysAside(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        if (action->shortcut().isEmpty())
            continue;
        action->setProperty(kKeyProperty, QVariant::fromValue(action->shortcut()));
        action->setShortcut(QKeySequence());
    }
}

} // namespace

void SetMenuItemText(QAction* action, const QString& text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0) {
        action->setText(text);
        return;
    }
    action->setText(text.left(tab));
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcut(QKeySequence(text.mid(tab + 1), QKeySequence::PortableText));
}

void ShowMenuKeysWhileOpen(QMenu* menu) {
    PutKeysAside(menu);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        for (QAction* action : menu->actions()) {
            const QVariant key = action->property(kKeyProperty);
            if (action->shortcut().isEmpty() && key.isValid())
                action->setShortcut(key.value<QKeySequence>());
        }
    });
    QObject::connect(menu, &QMenu::aboutToHide, menu, [menu] { PutKeysAside(menu); });
}

QKeySequence MenuItemKey(const QAction* action) {
    if (!action->shortcut().isEmpty())
        return action->shortcut();
    return action->property(kKeyProperty).value<QKeySequence>();
}
