#include "docs/LockGate.h"

#include "framework/WinApp.h"

#include <QWidget>

CLockGate* CLockGate::Get() {
    QWidget* mainWnd = AfxGetMainWnd();
    return mainWnd ? mainWnd->findChild<CLockGate*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}
