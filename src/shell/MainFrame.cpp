#include "shell/MainFrame.h"
#include "shell/DesktopLockWatcher.h"
#include "shell/TimedFileDialog.h"

#include "framework/DocTemplate.h"
#include "framework/FileDialog.h"
#include "framework/LockClosable.h"
#include "framework/MessageBox.h"
#include "framework/ShellOpen.h"
#include "framework/StatusBar.h"
#include "passwords/AccountImport.h"
#include "passwords/VaultoraDoc.h"
#include "platform/TickCount.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "shell/ClipboardGuard.h"
#include "shell/ClipboardSettingsDlg.h"
#include "shell/DocumentEncryptionDlg.h"
#include "shell/EditorApp.h"
#include "shell/EnterPasswordDlg.h"
#include "shell/LockScreenWnd.h"
#include "shell/LockSettings.h"
#include "shell/NewDocumentDlg.h"
#include "shell/ProductInfo.h"
#include "shell/ScreenLockSettingsDlg.h"
#include "shell/WelcomeDlg.h"
#include "textdoc/EditorView.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QTimerEvent>
#include <QToolBar>
#include <utility>

namespace {

const QChar kPauseMark(1);
const char* const kFixedLockText = "Press any key to unlock the screen...";
const char* const kWrongScreenPassword = "You have entered an incrorrect screen password. Retry? ";

} // namespace

CMainFrame::CMainFrame() {
    m_strTitle = LoadResString(AFX_IDS_APP_TITLE);
    setWindowTitle(m_strTitle);
    setWindowIcon(LoadResIcon(IDR_MAINFRAME));
    // Document windows and dialogs show the program's icon too, not the toolkit's.
    QApplication::setWindowIcon(windowIcon());
    setObjectName(QStringLiteral("mainframe"));

    MapCommand(ID_HELP, [this] { OnHelp(); });
    MapCommand(ID_HELP_WEB, [this] { OnHelpWeb(); });
    MapCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    MapCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    MapCommand(ID_FILE_IMPORT, [this] { OnFileImport(); });
    MapCommand(ID_VIEW_WIZARD, [this] { OnViewWizard(); });
    MapCommand(ID_VIEW_LOCK, [this] { Lock(); });
    MapCommand(ID_WINDOW_NEW, [this] { LockWithFixedText(); });
    MapCommand(ID_SETTINGS_SCREEN_LOCK, [this] { OnScreenLockOptions(); });
    MapCommand(ID_SETTINGS_CLIPBOARD, [this] { CClipboardSettingsDlg(this).DoModal(); });
    // With a document active, the document answers these first; here there is none.
    MapCommand(ID_SETTINGS_DOCUMENT_ENCRYPTION, [] { CDocumentEncryptionDlg::Run(nullptr); });
    MapUpdate(ID_INDICATOR_ENCRYPTION, [](CCmdUI& ui) { ui.SetText(QString()); });
    WatchDesktopLock();

    qApp->installEventFilter(this);
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
}

CMainFrame* CMainFrame::Get() {
    CEditorApp* app = GetEditorApp();
    return app ? app->GetMainFrame() : nullptr;
}

void CMainFrame::StampActivity() {
    if (CMainFrame* frame = Get())
        frame->m_dwLastActivity = platform::GetTickCount();
}

QRect CMainFrame::PreCreateWindow() {
    const QSize screen = CEditorApp::ScreenSize();
    const int defaultCx = screen.width() / 5 * 3;
    const int defaultCy = screen.height() / 5 * 3;
    int x = 100, y = 100, cx = defaultCx, cy = defaultCy;
    int xScreen = screen.width(), yScreen = screen.height();
    if (CEditorApp* app = GetEditorApp())
        app->LoadWindowPosition(x, y, cx, cy, xScreen, yScreen);
    // A placement saved on a screen of another size may lie off this one: use the defaults then.
    if (xScreen != screen.width() || yScreen != screen.height() || cx <= 0 || cy <= 0)
        return QRect(100, 100, defaultCx, defaultCy);
    return QRect(x, y, cx, cy);
}

