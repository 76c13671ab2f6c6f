#pragma once

#include "framework/MDIFrameWnd.h"

#include <QBasicTimer>
#include <QRect>
#include <cstdint>

// The program's main window: its placement, menus 128 and 104, accelerator table 128, tool bar 128,
// the status bar, and the application-wide commands (New, Open, Help, the web page, Welcome).
class CMainFrame : public CMDIFrameWnd {
    Q_OBJECT
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

    // The lock state: the time of the last user input (tick count), the idle time in seconds after
    // which the screen locks, and whether it is locked now.
    uint32_t m_dwLastActivity = 0;
    uint32_t m_nLockTimeout = 10;
    bool m_bLocked = false;

    static constexpr const char* kOpenFilter = "Vaultora Encrypted Files (*.etx;*.kvd)|*.etx;*.kvd|Vaultora Encrypted "
                                               "Data Files (*.kvd)|*.kvd|Vaultora Encrypted Text Files (*.etx)|*.etx|";

protected:
    // The placement the window is created with: the saved one, when it was saved on a screen of this size.
    virtual QRect PreCreateWindow();
    // Builds the bars and starts the frame's timer; -1 when something can't be built.
    int OnCreate();
    // The frame's 100 ms timer; the screen lock's idle check runs here.
    virtual void OnTimer() {}

    bool OnClose() override;
    void OnChildFramesChanged() override;

    void timerEvent(QTimerEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void OnHelp();
    void OnHelpWeb();
    void OnViewWizard();

    QBasicTimer m_timer;
};
