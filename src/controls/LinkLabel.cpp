#include "controls/LinkLabel.h"

#include "framework/ShellOpen.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {

// What assistive tools see: a link named by its text, whose value is the address and whose press
// opens it, not a static text that happens to take the focus.
class AccessibleLink : public QAccessibleWidget {
public:
    explicit AccessibleLink(CLinkLabel* link) : QAccessibleWidget(link, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        auto* link = static_cast<CLinkLabel*>(widget());
        switch (t) {
        case QAccessible::Name:
            return link->accessibleName().isEmpty() ? link->text() : link->accessibleName();
        case QAccessible::Value:
            return link->GetUrl().isEmpty() ? link->text() : link->GetUrl();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction())
            static_cast<CLinkLabel*>(widget())->Open();
    }
};

QAccessibleInterface* LinkFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("CLinkLabel") && object && object->isWidgetType())
        return new AccessibleLink(static_cast<CLinkLabel*>(object));
    return nullptr;
}

} // namespace

CLinkLabel::CLinkLabel(const QString& text, QWidget* parent) : CLabel(text, parent) {
    [[maybe_unused]] static const bool installed = (QAccessible::installFactory(&LinkFactory), true);
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
