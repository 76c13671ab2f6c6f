#pragma once

#include <QColor>
#include <QPushButton>

// A push button whose face is a vertical gradient, lighter at the top; it brightens under the mouse
// and darkens while pressed. Icon on the left, text beside it.
class CShadedButton : public QPushButton {
    Q_OBJECT
public:
    CShadedButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);

    void SetShade(const QColor& top, const QColor& bottom);
    QColor GetTopColor() const { return m_top; }
    QColor GetBottomColor() const { return m_bottom; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_top;
    QColor m_bottom;
};
