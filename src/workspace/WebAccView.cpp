#include "workspace/WebAccView.h"

#include "passwords/VaultoraDoc.h"
#include "res/resource.h"
#include "workspace/AccountFormFields.h"
#include "workspace/Activity.h"
#include "workspace/FormControls.h"
#include "workspace/FormFocus.h"
#include "workspace/LeftView.h"
#include "workspace/SecretFields.h"

namespace {

// In the order the fields are filled when an account is shown.
const std::initializer_list<workspace::FormField<WebAccount>> kFields = {
    {IDC_WEB_ADDRESS, &WebAccount::strAddress},
    {IDC_WEB_NOTES, &WebAccount::strNotes},
    {IDC_WEB_PASSWORD, &WebAccount::strPassword},
    {IDC_WEB_USERID, &WebAccount::strUserId},
};

} // namespace

CWebAccView::CWebAccView() : CFormView(workspace::FormTemplate(IDD_WEB_ACCOUNT)) {
    workspace::PrepareTemplateLabels(this, IDD_WEB_ACCOUNT);
    for (int nID : workspace::kEditCommands)
        MapCommand(
            nID, [nID] { workspace::DoEditCommand(nID); },
            [nID](CCmdUI& cmdUI) { workspace::UpdateEditCommand(nID, cmdUI); });
    MapCommand(ID_GO_TO_URL, [] { workspace::GoToUrl(); });
    MapCommand(
        ID_EDIT_GENERATE_PASSWORD, [] { workspace::GeneratePasswordIntoFocusedField(); },
        [](CCmdUI& cmdUI) { workspace::UpdateGeneratePassword(cmdUI); });
    MapCommand(IDC_WEB_ADD_MORE, [this] {
        if (CLeftView* tree = workspace::FormTree(this))
            tree->SelectWebFolder();
        workspace::FocusShownForm(this);
        workspace::StampActivity();
    });
    MapCommand(IDC_WEB_DELETE, [this] {
        if (CLeftView* tree = workspace::FormTree(this))
            tree->DeleteSelectedAccount();
        workspace::KeepFocusVisible(this);
        workspace::StampActivity();
        // This form has always marked the document modified after the question, whatever the answer.
        if (CVaultoraDoc* doc = GetDocument())
            doc->SetModifiedFlag(true);
    });
}

CWebAccView::~CWebAccView() = default;

CVaultoraDoc* CWebAccView::GetDocument() const {
    return dynamic_cast<CVaultoraDoc*>(CView::GetDocument());
}

void CWebAccView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    for (const auto& field : kFields)
        workspace::StyleFormEdit(GetDlgItem(field.nID), field.nID == IDC_WEB_NOTES ? 12 : 15);
    m_layout.Attach(this);
    for (int nID : {IDC_WEB_NAME, IDC_WEB_ADDRESS, IDC_WEB_USERID, IDC_WEB_PASSWORD, IDC_WEB_NOTES})
        m_layout.AddControl(nID, CFormLayout::LAYOUT_SIZE_X);
    workspace::StyleFormLabel(this, IDC_WEB_HEADING, 17, workspace::kCaptionColour);
    workspace::StyleFormLabel(this, IDC_WEB_NAME, 16, Qt::black);
    for (int nID : {IDC_WEB_ADDRESS_LABEL, IDC_WEB_USERID_LABEL, IDC_WEB_PASSWORD_LABEL, IDC_WEB_NOTES_LABEL})
        workspace::StyleFormLabel(this, nID, 12, workspace::kCaptionColour);
    workspace::TrackMouseActivity(this);
    workspace::GuardSecretFields(this);
}

void CWebAccView::LoadAccount(int nIndex) {
    CVaultoraDoc* doc = GetDocument();
    if (doc)
        workspace::LoadRecordIntoForm<WebAccount>(*this, doc, doc->m_lists.m_aWebAccounts, nIndex, m_nIndex, m_bLoading,
                                                  IDC_WEB_NAME, kFields);
}

void CWebAccView::OnControlChanged(int nID, Notify code) {
    if (code != Changed)
        return;
    CVaultoraDoc* doc = GetDocument();
    workspace::StoreFieldIntoRecord<WebAccount>(*this, doc, doc ? &doc->m_lists.m_aWebAccounts : nullptr, m_nIndex,
                                                m_bLoading, nID, kFields);
}

void CWebAccView::resizeEvent(QResizeEvent* event) {
    CFormView::resizeEvent(event);
    m_layout.Layout();
}
