#include "workspace/SwitchSplitterWnd.h"

#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/View.h"

#include <QVBoxLayout>

namespace {

const char* const kPaneIdProperty = "lw_pane_id";

} // namespace

CSwitchSplitterWnd::CSwitchSplitterWnd() {
    setChildrenCollapsible(true);
}

CSwitchSplitterWnd::~CSwitchSplitterWnd() {
    // The views go with their panes; the maps only point at them.
    m_mapIDViews.clear();
}

bool CSwitchSplitterWnd::CreateStatic(QWidget* parent, int nRows, int nCols, int nID) {
    if (!m_cells.empty() || nRows < 1 || nCols < 1 || (nRows > 1 && nCols > 1))
        return false;
    m_nRows = nRows;
    m_nCols = nCols;
    m_nFirstID = nID;
    setOrientation(nRows > 1 ? Qt::Vertical : Qt::Horizontal);
    if (parent)
        setParent(parent);
    for (int i = 0; i < nRows * nCols; ++i) {
        auto* cell = new QWidget(this);
        auto* layout = new QVBoxLayout(cell);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        addWidget(cell);
        // Equal factors: the splitter then shares out what the window gains or loses in proportion to
        // the panes' widths, so each keeps its share.
        setStretchFactor(i, 1);
        m_cells.push_back(cell);
    }
    return true;
}

QWidget* CSwitchSplitterWnd::Cell(int row, int col) const {
    if (row < 0 || row >= m_nRows || col < 0 || col >= m_nCols)
        return nullptr;
    return m_cells[static_cast<size_t>(m_nRows > 1 ? row : col)];
}

int CSwitchSplitterWnd::GetPaneCtrlID(const QWidget* wnd) {
    return wnd ? wnd->property(kPaneIdProperty).toInt() : 0;
}

void CSwitchSplitterWnd::SetPaneCtrlID(QWidget* wnd, int nID) {
    wnd->setProperty(kPaneIdProperty, nID);
}

QWidget* CSwitchSplitterWnd::GetPane(int row, int col) const {
    QWidget* cell = Cell(row, col);
    if (!cell)
        return nullptr;
    const int nID = IdFromRowCol(row, col);
    for (QWidget* child : cell->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (GetPaneCtrlID(child) == nID)
            return child;
    }
    return nullptr;
}

bool CSwitchSplitterWnd::CreateView(int row, int col, const ViewClass& viewClass, QSize sizeInit,
                                    CCreateContext* pContext) {
    QWidget* cell = Cell(row, col);
    if (!cell || !viewClass || GetPane(row, col))
        return false;
    CView* view = viewClass();
    if (!view)
        return false;
    QWidget* wnd = view->GetWnd();
    wnd->setParent(cell);
    wnd->resize(sizeInit);
    cell->layout()->addWidget(wnd);
    if (pContext && pContext->pCurrentDoc)
        pContext->pCurrentDoc->AddView(view);
    SetPaneCtrlID(wnd, IdFromRowCol(row, col));
    wnd->show();
    return true;
}

void CSwitchSplitterWnd::SetColumnInfo(int col, int cxIdeal, int cxMin) {
    QWidget* cell = Cell(0, col);
    if (!cell || orientation() != Qt::Horizontal)
        return;
    cell->setMinimumWidth(cxMin);
    // The sizes must add up to the splitter's width, or the splitter scales them all; the last
    // pane takes what the others leave.
    QList<int> widths = sizes();
    widths[col] = cxIdeal;
    const int last = static_cast<int>(widths.size()) - 1;
    if (col != last) {
        int used = handleWidth() * last;
        for (int i = 0; i < last; ++i)
            used += widths[i];
        widths[last] = qMax(1, width() - used);
    }
    setSizes(widths);
}

bool CSwitchSplitterWnd::AddPaneStrip(int row, int col, QWidget* strip) {
    QWidget* cell = Cell(row, col);
    if (!cell || !strip)
        return false;
    strip->setParent(cell);
    static_cast<QVBoxLayout*>(cell->layout())->insertWidget(0, strip);
    strip->show();
    return true;
}

void CSwitchSplitterWnd::RecalcLayout() {
    for (QWidget* cell : m_cells) {
        cell->layout()->invalidate();
        cell->layout()->activate();
    }
    refresh();
}

int CSwitchSplitterWnd::HideCurrentView(int row, int col) {
    auto it = m_mapCurrentViews.find(PaneKey(row, col));
    if (it == m_mapCurrentViews.end())
        return -1;
    const int nView = it->second;
    if (CView* view = GetView(nView)) {
        SetPaneCtrlID(view->GetWnd(), 0);
        view->GetWnd()->hide();
    }
    return nView;
}

void CSwitchSplitterWnd::ShowInPane(int nView, int row, int col) {
    CView* view = GetView(nView);
    if (!view)
        return;
    m_mapCurrentViews[PaneKey(row, col)] = nView;
    SetPaneCtrlID(view->GetWnd(), IdFromRowCol(row, col));
    view->GetWnd()->show();
}

int CSwitchSplitterWnd::AddView(int row, int col, const ViewClass& viewClass, CCreateContext* pContext) {
    if (!Cell(row, col))
        return -1;
    const int nPrevious = HideCurrentView(row, col);
    // CreateView puts the new view in the pane's place, which is free now.
    CView* created = nullptr;
    const ViewClass recordingClass = [&viewClass, &created]() -> CView* {
        created = viewClass ? viewClass() : nullptr;
        return created;
    };
    if (!CreateView(row, col, recordingClass, QSize(10, 10), pContext)) {
        if (nPrevious != -1)
            ShowInPane(nPrevious, row, col);
        return -1;
    }
    const int nView = m_nNextViewNumber;
    m_mapViewPane[nView] = PaneKey(row, col);
    m_mapIDViews[nView] = created;
    ShowInPane(nView, row, col);
    repaint();
    ++m_nNextViewNumber;
    return nView;
}

bool CSwitchSplitterWnd::ShowView(int nView) {
    if (!GetView(nView))
        return false;
    const int key = m_mapViewPane.at(nView);
    const int row = RowOfKey(key);
    const int col = ColumnOfKey(key);
    // The view already shown stays as it is: hiding it, even for a moment, empties an account form.
    auto current = m_mapCurrentViews.find(key);
    if (current == m_mapCurrentViews.end() || current->second != nView) {
        HideCurrentView(row, col);
        ShowInPane(nView, row, col);
    }
    RecalcLayout();
    return true;
}

CView* CSwitchSplitterWnd::GetView(int nView) const {
    auto it = m_mapIDViews.find(nView);
    return it == m_mapIDViews.end() ? nullptr : it->second;
}
