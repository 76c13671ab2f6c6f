#include "common/GuiTestEnv.h"
#include "shell/InstanceChannel.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

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
