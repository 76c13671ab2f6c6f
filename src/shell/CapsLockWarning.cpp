#include "shell/CapsLockWarning.h"

#include "framework/Dialog.h"
#include "framework/KeyboardLocks.h"
#include "res/resource.h"

#include <QEvent>
#include <QLineEdit>

CCapsLockWarning::CCapsLockWarning(CDialog* dialog) : QObject(dialog), m_pDialog(dialog) {
    setObjectName(QStringLiteral("capsLockWarning"));
    dialog->installEventFilter(this);
    // Keys go to the field that has the focus, not to the dialog.
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>())
        edit->installEventFilter(this);
}

void CCapsLockWarning::Attach(CDialog* dialog) {
    auto* warning = dialog->findChild<CCapsLockWarning*>(QString(), Qt::FindDirectChildrenOnly);
    if (!warning)
        warning = new CCapsLockWarning(dialog);
    warning->Update();
}

void CCapsLockWarning::Update() {
    if (QWidget* label = m_pDialog->GetDlgItem(IDC_CAPS_LOCK_WARNING))
        label->setVisible(IsLockKeyOn(LockKey::Caps).value_or(false));
}

bool CCapsLockWarning::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: // Caps Lock goes off as the key comes up again
    case QEvent::Show:
    case QEvent::WindowActivate:
        Update();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
