#pragma once

#include "framework/FormView.h"

// The form of the Email Accounts folder, where a new e-mail account is named and added.
class EMailAccountsRootView : public CFormView {
    Q_OBJECT
public:
    EMailAccountsRootView();
    ~EMailAccountsRootView() override;
};
