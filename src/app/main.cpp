#include "shell/EditorApp.h"

#include <QApplication>
#include <sys/prctl.h>
#include <sys/resource.h>

int main(int argc, char* argv[]) {
    // Deciphered text and passwords live in this process's memory: never let it reach a core file.
    prctl(PR_SET_DUMPABLE, 0);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lockwarden"));
    QApplication::setApplicationName(QStringLiteral("Lockwarden Editor"));
    QApplication::setDesktopFileName(QStringLiteral("lockwarden-editor"));

    CEditorApp app;
    if (!app.InitInstance(QApplication::arguments()))
        return 1;
    return QApplication::exec();
}
