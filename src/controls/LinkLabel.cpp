#include "controls/LinkLabel.h"

#include "framework/ShellOpen.h"

#include <QKeyEvent>
#include <QMouseEvent>

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent) : CLabel(text, parent) {
    SetFontUnderline(true);
    SetTextColor(QColor(0, 0, 255));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

void CLinkLabel::SetUrl(const QString& url) {
    m_strUrl = url;
    setToolTip(url);
    if (text().isEmpty())
        setText(url);
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Open();
    CLabel::mouseReleaseEvent(event);
}

void CLinkLabel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return) {
        Open();
        return;
    }
    CLabel::keyPressEvent(event);
}

void CLinkLabel::Open() {
    const QString url = m_strUrl.isEmpty() ? text() : m_strUrl;
    if (url.isEmpty())
        return;
    ShellOpen(QUrl(url));
    emit opened(url);
}
