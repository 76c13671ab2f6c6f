#include "res/Resources.h"
#include "shell/EditorApp.h"
#include "shell/InstanceChannel.h"
#include "shell/MainFrame.h"

#include <QApplication>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace {

// How long a start waits for another start that took the editor's place a moment before it.
constexpr int kHandOverWaitMs = 15000;

} // namespace

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
    const QStringList files = CCommandLineInfo::FileArguments(QApplication::arguments());
    if (CInstanceChannel::HandOver(files))
        return 0;
    // Listening starts before the first document opens, so that a start meanwhile finds this editor.
    CInstanceChannel channel;
    const bool bListening = channel.Listen();
    // A folder others can reach is never used; the editor still runs, only without the hand-over.
    if (!channel.Problem().isEmpty())
        std::fprintf(stderr, "lockwarden-editor: %s\n", qPrintable(channel.Problem()));
    // Another start holds the place: it is starting up at this very moment, and takes the files once
    // it listens. Should it never answer, this start goes on by itself rather than not at all.
    if (!bListening && channel.IsHeldElsewhere() && CInstanceChannel::HandOver(files, kHandOverWaitMs))
        return 0;

    CEditorApp app;
    QObject::connect(&channel, &CInstanceChannel::FilesHandedOver, &channel, [&app](const QStringList& handed) {
        if (CMainFrame* frame = app.GetMainFrame())
            frame->OpenHandedOverFiles(handed);
    });

    if (!app.InitInstance(QApplication::arguments()))
        return 1;
    return QApplication::exec();
}
