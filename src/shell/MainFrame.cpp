#include "shell/MainFrame.h"

#include "docs/DocumentEncryptionDlg.h"
#include "docs/TimedFileDialog.h"
#include "framework/ClipboardGuard.h"
#include "framework/DocTemplate.h"
#include "framework/LockClosable.h"
#include "framework/MessageBox.h"
#include "framework/ShellOpen.h"
#include "framework/StatusBar.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "shell/ClipboardSettingsDlg.h"
#include "shell/DesktopLockWatcher.h"
#include "shell/EditorApp.h"
#include "shell/HelpPage.h"
#include "shell/ImportAccounts.h"
#include "shell/LockScreenWnd.h"
#include "shell/NewDocumentDlg.h"
#include "shell/ProductInfo.h"
#include "shell/RecoverUnsavedWork.h"
#include "shell/ReopenDocuments.h"
#include "shell/ScreenLockSettingsDlg.h"
#include "shell/WelcomeDlg.h"
#include "textdoc/EditorView.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QTimerEvent>
#include <QToolBar>
#include <utility>

namespace {

const QChar kPauseMark(1);

// With no document the keys still go somewhere the user can see: the document area, where a reader
// announces the empty workspace. Given before the window shows, it has the focus once shown.
void RestFocusInDocumentArea(CMainFrame* frame) {
    QWidget* current = frame->focusWidget();
    if (!current || current == frame || !current->isVisibleTo(frame))
        frame->MDIClient()->setFocus(Qt::OtherFocusReason);
}

} // namespace

CMainFrame::CMainFrame()
    : m_pScreenLock(new CScreenLock(*this, this)), m_dwLastActivity(m_pScreenLock->m_dwLastActivity),
      m_nLockTimeout(m_pScreenLock->m_nLockTimeout), m_bLocked(m_pScreenLock->m_bLocked),
      m_strPromptText(m_pScreenLock->m_strPromptText) {
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
    MapCommand(ID_FILE_RECOVER, [] { OfferRecovery(true); });
    MapCommand(ID_FILE_REOPEN_LAST_SESSION, [this] { OnReopenLastSession(); });
    MapCommand(
        ID_SETTINGS_REOPEN_DOCUMENTS, [] { SetReopenDocuments(!IsReopenDocumentsOn()); },
        [](CCmdUI& ui) {
            ui.Enable();
            ui.SetCheck(IsReopenDocumentsOn());
        });
    MapCommand(ID_VIEW_WIZARD, [this] { OnViewWizard(); });
    MapCommand(ID_VIEW_LOCK, [this] { Lock(); });
    MapCommand(ID_WINDOW_NEW, [this] { LockWithFixedText(); });
    MapCommand(ID_SETTINGS_SCREEN_LOCK, [this] { OnScreenLockOptions(); });
    MapCommand(ID_SETTINGS_CLIPBOARD, [this] { CClipboardSettingsDlg(this).DoModal(); });
    // With a document active, the document answers these first; here there is none.
    MapCommand(ID_SETTINGS_DOCUMENT_ENCRYPTION, [] { CDocumentEncryptionDlg::Run(nullptr); });
    MapUpdate(ID_INDICATOR_ENCRYPTION, [](CCmdUI& ui) { ui.SetText(QString()); });
    WatchDesktopLock();
}

CMainFrame::~CMainFrame() {
    // The lock refers to the frame as its host: it goes while the frame is still whole.
    m_pScreenLock.reset();
}

QRect CMainFrame::DefaultPlacement(const QRect& available) {
    // Three quarters of the free screen, but room for the account form with its buttons where the
    // screen has it; centred.
    const QSize size = QSize(available.width() * 3 / 4, available.height() * 3 / 4)
                           .expandedTo(QSize(1000, 700))
                           .boundedTo(available.size());
    QRect placement(QPoint(), size);
    placement.moveCenter(available.center());
    return placement;
}

QRect CMainFrame::PreCreateWindow() {
    const QSize screen = CEditorApp::ScreenSize();
    const QScreen* primary = QGuiApplication::primaryScreen();
    const QRect placement = DefaultPlacement(primary ? primary->availableGeometry() : QRect(QPoint(), screen));
    int x = placement.x(), y = placement.y(), cx = placement.width(), cy = placement.height();
    int xScreen = screen.width(), yScreen = screen.height();
    if (CEditorApp* app = GetEditorApp())
        app->LoadWindowPosition(x, y, cx, cy, xScreen, yScreen);
    // A placement saved on a screen of another size may lie off this one: use the defaults then.
    if (xScreen != screen.width() || yScreen != screen.height() || cx <= 0 || cy <= 0)
        return placement;
    return QRect(x, y, cx, cy);
}

