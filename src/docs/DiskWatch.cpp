#include "docs/DiskWatch.h"

#include <QFile>
#include <QFileInfo>

namespace {

int g_nSettleMs = 1000;

cipher::FileIdentity IdentityOfPath(const QString& path) {
    return cipher::IdentityOf(QFile::encodeName(path).toStdString());
}

} // namespace

void CDiskWatch::SetSettleTime(int msec) {
    g_nSettleMs = msec;
}

CDiskWatch::CDiskWatch(QObject* parent) : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CDiskWatch::OnTimer);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CDiskWatch::Poke);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CDiskWatch::Poke);
}

void CDiskWatch::Watch(const QString& path) {
    if (path == m_strPath) {
        Rewatch();
        return;
    }
    if (const QStringList watched = m_watcher.files() + m_watcher.directories(); !watched.isEmpty())
        m_watcher.removePaths(watched);
    m_timer.stop();
    m_strPath = path;
    Rewatch();
}

void CDiskWatch::Rewatch() {
    if (m_strPath.isEmpty())
        return;
    // A file replaced by a rename is a new file: the watch on the old one ends with it.
    if (!m_watcher.files().contains(m_strPath) && QFileInfo::exists(m_strPath))
        m_watcher.addPath(m_strPath);
    const QString folder = QFileInfo(m_strPath).absolutePath();
    if (!m_watcher.directories().contains(folder) && QFileInfo(folder).isDir())
        m_watcher.addPath(folder);
}

void CDiskWatch::Poke() {
    if (m_strPath.isEmpty())
        return;
    m_lastSeen = IdentityOfPath(m_strPath);
    m_timer.start(g_nSettleMs);
}

void CDiskWatch::OnTimer() {
    const cipher::FileIdentity now = IdentityOfPath(m_strPath);
    if (now != m_lastSeen) {
        // Still being written: wait until it rests.
        m_lastSeen = now;
        m_timer.start(g_nSettleMs);
        return;
    }
    Rewatch();
    emit settled();
}
