#pragma once

#include "workspace/AccountForm.h"

// The form of a web account.
class CWebAccView : public CAccountForm {
public:
    CWebAccView();
};
