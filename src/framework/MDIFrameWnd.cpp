#include "framework/MDIFrameWnd.h"

#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/KeyboardLocks.h"
#include "framework/MDIChildWnd.h"
#include "framework/MDIClientArea.h"
#include "framework/MenuItemText.h"
#include "framework/RecentFileList.h"
#include "framework/ResourceRegistry.h"
#include "framework/StandardIds.h"
#include "framework/StatusBar.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

namespace {

const char* const kMruProperty = "lw_mru";
const char* const kMruAnchorProperty = "lw_mru_anchor";

QString StatusPrompt(int nID) {
    return AfxLoadString(nID).section(QLatin1Char('\n'), 0, 0);
}

QString RecentFileText(int index, const QString& path) {
    QString shown = path;
    if (shown.size() > 60)
        shown = QStringLiteral(".../") + QFileInfo(path).fileName();
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

} // namespace

CMDIFrameWnd::CMDIFrameWnd() : m_pMdiArea(new CMDIClientArea(this)) {
    setCentralWidget(m_pMdiArea);
    connect(m_pMdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow*) { OnChildFramesChanged(); });

    MapCommand(
        ID_WINDOW_CASCADE, [this] { CascadeWindows(); }, [this](CCmdUI& ui) { ui.Enable(MDIGetActive() != nullptr); });
    MapCommand(
        ID_WINDOW_TILE_HORZ, [this] { TileWindows(); }, [this](CCmdUI& ui) { ui.Enable(MDIGetActive() != nullptr); });
    for (int i = 0; i < AFX_IDM_MORE_WINDOWS - AFX_IDM_FIRST_MDICHILD; ++i) {
        MapCommand(
            AFX_IDM_FIRST_MDICHILD + i,
            [this, i] {
                const QList<QMdiSubWindow*> windows = DocumentWindows();
                if (i < windows.size())
                    ActivateDocumentWindow(windows[i]);
            },
            [this, i](CCmdUI& ui) {
                const QList<QMdiSubWindow*> windows = DocumentWindows();
                ui.Enable(i < windows.size());
                ui.SetCheck(i < windows.size() && windows[i] == m_pMdiArea->currentSubWindow());
            });
    }
    MapCommand(AFX_IDM_MORE_WINDOWS, [this] { ChooseFromMoreWindows(); });
    // The toggle keys' panes are lit while the key is on; off, or where the system does not tell, dimmed.
    for (const auto& indicator :
         {std::pair{ID_INDICATOR_CAPS, LockKey::Caps}, std::pair{ID_INDICATOR_NUM, LockKey::Num},
          std::pair{ID_INDICATOR_SCRL, LockKey::Scroll}}) {
        MapUpdate(indicator.first, [indicator](CCmdUI& ui) {
            ui.SetText(AfxLoadString(indicator.first));
            ui.Enable(IsLockKeyOn(indicator.second).value_or(false));
        });
    }
    auto severalWindows = [this](CCmdUI& ui) { ui.Enable(DocumentWindows().size() > 1); };
    MapCommand(
        SC_NEXTWINDOW, [this] { m_pMdiArea->activateNextSubWindow(); }, severalWindows);
    MapCommand(
        SC_PREVWINDOW, [this] { m_pMdiArea->activatePreviousSubWindow(); }, severalWindows);
    // The system's keys for moving between document windows; they go through the command route so
    // that a locked screen takes them as a wish to unlock, like any other command.
    const std::pair<int, QList<QKeySequence>> windowKeys[] = {
        {SC_NEXTWINDOW, {QKeySequence(Qt::CTRL | Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::Key_Tab)}},
        {SC_PREVWINDOW,
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)}},
    };
    for (const auto& [nID, keys] : windowKeys) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, nID = nID] { OnUserCommand(nID); });
        addAction(action);
    }
    MapCommand(
        ID_WINDOW_ARRANGE, [this] { ArrangeIcons(); }, [this](CCmdUI& ui) { ui.Enable(MDIGetActive() != nullptr); });
    MapCommand(
        ID_VIEW_TOOLBAR, [this] { m_pToolBar->setVisible(!m_pToolBar->isVisibleTo(this)); },
        [this](CCmdUI& ui) {
            ui.Enable(m_pToolBar != nullptr);
            ui.SetCheck(m_pToolBar && m_pToolBar->isVisibleTo(this));
        });
    MapCommand(
        ID_VIEW_STATUS_BAR, [this] { m_pStatusBar->setVisible(!m_pStatusBar->isVisibleTo(this)); },
        [this](CCmdUI& ui) {
            ui.Enable(m_pStatusBar != nullptr);
            ui.SetCheck(m_pStatusBar && m_pStatusBar->isVisibleTo(this));
        });

    m_updateTimer.setInterval(250);
    connect(&m_updateTimer, &QTimer::timeout, this, &CMDIFrameWnd::UpdateToolBarUI);
    m_updateTimer.start();
}

