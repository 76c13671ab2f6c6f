#include "workspace/BlankRootView.h"

#include "res/resource.h"
#include "workspace/FormControls.h"

BlankRootView::BlankRootView() : CFormView(workspace::FormTemplate(IDD_BLANK_ROOT)) {
    workspace::PrepareTemplateLabels(this, IDD_BLANK_ROOT);
}

BlankRootView::~BlankRootView() = default;
