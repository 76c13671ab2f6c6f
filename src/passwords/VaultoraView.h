#pragma once

#include "framework/View.h"

#include <QWidget>

// The view the passwords template names. The passwords window fills itself with the account tree
// and the forms, so this view is never the one shown; it draws nothing.
class CVaultoraView : public QWidget, public CView {
    Q_OBJECT
public:
    CVaultoraView();
    ~CVaultoraView() override;

    QWidget* GetWnd() override { return this; }
};
