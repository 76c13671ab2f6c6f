#pragma once

#include "framework/CmdTarget.h"

#include <QMdiSubWindow>
#include <QPointer>

class CDocument;
class CView;
struct CCreateContext;

// A document window inside the main window. It holds one or more views; the active one is the view
// that has (or last had) the keyboard focus, and commands are routed from there.
class CMDIChildWnd : public QMdiSubWindow, public CCmdTarget {
    Q_OBJECT
public:
    CMDIChildWnd();
    ~CMDIChildWnd() override;

    // Builds the client area (OnCreateClient). False when that fails.
    bool LoadFrame(CCreateContext& context);

    CView* GetActiveView() const;
    void SetActiveView(CView* pView);
    CDocument* GetActiveDocument() const;

    // Shows the frame; nCmdShow -1 means "as the framework likes" (normal size).
    virtual void ActivateFrame(int nCmdShow = -1);
    void InitialUpdateFrame(CDocument* pDoc, bool bMakeVisible);
    virtual void OnUpdateFrameTitle();

    // Takes the frame out of the main window and deletes it once control is back in the event loop.
    void DestroyFrame();

    // The size of the client area below which the views are cut (an empty size when any will do). A
    // new window fills the document area when the area is smaller, and otherwise opens at least as big.
    virtual QSize GetUsefulClientSize() const { return {}; }

    // Next Pane / Previous Pane move the focus through these; a frame with one view has no panes.
    virtual QList<QWidget*> GetPanes() const { return {}; }

    static constexpr int SW_SHOWNORMAL = 1;
    static constexpr int SW_SHOWMAXIMIZED = 3;

protected:
    // Default: one view of the context's class fills the frame.
    virtual bool OnCreateClient(CCreateContext& context);
    CView* CreateView(CCreateContext& context, QWidget* parent);

    void closeEvent(QCloseEvent* event) override;
    // The main window's menu follows the windows on show: the area may activate a window before it
    // is shown, and then says nothing more once it is.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A useful size and a place inside the document area, below and right of the windows already
    // there. Before the main window is laid out (a document opened at start-up) this waits for it.
    void PlaceInArea();

    bool m_bPlaced = false; // sized once, when first shown
    void OnFocusChanged(QWidget* now);
    void MovePaneFocus(int step);

    CView* m_pActiveView = nullptr;
    QPointer<QWidget> m_activeWnd; // guards m_pActiveView against a view deleted before its frame
    bool m_bDestroying = false;
};
