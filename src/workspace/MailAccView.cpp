#include "workspace/MailAccView.h"

#include "passwords/VaultoraDoc.h"
#include "res/resource.h"
#include "workspace/AccountFormFields.h"
#include "workspace/FormControls.h"

CMailAccView::CMailAccView() : CFormView(workspace::FormTemplate(IDD_MAIL_ACCOUNT)) {
    workspace::PrepareTemplateLabels(this, IDD_MAIL_ACCOUNT);
}

CMailAccView::~CMailAccView() = default;

CVaultoraDoc* CMailAccView::GetDocument() const {
    return dynamic_cast<CVaultoraDoc*>(CView::GetDocument());
}

void CMailAccView::LoadAccount(int nIndex) {
    CVaultoraDoc* doc = GetDocument();
    if (doc)
        workspace::LoadRecordIntoForm<MailAccount>(*this, doc, doc->m_lists.m_aMailAccounts, nIndex, m_nIndex,
                                                   IDC_MAIL_NAME,
                                                   {
                                                       {IDC_MAIL_ADDRESS, &MailAccount::strAddress},
                                                       {IDC_MAIL_WEBMAIL, &MailAccount::strWebInterface},
                                                       {IDC_MAIL_PASSWORD, &MailAccount::strPassword},
                                                       {IDC_MAIL_USERID, &MailAccount::strUserId},
                                                       {IDC_MAIL_SMTP, &MailAccount::strSmtpServer},
                                                       {IDC_MAIL_POP, &MailAccount::strPopServer},
                                                       {IDC_MAIL_NOTES, &MailAccount::strNotes},
                                                   });
}
