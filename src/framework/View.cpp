#include "framework/View.h"

#include "framework/Document.h"
#include "framework/MDIChildWnd.h"

#include <QWidget>

CView::~CView() {
    if (m_pDocument)
        m_pDocument->RemoveView(this);
}

CMDIChildWnd* CView::GetParentFrame() {
    for (QWidget* w = GetWnd(); w; w = w->parentWidget()) {
        if (auto* frame = dynamic_cast<CMDIChildWnd*>(w))
            return frame;
    }
    return nullptr;
}

void CView::OnUpdate(CView*, long) {
    if (QWidget* w = GetWnd())
        w->update();
}

bool CView::OnCmdMsg(int nID) {
    return CCmdTarget::OnCmdMsg(nID);
}

bool CView::OnUpdateCmdUI(int nID, CCmdUI& cmdUI) {
    return CCmdTarget::OnUpdateCmdUI(nID, cmdUI);
}
