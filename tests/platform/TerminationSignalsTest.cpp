#include "platform/TerminationSignals.h"
#include "common/TestRegistry.h"

#include <QTest>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace platform;

namespace {

bool Readable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) == 1 && (p.revents & POLLIN);
}

void (*HandlerOf(int signalNumber))(int) {
    struct sigaction current {};
    ::sigaction(signalNumber, nullptr, &current);
    return current.sa_handler;
}

} // namespace

class TerminationSignalsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
    }
    // Whatever a test did, the process dies of a kill again as it should.
    void cleanup() {
        RemoveTerminationPipe();
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGHUP, SIG_DFL);
    }

    // A real signal to the process (any of its threads may take it) ends up as its number in the
    // pipe, one byte each, and the process lives on.
    void signalsToTheProcessReachThePipe() {
        const int fd = InstallTerminationPipe();
        QVERIFY(fd >= 0);
        QCOMPARE(InstallTerminationPipe(), fd);
        QVERIFY(::fcntl(fd, F_GETFD) & FD_CLOEXEC);
        QVERIFY(::fcntl(fd, F_GETFL) & O_NONBLOCK);
        QVERIFY(!Readable(fd, 0));

        QCOMPARE(::kill(::getpid(), SIGTERM), 0);
        QVERIFY(Readable(fd, 5000));
        unsigned char byte = 0;
        QCOMPARE(::read(fd, &byte, 1), ssize_t(1));
        QCOMPARE(int(byte), SIGTERM);
        QCOMPARE(::read(fd, &byte, 1), ssize_t(-1)); // drained, and reading does not block
        QCOMPARE(errno, EAGAIN);

        QCOMPARE(::kill(::getpid(), SIGHUP), 0);
        QVERIFY(Readable(fd, 5000));
        QCOMPARE(::read(fd, &byte, 1), ssize_t(1));
        QCOMPARE(int(byte), SIGHUP);

        // Removed, the defaults are back, and a new installation gives a working pipe again.
        RemoveTerminationPipe();
        QVERIFY(HandlerOf(SIGTERM) == SIG_DFL);
        QVERIFY(HandlerOf(SIGHUP) == SIG_DFL);
        const int again = InstallTerminationPipe();
        QVERIFY(again >= 0);
        QCOMPARE(::kill(::getpid(), SIGTERM), 0);
        QVERIFY(Readable(again, 5000));
    }

    // Started under nohup, the hang-up stays ignored; a termination is still caught.
    void ignoredHangUpStaysIgnored() {
        ::signal(SIGHUP, SIG_IGN);
        const int fd = InstallTerminationPipe();
        QVERIFY(fd >= 0);
        QVERIFY(HandlerOf(SIGHUP) == SIG_IGN);
        QVERIFY(HandlerOf(SIGTERM) != SIG_DFL);
        QCOMPARE(::kill(::getpid(), SIGHUP), 0);
        QVERIFY(!Readable(fd, 100));
        RemoveTerminationPipe();
        QVERIFY(HandlerOf(SIGHUP) == SIG_IGN);
        QVERIFY(HandlerOf(SIGTERM) == SIG_DFL);
    }
};

LW_REGISTER_TEST(TerminationSignalsTest);
#include "TerminationSignalsTest.moc"
