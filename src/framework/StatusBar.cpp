#include "framework/StatusBar.h"

#include "framework/ResourceRegistry.h"

#include <QLabel>

CStatusBar::CStatusBar(QWidget* parent) : QStatusBar(parent) {
    // The panes never hold the main window wider than the user makes it: in a narrow window they
    // are cut off at the right edge, as a Windows status bar's are.
    setSizePolicy(QSizePolicy::Ignored, sizePolicy().verticalPolicy());
}

bool CStatusBar::SetIndicators(const std::vector<int>& ids) {
    for (Pane& pane : m_panes)
        delete pane.label;
    m_panes.clear();
    for (size_t i = 0; i < ids.size(); ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("pane%1").arg(i));
        if (i == 0) {
            // A screen reader reads the message as this label's accessible name, which is its text
            // while no name of its own is set, and hears of each new message from setText. Plain text:
            // a message that names a file shows (and is read) as it is, whatever "<" it holds.
            label->setTextFormat(Qt::PlainText);
            label->setText(AfxLoadString(ids[i]));
            addWidget(label, 1);
        } else {
            // An indicator shows its own string (CAP, NUM, SCRL) and is as wide as that text.
            const QString text = AfxLoadString(ids[i]);
            label->setText(text);
            label->setFrameShape(QFrame::Panel);
            label->setFrameShadow(QFrame::Sunken);
            label->setAlignment(Qt::AlignCenter);
            label->setMinimumWidth(
                label->fontMetrics().horizontalAdvance(text.isEmpty() ? QStringLiteral("  ") : text) + 8);
            addPermanentWidget(label);
        }
        m_panes.push_back({ids[i], label});
    }
    return true;
}

void CStatusBar::SetPaneInfo(int nIndex, int nID, int cxWidth) {
    if (nIndex < 0 || nIndex >= GetPaneCount())
        return;
    m_panes[nIndex].id = nID;
    if (nIndex > 0)
        m_panes[nIndex].label->setFixedWidth(cxWidth);
}

int CStatusBar::GetItemID(int nIndex) const {
    return nIndex >= 0 && nIndex < GetPaneCount() ? m_panes[nIndex].id : 0;
}

int CStatusBar::CommandToIndex(int nID) const {
    for (int i = 0; i < GetPaneCount(); ++i) {
        if (m_panes[i].id == nID)
            return i;
    }
    return -1;
}

bool CStatusBar::SetPaneText(int nIndex, const QString& text) {
    QLabel* label = GetPane(nIndex);
    if (!label)
        return false;
    if (nIndex == 0)
        clearMessage();
    label->setText(text);
    label->repaint();
    return true;
}

QString CStatusBar::GetPaneText(int nIndex) const {
    QLabel* label = GetPane(nIndex);
    return label ? label->text() : QString();
}

QLabel* CStatusBar::GetPane(int nIndex) const {
    return nIndex >= 0 && nIndex < GetPaneCount() ? m_panes[nIndex].label : nullptr;
}
