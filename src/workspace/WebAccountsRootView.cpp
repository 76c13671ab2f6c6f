#include "workspace/WebAccountsRootView.h"

#include "res/resource.h"
#include "workspace/FormControls.h"

WebAccountsRootView::WebAccountsRootView() : CFormView(workspace::FormTemplate(IDD_WEB_ROOT)) {
    workspace::PrepareTemplateLabels(this, IDD_WEB_ROOT);
}

WebAccountsRootView::~WebAccountsRootView() = default;