QMdiArea* CMDIFrameWnd::MDIClient() const {
    return m_pMdiArea;
}

void CMDIFrameWnd::ShutOutDocuments(bool bShut) {
    m_pMdiArea->ShutOut(bShut);
}

bool CMDIFrameWnd::AreDocumentsShutOut() const {
    return m_pMdiArea->IsShutOut();
}

CMDIFrameWnd::~CMDIFrameWnd() {
    // The MDI area outlives this part of the object and announces its children going away; those
    // announcements must not reach a frame that is half destroyed.
    if (m_pMdiArea)
        disconnect(m_pMdiArea, nullptr, this, nullptr);
    m_updateTimer.stop();
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
    return dynamic_cast<CMDIChildWnd*>(m_pMdiArea->currentSubWindow());
}

CView* CMDIFrameWnd::GetActiveView() const {
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveView() : nullptr;
}

CDocument* CMDIFrameWnd::GetActiveDocument() const {
    CMDIChildWnd* child = MDIGetActive();
    return child ? child->GetActiveDocument() : nullptr;
}

bool CMDIFrameWnd::SendCommand(int nID) {
    // Each step returns at once after a handler ran: the handler may have closed what follows.
    if (CView* view = GetActiveView(); view && view->OnCmdMsg(nID))
        return true;
    if (CDocument* doc = GetActiveDocument(); doc && doc->OnCmdMsg(nID))
        return true;
    if (CMDIChildWnd* child = MDIGetActive(); child && child->OnCmdMsg(nID))
        return true;
    if (CCmdTarget::OnCmdMsg(nID))
        return true;
    if (CWinApp* app = AfxGetApp(); app && app->OnCmdMsg(nID))
        return true;
    return false;
}

CCmdUI CMDIFrameWnd::QueryCommandUI(int nID) {
    std::vector<CCmdTarget*> route;
    if (CView* view = GetActiveView())
        route.push_back(view);
    if (CDocument* doc = GetActiveDocument())
        route.push_back(doc);
    if (CMDIChildWnd* child = MDIGetActive())
        route.push_back(child);
    route.push_back(this);
    if (CWinApp* app = AfxGetApp())
        route.push_back(app);
    for (CCmdTarget* target : route) {
        CCmdUI ui(nID);
        if (target->OnUpdateCmdUI(nID, ui))
            return ui;
    }
    CCmdUI unhandled(nID);
    unhandled.Enable(false);
    return unhandled;
}

void CMDIFrameWnd::OnUserCommand(int nID) {
    if (IsCommandEnabled(nID))
        SendCommand(nID);
}

QAction* CMDIFrameWnd::NewCommandAction(int nID, const QString& text, QObject* parent) {
    auto* action = new QAction(parent);
    SetMenuItemText(action, text);
    action->setData(nID);
    action->setIcon(AfxCommandIcon(nID));
    action->setStatusTip(StatusPrompt(nID));
    connect(action, &QAction::triggered, this, [this, nID] { OnUserCommand(nID); });
    return action;
}

void CMDIFrameWnd::UpdateMenuUI(QMenu* menu) {
    for (QAction* action : menu->actions()) {
        bool ok = false;
        const int nID = action->data().toInt(&ok);
        if (!ok || nID <= 0)
            continue;
        const CCmdUI ui = QueryCommandUI(nID);
        action->setEnabled(ui.IsEnabled());
        if (ui.IsCheckable()) {
            action->setCheckable(true);
            action->setChecked(ui.IsChecked());
        }
        if (ui.GetText())
            SetMenuItemText(action, *ui.GetText());
    }
}

