#include "workspace/OtherAccountsRootView.h"

#include "res/resource.h"
#include "workspace/FormControls.h"

OtherAccountsRootView::OtherAccountsRootView() : CFormView(workspace::FormTemplate(IDD_OTHER_ROOT)) {
    workspace::PrepareTemplateLabels(this, IDD_OTHER_ROOT);
}

OtherAccountsRootView::~OtherAccountsRootView() = default;
