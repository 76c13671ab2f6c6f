#pragma once

#include "workspace/AccountForm.h"

// The form of any other account: a card number, a bank account, a PIN code and the like.
class COtherAccView : public CAccountForm {
public:
    COtherAccView();
};
