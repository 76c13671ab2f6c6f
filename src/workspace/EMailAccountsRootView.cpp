#include "workspace/EMailAccountsRootView.h"

#include "res/resource.h"
#include "workspace/FormControls.h"

EMailAccountsRootView::EMailAccountsRootView() : CFormView(workspace::FormTemplate(IDD_MAIL_ROOT)) {
    workspace::PrepareTemplateLabels(this, IDD_MAIL_ROOT);
}

EMailAccountsRootView::~EMailAccountsRootView() = default;
