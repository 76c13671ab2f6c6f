#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <optional>
#include <sys/types.h>

class QLocalServer;
class QLocalSocket;
class QTimer;

// One editor per user and display. The running editor listens on a local socket in a folder only the
// user can enter (the session's runtime folder, or a private one of the program's own); a second
// start hands its file names over through it and ends, and the running editor opens them, as the
// desktop's "open with" expects of a document program that keeps one screen lock and one idle timer.
// Whoever listens in the editor's place learns every file the user opens and keeps it from opening:
// so no folder others can reach is used, and neither end talks to a process of another user.
class CInstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit CInstanceChannel(QObject* parent = nullptr);
    ~CInstanceChannel() override;

    // The socket of this user's editor on this display. Empty when there is no private folder for it or
    // its path is too long for a local socket; problem then says why, and also tells of a runtime
    // folder that was passed over.
    static QString ServerName(QString* problem = nullptr);

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
    // What the last Listen found wrong with the socket's folder or name, for the user to read; empty
    // when nothing was.
    QString Problem() const { return m_strProblem; }

    // Whether the process at the other end of a connected local socket runs as the expected user (this
    // process's, unless a test says otherwise).
    static bool IsPeerTheUser(qintptr descriptor);

    // For tests: how long a connection may stay silent (0: the usual 5 s), and which user id a peer
    // must have (nullopt: this process's).
    static void SetIdleTimeoutMs(int ms);
    static void SetExpectedPeerUid(std::optional<uid_t> uid);

signals:
    // Files another start handed over (possibly none: that start only wants this editor in front).
    void FilesHandedOver(const QStringList& files);

private:
    // What one connection has sent so far: a request may arrive in several pieces.
    struct Connection {
        QLocalSocket* socket;
        QByteArray received;
        // Restarted by every piece that arrives; a connection that stays silent is dropped.
        QTimer* idle;
    };

    static bool HandOverOnce(const QStringList& files);
    void OnNewConnection();
    void OnReadyRead(Connection& connection);
    void Drop(QLocalSocket* socket);

    QLocalServer* m_pServer;
    // The lock file's descriptor while this editor holds the place; -1 otherwise.
    int m_nLockFd = -1;
    bool m_bHeldElsewhere = false;
    QString m_strProblem;
    // Connections being served; the ones beyond a few are closed at once.
    int m_nConnections = 0;
};
