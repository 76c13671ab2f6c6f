#include "common/GuiTestEnv.h"
#include "shell/InstanceChannel.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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
};

QTEST_MAIN(TestInstanceChannel)
#include "test_instance_channel.moc"
