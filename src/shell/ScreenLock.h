#pragma once

#include "docs/LockGate.h"
#include "platform/SecureMemory.h"

#include <QString>
#include <cstdint>
#include <set>
#include <string_view>

class QWidget;
struct LockSettingsRecord;

// The screen lock: whether the screen is locked, the activity stamp and the idle check, the settings
// held at lock time, the one application-wide input filter (what counts as activity, and what
// triggers the unlock while locked), the unlock prompt and the commands to run again afterwards.
// What the lock looks like - the window that covers, what is disabled, where the focus goes back to -
// is the host's business (the main frame).
class CScreenLock : public CLockGate {
    Q_OBJECT
public:
    class Host {
    public:
        virtual ~Host() = default;
        // The window the lock covers; input aimed at it or anything in it unlocks.
        virtual QWidget* LockedWindow() = 0;
        // Reads the settings file again (passing them on through ApplySettings) and returns the record,
        // unchanged when the file can't be read.
        virtual const LockSettingsRecord& LoadSettings() = 0;
        virtual const LockSettingsRecord& Settings() = 0;
        // Puts up the lock window with the first line of its script and shuts the documents out.
        virtual void Cover(const QString& firstLine) = 0;
        // Takes the lock window away and lets the user back to where they were.
        virtual void Uncover() = 0;
        // Runs a command as if the user had chosen it.
        virtual void RunCommand(int nID) = 0;
    };

    explicit CScreenLock(Host& host, QObject* parent = nullptr);
    ~CScreenLock() override;

    // Reloads the settings and locks with the prompt text.
    void Lock();
    // Locks with "Press any key to unlock the screen..." and without reloading the settings.
    void LockWithFixedText();

    bool IsLocked() const override { return m_bLocked; }
    bool PromptUnlock() override;
    void MarkForReplay(int nCommandID) override;
    void ForgetReplay(int nCommandID) { m_replay.erase(nCommandID); }
    bool IsMarkedForReplay(int nCommandID) const { return m_replay.count(nCommandID) != 0; }
    bool IsAnyMarkedForReplay() const { return !m_replay.empty(); }

    // A key, a click or a command while locked: unlock, then run the commands marked for replay.
    void OnUnlockTrigger();
    // True while the screen-password prompt of an unlock is up.
    bool IsPrompting() const { return m_bPrompting; }

    // The idle check, run every 100 ms: locks once the user has been idle longer than the timeout (when
    // locking when idle is on and the window is not minimised); while locked, closes whatever came up
    // over the window since.
    void OnTick();
    // Whole seconds since the last user input; correct across the wrap of the tick counter.
    uint32_t IdleSeconds() const;
    void StampActivity();

    // The timeout and the prompt text of a settings record that was read, as they are to be used; the
    // settings dialog's OK passes the timeout alone (the prompt text follows at the next lock).
    void ApplySettings(const LockSettingsRecord& settings, bool bWithPromptText = true);

    // Asks for the screen password until it is right; false on Cancel. With the lock timer the prompt
    // also ends when the screen locks meanwhile.
    bool AskScreenPassword(bool bWithLockTimer, std::string_view expected);

    // The time of the last user input (tick count); the main frame shows it as its own member.
    uint32_t m_dwLastActivity = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The main frame shows these as its own members, read-only.
    friend class CMainFrame;
    uint32_t m_nLockTimeout = 10;
    bool m_bLocked = false;
    QString m_strPromptText;

    void LockWith(const QString& firstLine);
    // The screen password that unlocks: the one in force when the lock came, or the one a settings file
    // read since then asks for, when the lock had none (a file may make the lock stricter, never
    // weaker). Empty: any trigger unlocks.
    std::string_view UnlockPassword();
    void ReplayCommands();

    Host& m_host;
    std::set<int> m_replay;
    platform::SecureString m_lockPassword;
    bool m_bLockPasswordOn = false;
    bool m_bPrompting = false;
    bool m_bReplaying = false;
};
