#pragma once

#include "framework/MDIFrameWnd.h"
#include "shell/LockScreenWnd.h"
#include "shell/ScreenLock.h"

#include <QBasicTimer>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <memory>

class QMdiSubWindow;

// The program's main window: its placement, menus 128 and 104, accelerator table 128, tool bar 128,
// the status bar, and the application-wide commands (New, Open, Help, the web page, Welcome).
//
// It also guards the screen. When the user has been idle longer than the lock timeout, on the Lock
// command or at start-up, a lock window covers everything below the menu bar; the next key press,
// click or command asks for the screen password, removes the lock, and runs again the commands whose
// dialogs closed themselves because of the lock (the replay flags).
class CMainFrame : public CMDIFrameWnd, private CScreenLock::Host {
    Q_OBJECT
    // First of the members: the lock's members below refer to it.
    std::unique_ptr<CScreenLock> m_pScreenLock;

public:
    CMainFrame();
    ~CMainFrame() override;

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

    // Files another start of the program handed over: the window comes to the front and opens each,
    // asking first for the screen password when the screen is locked (a Cancel there opens nothing).
    void OpenHandedOverFiles(const QStringList& paths);

    // The screen lock (CScreenLock owns its state; these are its members as the frame shows them): the
    // time of the last user input (tick count), the idle time in seconds after which the screen locks,
    // whether it is locked now, and the first line the lock window shows (the settings' prompt text).
    CScreenLock& ScreenLock() { return *m_pScreenLock; }
    uint32_t& m_dwLastActivity;
    const uint32_t& m_nLockTimeout;
    const bool& m_bLocked;
    const QString& m_strPromptText;
    // The frame's size when the lock came; the frame keeps it until it is unlocked.
    QSize m_sizeLocked;

    // Reloads the settings and locks with the prompt text.
    void Lock() { m_pScreenLock->Lock(); }
    // Locks with "Press any key to unlock the screen..." and without reloading the settings.
    void LockWithFixedText() { m_pScreenLock->LockWithFixedText(); }
    // Asks for the screen password (when one is set and enabled) and removes the lock; false when the
    // user cancelled. Commands marked for replay are left for the caller.
    bool PromptUnlock() { return m_pScreenLock->PromptUnlock(); }
    CLockScreenWnd* GetLockWnd() const { return m_pLockWnd; }
    // "Lockwarden Editor" alone while the lock covers the window: the title names no document then.
    void OnUpdateFrameTitle() override;

    // The frame's 100 ms tick: the status panes of the lock keys, then the lock's idle check.
    void OnTimer();

    // While locked, every command (menu, tool bar, accelerator) is swallowed and asks to unlock.
    void OnUserCommand(int nID) override;

    static constexpr const char* kImportFilter =
        "Account Exports (*.csv;*.json)|*.csv;*.json|CSV Files (*.csv)|*.csv|JSON Files (*.json)|*.json|All Files|*|";
    static constexpr const char* kOpenFilter = "Vaultora Encrypted Files (*.etx;*.kvd)|*.etx;*.kvd|Vaultora Encrypted "
                                               "Data Files (*.kvd)|*.kvd|Vaultora Encrypted Text Files (*.etx)|*.etx|";

    // The first start's placement on a screen with that free area.
    static QRect DefaultPlacement(const QRect& available);

protected:
    // The placement the window is created with: the saved one, when it was saved on a screen of this size.
    virtual QRect PreCreateWindow();
    // Builds the bars and starts the frame's timer; -1 when something can't be built.
    int OnCreate();

    bool OnClose() override;
    void OnChildFramesChanged() override;

    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnHelp();
    void OnHelpWeb();
    void OnViewWizard();
    // The start-up step that reopens the last session's documents, when it waited for the unlock.
    void OnReopenLastSession();
    void OnScreenLockOptions();
    // Locks with the desktop session and before sleep, as Settings, "Lock with the Desktop" says.
    void WatchDesktopLock();
    void UpdatePositionPane();
    void ShowClipboardTime();

    // The lock's host: the window side of locking. While locked, nothing of the documents may be
    // reached: the lock window takes the keys, the document area and the tool bar are disabled, every
    // window over the frame is closed, and the frame can be moved and minimised but not resized.
    QWidget* LockedWindow() override { return this; }
    const LockSettingsRecord& LoadSettings() override;
    const LockSettingsRecord& Settings() override;
    void Cover(const QString& firstLine) override;
    void Uncover() override;
    void RunCommand(int nID) override { SendCommand(nID); }
    // The part of the frame the lock window covers: everything below the menu bar.
    QRect LockRect() const;

    // Handed-over files wait here while a screen-password prompt is already up.
    QStringList m_handedOver;

    QBasicTimer m_timer;
    class CDesktopLockWatcher* m_pDesktopLock = nullptr;
    QPointer<CLockScreenWnd> m_pLockWnd;
    QPointer<QWidget> m_pFocusBeforeLock;
    QPointer<QMdiSubWindow> m_pActiveBeforeLock;
    QSize m_maxSizeBeforeLock;
    bool m_bSizeClamped = false;
};
