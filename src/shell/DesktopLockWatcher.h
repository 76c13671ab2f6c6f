#pragma once

#include <QObject>
#include <QString>

// Locks the editor with the desktop: when the session's screen saver or screen lock comes on
// (org.freedesktop.ScreenSaver ActiveChanged on the session bus), when logind asks this session to
// lock (its Lock signal on the system bus), and before the machine sleeps (logind's PrepareForSleep).
// Where there is no session or system bus it simply listens to nothing, and says nothing about it.
// On or off is the profile value Settings/LockWithDesktop, on unless the user turned it off.
class CDesktopLockWatcher : public QObject {
    Q_OBJECT
public:
    explicit CDesktopLockWatcher(QObject* parent = nullptr);
    ~CDesktopLockWatcher() override;

    bool IsEnabled() const { return m_bEnabled; }
    // Starts or stops listening; with bStore the choice is kept in the profile for the next start.
    void SetEnabled(bool bEnabled, bool bStore);

    // logind's object path of the session with that id (XDG_SESSION_ID).
    static QString SessionPath(const QString& sessionId);

signals:
    // The desktop locked, or the machine is about to sleep: the editor locks now.
    void LockRequested();

private slots:
    void OnActiveChanged(bool bActive);
    void OnPrepareForSleep(bool bStart);
    void OnSessionLock();

private:
    void Listen();
    void StopListening();

    bool m_bEnabled = false;
    bool m_bOnSession = false;
    bool m_bOnSystem = false;
    QString m_strSessionPath;
};
