#pragma once

#include "workspace/AccountForm.h"

// The form of an e-mail account.
class CMailAccView : public CAccountForm {
public:
    CMailAccView();
};
