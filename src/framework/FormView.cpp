#include "framework/FormView.h"

#include "framework/MDIFrameWnd.h"
#include "framework/ResourceRegistry.h"
#include "framework/WinApp.h"

#include <QAbstractButton>
#include <QShortcutEvent>

CFormView::CFormView(int nIDTemplate) : m_pPage(new QWidget) {
    setFrameShape(QFrame::NoFrame);
    if (const DlgTemplate* tmpl = AfxFindDialogTemplate(nIDTemplate)) {
        m_pPage->setObjectName(QStringLiteral("form%1").arg(nIDTemplate));
        m_templateSize = BuildDialogControls(*tmpl, m_pPage, this);
    }
    m_pPage->setMinimumSize(m_templateSize);
    setWidget(m_pPage);
    // The page grows with the view; below the template's size the view scrolls instead.
    setWidgetResizable(true);
    // Tab goes from control to control; the scrolling frame around them is not one of them.
    setFocusPolicy(Qt::NoFocus);
    for (QAbstractButton* button : m_pPage->findChildren<QAbstractButton*>())
        button->installEventFilter(this);
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

QWidget* CFormView::GetFirstTabControl() const {
    // The focus chain of the page follows the order in which the template created its controls.
    for (QWidget* w = m_pPage->nextInFocusChain(); w && w != m_pPage; w = w->nextInFocusChain()) {
        if (m_pPage->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(m_pPage))
            return w;
    }
    return nullptr;
}

bool CFormView::FocusFirstControl() {
    QWidget* first = GetFirstTabControl();
    if (!first || !isVisible())
        return false;
    first->setFocus(Qt::OtherFocusReason);
    return true;
}

bool CFormView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (button && !static_cast<QShortcutEvent*>(event)->isAmbiguous() && button->isEnabled()) {
            button->setFocus(Qt::ShortcutFocusReason);
            button->click();
            return true;
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

void CFormView::focusInEvent(QFocusEvent* event) {
    QScrollArea::focusInEvent(event);
    FocusFirstControl();
}
