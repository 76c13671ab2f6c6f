#include "framework/FormView.h"

#include "framework/MDIFrameWnd.h"
#include "framework/WinApp.h"
#include "res/Resources.h"

CFormView::CFormView(int nIDTemplate) : m_pPage(new QWidget) {
    setFrameShape(QFrame::NoFrame);
    if (const DlgTemplate* tmpl = FindDialogTemplate(nIDTemplate)) {
        m_pPage->setObjectName(QStringLiteral("form%1").arg(nIDTemplate));
        m_templateSize = BuildDialogControls(*tmpl, m_pPage, this);
    }
    m_pPage->setMinimumSize(m_templateSize);
    setWidget(m_pPage);
    // The page grows with the view; below the template's size the view scrolls instead.
    setWidgetResizable(true);
}

CFormView::~CFormView() = default;

void CFormView::OnDlgNotify(int nID, Notify code) {
    if (code != Clicked) {
        OnControlChanged(nID, code);
        return;
    }
    // A click is a command of this view first, then of the usual route (document, frames, application).
    if (OnCmdMsg(nID))
        return;
    if (CMDIFrameWnd* main = AfxGetMainFrame())
        main->SendCommand(nID);
}
