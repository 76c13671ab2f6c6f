#pragma once

#include "framework/CmdTarget.h"

#include <QMainWindow>
#include <QTimer>
#include <map>
#include <vector>

class QMdiArea;
class CMDIClientArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class CDocument;
class CMDIChildWnd;
class CStatusBar;
class CView;

// The multiple-document main window: the area of document windows, and the machinery that turns
// menus, tool bar buttons and accelerators into command ids and routes them along
// active view -> its document -> its child frame -> this frame -> the application.
class CMDIFrameWnd : public QMainWindow, public CCmdTarget {
    Q_OBJECT
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    QMdiArea* MDIClient() const;
    // Hides the document windows and takes them out of the accessibility tree, or gives them back.
    void ShutOutDocuments(bool bShut);
    bool AreDocumentsShutOut() const;
    // The document window commands go to; it stays current while a dialog has the focus.
    CMDIChildWnd* MDIGetActive() const;
    CView* GetActiveView() const;
    CDocument* GetActiveDocument() const;

    // Carries out a command at once along the route; false when no target handles it.
    bool SendCommand(int nID);
    // The state of a command along the same route; an id that no target handles is disabled.
    CCmdUI QueryCommandUI(int nID);
    bool IsCommandEnabled(int nID) { return QueryCommandUI(nID).IsEnabled(); }

    // Every menu item, tool bar button and accelerator ends here: enabled commands are routed.
    virtual void OnUserCommand(int nID);

    // Refreshes the tool bar buttons (also done on a short timer and whenever the active window changes).
    void UpdateToolBarUI();
    // Gives the status panes whose update handlers set a text that text (part of UpdateToolBarUI).
    void UpdateStatusPanes();
    // Refreshes the items of one menu, as is done just before it opens.
    void UpdateMenuUI(QMenu* menu);

    virtual void OnUpdateFrameTitle();
    // Called when a document window comes, goes or becomes the active one.
    virtual void OnChildFramesChanged();

    CStatusBar* GetStatusBar() const { return m_pStatusBar; }
    QToolBar* GetToolBar() const { return m_pToolBar; }
    // The menus of a menu resource as built for this frame (empty when not loaded).
    const QList<QMenu*>& GetMenus(int nIDResource) const;
    // The accelerator action of a command, if the accelerator table has one.
    QAction* GetAccelAction(int nID) const;

protected:
    // Builds the menus of a resource (kept, not shown); ShowMenu puts them on the menu bar.
    bool LoadMenu(int nIDResource);
    void ShowMenu(int nIDResource);
    int GetShownMenu() const { return m_nShownMenu; }
    bool LoadAccelTable(int nIDResource);
    bool LoadToolBar(int nIDResource);
    bool CreateStatusBar(const std::vector<int>& indicators);

    // Default close: every document is asked; then the window closes and the program ends.
    virtual bool OnClose();
    void closeEvent(QCloseEvent* event) override;

    QString m_strTitle;

private:
    QAction* NewCommandAction(int nID, const QString& text, QObject* parent);
    void AddRecentFileItems(QMenu* menu);
    void ArrangeIcons();
    // The Window menu: the open document windows after its own items, 1 to 9, the active one checked.
    void AddWindowItems(QMenu* menu);
    // The document windows in the order the Window menu lists them (creation order), hidden ones left out.
    QList<QMdiSubWindow*> DocumentWindows() const;
    void ActivateDocumentWindow(QMdiSubWindow* sub);
    void ChooseFromMoreWindows();
    // Cascade: each window as large as the area allows with the others' title bars showing above it.
    void CascadeWindows();
    void TileWindows();

    CMDIClientArea* m_pMdiArea;
    CStatusBar* m_pStatusBar = nullptr;
    QToolBar* m_pToolBar = nullptr;
    std::map<int, QList<QMenu*>> m_menus;
    int m_nShownMenu = 0;
    std::map<int, QAction*> m_accelActions;
    QTimer m_updateTimer;
};
