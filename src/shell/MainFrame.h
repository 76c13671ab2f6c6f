#pragma once

#include "framework/MDIFrameWnd.h"
#include "platform/SecureMemory.h"
#include "shell/LockScreenWnd.h"

#include <QBasicTimer>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <string_view>

class QMdiSubWindow;

// The program's main window: its placement, menus 128 and 104, accelerator table 128, tool bar 128,
// the status bar, and the application-wide commands (New, Open, Help, the web page, Welcome).
//
// It also guards the screen. When the user has been idle longer than the lock timeout, on the Lock
// command or at start-up, a lock window covers everything below the menu bar; the next key press,
// click or command asks for the screen password, removes the lock, and runs again the commands whose
// dialogs closed themselves because of the lock (the replay flags).
class CMainFrame : public CMDIFrameWnd {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;

    // The application's main frame, or null before it exists.
    static CMainFrame* Get();
    // Every handler of user input in the views, forms and password dialogs calls this: the user is
    // active now, so the idle time starts again.
    static void StampActivity();

    // Places and builds the window (tool bar, status bar, menus, accelerators); false when that fails.
    bool LoadFrame(int nIDResource);

    // Sets the text of a status bar pane at once; nothing happens before the status bar exists.
    void SetStatusPaneText(int nPane, const QString& text);

    // The New and Open procedures; the documents' own New and Open commands use them too.
    void OnFileNew();
    void OnFileOpen();
    // File, Import: asks for an export file and opens its accounts as a new, unsaved passwords
    // document; a file that can't be imported is named in a message with the line and the reason.
    void OnFileImport();
    // The import itself, without the file dialog; true when the document was made.
    bool ImportAccountsFile(const QString& path);

    // The help page: beside the program, in the installed share folder, or under the current folder;
    // empty when there is none.
    static QString FindHelpPage();

    // Files another start of the program handed over: the window comes to the front and opens each,
    // asking first for the screen password when the screen is locked (a Cancel there opens nothing).
    void OpenHandedOverFiles(const QStringList& paths);

    // The lock state: the time of the last user input (tick count), the idle time in seconds after
    // which the screen locks, and whether it is locked now.
    uint32_t m_dwLastActivity = 0;
    uint32_t m_nLockTimeout = 10;
    bool m_bLocked = false;
    // The first line the lock window shows (the settings' prompt text, refreshed by every load).
    QString m_strPromptText;
    // The frame's size when the lock came; the frame keeps it until it is unlocked.
    QSize m_sizeLocked;

    // Reloads the settings and locks with the prompt text.
    void Lock();
    // Locks with "Press any key to unlock the screen..." and without reloading the settings.
    void LockWithFixedText();
    // Asks for the screen password (when one is set and enabled) and removes the lock; false when the
    // user cancelled. Commands marked for replay are left for the caller.
    bool PromptUnlock();
    CLockScreenWnd* GetLockWnd() const { return m_pLockWnd; }

    // True while locked: every window over the frame is to go (the frame's tick closes them).
    bool ShouldCloseDialogs() const { return m_bLocked; }
    // Whole seconds since the last user input; correct across the wrap of the tick counter.
    uint32_t IdleSeconds() const;

    // Commands to run again after the next unlock, because their dialogs closed for the lock. After
    // a successful unlock they run in this order (both Welcome flags give one Welcome command).
    enum ReplayFlag {
        ReplayWelcomeAtStartup,   // ID_VIEW_WIZARD: the Welcome dialog the start-up lock held back
        ReplayWelcome,            // ID_VIEW_WIZARD
        ReplayNew,                // ID_FILE_NEW
        ReplayScreenLockSettings, // ID_SETTINGS_SCREEN_LOCK
        ReplaySaveAs,             // ID_FILE_SAVE_AS
        ReplayOpen,               // ID_FILE_OPEN
        ReplayImport,             // ID_FILE_IMPORT
        ReplayAbout,              // ID_APP_ABOUT
        kReplayFlagCount
    };
    void SetReplayFlag(ReplayFlag flag, bool bSet = true) { m_bReplay[flag] = bSet ? 1 : 0; }
    bool GetReplayFlag(ReplayFlag flag) const { return m_bReplay[flag] != 0; }

    // The idle check, run by the frame's 100 ms timer: locks once the user has been idle longer than
    // the timeout, when locking when idle is on and the frame is not minimised.
    void OnTimer();

    // While locked, every command (menu, tool bar, accelerator) is swallowed and asks to unlock.
    void OnUserCommand(int nID) override;

    static constexpr const char* kImportFilter =
        "Account Exports (*.csv;*.json)|*.csv;*.json|CSV Files (*.csv)|*.csv|JSON Files (*.json)|*.json|All Files|*|";
    static constexpr const char* kOpenFilter = "Vaultora Encrypted Files (*.etx;*.kvd)|*.etx;*.kvd|Vaultora Encrypted "
                                               "Data Files (*.kvd)|*.kvd|Vaultora Encrypted Text Files (*.etx)|*.etx|";

protected:
    // The placement the window is created with: the saved one, when it was saved on a screen of this size.
    virtual QRect PreCreateWindow();
    // Builds the bars and starts the frame's timer; -1 when something can't be built.
    int OnCreate();

    bool OnClose() override;
    void OnChildFramesChanged() override;

    // The unlock trigger: key presses and left or right clicks aimed at this window or anything in it
    // (never at a dialog) while the screen is locked.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnHelp();
    void OnHelpWeb();
    void OnViewWizard();
    void OnScreenLockOptions();
    // Locks with the desktop session and before sleep, as Settings, "Lock with the Desktop" says.
    void WatchDesktopLock();
    void UpdatePositionPane();
    void CreateClipboardGuard();

    // While locked, nothing of the documents may be reached: the lock window takes the keys, the
    // document area and the tool bar are disabled, and every window over the frame is closed.
    void ShutOutDocuments();
    void LetInDocuments();
    // The screen password that unlocks: the one in force when the lock came, or the one a settings
    // file read since then asks for, when the lock had none (a file may make the lock stricter, never
    // weaker). Empty: any trigger unlocks.
    std::string_view UnlockPassword() const;
    // Input of any kind, in any window of the program, is activity; nothing else is.
    void NoteInput(const QEvent* event);

    void LockWith(const QString& firstLine);
    // The part of the frame the lock window covers: everything below the menu bar.
    QRect LockRect() const;
    // Asks for the screen password until it is right; false on Cancel. With the lock timer the
    // prompt also ends when the screen locks meanwhile.
    bool AskScreenPassword(bool bWithLockTimer, std::string_view expected);
    // A trigger while locked: unlock, then run the commands marked for replay.
    void OnUnlockTrigger();
    void ReplayCommands();

    // Handed-over files wait here while a screen-password prompt is already up.
    QStringList m_handedOver;

    QBasicTimer m_timer;
    class CDesktopLockWatcher* m_pDesktopLock = nullptr;
    QPointer<CLockScreenWnd> m_pLockWnd;
    QPointer<QWidget> m_pFocusBeforeLock;
    QPointer<QMdiSubWindow> m_pActiveBeforeLock;
    // The screen password and its switch as they were when the lock came.
    platform::SecureString m_lockPassword;
    bool m_bLockPasswordOn = false;
    bool m_bReplaying = false;
    QSize m_maxSizeBeforeLock;
    bool m_bSizeClamped = false;
    bool m_bPrompting = false;
    uint8_t m_bReplay[kReplayFlagCount] = {};
};