bool CMainFrame::LoadFrame(int nIDResource) {
    setGeometry(PreCreateWindow());
    if (OnCreate() == -1)
        return false;
    if (!LoadMenu(nIDResource) || !LoadMenu(IDR_ETXTYPE) || !LoadAccelTable(nIDResource))
        return false;
    ShowMenu(nIDResource);
    // F1 asks for help, as the desktop's help key does everywhere.
    auto* helpKey = new QAction(this);
    helpKey->setShortcut(QKeySequence(Qt::Key_F1));
    helpKey->setShortcutContext(Qt::WindowShortcut);
    connect(helpKey, &QAction::triggered, this, [this] { OnUserCommand(ID_HELP); });
    addAction(helpKey);
    setAcceptDrops(true);
    return true;
}

int CMainFrame::OnCreate() {
    if (!LoadToolBar(IDR_MAINFRAME))
        return -1;
    GetToolBar()->setMovable(true);
    if (!CreateStatusBar({AFX_IDS_IDLEMESSAGE, ID_INDICATOR_POSITION, ID_INDICATOR_ENCRYPTION, ID_INDICATOR_CLIPBOARD,
                          ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL}))
        return -1;
    CreateClipboardGuard();
    // Wide enough for the caret position of a long text, at least the 90 pixels it always had.
    const QString widest = QStringLiteral(" Ln 100001, Col 20011 ");
    GetStatusBar()->SetPaneInfo(1, ID_INDICATOR_POSITION,
                                qMax(90, GetStatusBar()->fontMetrics().horizontalAdvance(widest) + 12));
    const int encryptionPane = GetStatusBar()->CommandToIndex(ID_INDICATOR_ENCRYPTION);
    GetStatusBar()->SetPaneInfo(encryptionPane, ID_INDICATOR_ENCRYPTION, 80);
    GetStatusBar()->GetPane(encryptionPane)->setToolTip(QStringLiteral("How the active document is enciphered"));
    // The lock keys' panes show the keys' state from the start (dimmed where the system does not tell).
    UpdateStatusPanes();

    m_timer.start(100, this);
    m_dwLastActivity = platform::GetTickCount();
    m_bLocked = false;
    return 0;
}

void CMainFrame::CreateClipboardGuard() {
    // Its pane shows the seconds a copied password has left on the clipboard.
    new CClipboardGuard(this);
    const int nPane = GetStatusBar()->CommandToIndex(ID_INDICATOR_CLIPBOARD);
    GetStatusBar()->SetPaneInfo(nPane, ID_INDICATOR_CLIPBOARD,
                                GetStatusBar()->fontMetrics().horizontalAdvance(QStringLiteral(" Clipboard: 3600 s ")) +
                                    12);
    GetStatusBar()->GetPane(nPane)->setToolTip(QStringLiteral("Time until a copied password leaves the clipboard"));
}

void CMainFrame::SetStatusPaneText(int nPane, const QString& text) {
    if (CStatusBar* bar = GetStatusBar())
        bar->SetPaneText(nPane, text);
}

uint32_t CMainFrame::IdleSeconds() const {
    // Unsigned arithmetic: the difference stays right when the tick counter wraps in between.
    return (platform::GetTickCount() - m_dwLastActivity) / 1000u;
}

void CMainFrame::OnTimer() {
    // Caps Lock and Num Lock may change in any window, ours or not; the panes follow within a tick.
    UpdateStatusPanes();
    // A menu merely left open is no activity: only input is (NoteInput).
    if (m_bLocked) {
        // Whatever came up over the frame since the lock (or refused to go at its first tick) goes now.
        CloseWindowsForLock(this);
        return;
    }
    if (isMinimized() || IdleSeconds() <= m_nLockTimeout)
        return;
    CEditorApp* app = GetEditorApp();
    if (app && app->GetLockSettings().bLockWhenIdle != 0)
        Lock();
}

void CMainFrame::Lock() {
    if (CEditorApp* app = GetEditorApp())
        app->LoadLockSettings();
    LockWith(m_strPromptText);
}

void CMainFrame::LockWithFixedText() {
    LockWith(QString::fromLatin1(kFixedLockText));
}

QRect CMainFrame::LockRect() const {
    QWidget* bar = menuWidget();
    const int top = bar && bar->isVisible() ? bar->geometry().bottom() + 1 : 0;
    return QRect(0, top, width(), qMax(0, height() - top));
}

