// The editor locks with the desktop: screen saver and logind signals sent on a private bus that this
// test starts (and ends) itself, standing in for both the session and the system bus.

#include "ShellFixtures.h"
#include "framework/ModalAnswer.h"
#include "res/resource.h"
#include "shell/DesktopLockWatcher.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

const char* const kSender = "lw-test-sender";

void Send(const QString& path, const QString& iface, const QString& name, const QVariantList& args = {}) {
    QDBusMessage signal = QDBusMessage::createSignal(path, iface, name);
    signal.setArguments(args);
    QVERIFY(QDBusConnection(QLatin1String(kSender)).send(signal));
}

void SendActiveChanged(bool bActive) {
    Send(QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("org.freedesktop.ScreenSaver"),
         QStringLiteral("ActiveChanged"), {bActive});
}

} // namespace

class TestDesktopLock : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingEditorApp> m_app;
    GuiTestEnv m_env;
    int m_nProbed = 0;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    CDesktopLockWatcher* Watcher() const { return Frame()->findChild<CDesktopLockWatcher*>(); }
    void Start() {
        QVERIFY(m_env.Start(m_app));
        QVERIFY(Watcher());
    }
    // Waits until this process has seen one more ActiveChanged: every signal sent before it has
    // reached the editor by then.
    void SyncWithBus() {
        const int before = m_nProbed;
        SendActiveChanged(false);
        QTRY_VERIFY(m_nProbed > before);
    }

public slots:
    void Probe(bool) { ++m_nProbed; }

private slots:
    void initTestCase() {
        m_env.Begin(false);
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        QVERIFY(QDBusConnection(QLatin1String(kSender)).isConnected());
        QVERIFY(QDBusConnection::sessionBus().connect(QString(), QString(),
                                                      QStringLiteral("org.freedesktop.ScreenSaver"),
                                                      QStringLiteral("ActiveChanged"), this, SLOT(Probe(bool))));
    }

    void init() { m_env.Reset(); }
    void cleanup() { m_env.Stop(m_app); }

    void screenSaverLocks() {
        Start();
        QVERIFY(Watcher()->IsEnabled());
        SendActiveChanged(false);
        SyncWithBus();
        QVERIFY(!Frame()->m_bLocked);
        SendActiveChanged(true);
        QTRY_VERIFY(Frame()->m_bLocked);
        QVERIFY(Frame()->GetLockWnd());
        // Once locked, another signal changes nothing.
        SendActiveChanged(true);
        SyncWithBus();
        QVERIFY(Frame()->PromptUnlock());
        QVERIFY(!Frame()->m_bLocked);
    }

    // logind: this session's Lock (not another session's) and the start of a sleep (not its end).
    void logindLocks() {
        Start();
        QSignalSpy requests(Watcher(), &CDesktopLockWatcher::LockRequested);
        Send(CDesktopLockWatcher::SessionPath(QStringLiteral("c8")), QStringLiteral("org.freedesktop.login1.Session"),
             QStringLiteral("Lock"));
        Send(QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
             QStringLiteral("PrepareForSleep"), {false});
        SyncWithBus();
        QCOMPARE(requests.count(), 0);
        QVERIFY(!Frame()->m_bLocked);

        Send(CDesktopLockWatcher::SessionPath(QStringLiteral("c7")), QStringLiteral("org.freedesktop.login1.Session"),
             QStringLiteral("Lock"));
        QTRY_VERIFY(Frame()->m_bLocked);
        QCOMPARE(requests.count(), 1);
        QVERIFY(Frame()->PromptUnlock());

        Send(QStringLiteral("/org/freedesktop/login1"), QStringLiteral("org.freedesktop.login1.Manager"),
             QStringLiteral("PrepareForSleep"), {true});
        QTRY_VERIFY(Frame()->m_bLocked);
        QCOMPARE(requests.count(), 2);
    }

    // The Settings menu item: checked by default, and off it stays off, also at the next start.
    void menuSwitchesItOff() {
        Start();
        QVERIFY(Frame()->QueryCommandUI(ID_SETTINGS_DESKTOP_LOCK).IsChecked());
        Frame()->SendCommand(ID_SETTINGS_DESKTOP_LOCK);
        QVERIFY(!Frame()->QueryCommandUI(ID_SETTINGS_DESKTOP_LOCK).IsChecked());
        QCOMPARE(Profile().value(QStringLiteral("Settings/LockWithDesktop")).toInt(), 0);
        SendActiveChanged(true);
        SyncWithBus();
        QVERIFY(!Frame()->m_bLocked);

        cleanup();
        Start();
        QVERIFY(!Watcher()->IsEnabled());
        Frame()->SendCommand(ID_SETTINGS_DESKTOP_LOCK);
        SendActiveChanged(true);
        QTRY_VERIFY(Frame()->m_bLocked);
    }

    void sessionPaths() {
        QCOMPARE(CDesktopLockWatcher::SessionPath(QStringLiteral("c7")),
                 QStringLiteral("/org/freedesktop/login1/session/c7"));
        QCOMPARE(CDesktopLockWatcher::SessionPath(QStringLiteral("12")),
                 QStringLiteral("/org/freedesktop/login1/session/_312"));
        QCOMPARE(CDesktopLockWatcher::SessionPath(QStringLiteral("a-b")),
                 QStringLiteral("/org/freedesktop/login1/session/a_2db"));
    }
};

// The private bus is started before the application, so that nothing in it ever sees the user's
// own buses, and it is ended however the tests went.
int main(int argc, char** argv) {
    QProcess bus;
    bus.setProgram(QStringLiteral("dbus-daemon"));
    bus.setArguments({QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
    bus.start();
    if (!bus.waitForStarted() || !bus.waitForReadyRead(10000)) {
        fprintf(stderr, "cannot start dbus-daemon (Debian package dbus)\n");
        return 1;
    }
    const QByteArray address = bus.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    qputenv("XDG_SESSION_ID", "c7");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 1;
    {
        QApplication app(argc, argv);
        QDBusConnection sender = QDBusConnection::connectToBus(QString::fromLatin1(address), QLatin1String(kSender));
        // The sender plays logind, whose signals the editor takes only from its well-known name.
        sender.registerService(QStringLiteral("org.freedesktop.login1"));
        TestDesktopLock test;
        result = QTest::qExec(&test, argc, argv);
        QDBusConnection::disconnectFromBus(QLatin1String(kSender));
    }
    bus.kill();
    bus.waitForFinished();
    return result;
}

#include "test_desktop_lock.moc"