void CMDIFrameWnd::UpdateToolBarUI() {
    UpdateStatusPanes();
    if (!m_pToolBar)
        return;
    for (QAction* action : m_pToolBar->actions()) {
        bool ok = false;
        const int nID = action->data().toInt(&ok);
        if (ok && nID > 0)
            action->setEnabled(IsCommandEnabled(nID));
    }
}

void CMDIFrameWnd::UpdateStatusPanes() {
    if (!m_pStatusBar)
        return;
    // Only panes whose update handler gives a text change, in text and in being lit or dimmed; the
    // others are set by whoever owns them.
    for (int i = 1; i < m_pStatusBar->GetPaneCount(); ++i) {
        const CCmdUI state = QueryCommandUI(m_pStatusBar->GetItemID(i));
        if (!state.GetText())
            continue;
        if (m_pStatusBar->GetPaneText(i) != *state.GetText())
            m_pStatusBar->SetPaneText(i, *state.GetText());
        m_pStatusBar->GetPane(i)->setEnabled(state.IsEnabled());
    }
}

void CMDIFrameWnd::AddRecentFileItems(QMenu* menu) {
    QAction* anchor = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->property(kMruProperty).toBool())
            delete action;
        else if (action->property(kMruAnchorProperty).toBool())
            anchor = action;
    }
    if (!anchor)
        return;
    CWinApp* app = AfxGetApp();
    CRecentFileList* list = app ? app->GetRecentFileList() : nullptr;
    const int count = list ? list->GetSize() : 0;
    if (count == 0) {
        QAction* empty = NewCommandAction(ID_FILE_MRU_FILE1, QStringLiteral("Recent File"), menu);
        empty->setProperty(kMruProperty, true);
        menu->insertAction(anchor, empty);
        return;
    }
    for (int i = 0; i < count; ++i) {
        QAction* item = NewCommandAction(ID_FILE_MRU_FILE1 + i, RecentFileText(i, (*list)[i]), menu);
        item->setProperty(kMruProperty, true);
        menu->insertAction(anchor, item);
    }
}

bool CMDIFrameWnd::LoadMenu(int nIDResource) {
    const std::vector<MenuPopup>* resource = AfxFindMenu(nIDResource);
    if (!resource)
        return false;
    QList<QMenu*> menus;
    for (const MenuPopup& popup : *resource) {
        auto* menu = new QMenu(QString::fromUtf8(popup.text), this);
        bool hasRecentFiles = false;
        for (const MenuEntry& entry : popup.entries) {
            switch (entry.kind) {
            case MenuEntry::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Item:
                menu->addAction(NewCommandAction(entry.id, QString::fromUtf8(entry.text), menu));
                break;
            case MenuEntry::RecentFiles: {
                auto* anchor = new QAction(menu);
                anchor->setVisible(false);
                anchor->setProperty(kMruAnchorProperty, true);
                menu->addAction(anchor);
                hasRecentFiles = true;
                break;
            }
            }
        }
        const bool isWindowMenu = std::any_of(popup.entries.begin(), popup.entries.end(),
                                              [](const MenuEntry& entry) { return entry.id == ID_WINDOW_CASCADE; });
        connect(menu, &QMenu::aboutToShow, this, [this, menu, hasRecentFiles, isWindowMenu] {
            if (hasRecentFiles)
                AddRecentFileItems(menu);
            if (isWindowMenu)
                AddWindowItems(menu);
            UpdateMenuUI(menu);
        });
        // After the update above, which may set an item's text and key anew.
        ShowMenuKeysWhileOpen(menu);
        menus.push_back(menu);
    }
    m_menus[nIDResource] = menus;
    return true;
}

void CMDIFrameWnd::ShowMenu(int nIDResource) {
    if (m_nShownMenu == nIDResource)
        return;
    auto it = m_menus.find(nIDResource);
    if (it == m_menus.end())
        return;
    menuBar()->clear();
    for (QMenu* menu : it->second)
        menuBar()->addMenu(menu);
    m_nShownMenu = nIDResource;
}

