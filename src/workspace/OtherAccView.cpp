#include "workspace/OtherAccView.h"

#include "res/resource.h"

namespace {

const CAccountForm::FormField kFields[] = {
    {IDC_OTHER_PASSWORD, "PASSWORD"},
    {IDC_OTHER_USERID, "USERID"},
    {IDC_OTHER_NOTES, "NOTES"},
};

} // namespace

COtherAccView::COtherAccView()
    : CAccountForm({AccountKind::Other, IDD_OTHER_ACCOUNT, IDC_OTHER_HEADING, IDC_OTHER_NAME, IDC_OTHER_ADD_MORE,
                    IDC_OTHER_DELETE, kFields, false, false}) {}
