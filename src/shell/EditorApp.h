#pragma once

#include "framework/WinApp.h"
#include "shell/LockSettings.h"

#include <QRect>
#include <QSize>
#include <QStringList>
#include <memory>
#include <string>

class CMainFrame;
class CRecoveryKeeper;
class CMultiDocTemplate;

// The parsed command line: the program takes one optional file name.
struct CCommandLineInfo {
    enum ShellCommand { FileNew, FileOpen };
    ShellCommand m_nShellCommand = FileNew;
    QString m_strFileName;

    void ParseCommandLine(const QStringList& arguments);
    // Every file name among the arguments (the program's name first), in order.
    static QStringList FileArguments(const QStringList& arguments);
};

// The application: start-up, the document types, the main window and the per-user settings.
class CEditorApp : public CWinApp {
    Q_OBJECT
public:
    CEditorApp();
    ~CEditorApp() override;

    // The start-up sequence; false ends the program. arguments are the program's, name first.
    bool InitInstance(const QStringList& arguments);

    // Each argument holds its default on entry and the saved value, if any, on return. The screen
    // size defaults are always the current screen's, whatever is passed in.
    void LoadWindowPosition(int& x, int& y, int& cx, int& cy, int& xScreen, int& yScreen);
    // Saves the main window's normal (not maximised, not minimised) rectangle, as read by the frame
    // before it restored a maximised window, and the screen size.
    void SaveWindowPosition(const QRect& normal);
    int GetShowWelcome();
    void SetShowWelcome(int nShow);

    // The screen-lock settings. Loading reads the settings file, when there is one that deciphers, and
    // passes the timeout and the prompt text on to the main frame; otherwise everything stays as it
    // was. Saving writes the file; false when it could not be written.
    void LoadLockSettings();
    bool SaveLockSettings(std::string* why = nullptr);
    static int TimeoutMinutes(int index) { return ::TimeoutMinutes(index); }
    LockSettingsRecord& GetLockSettings() { return m_lockSettings; }
    const LockSettingsRecord& GetLockSettings() const { return m_lockSettings; }

    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    CMultiDocTemplate* GetTextTemplate() const { return m_pTextTemplate; }
    CMultiDocTemplate* GetPasswordsTemplate() const { return m_pPasswordsTemplate; }

    bool HasOpenDocuments() const;
    CRecoveryKeeper* GetRecoveryKeeper() const { return m_pRecoveryKeeper; }

    // The size of the primary screen, in pixels.
    static QSize ScreenSize();

protected:
    // Registers the two document types: the text template first, then the passwords template.
    virtual void RegisterDocTemplates();

    CMultiDocTemplate* m_pTextTemplate = nullptr;
    CMultiDocTemplate* m_pPasswordsTemplate = nullptr;

private:
    void OnAppAbout();
    // SIGTERM and SIGHUP write the recovery copies before the program ends.
    void WatchTermination();

    CRecoveryKeeper* m_pRecoveryKeeper = nullptr;

    std::unique_ptr<CMainFrame> m_pMainFrame;
    // All zero until a settings file has been read: every screen-lock option off.
    LockSettingsRecord m_lockSettings;
    // Why the settings file that is there could not be used at the last load; empty when it could, or
    // when there is none.
    std::string m_strSettingsProblem;
};

// The application object, or null before it exists.
CEditorApp* GetEditorApp();
