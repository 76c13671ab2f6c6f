#include "common/GuiTestEnv.h"
#include "shell/InstanceChannel.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// A user id this process does not run as, who owns folders the tests make (the tests run as root).
constexpr uid_t kOtherUid = 65534;

QByteArray Request(const QStringList& files) {
    QByteArray request = "open\n";
    for (const QString& file : files)
        request += file.toUtf8() + '\n';
    return request + '\n';
}

// A client of the running editor in this process, connected and left as the test wants it.
std::unique_ptr<QLocalSocket> Connect() {
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(CInstanceChannel::ServerName());
    return socket->waitForConnected(2000) ? std::move(socket) : nullptr;
}

bool IsEmptyFolder(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty();
}

} // namespace

// One editor per user and display: a second start hands its files to the first and ends.
class TestInstanceChannel : public QObject {
    Q_OBJECT

private:
    GuiTestEnv m_env;
    QTemporaryDir m_runtime;

    // The program itself, started as a user would start it a second time, in its own folder.
    static void StartSecond(QProcess& process, const QString& folder, const QStringList& arguments,
                            const QString& runtime, const QString& config) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(folder);
        process.start(QStringLiteral(LW_EDITOR_PATH), arguments);
    }

private slots:
    void initTestCase() {
        m_env.Begin(false);
        QVERIFY(m_runtime.isValid());
        // The runtime folder of this test alone: never a real editor's socket.
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        QVERIFY(CInstanceChannel::ServerName().startsWith(m_runtime.path()));
    }

    void cleanup() {
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        qputenv("XDG_STATE_HOME", m_env.StateDir().toLocal8Bit());
        CInstanceChannel::SetIdleTimeoutMs(0);
        CInstanceChannel::SetExpectedPeerUid(std::nullopt);
    }

    void withoutARunningEditorNothingIsHandedOver() {
        QVERIFY(!CInstanceChannel::HandOver({QStringLiteral("notes.etx")}));
    }

    void secondStartHandsItsFilesToTheFirst() {
        CInstanceChannel first;
        QVERIFY(first.Listen());
        QSignalSpy handed(&first, &CInstanceChannel::FilesHandedOver);
        QTemporaryDir work;
        QVERIFY(work.isValid());

        QProcess second;
        StartSecond(second, work.path(), {QStringLiteral("notes.etx"), QStringLiteral("sub/vault.kvd")},
                    m_runtime.path(), m_env.ConfigDir());
        QVERIFY(second.waitForStarted());
        // This process keeps answering while it waits; should the second one hang, QProcess kills it
        // when the test ends, so it never outlives the test.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 60000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(handed.size(), 1);
        // Names relative to the second start's folder arrive as full paths.
        QCOMPARE(handed.at(0).at(0).toStringList(), QStringList({work.filePath(QStringLiteral("notes.etx")),
                                                                 work.filePath(QStringLiteral("sub/vault.kvd"))}));
    }

    // Two starts at the same moment, before either listens: one serves, the other hands over and ends.
    void twoStartsAtOnceGiveOneEditor() {
        QTemporaryDir runtime;
        QTemporaryDir work;
        QProcess starts[2];
        for (QProcess& start : starts)
            StartSecond(start, work.path(), {}, runtime.path(), m_env.ConfigDir());
        for (QProcess& start : starts)
            QVERIFY(start.waitForStarted());
        const auto ended = [&starts] {
            return int(starts[0].state() == QProcess::NotRunning) + int(starts[1].state() == QProcess::NotRunning);
        };
        QTRY_COMPARE_WITH_TIMEOUT(ended(), 1, 60000);
        QProcess& gone = starts[0].state() == QProcess::NotRunning ? starts[0] : starts[1];
        QCOMPARE(gone.exitCode(), 0);
        // The one that serves stays (its Welcome dialog is up) and keeps its place.
        QTest::qWait(500);
        QCOMPARE(ended(), 1);
        for (QProcess& start : starts)
            start.kill();
        for (QProcess& start : starts)
            start.waitForFinished();
    }

    // A start that took the place a moment ago and does not listen yet keeps it; once it is gone the
    // place is free.
    void aStartThatTookThePlaceKeepsIt() {
        const QByteArray lock = QFile::encodeName(CInstanceChannel::ServerName() + QStringLiteral(".lock"));
        const int fd = ::open(lock.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        QVERIFY(fd >= 0);
        QCOMPARE(::flock(fd, LOCK_EX | LOCK_NB), 0);
        CInstanceChannel late;
        QVERIFY(!late.Listen());
        QVERIFY(late.IsHeldElsewhere());
        QVERIFY(!late.IsListening());
        ::close(fd);
        QVERIFY(late.Listen());
    }

    void aSecondListenerLeavesTheRunningEditorAlone() {
        CInstanceChannel first;
        QVERIFY(first.Listen());
        CInstanceChannel late;
        QVERIFY(!late.Listen());
        QVERIFY(first.IsListening());
    }

    void socketLeftByACrashIsReplaced() {
        // What a killed editor leaves behind: the name is taken, but nobody answers.
        QFile stale(CInstanceChannel::ServerName());
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        CInstanceChannel channel;
        QVERIFY(channel.Listen());
        QVERIFY(channel.IsListening());
    }

    // A runtime folder that others can reach, or that a link could move, is passed over for the
    // program's own private folder, and nothing is made in it.
    void runtimeFolderOthersCanReachIsPassedOver() {
        QTemporaryDir base;
        QTemporaryDir state;
        qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
        const QString fallback = state.filePath(QStringLiteral("Lockwarden/run"));
        const QByteArray others = QFile::encodeName(base.filePath(QStringLiteral("others")));
        QCOMPARE(::mkdir(others.constData(), 0700), 0);
        QCOMPARE(::chown(others.constData(), kOtherUid, kOtherUid), 0);
        const QByteArray open = QFile::encodeName(base.filePath(QStringLiteral("open")));
        QCOMPARE(::mkdir(open.constData(), 0700), 0);
        QCOMPARE(::chmod(open.constData(), 0755), 0);
        const QByteArray link = QFile::encodeName(base.filePath(QStringLiteral("link")));
        const QByteArray target = QFile::encodeName(base.filePath(QStringLiteral("target")));
        QCOMPARE(::mkdir(target.constData(), 0700), 0);
        QCOMPARE(::symlink(target.constData(), link.constData()), 0);

        for (const QByteArray& runtime : {others, open, link}) {
            qputenv("XDG_RUNTIME_DIR", runtime);
            QString problem;
            const QString name = CInstanceChannel::ServerName(&problem);
            QCOMPARE(QFileInfo(name).absolutePath(), fallback);
            QVERIFY2(problem.contains(QString::fromLocal8Bit(runtime)), qPrintable(problem));
            CInstanceChannel channel;
            QVERIFY(channel.Listen());
            QVERIFY(!channel.Problem().isEmpty());
            struct stat st {};
            QCOMPARE(::stat(QFile::encodeName(fallback).constData(), &st), 0);
            QCOMPARE(st.st_mode & 07777, mode_t(0700));
        }
        QVERIFY(IsEmptyFolder(QString::fromLocal8Bit(others)));
        QVERIFY(IsEmptyFolder(QString::fromLocal8Bit(open)));
        QVERIFY(IsEmptyFolder(QString::fromLocal8Bit(target)));
    }

    // Without a private folder there is no socket at all: the editor runs by itself, and says why.
    void privateFolderOfAnotherUserIsRefused() {
        qunsetenv("XDG_RUNTIME_DIR");
        QTemporaryDir state;
        qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
        const QString fallback = state.filePath(QStringLiteral("Lockwarden/run"));
        QVERIFY(QDir().mkpath(fallback));
        const QByteArray folder = QFile::encodeName(fallback);

        const auto refused = [&](const char* reason) {
            QString problem;
            QVERIFY(CInstanceChannel::ServerName(&problem).isEmpty());
            QVERIFY2(problem.contains(fallback) && problem.contains(QLatin1String(reason)), qPrintable(problem));
            CInstanceChannel channel;
            QVERIFY(!channel.Listen());
            QVERIFY(!channel.IsHeldElsewhere());
            QCOMPARE(channel.Problem(), problem);
            QVERIFY(!CInstanceChannel::HandOver({QStringLiteral("notes.etx")}));
            QVERIFY(IsEmptyFolder(fallback));
        };
        QCOMPARE(::chmod(folder.constData(), 0700), 0);
        QCOMPARE(::chown(folder.constData(), kOtherUid, kOtherUid), 0);
        refused("belongs to user id 65534");
        QCOMPARE(::chown(folder.constData(), ::getuid(), ::getgid()), 0);
        QCOMPARE(::chmod(folder.constData(), 0755), 0);
        refused("0755");
        // Its modes are the owner's business: the program never mends them.
        QCOMPARE(QFileInfo(fallback).permissions() & QFile::ReadOther, QFile::ReadOther);

        QCOMPARE(::chmod(folder.constData(), 0700), 0);
        CInstanceChannel channel;
        QVERIFY(channel.Listen());
        QVERIFY(channel.Problem().isEmpty());
    }

    void socketPathTooLongIsTold() {
        QTemporaryDir base;
        QString deep = base.path();
        while (deep.size() < 100)
            deep += QStringLiteral("/folder");
        QVERIFY(QDir().mkpath(deep));
        QCOMPARE(::chmod(QFile::encodeName(deep).constData(), 0700), 0);
        qputenv("XDG_RUNTIME_DIR", deep.toLocal8Bit());
        CInstanceChannel channel;
        QVERIFY(!channel.Listen());
        QVERIFY(!channel.IsHeldElsewhere());
        QVERIFY2(channel.Problem().contains(QStringLiteral("longer than a local socket allows (107)")),
                 qPrintable(channel.Problem()));
        // The name itself stays short, so the ordinary runtime folder fits it easily.
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        QCOMPARE(QFileInfo(CInstanceChannel::ServerName()).fileName().size(), qsizetype(27));
    }

    void peerCredentialsAreChecked() {
        int pair[2];
        QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
        QVERIFY(CInstanceChannel::IsPeerTheUser(pair[0]));
        CInstanceChannel::SetExpectedPeerUid(kOtherUid);
        QVERIFY(!CInstanceChannel::IsPeerTheUser(pair[0]));
        QVERIFY(!CInstanceChannel::IsPeerTheUser(-1));
        ::close(pair[0]);
        ::close(pair[1]);
    }

    // The editor serves nobody but its user: a connection of anyone else is closed unread.
    void editorDropsAnotherUsersConnection() {
        CInstanceChannel editor;
        QVERIFY(editor.Listen());
        QSignalSpy handed(&editor, &CInstanceChannel::FilesHandedOver);
        CInstanceChannel::SetExpectedPeerUid(kOtherUid); // so this process counts as someone else
        const auto stranger = Connect();
        QVERIFY(stranger);
        stranger->write(Request({QStringLiteral("/a.kvd")}));
        QTRY_COMPARE(stranger->state(), QLocalSocket::UnconnectedState);
        QTest::qWait(50);
        QCOMPARE(handed.size(), 0);
    }

    // A start tells nothing to a listener of another user: it would learn the file and answer "ok".
    void startTellsNothingToAnotherUsersListener() {
        const QByteArray path = QFile::encodeName(CInstanceChannel::ServerName());
        ::unlink(path.constData());
        const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), path.size() + 1);
        QCOMPARE(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(::listen(server, 4), 0);
        std::atomic<int> received{-1};
        // The listener answers "ok" to whatever arrives, in a thread of its own while the start waits.
        std::thread listener([server, &received] {
            pollfd wait{server, POLLIN, 0};
            if (::poll(&wait, 1, 5000) != 1)
                return;
            const int client = ::accept(server, nullptr, nullptr);
            QByteArray got;
            char chunk[256];
            pollfd more{client, POLLIN, 0};
            while (!got.contains("\n\n") && ::poll(&more, 1, 2000) == 1) {
                const ssize_t n = ::read(client, chunk, sizeof chunk);
                if (n <= 0)
                    break;
                got.append(chunk, n);
            }
            if (got.contains("\n\n"))
                (void)!::write(client, "ok\n", 3);
            received = int(got.size());
            ::close(client);
        });
        CInstanceChannel::SetExpectedPeerUid(kOtherUid); // the listener is someone else
        const bool handedOver = CInstanceChannel::HandOver({QStringLiteral("/secret/vault.kvd")});
        listener.join();
        ::close(server);
        ::unlink(path.constData());
        QVERIFY(!handedOver);
        QCOMPARE(received.load(), 0);
    }

    // A client that stays silent is dropped; one that keeps sending is not, however slowly.
    void silentConnectionIsDropped() {
        CInstanceChannel::SetIdleTimeoutMs(400);
        CInstanceChannel editor;
        QVERIFY(editor.Listen());
        QSignalSpy handed(&editor, &CInstanceChannel::FilesHandedOver);
        const auto silent = Connect();
        const auto halfway = Connect();
        const auto slow = Connect();
        QVERIFY(silent && halfway && slow);
        halfway->write("open\n/a.kvd\n");
        QElapsedTimer clock;
        clock.start();
        for (const char piece : Request({QStringLiteral("/b")})) {
            slow->write(&piece, 1);
            slow->flush();
            QTest::qWait(100);
        }
        QVERIFY(clock.elapsed() >= 800);
        QTRY_COMPARE_WITH_TIMEOUT(silent->state(), QLocalSocket::UnconnectedState, 3000);
        QTRY_COMPARE_WITH_TIMEOUT(halfway->state(), QLocalSocket::UnconnectedState, 3000);
        QTRY_COMPARE(handed.size(), 1);
        QCOMPARE(handed.at(0).at(0).toStringList(), QStringList{QStringLiteral("/b")});
    }

    void oversizedRequestIsDropped() {
        CInstanceChannel editor;
        QVERIFY(editor.Listen());
        QSignalSpy handed(&editor, &CInstanceChannel::FilesHandedOver);
        // Just below the limit: hundreds of long names still arrive.
        QStringList many;
        while (Request(many).size() + 200 < 64 * 1024)
            many << QStringLiteral("/files/") + QString(180, QLatin1Char('n')) + QString::number(many.size());
        const auto big = Connect();
        QVERIFY(big);
        big->write(Request(many));
        QTRY_COMPARE(handed.size(), 1);
        QCOMPARE(handed.at(0).at(0).toStringList(), many);

        const auto flood = Connect();
        QVERIFY(flood);
        flood->write("open\n" + QByteArray(70 * 1024, 'x'));
        // Well before the idle timeout would drop it.
        QTRY_COMPARE_WITH_TIMEOUT(flood->state(), QLocalSocket::UnconnectedState, 2000);
        QTest::qWait(50);
        QCOMPARE(handed.size(), 1);
    }

    void atMostEightConnectionsAtOnce() {
        CInstanceChannel editor;
        QVERIFY(editor.Listen());
        QSignalSpy handed(&editor, &CInstanceChannel::FilesHandedOver);
        std::vector<std::unique_ptr<QLocalSocket>> held;
        for (int i = 0; i < 8; ++i) {
            held.push_back(Connect());
            QVERIFY(held.back());
        }
        QTest::qWait(100); // the editor takes them
        const auto ninth = Connect();
        QVERIFY(ninth);
        QTRY_COMPARE(ninth->state(), QLocalSocket::UnconnectedState);
        for (const auto& socket : held)
            QCOMPARE(socket->state(), QLocalSocket::ConnectedState);
        // One of them done: its place is free for the next.
        held.front()->disconnectFromServer();
        QTest::qWait(100);
        const auto next = Connect();
        QVERIFY(next);
        next->write(Request({QStringLiteral("/next.kvd")}));
        QTRY_COMPARE(handed.size(), 1);
        QCOMPARE(next->readAll(), QByteArray("ok\n"));
    }
};

QTEST_MAIN(TestInstanceChannel)
#include "test_instance_channel.moc"
