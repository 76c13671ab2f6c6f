#pragma once

#include "cipher/RawFile.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Tells a document when its file may have changed: the file and its folder are watched (editors and
// sync tools replace a file by renaming a new one over it, which only the folder reports), and
// Poke() says "look again" for the other occasions. A change is reported once the file has kept
// the same identity for a settling time, so that a file written in place in several steps is acted
// on once, when it is whole.
class CDiskWatch : public QObject {
    Q_OBJECT
public:
    explicit CDiskWatch(QObject* parent = nullptr);

    // Watches this path from now on; an empty path stops watching.
    void Watch(const QString& path);
    const QString& GetPath() const { return m_strPath; }
    // Something may have changed: report once the file has settled.
    void Poke();

    // How long the file's identity must stay the same, in milliseconds (1000 unless set).
    static void SetSettleTime(int msec);

signals:
    // The file has settled since the last change seen; look at it now.
    void settled();

private:
    void OnTimer();
    void Rewatch();

    QFileSystemWatcher m_watcher;
    QTimer m_timer;
    QString m_strPath;
    cipher::FileIdentity m_lastSeen;
};
