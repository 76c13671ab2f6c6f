#pragma once

#include <QPushButton>

// A push button that shows a large icon at its left and its text beside it.
class CIconButton : public QPushButton {
    Q_OBJECT
public:
    CIconButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
};