void CMainFrame::LockWith(const QString& firstLine) {
    if (m_bLocked)
        return;
    // The frame's own idea of its focus: it holds also when a dialog or another program is active.
    QWidget* focus = focusWidget();
    m_pFocusBeforeLock = focus && focus->window() == this ? focus : nullptr;
    m_pActiveBeforeLock = MDIClient() ? MDIClient()->activeSubWindow() : nullptr;
    m_sizeLocked = size();
    // What unlocks is decided now; a settings file written while locked can't make it weaker.
    m_bLockPasswordOn = false;
    m_lockPassword.Wipe();
    if (CEditorApp* app = GetEditorApp()) {
        const LockSettingsRecord& settings = app->GetLockSettings();
        m_bLockPasswordOn = settings.bScreenPasswordOn != 0;
        m_lockPassword.assign(settings.ScreenPassword());
    }

    auto* lockWnd = new CLockScreenWnd();
    if (lockWnd->Create(LockRect(), this)) {
        lockWnd->AddLine(firstLine);
        lockWnd->AddLine(kPauseMark + QStringLiteral(" 2"));
        lockWnd->AddLine(QString());
        lockWnd->SetCursorMode(true, true);
        lockWnd->AddLine(kPauseMark + QStringLiteral(" 10"));
        lockWnd->raise();
        lockWnd->show();
        // Keys then go to the lock window rather than to a document behind it.
        lockWnd->setFocusPolicy(Qt::StrongFocus);
        lockWnd->setFocus();
        m_pLockWnd = lockWnd;
    } else {
        delete lockWnd;
    }
    m_bLocked = true;
    ShutOutDocuments();
    // A password copied before the lock must not be pasted by whoever finds the screen locked.
    if (CClipboardGuard* guard = CClipboardGuard::Get())
        guard->ClearNow();

    // Locked, the frame can be moved and minimised but not resized.
    m_bSizeClamped = m_sizeLocked.width() > 9 || m_sizeLocked.height() > 9;
    if (m_bSizeClamped) {
        m_maxSizeBeforeLock = maximumSize();
        setMinimumSize(m_sizeLocked);
        setMaximumSize(m_sizeLocked);
    }
}

void CMainFrame::ShutOutDocuments() {
    if (MDIClient())
        MDIClient()->setEnabled(false);
    if (GetToolBar())
        GetToolBar()->setEnabled(false);
    CloseWindowsForLock(this);
}

void CMainFrame::LetInDocuments() {
    if (MDIClient())
        MDIClient()->setEnabled(true);
    if (GetToolBar())
        GetToolBar()->setEnabled(true);
    // Back to the document window and the widget the user was in, not to whichever the toolkit picked
    // while they were disabled.
    if (m_pActiveBeforeLock && MDIClient() && MDIClient()->activeSubWindow() != m_pActiveBeforeLock)
        MDIClient()->setActiveSubWindow(m_pActiveBeforeLock);
    if (m_pFocusBeforeLock && m_pFocusBeforeLock->isEnabled())
        m_pFocusBeforeLock->setFocus();
    m_pFocusBeforeLock = nullptr;
    m_pActiveBeforeLock = nullptr;
}

std::string_view CMainFrame::UnlockPassword() const {
    if (m_bLockPasswordOn && !m_lockPassword.empty())
        return m_lockPassword.view();
    const CEditorApp* app = GetEditorApp();
    if (!app)
        return {};
    const LockSettingsRecord& settings = app->GetLockSettings();
    return settings.bScreenPasswordOn != 0 ? settings.ScreenPassword() : std::string_view();
}

bool CMainFrame::AskScreenPassword(bool bWithLockTimer, std::string_view expected) {
    for (;;) {
        CEnterPasswordDlg prompt(this);
        prompt.m_bScreenMode = 1;
        prompt.m_bTimerOn = bWithLockTimer ? 1 : 0;
        if (prompt.DoModal() != IDOK)
            return false;
        const platform::SecureString entered = prompt.TakePassword();
        // The stored password was cut to the record's field; what is typed is compared the same way.
        const std::string_view typed = LockSettingsRecord::CutUtf8(entered.view(), LockSettingsRecord::kTextSize - 1);
        if (typed == expected)
            return true;
        if (AfxMessageBox(QString::fromLatin1(kWrongScreenPassword), MB_RETRYCANCEL | MB_ICONHAND) != IDRETRY)
            return false;
    }
}

