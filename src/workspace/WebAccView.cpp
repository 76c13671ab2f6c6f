#include "workspace/WebAccView.h"

#include "passwords/VaultoraDoc.h"
#include "res/resource.h"
#include "workspace/AccountFormFields.h"
#include "workspace/FormControls.h"

CWebAccView::CWebAccView() : CFormView(workspace::FormTemplate(IDD_WEB_ACCOUNT)) {
    workspace::PrepareTemplateLabels(this, IDD_WEB_ACCOUNT);
}

CWebAccView::~CWebAccView() = default;

CVaultoraDoc* CWebAccView::GetDocument() const {
    return dynamic_cast<CVaultoraDoc*>(CView::GetDocument());
}

void CWebAccView::LoadAccount(int nIndex) {
    CVaultoraDoc* doc = GetDocument();
    if (doc)
        workspace::LoadRecordIntoForm<WebAccount>(*this, doc, doc->m_lists.m_aWebAccounts, nIndex, m_nIndex,
                                                  IDC_WEB_NAME,
                                                  {
                                                      {IDC_WEB_ADDRESS, &WebAccount::strAddress},
                                                      {IDC_WEB_NOTES, &WebAccount::strNotes},
                                                      {IDC_WEB_PASSWORD, &WebAccount::strPassword},
                                                      {IDC_WEB_USERID, &WebAccount::strUserId},
                                                  });
}
