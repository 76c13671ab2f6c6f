#include "shell/HelpPage.h"

#include "framework/MessageBox.h"
#include "framework/ShellOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

QString FindHelpPage() {
    // Beside the program (a build or an unpacked copy), in the installed share folder, then under the
    // current folder, where the page has always been looked for.
    const QString page = QStringLiteral("Help/42.html");
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        programDir.filePath(page),
        programDir.filePath(QStringLiteral("../share/lockwarden-editor/") + page),
        QDir::current().filePath(page),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

void OpenHelpPage() {
    const QString page = FindHelpPage();
    if (page.isEmpty()) {
        AfxMessageBox(QStringLiteral("The help page \"Help/42.html\" was not found beside the program, in its "
                                     "installed share folder, or under the current folder."),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ShellOpenFile(page);
}