bool CMainFrame::PromptUnlock() {
    if (CEditorApp* app = GetEditorApp()) {
        app->LoadLockSettings();
        // A copy: the prompt's message loop may read the settings file again meanwhile.
        const platform::SecureString expected(m_bLocked ? UnlockPassword() : app->GetLockSettings().ScreenPassword());
        const bool asked = m_bLocked || app->GetLockSettings().bScreenPasswordOn != 0;
        if (asked && !expected.empty() && !AskScreenPassword(false, expected.view()))
            return false;
    }

    if (m_pLockWnd) {
        // The lock window may be the very widget whose event led here: let it go once that is over.
        m_pLockWnd->close();
        m_pLockWnd->hide();
        m_pLockWnd->deleteLater();
        m_pLockWnd = nullptr;
    }
    if (m_bSizeClamped) {
        // The frame sets no minimum size of its own: a zero one hands it back to the window's layout,
        // which knows what the bars and the document area need.
        setMinimumSize(0, 0);
        setMaximumSize(m_maxSizeBeforeLock);
        if (layout())
            layout()->activate();
        m_bSizeClamped = false;
    }
    m_bLocked = false;
    m_bLockPasswordOn = false;
    m_lockPassword.Wipe();
    m_dwLastActivity = platform::GetTickCount();
    LetInDocuments();
    return true;
}

void CMainFrame::OnUnlockTrigger() {
    // One question at a time: triggers that arrive while the prompt is up are dropped.
    if (m_bPrompting)
        return;
    m_bPrompting = true;
    const bool unlocked = PromptUnlock();
    m_bPrompting = false;
    if (unlocked)
        ReplayCommands();
}

void CMainFrame::ReplayCommands() {
    // An unlock during a replayed command (its message box stayed over a new lock) leaves the rest to
    // the replay already under way, which goes on in order once that command is over.
    if (m_bReplaying)
        return;
    m_bReplaying = true;
    static constexpr std::pair<ReplayFlag, int> kReplays[] = {
        {ReplayWelcome, ID_VIEW_WIZARD},
        {ReplayNew, ID_FILE_NEW},
        {ReplayScreenLockSettings, ID_SETTINGS_SCREEN_LOCK},
        {ReplaySaveAs, ID_FILE_SAVE_AS},
        {ReplayOpen, ID_FILE_OPEN},
        {ReplayImport, ID_FILE_IMPORT},
        {ReplayAbout, ID_APP_ABOUT},
    };
    // Each command runs to the end, its dialog included, before the next flag is looked at. Locked
    // again meanwhile, the rest waits for the next unlock: their dialogs would only flash on the
    // locked screen, and a dialog closed by the new lock has set its flag again.
    for (const auto& [flag, nID] : kReplays) {
        if (m_bLocked)
            break;
        bool set = GetReplayFlag(flag);
        if (flag == ReplayWelcome) {
            set = set || GetReplayFlag(ReplayWelcomeAtStartup);
            SetReplayFlag(ReplayWelcomeAtStartup, false);
        }
        if (!set)
            continue;
        SetReplayFlag(flag, false);
        SendCommand(nID);
    }
    m_bReplaying = false;
}

void CMainFrame::OnUserCommand(int nID) {
    if (m_bLocked) {
        OnUnlockTrigger();
        return;
    }
    CMDIFrameWnd::OnUserCommand(nID);
}

void CMainFrame::NoteInput(const QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        m_dwLastActivity = platform::GetTickCount();
        break;
    default:
        break;
    }
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType())
        return false;
    // Typing or clicking in a dialog of the program counts as much as in a document.
    if (!m_bLocked) {
        NoteInput(event);
        return false;
    }
    if (static_cast<QWidget*>(watched)->window() != this)
        return false;
    bool trigger = false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        // Alt and its combinations are the system's keys, not a trigger.
        const auto* key = static_cast<QKeyEvent*>(event);
        trigger = key->key() != Qt::Key_Alt && !(key->modifiers() & Qt::AltModifier);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        trigger = button == Qt::LeftButton || button == Qt::RightButton;
        break;
    }
    default:
        break;
    }
    if (!trigger)
        return false;
    OnUnlockTrigger();
    return true;
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    CMDIFrameWnd::resizeEvent(event);
    if (m_pLockWnd)
        m_pLockWnd->setGeometry(LockRect());
}

