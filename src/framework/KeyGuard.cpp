#include "framework/KeyGuard.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// Under X11 the AltGr key is usually Mod5 (ISO_Level3_Shift); the toolkit reports it as the group
// switch, but a layout that also sets Mod1 with it must still type.
constexpr quint32 kX11Mod5Mask = 1u << 7;

bool TakesText(QObject* object) {
    if (qobject_cast<QLineEdit*>(object) || qobject_cast<QPlainTextEdit*>(object) || qobject_cast<QTextEdit*>(object) ||
        qobject_cast<QAbstractSpinBox*>(object))
        return true;
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo && combo->isEditable();
}

} // namespace

CKeyGuard::CKeyGuard(QObject* parent) : QObject(parent) {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->installEventFilter(this);
}

bool CKeyGuard::IsAltLetter(const QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    // Alt+Ctrl is how some systems send AltGr; Meta belongs to the desktop.
    if (!(mods & Qt::AltModifier) || (mods & (Qt::ControlModifier | Qt::MetaModifier | Qt::GroupSwitchModifier)))
        return false;
    if (QGuiApplication::platformName() == QLatin1String("xcb") && (event->nativeModifiers() & kX11Mod5Mask))
        return false;
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

bool CKeyGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        // Menus and buttons have had their Alt+letter as shortcuts before the key gets here; an open
        // menu takes its letters as key presses of its own and is not a text field.
        if (TakesText(watched) && IsAltLetter(static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        break;
    case QEvent::FocusOut: {
        // The menu bar takes the focus when Alt opens a menu; a line edit drops its selection on any
        // focus loss but a popup's, so it is told the menu is one.
        auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() == Qt::MenuBarFocusReason && qobject_cast<QLineEdit*>(watched)) {
            QFocusEvent asPopup(QEvent::FocusOut, Qt::PopupFocusReason);
            QCoreApplication::sendEvent(watched, &asPopup);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
