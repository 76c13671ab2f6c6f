#pragma once

#include <QString>
#include <QUrl>
#include <functional>

// Asks the desktop to open an address or a local file with the program the user chose for it.
// The desktop's answer is returned; callers that have nothing to say about a failure ignore it.
bool ShellOpen(const QUrl& url);
bool ShellOpenFile(const QString& path);

// Tests put a recorder here so that nothing is really launched; an empty function restores the desktop.
void SetShellOpenHandler(std::function<bool(const QUrl&)> handler);
