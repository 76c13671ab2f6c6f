#include "workspace/OtherAccView.h"

#include "passwords/VaultoraDoc.h"
#include "res/resource.h"
#include "workspace/AccountFormFields.h"
#include "workspace/FormControls.h"

COtherAccView::COtherAccView() : CFormView(workspace::FormTemplate(IDD_OTHER_ACCOUNT)) {
    workspace::PrepareTemplateLabels(this, IDD_OTHER_ACCOUNT);
}

COtherAccView::~COtherAccView() = default;

CVaultoraDoc* COtherAccView::GetDocument() const {
    return dynamic_cast<CVaultoraDoc*>(CView::GetDocument());
}

void COtherAccView::LoadAccount(int nIndex) {
    CVaultoraDoc* doc = GetDocument();
    if (doc)
        workspace::LoadRecordIntoForm<OtherAccount>(*this, doc, doc->m_lists.m_aOtherAccounts, nIndex, m_nIndex,
                                                    IDC_OTHER_NAME,
                                                    {
                                                        {IDC_OTHER_PASSWORD, &OtherAccount::strPassword},
                                                        {IDC_OTHER_USERID, &OtherAccount::strUserId},
                                                        {IDC_OTHER_NOTES, &OtherAccount::strNotes},
                                                    });
}
