#pragma once

#include "framework/FormView.h"

// The form of the Web Accounts folder, where a new web account is named and added.
class WebAccountsRootView : public CFormView {
    Q_OBJECT
public:
    WebAccountsRootView();
    ~WebAccountsRootView() override;
};
