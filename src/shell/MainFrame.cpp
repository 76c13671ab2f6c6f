#include "shell/MainFrame.h"

#include "framework/DocTemplate.h"
#include "framework/FileDialog.h"
#include "framework/ShellOpen.h"
#include "framework/StatusBar.h"
#include "platform/TickCount.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/NewDocumentDlg.h"
#include "shell/ProductInfo.h"
#include "shell/WelcomeDlg.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTimerEvent>
#include <QToolBar>

CMainFrame::CMainFrame() {
    m_strTitle = LoadResString(AFX_IDS_APP_TITLE);
    setWindowTitle(m_strTitle);
    setWindowIcon(LoadResIcon(IDR_MAINFRAME));
    setObjectName(QStringLiteral("mainframe"));

    MapCommand(ID_HELP, [this] { OnHelp(); });
    MapCommand(ID_HELP_WEB, [this] { OnHelpWeb(); });
    MapCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    MapCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    MapCommand(ID_VIEW_WIZARD, [this] { OnViewWizard(); });
    // ID_VIEW_LOCK, ID_WINDOW_NEW and ID_SETTINGS_SCREEN_LOCK belong to the screen lock, which maps them
    // here; until it does, they show disabled.
}

CMainFrame::~CMainFrame() = default;

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
    if (!CreateStatusBar(
            {AFX_IDS_IDLEMESSAGE, ID_INDICATOR_POSITION, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL}))
        return -1;
    GetStatusBar()->SetPaneInfo(1, ID_INDICATOR_POSITION, 90);
    // Qt does not tell the state of the lock keys, so their indicators are shown dimmed.
    for (int i = 2; i < GetStatusBar()->GetPaneCount(); ++i)
        GetStatusBar()->GetPane(i)->setEnabled(false);

    m_timer.start(100, this);
    m_dwLastActivity = platform::GetTickCount();
    m_bLocked = false;
    return 0;
}

void CMainFrame::SetStatusPaneText(int nPane, const QString& text) {
    if (CStatusBar* bar = GetStatusBar())
        bar->SetPaneText(nPane, text);
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
    CFileDialog dialog(true, QString(), QString(), OFN_FILEMUSTEXIST, QString::fromLatin1(kOpenFilter), this);
    if (dialog.DoModal() != IDOK)
        return;
    if (CWinApp* app = AfxGetApp())
        app->OpenDocumentFile(dialog.GetPathName());
}

void CMainFrame::OnHelp() {
    ShellOpenFile(QDir::currentPath() + QStringLiteral("/Help/42.html"));
}

void CMainFrame::OnHelpWeb() {
    ShellOpen(QUrl(QString::fromLatin1(kProductWebPage)));
}

void CMainFrame::OnViewWizard() {
    CWelcomeDlg dialog(this);
    dialog.DoModal();
}

bool CMainFrame::OnClose() {
    if (isMinimized() || isMaximized() || isFullScreen())
        showNormal();
    if (CEditorApp* app = GetEditorApp())
        app->SaveWindowPosition();
    if (!CMDIFrameWnd::OnClose())
        return false;
    m_timer.stop();
    return true;
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasUrls())
        return;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            event->acceptProposedAction();
            return;
        }
    }
}

void CMainFrame::dropEvent(QDropEvent* event) {
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
