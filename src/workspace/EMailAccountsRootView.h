#pragma once

#include "res/resource.h"
#include "workspace/FolderForm.h"

// The form of the Email Accounts folder.
class EMailAccountsRootView : public CFolderForm {
public:
    EMailAccountsRootView()
        : CFolderForm({AccountKind::Mail, IDD_MAIL_ROOT, IDC_MAIL_ROOT_NAME, IDC_MAIL_ROOT_ADD, IDC_MAIL_ROOT_CANCEL,
                       IDC_MAIL_ROOT_TITLE, IDC_MAIL_ROOT_NAME_LABEL}) {}
};
