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
    // running editor and waits until it has taken them. False when no editor answers, so this start
    // goes on as the first one.
    static bool HandOver(const QStringList& files);

    // From the first start: begins to listen. A socket file left by an editor that crashed is
    // replaced; one that still answers is left alone (false: another editor got there first).
    bool Listen();
    bool IsListening() const;

signals:
    // Files another start handed over (possibly none: that start only wants this editor in front).
    void FilesHandedOver(const QStringList& files);

private:
    // What one connection has sent so far: a request may arrive in several pieces.
    struct Connection {
        QLocalSocket* socket;
        QByteArray received;
    };

    void OnNewConnection();
    void OnReadyRead(Connection& connection);

    QLocalServer* m_pServer;
};