bool CMainFrame::LoadFrame(int nIDResource) {
    setGeometry(PreCreateWindow());
    if (OnCreate() == -1)
        return false;
    if (!LoadMenu(nIDResource) || !LoadMenu(IDR_ETXTYPE) || !LoadAccelTable(nIDResource))
        return false;
    ShowMenu(nIDResource);
    RestFocusInDocumentArea(this);
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
    ShowClipboardTime();
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
    m_pScreenLock->StampActivity();
    return 0;
}

void CMainFrame::ShowClipboardTime() {
    // The seconds a copied password has left on the clipboard, as the application's guard counts them.
    const int nPane = GetStatusBar()->CommandToIndex(ID_INDICATOR_CLIPBOARD);
    GetStatusBar()->SetPaneInfo(nPane, ID_INDICATOR_CLIPBOARD,
                                GetStatusBar()->fontMetrics().horizontalAdvance(QStringLiteral(" Clipboard: 3600 s ")) +
                                    12);
    GetStatusBar()->GetPane(nPane)->setToolTip(QStringLiteral("Time until a copied password leaves the clipboard"));
    if (CClipboardGuard* guard = CClipboardGuard::Get())
        connect(guard, &CClipboardGuard::TimeLeftChanged, this,
                [this, nPane](const QString& text) { SetStatusPaneText(nPane, text); });
}

void CMainFrame::SetStatusPaneText(int nPane, const QString& text) {
    if (CStatusBar* bar = GetStatusBar())
        bar->SetPaneText(nPane, text);
}

void CMainFrame::OnTimer() {
    // Caps Lock and Num Lock may change in any window, ours or not; the panes follow within a tick.
    UpdateStatusPanes();
    m_pScreenLock->OnTick();
}

const LockSettingsRecord& CMainFrame::LoadSettings() {
    CEditorApp* app = GetEditorApp();
    if (!app)
        return Settings();
    app->LoadLockSettings();
    return app->GetLockSettings();
}

const LockSettingsRecord& CMainFrame::Settings() {
    // Without an application every option is off, as before a settings file has been read.
    static const LockSettingsRecord kNone;
    const CEditorApp* app = GetEditorApp();
    return app ? app->GetLockSettings() : kNone;
}

QRect CMainFrame::LockRect() const {
    QWidget* bar = menuWidget();
    const int top = bar && bar->isVisible() ? bar->geometry().bottom() + 1 : 0;
    return QRect(0, top, width(), qMax(0, height() - top));
}

void CMainFrame::Cover(const QString& firstLine) {
    // The frame's own idea of its focus: it holds also when a dialog or another program is active.
    QWidget* focus = focusWidget();
    m_pFocusBeforeLock = focus && focus->window() == this ? focus : nullptr;
    m_pActiveBeforeLock = MDIClient() ? MDIClient()->activeSubWindow() : nullptr;
    m_sizeLocked = size();

    auto* lockWnd = new CLockScreenWnd();
    if (lockWnd->Create(LockRect(), this)) {
        lockWnd->AddLine(firstLine);
        lockWnd->AddLine(kPauseMark + QStringLiteral(" 2"));
        lockWnd->AddLine(QString());
        lockWnd->SetCursorMode(true, true);
        lockWnd->AddLine(kPauseMark + QStringLiteral(" 10"));
        lockWnd->raise();
        lockWnd->show();
        // Keys then go to the lock window rather than to a document behind it. For a screen reader the
        // focus coming here, with its name, is the announcement that the editor locked.
        lockWnd->setAccessibleName(QStringLiteral("Lockwarden Editor is locked"));
        lockWnd->setAccessibleDescription(
            QStringLiteral("Press any key or click to unlock; the screen password may be asked."));
        lockWnd->setFocusPolicy(Qt::StrongFocus);
        lockWnd->setFocus();
        m_pLockWnd = lockWnd;
    } else {
        delete lockWnd;
    }
    // Covered is not enough: the documents leave the screen and the accessibility tree, so that nothing
    // that reads widgets rather than pixels reaches them. The menu is the one with no document.
    if (MDIClient())
        MDIClient()->setEnabled(false);
    ShutOutDocuments(true);
    if (GetToolBar())
        GetToolBar()->setEnabled(false);
    CloseWindowsForLock(this);
    // The title names no document while locked.
    OnUpdateFrameTitle();
    ShowMenu(IDR_MAINFRAME);

    m_bSizeClamped = m_sizeLocked.width() > 9 || m_sizeLocked.height() > 9;
    if (m_bSizeClamped) {
        m_maxSizeBeforeLock = maximumSize();
        setMinimumSize(m_sizeLocked);
        setMaximumSize(m_sizeLocked);
    }
}

