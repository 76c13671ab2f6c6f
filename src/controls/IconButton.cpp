#include "controls/IconButton.h"

CIconButton::CIconButton(const QIcon& icon, const QString& text, QWidget* parent) : QPushButton(icon, text, parent) {
    setIconSize(QSize(32, 32));
    setStyleSheet(QStringLiteral("text-align: left; padding-left: 6px;"));
}
