#include "shell/DesktopLockWatcher.h"

#include "framework/WinApp.h"

#include <QDBusConnection>
#include <QFileInfo>

namespace {

const char* const kSection = "Settings";
const char* const kEntry = "LockWithDesktop";

const char* const kScreenSaverInterfaces[] = {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver"};
const char* const kLogin1Service = "org.freedesktop.login1";
const char* const kLogin1Path = "/org/freedesktop/login1";
const char* const kLogin1Manager = "org.freedesktop.login1.Manager";
const char* const kLogin1Session = "org.freedesktop.login1.Session";

// Asking Qt for a bus that isn't there makes the D-Bus library try to start one (autolaunch) or
// complain; a desktop without a bus is normal, so only a bus that is announced is used.
bool SessionBusAnnounced() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

bool SystemBusAnnounced() {
    return !qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS") ||
           QFileInfo::exists(QStringLiteral("/run/dbus/system_bus_socket")) ||
           QFileInfo::exists(QStringLiteral("/var/run/dbus/system_bus_socket"));
}

} // namespace

CDesktopLockWatcher::CDesktopLockWatcher(QObject* parent) : QObject(parent) {
    CWinApp* app = AfxGetApp();
    const bool bOn = !app || app->GetProfileInt(QLatin1String(kSection), QLatin1String(kEntry), 1) != 0;
    SetEnabled(bOn, false);
}

CDesktopLockWatcher::~CDesktopLockWatcher() {
    StopListening();
}

QString CDesktopLockWatcher::SessionPath(const QString& sessionId) {
    // logind escapes every byte that is not a letter or digit (and a leading digit) as _xx.
    QString path = QStringLiteral("/org/freedesktop/login1/session/");
    if (sessionId.isEmpty())
        return path + QLatin1Char('_');
    const QByteArray bytes = sessionId.toUtf8();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const bool bPlain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (i > 0 && c >= '0' && c <= '9');
        if (bPlain)
            path += QLatin1Char(c);
        else
            path += QStringLiteral("_%1").arg(static_cast<unsigned char>(c), 2, 16, QLatin1Char('0'));
    }
    return path;
}

void CDesktopLockWatcher::SetEnabled(bool bEnabled, bool bStore) {
    if (bStore) {
        if (CWinApp* app = AfxGetApp())
            app->WriteProfileInt(QLatin1String(kSection), QLatin1String(kEntry), bEnabled ? 1 : 0);
    }
    if (bEnabled == m_bEnabled)
        return;
    m_bEnabled = bEnabled;
    if (bEnabled)
        Listen();
    else
        StopListening();
}

void CDesktopLockWatcher::Listen() {
    if (SessionBusAnnounced()) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            for (const char* iface : kScreenSaverInterfaces)
                bus.connect(QString(), QString(), QLatin1String(iface), QStringLiteral("ActiveChanged"), this,
                            SLOT(OnActiveChanged(bool)));
            m_bOnSession = true;
        }
    }
    if (SystemBusAnnounced()) {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (bus.isConnected()) {
            bus.connect(QLatin1String(kLogin1Service), QLatin1String(kLogin1Path), QLatin1String(kLogin1Manager),
                        QStringLiteral("PrepareForSleep"), this, SLOT(OnPrepareForSleep(bool)));
            // Only this session's Lock, when the session is known; any session's otherwise (logind
            // sends it to every session on "loginctl lock-sessions").
            const QString sessionId = qEnvironmentVariable("XDG_SESSION_ID");
            m_strSessionPath = sessionId.isEmpty() ? QString() : SessionPath(sessionId);
            bus.connect(QLatin1String(kLogin1Service), m_strSessionPath, QLatin1String(kLogin1Session),
                        QStringLiteral("Lock"), this, SLOT(OnSessionLock()));
            m_bOnSystem = true;
        }
    }
}

void CDesktopLockWatcher::StopListening() {
    if (m_bOnSession) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        for (const char* iface : kScreenSaverInterfaces)
            bus.disconnect(QString(), QString(), QLatin1String(iface), QStringLiteral("ActiveChanged"), this,
                           SLOT(OnActiveChanged(bool)));
        m_bOnSession = false;
    }
    if (m_bOnSystem) {
        QDBusConnection bus = QDBusConnection::systemBus();
        bus.disconnect(QLatin1String(kLogin1Service), QLatin1String(kLogin1Path), QLatin1String(kLogin1Manager),
                       QStringLiteral("PrepareForSleep"), this, SLOT(OnPrepareForSleep(bool)));
        bus.disconnect(QLatin1String(kLogin1Service), m_strSessionPath, QLatin1String(kLogin1Session),
                       QStringLiteral("Lock"), this, SLOT(OnSessionLock()));
        m_bOnSystem = false;
    }
}

void CDesktopLockWatcher::OnActiveChanged(bool bActive) {
    if (bActive && m_bEnabled)
        emit LockRequested();
}

void CDesktopLockWatcher::OnPrepareForSleep(bool bStart) {
    if (bStart && m_bEnabled)
        emit LockRequested();
}

void CDesktopLockWatcher::OnSessionLock() {
    if (m_bEnabled)
        emit LockRequested();
}