void CMainFrame::Uncover() {
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
    ShutOutDocuments(false);
    if (MDIClient())
        MDIClient()->setEnabled(true);
    if (GetToolBar())
        GetToolBar()->setEnabled(true);
    // Back to the document window and the widget the user was in, not to whichever the toolkit picked
    // while they were disabled.
    if (m_pActiveBeforeLock && MDIClient() && MDIClient()->activeSubWindow() != m_pActiveBeforeLock)
        MDIClient()->setActiveSubWindow(m_pActiveBeforeLock);
    OnChildFramesChanged();
    if (m_pFocusBeforeLock && m_pFocusBeforeLock->isEnabled())
        m_pFocusBeforeLock->setFocus();
    m_pFocusBeforeLock = nullptr;
    m_pActiveBeforeLock = nullptr;
}

void CMainFrame::OnUpdateFrameTitle() {
    if (m_pLockWnd) {
        setWindowTitle(m_strTitle);
        return;
    }
    CMDIFrameWnd::OnUpdateFrameTitle();
}

void CMainFrame::OnUserCommand(int nID) {
    if (m_bLocked) {
        m_pScreenLock->OnUnlockTrigger();
        return;
    }
    CMDIFrameWnd::OnUserCommand(nID);
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
        if (!m_pScreenLock->AskScreenPassword(true, expected.view())) {
            // Ended by the lock, not by the user: the command comes back after the unlock, as it
            // would had its dialog been up already.
            if (m_bLocked)
                m_pScreenLock->MarkForReplay(ID_SETTINGS_SCREEN_LOCK);
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
    // Menu 104 while any document window is open, the frame's own menu 128 otherwise, and while locked.
    bool anyDocument = false;
    for (QMdiSubWindow* sub : MDIClient()->subWindowList()) {
        if (!sub->isHidden())
            anyDocument = true;
    }
    ShowMenu(anyDocument && !m_pLockWnd ? IDR_ETXTYPE : IDR_MAINFRAME);
    CMDIFrameWnd::OnChildFramesChanged();
    UpdatePositionPane();
    if (!anyDocument && !m_pLockWnd)
        RestFocusInDocumentArea(this);
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
    dialog.setWindowTitle(QStringLiteral("Import"));
    dialog.m_nReplayCommand = ID_FILE_IMPORT;
    if (dialog.DoModal() != IDOK)
        return;
    ImportAccountsFile(dialog.GetPathName());
}

void CMainFrame::OpenHandedOverFiles(const QStringList& paths) {
    m_handedOver += paths;
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
    if (m_bLocked) {
        if (m_pScreenLock->IsPrompting()) {
            // The prompt that is up decides; the files are looked at again once it is answered.
            QTimer::singleShot(250, this, [this] { OpenHandedOverFiles({}); });
            return;
        }
        m_pScreenLock->OnUnlockTrigger();
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

void CMainFrame::OnHelp() {
    OpenHelpPage();
}

void CMainFrame::OnHelpWeb() {
    ShellOpen(QUrl(QString::fromLatin1(kProductWebPage)));
}

void CMainFrame::OnReopenLastSession() {
    ReopenDocuments(*this);
    // The Welcome that waited for the unlock is for a start with nothing to show.
    if (CEditorApp* app = GetEditorApp(); app && app->HasOpenDocuments())
        m_pScreenLock->ForgetReplay(ID_VIEW_WIZARD);
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
    if (CEditorApp* editorApp = GetEditorApp())
        editorApp->SaveWindowPosition(normal);
    CWinApp* app = AfxGetApp();
    // The framework's close, with the session noted between its two steps: once every document has
    // been asked (a Cancel keeps everything as it was), and while they are all still open.
    if (app && !app->SaveAllModified())
        return false;
    RememberOpenDocuments(*this);
    if (app)
        app->CloseAllDocuments();
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
