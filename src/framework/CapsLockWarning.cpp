#include "framework/CapsLockWarning.h"

#include "framework/Dialog.h"
#include "framework/KeyboardLocks.h"

#include <QEvent>
#include <QLineEdit>

CCapsLockWarning::CCapsLockWarning(CDialog* dialog, int nIDLabel)
    : QObject(dialog), m_pDialog(dialog), m_nIDLabel(nIDLabel) {
    setObjectName(QStringLiteral("capsLockWarning"));
    dialog->installEventFilter(this);
    // Keys go to the field that has the focus, not to the dialog.
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>())
        edit->installEventFilter(this);
}

void CCapsLockWarning::Attach(CDialog* dialog, int nIDLabel) {
    auto* warning = dialog->findChild<CCapsLockWarning*>(QString(), Qt::FindDirectChildrenOnly);
    if (!warning)
        warning = new CCapsLockWarning(dialog, nIDLabel);
    warning->Update();
}

void CCapsLockWarning::Update() {
    if (QWidget* label = m_pDialog->GetDlgItem(m_nIDLabel))
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
