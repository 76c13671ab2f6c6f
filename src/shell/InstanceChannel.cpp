#include "shell/InstanceChannel.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>
#include <memory>
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

CInstanceChannel::~CInstanceChannel() = default;

QString CInstanceChannel::ServerName() {
    // The runtime folder belongs to the user alone (mode 0700); Qt makes one when the session has none.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder).filePath(QStringLiteral("lockwarden-editor-") + DisplayTag());
}

bool CInstanceChannel::HandOver(const QStringList& files) {
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
    // An editor that answers keeps its name: listening with access options would quietly put a new
    // socket in place of its one.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(kConnectMs))
        return false;
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
