#include "shell/EditorApp.h"

#include "controls/Controls.h"
#include "docs/RecoveryKeeper.h"
#include "framework/ClipboardGuard.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "passwords/VaultoraDoc.h"
#include "passwords/VaultoraView.h"
#include "platform/TerminationSignals.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "shell/AboutDlg.h"
#include "shell/MainFrame.h"
#include "shell/RecoverUnsavedWork.h"
#include "shell/ReopenDocuments.h"
#include "shell/WelcomeDlg.h"
#include "textdoc/ChildFrame.h"
#include "textdoc/EditorDoc.h"
#include "textdoc/EditorView.h"
#include "workspace/VaultoraChildFrame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>
#include <csignal>
#include <unistd.h>

namespace {
const QString kSettings = QStringLiteral("Settings");
}

CEditorApp* GetEditorApp() {
    return dynamic_cast<CEditorApp*>(AfxGetApp());
}

QStringList CCommandLineInfo::FileArguments(const QStringList& arguments) {
    QStringList files;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument.isEmpty() || (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")))
            continue;
        files.push_back(argument);
    }
    return files;
}

void CCommandLineInfo::ParseCommandLine(const QStringList& arguments) {
    // The first file name counts; the desktop passes one file per start.
    const QStringList files = FileArguments(arguments);
    if (files.isEmpty())
        return;
    m_strFileName = files.front();
    m_nShellCommand = FileOpen;
}

CEditorApp::CEditorApp() : CWinApp(LoadResString(AFX_IDS_APP_TITLE)) {
    RegisterControlClasses();
    // The one guard of copied secrets; the main frame shows its countdown.
    new CClipboardGuard(this);
    MapCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
}

CEditorApp::~CEditorApp() {
    // The frame goes first: its document windows hold views of documents that the templates own.
    m_pMainWnd = nullptr;
    m_pMainFrame.reset();
}

QSize CEditorApp::ScreenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(800, 600);
}

void CEditorApp::RegisterDocTemplates() {
    // The text template first: the framework lists the types in the order they were added.
    m_pTextTemplate = AddDocTemplate(CMultiDocTemplate::Make<CEditorDoc, CChildFrame, CEditorView>(IDR_ETXTYPE));
    m_pPasswordsTemplate =
        AddDocTemplate(CMultiDocTemplate::Make<CVaultoraDoc, CVaultoraChildFrame, CVaultoraView>(IDR_KVDTYPE));
}

bool CEditorApp::InitInstance(const QStringList& arguments) {
    // OLE, control containment and 3-D controls have no counterpart here.
    SetRegistryKey(QStringLiteral("Lockwarden"));
    LoadStdProfileSettings(RECENT_FILE_COUNT);

    RegisterDocTemplates();

    m_pMainFrame = std::make_unique<CMainFrame>();
    m_pMainWnd = m_pMainFrame.get();
    if (!m_pMainFrame->LoadFrame(IDR_MAINFRAME)) {
        m_pMainWnd = nullptr;
        m_pMainFrame.reset();
        return false;
    }

    // A password copied before the lock must not be pasted by whoever finds the screen locked.
    connect(&m_pMainFrame->ScreenLock(), &CLockGate::locked, CClipboardGuard::Get(), &CClipboardGuard::ClearNow);
    // Unsaved work is kept in the recovery folder: every minute, when the screen locks, when the
    // session ends.
    m_pRecoveryKeeper = new CRecoveryKeeper(this);
    connect(&m_pMainFrame->ScreenLock(), &CLockGate::locked, m_pRecoveryKeeper, &CRecoveryKeeper::WriteAll);
    WatchTermination();
    // After the frame exists: loading passes the timeout and the prompt text on to it.
    LoadLockSettings();

    CCommandLineInfo cmdInfo;
    cmdInfo.ParseCommandLine(arguments);
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen) {
        if (!OpenDocumentFile(cmdInfo.m_strFileName))
            return false;
    }

    m_pMainFrame->show();

    // Without a file to open, the screen may lock first; the Welcome dialog then waits for the unlock.
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileNew && m_lockSettings.bLockAtStartup != 0) {
        CScreenLock& lock = m_pMainFrame->ScreenLock();
        lock.ForgetReplay(ID_VIEW_WIZARD);
        lock.Lock();
        // The recovery offer names files: it waits for the unlock, and comes before the Welcome.
        if (HasRecoveryCopies())
            lock.MarkForReplay(ID_FILE_RECOVER);
        // So do the last session's documents, after the recovered work and before the Welcome.
        if (HasDocumentsToReopen())
            lock.MarkForReplay(ID_FILE_REOPEN_LAST_SESSION);
        if (GetShowWelcome() != 0)
            lock.MarkForReplay(ID_VIEW_WIZARD);
    }
    // Settings that are there but can't be used leave every lock off: the user hears of it, at each
    // start until they are set again, and gets their options at once.
    if (!m_strSettingsProblem.empty() && !m_pMainFrame->m_bLocked) {
        AfxMessageBox(QString::fromStdString(m_strSettingsProblem) +
                          QStringLiteral(" The screen lock is off until its options are set again."),
                      MB_ICONEXCLAMATION);
        m_pMainFrame->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
    }
    if (!m_pMainFrame->m_bLocked)
        OfferRecovery(false);
    // A file named on the command line is what the user asked for, not the last session.
    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileNew && !m_pMainFrame->m_bLocked)
        ReopenDocuments(*m_pMainFrame);

    if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileNew && GetShowWelcome() != 0 && !m_pMainFrame->m_bLocked &&
        !HasOpenDocuments()) {
        CWelcomeDlg welcome(m_pMainFrame.get());
        welcome.DoModal();
    }
    return true;
}

