#include "workspace/MailAccView.h"

#include "res/resource.h"

namespace {

const CAccountForm::FormField kFields[] = {
    {IDC_MAIL_ADDRESS, "ADDRESS"}, {IDC_MAIL_WEBMAIL, "WEBINTERFACE"}, {IDC_MAIL_PASSWORD, "PASSWORD"},
    {IDC_MAIL_USERID, "USERID"},   {IDC_MAIL_SMTP, "SMTPSERVER"},      {IDC_MAIL_POP, "POPSERVER"},
    {IDC_MAIL_NOTES, "NOTES"},
};

} // namespace

CMailAccView::CMailAccView()
    : CAccountForm({AccountKind::Mail, IDD_MAIL_ACCOUNT, IDC_MAIL_HEADING, IDC_MAIL_NAME, IDC_MAIL_ADD_MORE,
                    IDC_MAIL_DELETE, kFields, true, false}) {}