void CMainFrame::OnScreenLockOptions() {
    CEditorApp* app = GetEditorApp();
    if (!app)
        return;
    app->LoadLockSettings();
    const LockSettingsRecord& settings = app->GetLockSettings();
    if (settings.bScreenPasswordOn != 0 && !settings.ScreenPassword().empty()) {
        const platform::SecureString expected(settings.ScreenPassword());
        if (!AskScreenPassword(true, expected.view())) {
            // Ended by the lock, not by the user: the command comes back after the unlock, as it
            // would had its dialog been up already.
            if (m_bLocked)
                SetReplayFlag(ReplayScreenLockSettings);
            return;
        }
    }
    CScreenLockSettingsDlg dialog(this);
    dialog.DoModal();
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_timer.timerId()) {
        OnTimer();
        return;
    }
    CMDIFrameWnd::timerEvent(event);
}

void CMainFrame::OnChildFramesChanged() {
    // Menu 104 while any document window is open, the frame's own menu 128 otherwise.
    bool anyDocument = false;
    for (QMdiSubWindow* sub : MDIClient()->subWindowList()) {
        if (!sub->isHidden())
            anyDocument = true;
    }
    ShowMenu(anyDocument ? IDR_ETXTYPE : IDR_MAINFRAME);
    CMDIFrameWnd::OnChildFramesChanged();
    UpdatePositionPane();
}

void CMainFrame::UpdatePositionPane() {
    // The caret's place while a text window is the active one, nothing otherwise.
    if (auto* textView = dynamic_cast<CEditorView*>(GetActiveView()))
        textView->UpdateCaretStatus();
    else
        SetStatusPaneText(1, QString());
}

void CMainFrame::OnFileNew() {
    CNewDocumentDlg dialog(this);
    const int result = dialog.DoModal();
    CEditorApp* app = GetEditorApp();
    if (!app)
        return;
    CMultiDocTemplate* docTemplate = nullptr;
    if (result == CNewDocumentDlg::kTextDocument)
        docTemplate = app->GetTextTemplate();
    else if (result == CNewDocumentDlg::kPasswordsDocument)
        docTemplate = app->GetPasswordsTemplate();
    if (docTemplate)
        docTemplate->OpenDocumentFile(QString());
}

void CMainFrame::OnFileOpen() {
    CTimedFileDialog dialog(true, QString(), QString(), OFN_FILEMUSTEXIST, QString::fromLatin1(kOpenFilter), this);
    if (dialog.DoModal() != IDOK)
        return;
    if (CWinApp* app = AfxGetApp())
        app->OpenDocumentFile(dialog.GetPathName());
}

void CMainFrame::OnFileImport() {
    CTimedFileDialog dialog(true, QString(), QString(), OFN_FILEMUSTEXIST, QString::fromLatin1(kImportFilter), this);
    dialog.m_nReplayFlag = ReplayImport;
    if (dialog.DoModal() != IDOK)
        return;
    ImportAccountsFile(dialog.GetPathName());
}

