#pragma once

#include "framework/FormView.h"

// The form of the Other Accounts folder, where a new other account is named and added.
class OtherAccountsRootView : public CFormView {
    Q_OBJECT
public:
    OtherAccountsRootView();
    ~OtherAccountsRootView() override;
};
