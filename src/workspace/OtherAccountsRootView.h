#pragma once

#include "res/resource.h"
#include "workspace/FolderForm.h"

// The form of the Other Accounts folder.
class OtherAccountsRootView : public CFolderForm {
public:
    OtherAccountsRootView()
        : CFolderForm({AccountKind::Other, IDD_OTHER_ROOT, IDC_OTHER_ROOT_NAME, IDC_OTHER_ROOT_ADD,
                       IDC_OTHER_ROOT_CANCEL, IDC_OTHER_ROOT_TITLE, IDC_OTHER_ROOT_NAME_LABEL}) {}
};
