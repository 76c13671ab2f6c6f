#include "framework/MDIChildWnd.h"

#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/MDIFrameWnd.h"
#include "framework/StandardIds.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QShowEvent>
#include <QStyle>

CMDIChildWnd::CMDIChildWnd() {
    setAttribute(Qt::WA_DeleteOnClose, false);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
    // The main window's title shows whether the active document window is maximised.
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this] {
        if (CMDIFrameWnd* main = AfxGetMainFrame(); main && main->MDIGetActive() == this)
            main->OnUpdateFrameTitle();
    });
    auto panesUpdate = [this](CCmdUI& ui) { ui.Enable(GetPanes().size() > 1); };
    MapCommand(
        ID_NEXT_PANE, [this] { MovePaneFocus(1); }, panesUpdate);
    MapCommand(
        ID_PREV_PANE, [this] { MovePaneFocus(-1); }, panesUpdate);
}

CMDIChildWnd::~CMDIChildWnd() {
    // The windows deleted with this one (a view's Find dialog that has the focus, say) move the focus
    // while only the QWidget part of this one is left: it must not hear of that.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

bool CMDIChildWnd::LoadFrame(CCreateContext& context) {
    if (!OnCreateClient(context))
        return false;
    if (CMDIFrameWnd* main = AfxGetMainFrame())
        main->MDIClient()->addSubWindow(this);
    hide();
    return true;
}

bool CMDIChildWnd::OnCreateClient(CCreateContext& context) {
    CView* view = CreateView(context, this);
    if (!view)
        return false;
    setWidget(view->GetWnd());
    return true;
}

CView* CMDIChildWnd::CreateView(CCreateContext& context, QWidget* parent) {
    if (!context.newView)
        return nullptr;
    CView* view = context.newView();
    if (!view)
        return nullptr;
    view->GetWnd()->setParent(parent);
    if (context.pCurrentDoc)
        context.pCurrentDoc->AddView(view);
    if (!m_activeWnd)
        SetActiveView(view);
    return view;
}

CView* CMDIChildWnd::GetActiveView() const {
    return m_activeWnd ? m_pActiveView : nullptr;
}

void CMDIChildWnd::SetActiveView(CView* pView) {
    m_pActiveView = pView;
    m_activeWnd = pView ? pView->GetWnd() : nullptr;
}

CDocument* CMDIChildWnd::GetActiveDocument() const {
    CView* view = GetActiveView();
    return view ? view->GetDocument() : nullptr;
}

void CMDIChildWnd::OnFocusChanged(QWidget* now) {
    // The view that receives the focus becomes the active one; widgets outside this frame don't count.
    for (QWidget* w = now; w && w != this; w = w->parentWidget()) {
        if (auto* view = dynamic_cast<CView*>(w)) {
            if (view->GetParentFrame() == this)
                SetActiveView(view);
            return;
        }
    }
}

void CMDIChildWnd::ActivateFrame(int nCmdShow) {
    // A new document window takes most of the free area, as the system's default placement does,
    // rather than the toolkit's small default; one shown maximised gets that size when restored.
    if (!m_bPlaced)
        PlaceInArea();
    if (nCmdShow == SW_SHOWMAXIMIZED)
        showMaximized();
    else
        show();
    m_bPlaced = true;
    if (QMdiArea* area = mdiArea())
        area->setActiveSubWindow(this);
    if (CView* view = GetActiveView())
        view->GetWnd()->setFocus();
}

void CMDIChildWnd::PlaceInArea() {
    QMdiArea* area = mdiArea();
    if (!area)
        return;
    const QSize free = area->viewport()->size();
    if (!area->isVisible() || free.width() < 50 || free.height() < 50) {
        // Not laid out yet: placed as soon as the area has its size.
        area->viewport()->installEventFilter(this);
        return;
    }
    QSize size(free.width() * 3 / 4, free.height() * 3 / 4);
    if (QSize useful = GetUsefulClientSize(); useful.isValid()) {
        // The client area plus the title bar and the frame around it.
        const int frame = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
        const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        useful += QSize(2 * frame, title + 2 * frame);
        if (useful.width() > free.width() || useful.height() > free.height()) {
            // A window that cuts its own buttons helps nobody: it takes the whole area.
            setGeometry(QRect(QPoint(0, 0), free));
            return;
        }
        size = size.expandedTo(useful);
    }
    // Each window one title bar further in than the windows already open, starting again at the top
    // left corner once the next step would push the window out of the area.
    int others = 0;
    for (QMdiSubWindow* sub : area->subWindowList()) {
        if (sub != this && sub->isVisible() && !sub->isMinimized())
            ++others;
    }
    const int step = qMax(8, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    const int steps = qMax(1, qMin(free.width() - size.width(), free.height() - size.height()) / step + 1);
    const int offset = step * (others % steps);
    setGeometry(QRect(QPoint(offset, offset), size));
}

bool CMDIChildWnd::eventFilter(QObject* watched, QEvent* event) {
    QMdiArea* area = mdiArea();
    if (area && watched == area->viewport() && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        const QSize free = area->viewport()->size();
        if (area->isVisible() && free.width() >= 50 && free.height() >= 50) {
            area->viewport()->removeEventFilter(this);
            if (!isMaximized() && !isMinimized())
                PlaceInArea();
        }
    }
    return QMdiSubWindow::eventFilter(watched, event);
}

void CMDIChildWnd::InitialUpdateFrame(CDocument* pDoc, bool bMakeVisible) {
    if (pDoc) {
        const std::vector<CView*> views = pDoc->GetViews();
        for (CView* view : views) {
            if (view->GetParentFrame() == this)
                view->OnInitialUpdate();
        }
    }
    OnUpdateFrameTitle();
    if (bMakeVisible)
        ActivateFrame();
}

void CMDIChildWnd::OnUpdateFrameTitle() {
    CDocument* doc = GetActiveDocument();
    setWindowTitle(doc ? doc->GetDisplayTitle() : QString());
    if (CMDIFrameWnd* main = AfxGetMainFrame())
        main->OnUpdateFrameTitle();
}

void CMDIChildWnd::DestroyFrame() {
    if (m_bDestroying)
        return;
    m_bDestroying = true;
    hide();
    if (QMdiArea* area = mdiArea())
        area->removeSubWindow(this);
    deleteLater();
    if (CMDIFrameWnd* main = AfxGetMainFrame())
        main->OnChildFramesChanged();
}

void CMDIChildWnd::showEvent(QShowEvent* event) {
    QMdiSubWindow::showEvent(event);
    if (CMDIFrameWnd* main = AfxGetMainFrame(); main && !event->spontaneous() && !m_bDestroying)
        main->OnChildFramesChanged();
}

void CMDIChildWnd::closeEvent(QCloseEvent* event) {
    if (m_bDestroying) {
        event->accept();
        return;
    }
    CDocument* doc = GetActiveDocument();
    if (doc && !doc->CanCloseFrame(this)) {
        event->ignore();
        return;
    }
    event->accept();
    if (doc && doc->GetFrames().size() <= 1)
        doc->OnCloseDocument();
    else
        DestroyFrame();
}

void CMDIChildWnd::MovePaneFocus(int step) {
    const QList<QWidget*> panes = GetPanes();
    if (panes.size() < 2)
        return;
    int current = 0;
    for (int i = 0; i < panes.size(); ++i) {
        if (panes[i]->isAncestorOf(QApplication::focusWidget()) || panes[i] == QApplication::focusWidget())
            current = i;
    }
    const int next = (current + step + panes.size()) % panes.size();
    panes[next]->setFocus(Qt::OtherFocusReason);
}
