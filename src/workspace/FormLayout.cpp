#include "workspace/FormLayout.h"

#include "framework/FormView.h"

#include <QScrollBar>
#include <algorithm>

void CFormLayout::Attach(CFormView* form) {
    m_pForm = form;
    m_designSize = form ? form->GetTemplateSize() : QSize();
    m_referenceSize = ClientSize();
}

QSize CFormLayout::ClientSize() const {
    return m_pForm ? m_pForm->viewport()->size() : QSize();
}

bool CFormLayout::AddControl(int nID, int nFlags) {
    if (!m_pForm)
        return false;
    return AddWidget(m_pForm->GetDlgItem(nID), nFlags);
}

bool CFormLayout::AddWidget(QWidget* control, int nFlags) {
    if (!m_pForm || !control)
        return false;
    m_entries.push_back({control, nFlags});
    return true;
}

void CFormLayout::Layout() {
    if (!m_pForm)
        return;
    const QSize now = ClientSize();
    // Measured from the template size up, so nothing shrinks below its template geometry.
    const int dx =
        std::max(now.width(), m_designSize.width()) - std::max(m_referenceSize.width(), m_designSize.width());
    const int dy =
        std::max(now.height(), m_designSize.height()) - std::max(m_referenceSize.height(), m_designSize.height());
    for (const Entry& entry : m_entries) {
        if (!entry.control)
            continue;
        QRect rect = entry.control->geometry();
        if (entry.nFlags & LAYOUT_SIZE_Y)
            rect.setBottom(rect.bottom() + dy);
        if (entry.nFlags & LAYOUT_SIZE_X)
            rect.setRight(rect.right() + dx);
        if (entry.nFlags & LAYOUT_MOVE_Y)
            rect.translate(0, dy);
        if (entry.nFlags & LAYOUT_MOVE_X)
            rect.translate(dx, 0);
        entry.control->setGeometry(rect);
        entry.control->update();
    }
    m_referenceSize = now;
}