const QList<QMenu*>& CMDIFrameWnd::GetMenus(int nIDResource) const {
    static const QList<QMenu*> none;
    auto it = m_menus.find(nIDResource);
    return it == m_menus.end() ? none : it->second;
}

bool CMDIFrameWnd::LoadAccelTable(int nIDResource) {
    const std::vector<AccelEntry>* table = AfxFindAccelTable(nIDResource);
    if (!table)
        return false;
    std::map<int, QList<QKeySequence>> keysById;
    for (const AccelEntry& entry : *table)
        keysById[entry.id].push_back(entry.key);
    for (const auto& [nID, keys] : keysById) {
        // Accelerators stay enabled so that they always take their keys; OnUserCommand drops the
        // command when its update state is disabled, as a disabled accelerator does nothing.
        auto* action = new QAction(this);
        action->setData(nID);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, nID] { OnUserCommand(nID); });
        addAction(action);
        m_accelActions[nID] = action;
    }
    return true;
}

QAction* CMDIFrameWnd::GetAccelAction(int nID) const {
    auto it = m_accelActions.find(nID);
    return it == m_accelActions.end() ? nullptr : it->second;
}

bool CMDIFrameWnd::LoadToolBar(int nIDResource) {
    const std::vector<int>* buttons = AfxFindToolBar(nIDResource);
    if (!buttons)
        return false;
    m_pToolBar = new QToolBar(QStringLiteral("Standard"), this);
    m_pToolBar->setObjectName(QStringLiteral("toolbar%1").arg(nIDResource));
    m_pToolBar->setIconSize(QSize(16, 15));
    m_pToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    for (int nID : *buttons) {
        if (nID == 0) {
            m_pToolBar->addSeparator();
            continue;
        }
        // The button's text is the last part of its command's string, which is also its tool tip.
        const QString text = AfxLoadString(nID).section(QLatin1Char('\n'), -1);
        QAction* action = NewCommandAction(nID, text, m_pToolBar);
        action->setToolTip(text);
        m_pToolBar->addAction(action);
    }
    // Every button as large as the largest one, so the texts line up.
    QSize largest;
    for (QAction* action : m_pToolBar->actions()) {
        if (auto* button = qobject_cast<QToolButton*>(m_pToolBar->widgetForAction(action)))
            largest = largest.expandedTo(button->sizeHint());
    }
    for (QAction* action : m_pToolBar->actions()) {
        if (auto* button = qobject_cast<QToolButton*>(m_pToolBar->widgetForAction(action)))
            button->setFixedSize(largest);
    }
    addToolBar(Qt::TopToolBarArea, m_pToolBar);
    return true;
}

bool CMDIFrameWnd::CreateStatusBar(const std::vector<int>& indicators) {
    m_pStatusBar = new CStatusBar(this);
    m_pStatusBar->setObjectName(QStringLiteral("statusbar"));
    if (!m_pStatusBar->SetIndicators(indicators))
        return false;
    setStatusBar(m_pStatusBar);
    return true;
}

void CMDIFrameWnd::OnUpdateFrameTitle() {
    CDocument* doc = GetActiveDocument();
    CMDIChildWnd* child = MDIGetActive();
    if (doc && child && child->isMaximized()) {
        // A maximised document window adds " - [its title]" to this window's title itself.
        setWindowTitle(m_strTitle);
        const QString wanted = m_strTitle + QStringLiteral(" - [") + child->windowTitle() + QLatin1Char(']');
        if (windowTitle() != wanted)
            setWindowTitle(wanted);
        return;
    }
    setWindowTitle(doc ? m_strTitle + QStringLiteral(" - ") + doc->GetDisplayTitle() : m_strTitle);
}

QList<QMdiSubWindow*> CMDIFrameWnd::DocumentWindows() const {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : m_pMdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isHidden())
            windows.push_back(sub);
    }
    return windows;
}

void CMDIFrameWnd::ActivateDocumentWindow(QMdiSubWindow* sub) {
    if (sub->isMinimized())
        sub->showNormal();
    m_pMdiArea->setActiveSubWindow(sub);
}

