#pragma once

#include "workspace/PasswordsForm.h"

// The right pane while the tree's root, or nothing, is selected: three buttons that lead to the
// folder forms.
class BlankRootView : public CPasswordsForm {
    Q_OBJECT
public:
    BlankRootView();
    ~BlankRootView() override;

    void OnInitialUpdate() override;
};
