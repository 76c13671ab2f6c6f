#include "framework/MDIClientArea.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMdiSubWindow>

namespace {

// What the accessibility tree sees of the area: its document windows, or none while it is shut out.
class CMDIClientAccessible : public QAccessibleWidget {
public:
    explicit CMDIClientAccessible(CMDIClientArea* area) : QAccessibleWidget(area, QAccessible::LayeredPane) {}

    int childCount() const override { return static_cast<int>(Windows().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QMdiSubWindow*> windows = Windows();
        return index >= 0 && index < windows.size() ? QAccessible::queryAccessibleInterface(windows.at(index))
                                                    : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(Windows().indexOf(qobject_cast<QMdiSubWindow*>(child->object()))) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (QMdiSubWindow* window : Windows()) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window);
            if (iface && iface->rect().contains(x, y))
                return iface;
        }
        return nullptr;
    }

private:
    QList<QMdiSubWindow*> Windows() const {
        auto* area = static_cast<CMDIClientArea*>(widget());
        return area->IsShutOut() ? QList<QMdiSubWindow*>() : area->subWindowList();
    }
};

QAccessibleInterface* AreaAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(CMDIClientArea::staticMetaObject.className())) {
        if (auto* area = qobject_cast<CMDIClientArea*>(object))
            return new CMDIClientAccessible(area);
    }
    return nullptr;
}

} // namespace

CMDIClientArea::CMDIClientArea(QWidget* parent) : QMdiArea(parent) {
    // Installing the same factory twice is a no-op.
    QAccessible::installFactory(&AreaAccessibleFactory);
}

void CMDIClientArea::ShutOut(bool bShut) {
    if (m_bShutOut == bShut)
        return;
    m_bShutOut = bShut;
    setVisible(!bShut);
    // The windows leave the tree (or come back) with the area.
    QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reorder);
}

bool CMDIClientArea::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & Qt::ControlModifier) || key->key() == Qt::Key_Control)
            return QAbstractScrollArea::eventFilter(watched, event);
    }
    return QMdiArea::eventFilter(watched, event);
}