void CMDIFrameWnd::AddWindowItems(QMenu* menu) {
    const char* const windowItem = "lw_window";
    for (QAction* action : menu->actions()) {
        if (action->property(windowItem).toBool())
            delete action;
    }
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    if (windows.isEmpty())
        return;
    menu->addSeparator()->setProperty(windowItem, true);
    const int listed = static_cast<int>(qMin<qsizetype>(windows.size(), AFX_IDM_MORE_WINDOWS - AFX_IDM_FIRST_MDICHILD));
    for (int i = 0; i < listed; ++i) {
        QString title = windows[i]->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item =
            NewCommandAction(AFX_IDM_FIRST_MDICHILD + i, QStringLiteral("&%1 %2").arg(i + 1).arg(title), menu);
        item->setProperty(windowItem, true);
        menu->addAction(item);
    }
    if (windows.size() > listed) {
        QAction* more = NewCommandAction(AFX_IDM_MORE_WINDOWS, QStringLiteral("&More Windows..."), menu);
        more->setProperty(windowItem, true);
        menu->addAction(more);
    }
}

void CMDIFrameWnd::ChooseFromMoreWindows() {
    const QList<QMdiSubWindow*> windows = DocumentWindows();
    QStringList titles;
    int current = 0;
    for (QMdiSubWindow* sub : windows) {
        if (sub == m_pMdiArea->currentSubWindow())
            current = static_cast<int>(titles.size());
        titles.push_back(sub->windowTitle());
    }
    bool chosen = false;
    const QString title = QInputDialog::getItem(this, QStringLiteral("Select Window"),
                                                QStringLiteral("&Select Window:"), titles, current, false, &chosen);
    const qsizetype index = titles.indexOf(title);
    if (chosen && index >= 0 && index < windows.size())
        ActivateDocumentWindow(windows[index]);
}

void CMDIFrameWnd::CascadeWindows() {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* sub : DocumentWindows()) {
        if (!sub->isMinimized())
            windows.push_back(sub);
    }
    if (windows.isEmpty())
        return;
    QMdiSubWindow* active = m_pMdiArea->currentSubWindow();
    const QSize free = m_pMdiArea->viewport()->size();
    const int step = qMax(8, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, windows.front()));
    const int shifts = static_cast<int>(windows.size()) - 1;
    // Never smaller than two thirds of the area; with many windows the cascade starts again at the top.
    const QSize size(qMax(free.width() * 2 / 3, free.width() - step * shifts),
                     qMax(free.height() * 2 / 3, free.height() - step * shifts));
    const int steps = qMax(1, qMin(free.width() - size.width(), free.height() - size.height()) / step + 1);
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* sub = windows[i];
        if (sub->isMaximized())
            sub->showNormal();
        const int offset = step * (i % steps);
        sub->setGeometry(QRect(QPoint(offset, offset), size));
        sub->raise();
    }
    if (active)
        m_pMdiArea->setActiveSubWindow(active);
}

void CMDIFrameWnd::TileWindows() {
    for (QMdiSubWindow* sub : DocumentWindows()) {
        if (sub->isMaximized())
            sub->showNormal();
    }
    m_pMdiArea->tileSubWindows();
}

void CMDIFrameWnd::OnChildFramesChanged() {
    OnUpdateFrameTitle();
    UpdateToolBarUI();
}

void CMDIFrameWnd::ArrangeIcons() {
    // Minimised document windows are lined up along the bottom edge, left to right.
    int x = 0;
    const int bottom = m_pMdiArea->viewport()->height();
    for (QMdiSubWindow* sub : m_pMdiArea->subWindowList()) {
        if (!sub->isMinimized() || !sub->isVisible())
            continue;
        const QSize size = sub->size();
        sub->move(x, bottom - size.height());
        x += size.width();
    }
}

bool CMDIFrameWnd::OnClose() {
    CWinApp* app = AfxGetApp();
    if (app && !app->SaveAllModified())
        return false;
    if (app)
        app->CloseAllDocuments();
    return true;
}

void CMDIFrameWnd::closeEvent(QCloseEvent* event) {
    if (OnClose()) {
        m_updateTimer.stop();
        event->accept();
    } else {
        event->ignore();
    }
}
