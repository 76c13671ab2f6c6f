#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One editor per user and display. The running editor listens on a local socket in the user's
// runtime folder (which only the user can enter); a second start hands its file names over through
// it and ends, and the running editor opens them, as the desktop's "open with" expects of a
// document program that keeps one screen lock and one idle timer.
class CInstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit CInstanceChannel(QObject* parent = nullptr);
    ~CInstanceChannel() override;

    // The socket of this user's editor on this display.
    static QString ServerName();

    // From a second start: gives the files (made absolute against this process's folder) to the
    // running editor and waits until it has taken them. False when no editor answers within
    // nWaitMs (0: one try), so this start goes on as the first one.
    static bool HandOver(const QStringList& files, int nWaitMs = 0);

    // From the first start: takes the editor's place and begins to listen. The place is a lock file
    // beside the socket, held while this editor runs, so that of two starts at the same moment only
    // one serves. A socket file left by an editor that crashed is replaced. False when another
    // editor holds the place (it runs, or is starting): hand the files over to it.
    bool Listen();
    bool IsListening() const;
    // After a failed Listen: whether another editor holds the place (rather than the runtime folder
    // refusing the lock file or the socket).
    bool IsHeldElsewhere() const { return m_bHeldElsewhere; }

signals:
    // Files another start handed over (possibly none: that start only wants this editor in front).
    void FilesHandedOver(const QStringList& files);

private:
    // What one connection has sent so far: a request may arrive in several pieces.
    struct Connection {
        QLocalSocket* socket;
        QByteArray received;
    };

    static bool HandOverOnce(const QStringList& files);
    void OnNewConnection();
    void OnReadyRead(Connection& connection);

    QLocalServer* m_pServer;
    // The lock file's descriptor while this editor holds the place; -1 otherwise.
    int m_nLockFd = -1;
    bool m_bHeldElsewhere = false;
};
