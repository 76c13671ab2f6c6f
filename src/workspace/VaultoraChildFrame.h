#pragma once

#include "framework/MDIChildWnd.h"

class CSwitchSplitterWnd;
class CLeftView;
class CView;

// The window of a passwords document: the account tree in the left column and, in the right one,
// seven forms of which the tree's selection shows one. All of them live as long as the window.
class CVaultoraChildFrame : public CMDIChildWnd {
    Q_OBJECT
public:
    CVaultoraChildFrame();
    ~CVaultoraChildFrame() override;

    // A passwords window opens maximised unless told otherwise.
    void ActivateFrame(int nCmdShow = -1) override;
    // The tree's root names the document's file: it follows the title (Save As gives both a new name).
    void OnUpdateFrameTitle() override;

    bool ShowView(int nView);
    CView* GetView(int nView) const;

    CSwitchSplitterWnd* GetSplitter() const { return m_pSplitter; }
    // The account tree, the pane at row 0, column 0.
    CLeftView* GetLeftView() const;

    QList<QWidget*> GetPanes() const override;
    // The tree column at its least width beside the largest form with all its buttons.
    QSize GetUsefulClientSize() const override;
    // The width the tree column starts with in a window of that width: its share, never below the least.
    static int TreeColumnWidth(int cxWindow);

    // The forms' view numbers, in the order they were added: 1 to 7.
    int m_nBlankRootView = -1;
    int m_nWebAccountsRootView = -1;
    int m_nEMailAccountsRootView = -1;
    int m_nOtherAccountsRootView = -1;
    int m_nWebAccView = -1;
    int m_nMailAccView = -1;
    int m_nOtherAccView = -1;

    // The tree column's least starting width, and its share of the window's width (in percent).
    static constexpr int kTreeColumnWidth = 180;
    static constexpr int kTreeColumnShare = 30;

protected:
    bool OnCreateClient(CCreateContext& context) override;

private:
    void NameFormIcons();

    CSwitchSplitterWnd* m_pSplitter = nullptr;
    bool m_bColumnSized = false;
};
