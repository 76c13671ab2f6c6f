#include "framework/MenuItemText.h"

#include <QAction>
#include <QKeySequence>

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
