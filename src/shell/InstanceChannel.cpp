#include "shell/InstanceChannel.h"

#include "platform/DataFolder.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

// The request: "open" and one absolute path per line, ended by an empty line; the answer "ok".
const QByteArray kRequest = QByteArrayLiteral("open\n");
const QByteArray kAnswer = QByteArrayLiteral("ok\n");
// File names handed over by a desktop fit many times over; more is somebody filling the memory.
constexpr qsizetype kMaxRequest = 64 * 1024;
// A start hands over one request at a time: a few at once is plenty, and more are closed at once.
constexpr int kMaxConnections = 8;
constexpr int kDefaultIdleMs = 5000;
int g_nIdleMs = kDefaultIdleMs;
std::optional<uid_t> g_expectedPeerUid;
constexpr int kConnectMs = 1000;
// The running editor may be busy a moment (a dialog's loop still answers, but slowly under load).
constexpr int kAnswerMs = 10000;
constexpr int kRetryMs = 100;

// The display this editor shows on, and its user: the socket's name is a hash of both, short enough
// for any folder a socket fits in at all, and the same for every start on that display.
QString NameTag() {
    QByteArray display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    if (display.isEmpty())
        display = QGuiApplication::platformName().toUtf8();
    const QByteArray key = display + '\n' + QByteArray::number(::getuid());
    return QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).left(8).toHex());
}

// A folder only this user can reach, or empty; problem tells what was passed over and why.
QString PrivateFolder(QStringList& problem) {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    std::string why;
    if (!runtime.isEmpty()) {
        if (runtime.startsWith('/') && platform::IsPrivateFolder(runtime.toStdString(), why))
            return QFile::decodeName(runtime);
        if (!runtime.startsWith('/'))
            why = "it is not an absolute path";
        problem << QStringLiteral("The runtime folder %1 is not used for the single-instance socket: %2.")
                       .arg(QFile::decodeName(runtime), QString::fromStdString(why));
    }
    const std::string fallback = platform::GetRuntimeFallbackFolder();
    if (fallback.empty()) {
        problem << QStringLiteral("There is no home folder to keep the single-instance socket in.");
        return {};
    }
    // A folder that is there already is taken as it is: its modes are checked, never mended, since
    // somebody else may have made it.
    if (!platform::EnsureFolder(fallback)) {
        problem << QStringLiteral("The folder %1 for the single-instance socket cannot be made: %2.")
                       .arg(QString::fromStdString(fallback), QString::fromLocal8Bit(std::strerror(errno)));
        return {};
    }
    if (!platform::IsPrivateFolder(fallback, why)) {
        problem << QStringLiteral("The folder %1 is not used for the single-instance socket: %2.")
                       .arg(QString::fromStdString(fallback), QString::fromStdString(why));
        return {};
    }
    return QString::fromStdString(fallback);
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

QString CInstanceChannel::ServerName(QString* problem) {
    QStringList problems;
    const QString folder = PrivateFolder(problems);
    QString name;
    if (!folder.isEmpty()) {
        name = QDir(folder).filePath(QStringLiteral("lockwarden-") + NameTag());
        const qsizetype length = QFile::encodeName(name).size();
        // The path and its terminating NUL must fit the socket address.
        if (length >= qsizetype(sizeof(sockaddr_un::sun_path))) {
            problems << QStringLiteral("The single-instance socket %1 has a path of %2 bytes, longer than a local "
                                       "socket allows (%3).")
                            .arg(name)
                            .arg(length)
                            .arg(sizeof(sockaddr_un::sun_path) - 1);
            name.clear();
        }
    }
    if (name.isEmpty())
        problems << QStringLiteral("Each start opens an editor of its own.");
    if (problem)
        *problem = problems.join(QLatin1Char(' '));
    return name;
}

bool CInstanceChannel::IsPeerTheUser(qintptr descriptor) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (descriptor < 0 || ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0 ||
        size != sizeof peer)
        return false;
    return peer.uid == g_expectedPeerUid.value_or(::getuid());
}

void CInstanceChannel::SetIdleTimeoutMs(int ms) {
    g_nIdleMs = ms > 0 ? ms : kDefaultIdleMs;
}

void CInstanceChannel::SetExpectedPeerUid(std::optional<uid_t> uid) {
    g_expectedPeerUid = uid;
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
    const QString name = ServerName();
    if (name.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(kConnectMs))
        return false;
    // Whoever else listens there would learn the files and keep them from opening.
    if (!IsPeerTheUser(socket.socketDescriptor())) {
        socket.abort();
        return false;
    }
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
    const QString name = ServerName(&m_strProblem);
    if (name.isEmpty())
        return false;
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
    if (probe.waitForConnected(kConnectMs) && IsPeerTheUser(probe.socketDescriptor())) {
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
        if (m_nConnections >= kMaxConnections || !IsPeerTheUser(socket->socketDescriptor())) {
            Drop(socket);
            continue;
        }
        ++m_nConnections;
        connect(socket, &QObject::destroyed, this, [this] { --m_nConnections; });
        socket->setReadBufferSize(kMaxRequest + 1);
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, this, [this, socket] { Drop(socket); });
        idle->start(g_nIdleMs);
        // The connection's state lives with the slot, which goes when the socket does.
        auto connection = std::make_shared<Connection>(Connection{socket, {}, idle});
        connect(socket, &QLocalSocket::readyRead, this, [this, connection] { OnReadyRead(*connection); });
    }
}

void CInstanceChannel::Drop(QLocalSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

void CInstanceChannel::OnReadyRead(Connection& connection) {
    QLocalSocket* socket = connection.socket;
    connection.received += socket->readAll();
    connection.idle->start(g_nIdleMs);
    const QByteArray& buffer = connection.received;
    if (buffer.size() > kMaxRequest || (buffer.size() >= kRequest.size() && !buffer.startsWith(kRequest))) {
        connection.received.clear();
        Drop(socket);
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
    connection.idle->stop();
    socket->write(kAnswer);
    socket->flush();
    socket->disconnectFromServer();
    // The files open from the event loop: their password prompts must not hold up the other start.
    QTimer::singleShot(0, this, [this, files] { emit FilesHandedOver(files); });
}