bool CMainFrame::ImportAccountsFile(const QString& path) {
    const auto refuse = [](const QString& why) {
        AfxMessageBox(QStringLiteral("Cannot import %1. No document was made.").arg(why), MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    // A pipe or a device would keep the program waiting for an end that may never come.
    const QFileInfo info(path);
    if (!info.exists())
        return refuse(QStringLiteral("\"%1\": the file does not exist").arg(path));
    if (!info.isFile())
        return refuse(QStringLiteral("\"%1\": it is a folder, a device or a pipe, not a file").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("\"%1\": %2").arg(path, file.errorString()));
    // The export holds every password in clear; its bytes are wiped as soon as they are read.
    QByteArray bytes = file.readAll();
    const bool bRead = file.error() == QFileDevice::NoError;
    const QString readError = file.errorString();
    auto lists = std::make_unique<AccountLists>();
    ImportProblem problem;
    const bool bImported =
        bRead && ImportAccounts(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                                ImportFormat::Detect, *lists, problem);
    platform::WipeMemory(bytes.data(), static_cast<size_t>(bytes.size()));
    if (!bRead)
        return refuse(QStringLiteral("\"%1\": %2").arg(path, readError));
    if (!bImported)
        return refuse(QString::fromStdString(DescribeImportProblem(path.toStdString(), problem)));

    CEditorApp* app = GetEditorApp();
    if (!app)
        return false;
    // The accounts are in the document before its window shows them; the document is new, so Save
    // asks for a name and a password, and closing it asks whether to save.
    const QString title = QFileInfo(path).completeBaseName();
    return app->GetPasswordsTemplate()->OpenNewDocument([&lists, &title](CDocument& doc) {
        if (auto* passwords = dynamic_cast<CVaultoraDoc*>(&doc))
            passwords->m_lists.Swap(*lists);
        if (!title.isEmpty())
            doc.SetTitle(title);
        doc.SetModifiedFlag(true);
    }) != nullptr;
}

void CMainFrame::OpenHandedOverFiles(const QStringList& paths) {
    m_handedOver += paths;
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    if (m_bLocked) {
        if (m_bPrompting) {
            // The prompt that is up decides; the files are looked at again once it is answered.
            QTimer::singleShot(250, this, [this] { OpenHandedOverFiles({}); });
            return;
        }
        OnUnlockTrigger();
        if (m_bLocked) {
            m_handedOver.clear();
            return;
        }
    }
    const QStringList files = std::exchange(m_handedOver, {});
    if (CWinApp* app = AfxGetApp()) {
        for (const QString& path : files)
            app->OpenDocumentFile(path);
    }
}

QString CMainFrame::FindHelpPage() {
    // Beside the program (a build or an unpacked copy), in the installed share folder, then under the
    // current folder, where the page has always been looked for.
    const QString page = QStringLiteral("Help/42.html");
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QStringList candidates = {
        programDir.filePath(page),
        programDir.filePath(QStringLiteral("../share/lockwarden-editor/") + page),
        QDir::current().filePath(page),
    };
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile())
            return QDir::cleanPath(candidate);
    }
    return QString();
}

void CMainFrame::OnHelp() {
    const QString page = FindHelpPage();
    if (page.isEmpty()) {
        AfxMessageBox(QStringLiteral("The help page \"Help/42.html\" was not found beside the program, in its "
                                     "installed share folder, or under the current folder."),
                      MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    ShellOpenFile(page);
}

void CMainFrame::OnHelpWeb() {
    ShellOpen(QUrl(QString::fromLatin1(kProductWebPage)));
}

void CMainFrame::OnViewWizard() {
    CWelcomeDlg dialog(this);
    dialog.DoModal();
}

bool CMainFrame::OnClose() {
    // Read before restoring: right after showNormal() the window system has not resized the window
    // yet, and its geometry is still the maximised one.
    const QRect normal = normalGeometry();
    if (isMinimized() || isMaximized() || isFullScreen())
        showNormal();
    if (CEditorApp* app = GetEditorApp())
        app->SaveWindowPosition(normal);
    if (!CMDIFrameWnd::OnClose())
        return false;
    m_timer.stop();
    if (CClipboardGuard* guard = CClipboardGuard::Get())
        guard->ClearNow();
    return true;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    // A locked frame opens nothing: a dropped document would show its password prompt and then itself.
    if (m_bLocked || !event->mimeData()->hasUrls())
        return;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
    // Looked at again where it lands: the screen may have locked since the drag came in.
    if (m_bLocked) {
        event->ignore();
        return;
    }
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths.push_back(url.toLocalFile());
    }
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    activateWindow();
    raise();
    if (CWinApp* app = AfxGetApp()) {
        for (const QString& path : paths)
            app->OpenDocumentFile(path);
    }
}

void CMainFrame::WatchDesktopLock() {
    m_pDesktopLock = new CDesktopLockWatcher(this);
    connect(m_pDesktopLock, &CDesktopLockWatcher::LockRequested, this, [this] {
        if (!m_bLocked)
            Lock();
    });
    MapCommand(
        ID_SETTINGS_DESKTOP_LOCK, [this] { m_pDesktopLock->SetEnabled(!m_pDesktopLock->IsEnabled(), true); },
        [this](CCmdUI& ui) {
            ui.Enable();
            ui.SetCheck(m_pDesktopLock->IsEnabled());
        });
}
