#include "controls/ShadedButton.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyleOptionButton>

CShadedButton::CShadedButton(const QIcon& icon, const QString& text, QWidget* parent)
    : QPushButton(icon, text, parent), m_top(QColor(250, 251, 255)), m_bottom(QColor(196, 208, 232)) {
    setIconSize(QSize(32, 32));
    setAttribute(Qt::WA_Hover);
}

void CShadedButton::SetShade(const QColor& top, const QColor& bottom) {
    m_top = top;
    m_bottom = bottom;
    update();
}

void CShadedButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    QColor top = m_top;
    QColor bottom = m_bottom;
    if (!isEnabled()) {
        top = top.lighter(105);
        bottom = QColor(220, 220, 220);
    } else if (isDown()) {
        std::swap(top, bottom);
    } else if (underMouse()) {
        top = top.lighter(104);
        bottom = bottom.lighter(110);
    }
    QLinearGradient gradient(face.topLeft(), face.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    painter.setBrush(gradient);
    painter.setPen(QPen(hasFocus() ? palette().highlight().color() : bottom.darker(150), hasFocus() ? 1.6 : 1.0));
    painter.drawRoundedRect(face, 4, 4);

    const int margin = 8;
    int x = margin;
    if (!icon().isNull()) {
        const QSize size = iconSize().boundedTo(QSize(height() - 6, height() - 6));
        const QRect iconRect(x, (height() - size.height()) / 2, size.width(), size.height());
        icon().paint(&painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        x = iconRect.right() + margin;
    }
    painter.setPen(isEnabled() ? palette().buttonText().color()
                               : palette().color(QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(QRect(x, 0, width() - x - margin, height()),
                     Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, text());
}