bool CEditorApp::HasOpenDocuments() const {
    for (const auto& docTemplate : GetDocTemplates()) {
        if (!docTemplate->GetDocuments().empty())
            return true;
    }
    return false;
}

void CEditorApp::WatchTermination() {
    const int fd = platform::InstallTerminationPipe();
    if (fd < 0)
        return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, notifier, fd] {
        unsigned char signal = 0;
        if (::read(fd, &signal, 1) != 1)
            return;
        notifier->setEnabled(false);
        // A kill or the end of the session: nothing may be asked any more, so the unsaved work goes
        // into the recovery folder, and the program ends the way the signal ends it.
        m_pRecoveryKeeper->WriteAll();
        platform::RemoveTerminationPipe();
        ::raise(signal);
    });
}

void CEditorApp::LoadWindowPosition(int& x, int& y, int& cx, int& cy, int& xScreen, int& yScreen) {
    const QSize screen = ScreenSize();
    x = GetProfileInt(kSettings, QStringLiteral("X"), x);
    y = GetProfileInt(kSettings, QStringLiteral("Y"), y);
    cx = GetProfileInt(kSettings, QStringLiteral("CX"), cx);
    cy = GetProfileInt(kSettings, QStringLiteral("CY"), cy);
    xScreen = GetProfileInt(kSettings, QStringLiteral("XScreen"), screen.width());
    yScreen = GetProfileInt(kSettings, QStringLiteral("YScreen"), screen.height());
}

void CEditorApp::SaveWindowPosition(const QRect& rect) {
    if (!rect.isValid())
        return;
    const QSize screen = ScreenSize();
    WriteProfileInt(kSettings, QStringLiteral("X"), rect.left());
    WriteProfileInt(kSettings, QStringLiteral("Y"), rect.top());
    WriteProfileInt(kSettings, QStringLiteral("CX"), rect.width());
    WriteProfileInt(kSettings, QStringLiteral("CY"), rect.height());
    WriteProfileInt(kSettings, QStringLiteral("XScreen"), screen.width());
    WriteProfileInt(kSettings, QStringLiteral("YScreen"), screen.height());
}

int CEditorApp::GetShowWelcome() {
    return GetProfileInt(kSettings, QStringLiteral("wzrd"), 1);
}

void CEditorApp::SetShowWelcome(int nShow) {
    WriteProfileInt(kSettings, QStringLiteral("wzrd"), nShow);
}

void CEditorApp::LoadLockSettings() {
    m_strSettingsProblem.clear();
    if (!ReadLockSettingsFile(m_lockSettings, &m_strSettingsProblem))
        return;
    if (m_pMainFrame)
        m_pMainFrame->ScreenLock().ApplySettings(m_lockSettings);
}

bool CEditorApp::SaveLockSettings(std::string* why) {
    // A record an older version wrote holds the password itself: it is saved as a verifier from now on.
    if (m_lockSettings.HasScreenPassword() && !m_lockSettings.HoldsVerifier()) {
        const platform::SecureString password(m_lockSettings.ScreenPassword());
        m_lockSettings.StoreScreenPassword(password.view());
    }
    return WriteLockSettingsFile(m_lockSettings, why);
}

void CEditorApp::OnAppAbout() {
    CAboutDlg about;
    about.DoModal();
}
