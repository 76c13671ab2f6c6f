#include "shell/InstanceChannel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace {

// The request: "open" and one absolute path per line, ended by an empty line; the answer "ok".
const QByteArray kRequest = QByteArrayLiteral("open\n");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
// Nobody hands over a megabyte of file names: a request that grows past it is dropped.
constexpr qsizetype kMaxRequest = 1 << 20;
constexpr int kConnectMs = 1000;
// The running editor may be busy a moment (a dialog's loop still answers, but slowly under load).
constexpr int kAnswerMs = 10000;
constexpr int kRetryMs = 100;

QString DisplayTag() {
    QByteArray display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    QString tag = display.isEmpty() ? QGuiApplication::platformName() : QString::fromLocal8Bit(display);
    tag.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return tag.isEmpty() ? QStringLiteral("default") : tag;
}

} // namespace

CInstanceChannel::CInstanceChannel(QObject* parent) : QObject(parent), m_pServer(new QLocalServer(this)) {
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, &CInstanceChannel::OnNewConnection);
}

CInstanceChannel::~CInstanceChannel() {
    if (m_nLockFd >= 0)
        ::close(m_nLockFd); // lets the place go
}

QString CInstanceChannel::ServerName() {
    // The runtime folder belongs to the user alone (mode 0700); Qt makes one when the session has none.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder).filePath(QStringLiteral("lockwarden-editor-") + DisplayTag());
}

bool CInstanceChannel::HandOver(const QStringList& files, int nWaitMs) {
    // An editor that has just taken its place needs a moment before it listens.
    QDeadlineTimer deadline(nWaitMs);
    for (;;) {
        if (HandOverOnce(files))
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(kRetryMs);
    }
}

bool CInstanceChannel::HandOverOnce(const QStringList& files) {
    QLocalSocket socket;
    socket.connectToServer(ServerName());
    if (!socket.waitForConnected(kConnectMs))
        return false;
    QByteArray request = kRequest;
    for (const QString& file : files)
        request += QFileInfo(file).absoluteFilePath().toUtf8() + '\n';
    request += '\n';
    socket.write(request);
    if (!socket.waitForBytesWritten(kAnswerMs))
        return false;
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(kAnswerMs))
        answer += socket.readAll();
    return answer == kAnswer;
}

bool CInstanceChannel::Listen() {
    const QString name = ServerName();
    // The place first: two starts at the same moment could both find no socket and both listen.
    if (m_nLockFd < 0) {
        const QByteArray lockPath = QFile::encodeName(name + QStringLiteral(".lock"));
        const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            m_bHeldElsewhere = errno == EWOULDBLOCK;
            ::close(fd);
            return false;
        }
        m_nLockFd = fd;
    }
    // An editor that answers keeps its name: listening with access options would quietly put a new
    // socket in place of its one.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(kConnectMs)) {
        ::close(std::exchange(m_nLockFd, -1));
        m_bHeldElsewhere = true;
        return false;
    }
    if (m_pServer->listen(name))
        return true;
    if (m_pServer->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // The socket file of an editor that is gone.
    QLocalServer::removeServer(name);
    return m_pServer->listen(name);
}

bool CInstanceChannel::IsListening() const {
    return m_pServer->isListening();
}

void CInstanceChannel::OnNewConnection() {
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The connection's state lives with the slot, which goes when the socket does.
        auto connection = std::make_shared<Connection>(Connection{socket, {}});
        connect(socket, &QLocalSocket::readyRead, this, [this, connection] { OnReadyRead(*connection); });
    }
}

void CInstanceChannel::OnReadyRead(Connection& connection) {
    QLocalSocket* socket = connection.socket;
    connection.received += socket->readAll();
    const QByteArray& buffer = connection.received;
    if (buffer.size() > kMaxRequest || (buffer.size() >= kRequest.size() && !buffer.startsWith(kRequest))) {
        connection.received.clear();
        socket->abort();
        return;
    }
    if (!buffer.endsWith("\n\n"))
        return;
    const QByteArray request = std::exchange(connection.received, QByteArray());
    QStringList files;
    const QList<QByteArray> lines = request.mid(kRequest.size()).split('\n');
    for (const QByteArray& line : lines) {
        if (!line.isEmpty())
            files.push_back(QString::fromUtf8(line));
    }
    socket->write(kAnswer);
    socket->flush();
    socket->disconnectFromServer();
    // The files open from the event loop: their password prompts must not hold up the other start.
    QTimer::singleShot(0, this, [this, files] { emit FilesHandedOver(files); });
}
