#pragma once

#include "res/resource.h"
#include "workspace/FolderForm.h"

// The form of the Web Accounts folder.
class WebAccountsRootView : public CFolderForm {
public:
    WebAccountsRootView()
        : CFolderForm({AccountKind::Web, IDD_WEB_ROOT, IDC_WEB_ROOT_NAME, IDC_WEB_ROOT_ADD, IDC_WEB_ROOT_CANCEL,
                       IDC_WEB_ROOT_TITLE, IDC_WEB_ROOT_NAME_LABEL}) {}
};
