#pragma once

#include "framework/CmdTarget.h"

class QWidget;
class CDocument;
class CMDIChildWnd;

// The view side of a document window. It is a mix-in: a concrete view also derives from the Qt
// widget it is built on (a form, a text editor, a tree) and returns itself from GetWnd().
class CView : public CCmdTarget {
public:
    CView() = default;
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    virtual QWidget* GetWnd() = 0;

    // The child frame that holds this view, if any.
    CMDIChildWnd* GetParentFrame();

    // Called once, after the document has been created or opened, before the frame is shown.
    virtual void OnInitialUpdate() {}
    // Called by CDocument::UpdateAllViews.
    virtual void OnUpdate(CView* pSender, long lHint);

    // Commands go to the view first, then to its document.
    bool OnCmdMsg(int nID) override;
    bool OnUpdateCmdUI(int nID, CCmdUI& cmdUI) override;

private:
    friend class CDocument;
    CDocument* m_pDocument = nullptr;
};
