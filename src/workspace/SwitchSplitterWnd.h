#pragma once

#include "res/resource.h"

#include <QSplitter>
#include <functional>
#include <map>
#include <vector>

class CView;
struct CCreateContext;

// A static splitter whose panes can each hold several views, one shown at a time. Views are known by
// view numbers handed out from 1 in order of creation and never reused.
//
// The view shown in a pane carries the pane's control id and is visible; the other views of that pane
// carry id 0 and are hidden, so "the pane's window" always means the view now shown.
class CSwitchSplitterWnd : public QSplitter {
    Q_OBJECT
public:
    using ViewClass = std::function<CView*()>;

    CSwitchSplitterWnd();
    ~CSwitchSplitterWnd() override;

    // Lays out nRows x nCols empty panes as a child of parent; the pane at (0, 0) has control id nID.
    // Only one row or one column can be made. False when the shape can't be made.
    bool CreateStatic(QWidget* parent, int nRows, int nCols, int nID = AFX_IDW_PANE_FIRST);

    // Creates a view of the class in an empty pane, attaches it to the context's document and shows
    // it as the pane's window. False when the pane does not exist or the view can't be created.
    bool CreateView(int row, int col, const ViewClass& viewClass, QSize sizeInit, CCreateContext* pContext);

    int GetRowCount() const { return m_nRows; }
    int GetColumnCount() const { return m_nCols; }
    int IdFromRowCol(int row, int col) const { return m_nFirstID + 16 * row + col; }
    // The window now shown in the pane (the child with the pane's control id), or null.
    QWidget* GetPane(int row, int col) const;

    // The width the column starts with and below which it is hidden. From then on every column keeps its
    // share of the width as the window grows or shrinks, until the user drags the bar.
    void SetColumnInfo(int col, int cxIdeal, int cxMin);
    // Puts a widget above the views of a pane (a search row, say), laid out with them and shown
    // whichever view the pane shows. It is no view and carries no control id. False without the pane.
    bool AddPaneStrip(int row, int col, QWidget* strip);
    void RecalcLayout();

    // Adds a view to a pane and shows it there; returns its view number, or -1 when it can't be
    // created (the pane then shows what it showed before).
    int AddView(int row, int col, const ViewClass& viewClass, CCreateContext* pContext);
    // Shows the view in its pane; false when no view has that number.
    bool ShowView(int nView);
    // The view with that number, or null.
    CView* GetView(int nView) const;

    // A pane's key: the column in the high 16 bits, the row in the low 16 bits.
    static int PaneKey(int row, int col) {
        return static_cast<int>((static_cast<unsigned>(col) << 16) | (row & 0xFFFF));
    }
    static int RowOfKey(int key) { return static_cast<short>(key & 0xFFFF); }
    static int ColumnOfKey(int key) { return key >> 16; }

    // The control id a view carries in its pane (0 while hidden).
    static int GetPaneCtrlID(const QWidget* wnd);

    // The bookkeeping: view number -> pane key, pane key -> view number shown, view number -> view.
    const std::map<int, int>& GetViewPaneMap() const { return m_mapViewPane; }
    const std::map<int, int>& GetCurrentViewMap() const { return m_mapCurrentViews; }
    const std::map<int, CView*>& GetViewMap() const { return m_mapIDViews; }
    int GetNextViewNumber() const { return m_nNextViewNumber; }

private:
    QWidget* Cell(int row, int col) const;
    // Hides the pane's current view; its number, or -1 when the pane showed none.
    int HideCurrentView(int row, int col);
    void ShowInPane(int nView, int row, int col);
    static void SetPaneCtrlID(QWidget* wnd, int nID);

    int m_nRows = 0;
    int m_nCols = 0;
    int m_nFirstID = AFX_IDW_PANE_FIRST;
    std::vector<QWidget*> m_cells;

    std::map<int, int> m_mapViewPane;
    std::map<int, int> m_mapCurrentViews;
    std::map<int, CView*> m_mapIDViews;
    int m_nNextViewNumber = 1;
};
