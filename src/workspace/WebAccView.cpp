#include "workspace/WebAccView.h"

#include "res/resource.h"

namespace {

const CAccountForm::FormField kFields[] = {
    {IDC_WEB_ADDRESS, "ADDRESS"},
    {IDC_WEB_NOTES, "NOTES"},
    {IDC_WEB_PASSWORD, "PASSWORD"},
    {IDC_WEB_USERID, "USERID"},
};

} // namespace

CWebAccView::CWebAccView()
    : CAccountForm({AccountKind::Web, IDD_WEB_ACCOUNT, IDC_WEB_HEADING, IDC_WEB_NAME, IDC_WEB_ADD_MORE, IDC_WEB_DELETE,
                    kFields, true, true}) {}
