#include "res/Resources.h"
#include "shell/EditorApp.h"
#include "shell/InstanceChannel.h"
#include "shell/MainFrame.h"

#include <QApplication>
#include <sys/prctl.h>
#include <sys/resource.h>

int main(int argc, char* argv[]) {
    // Deciphered text and passwords live in this process's memory: never let it reach a core file.
    prctl(PR_SET_DUMPABLE, 0);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);

    // The framework finds menus, strings, icons and dialog templates only through what this hands it.
    RegisterResources();

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Lockwarden"));
    QApplication::setApplicationName(QStringLiteral("Lockwarden Editor"));
    QApplication::setDesktopFileName(QStringLiteral("lockwarden-editor"));

    // One editor per user and display: when one runs already, it takes the files and this start ends.
    if (CInstanceChannel::HandOver(CCommandLineInfo::FileArguments(QApplication::arguments())))
        return 0;

    CEditorApp app;
    // Listening starts before the first document opens, so that a start meanwhile finds this editor.
    CInstanceChannel channel;
    QObject::connect(&channel, &CInstanceChannel::FilesHandedOver, &channel, [&app](const QStringList& files) {
        if (CMainFrame* frame = app.GetMainFrame())
            frame->OpenHandedOverFiles(files);
    });
    channel.Listen();

    if (!app.InitInstance(QApplication::arguments()))
        return 1;
    return QApplication::exec();
}
