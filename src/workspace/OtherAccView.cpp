#include "workspace/OtherAccView.h"

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
const std::initializer_list<workspace::FormField<OtherAccount>> kFields = {
    {IDC_OTHER_PASSWORD, &OtherAccount::strPassword},
    {IDC_OTHER_USERID, &OtherAccount::strUserId},
    {IDC_OTHER_NOTES, &OtherAccount::strNotes},
};

} // namespace

COtherAccView::COtherAccView() : CFormView(workspace::FormTemplate(IDD_OTHER_ACCOUNT)) {
    workspace::PrepareTemplateLabels(this, IDD_OTHER_ACCOUNT);
    for (int nID : workspace::kEditCommands)
        MapCommand(
            nID, [nID] { workspace::DoEditCommand(nID); },
            [nID](CCmdUI& cmdUI) { workspace::UpdateEditCommand(nID, cmdUI); });
    MapCommand(
        ID_EDIT_GENERATE_PASSWORD, [] { workspace::GeneratePasswordIntoFocusedField(); },
        [](CCmdUI& cmdUI) { workspace::UpdateGeneratePassword(cmdUI); });
    MapCommand(IDC_OTHER_ADD_MORE, [this] {
        if (CLeftView* tree = workspace::FormTree(this))
            tree->SelectOtherFolder();
        workspace::FocusShownForm(this);
        workspace::StampActivity();
    });
    MapCommand(IDC_OTHER_DELETE, [this] {
        if (CLeftView* tree = workspace::FormTree(this))
            tree->DeleteSelectedAccount();
        workspace::KeepFocusVisible(this);
        workspace::StampActivity();
    });
}

COtherAccView::~COtherAccView() = default;

CVaultoraDoc* COtherAccView::GetDocument() const {
    return dynamic_cast<CVaultoraDoc*>(CView::GetDocument());
}

void COtherAccView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    for (const auto& field : kFields)
        workspace::StyleFormEdit(GetDlgItem(field.nID), field.nID == IDC_OTHER_NOTES ? 12 : 15);
    m_layout.Attach(this);
    for (int nID : {IDC_OTHER_NAME, IDC_OTHER_USERID, IDC_OTHER_PASSWORD, IDC_OTHER_NOTES})
        m_layout.AddControl(nID, CFormLayout::LAYOUT_SIZE_X);
    workspace::StyleFormLabel(this, IDC_OTHER_HEADING, 17, workspace::kCaptionColour);
    workspace::StyleFormLabel(this, IDC_OTHER_NAME, 16, Qt::black);
    for (int nID : {IDC_OTHER_USERID_LABEL, IDC_OTHER_PASSWORD_LABEL, IDC_OTHER_NOTES_LABEL})
        workspace::StyleFormLabel(this, nID, 12, workspace::kCaptionColour);
    workspace::TrackMouseActivity(this);
    workspace::GuardSecretFields(this);
}

void COtherAccView::LoadAccount(int nIndex) {
    CVaultoraDoc* doc = GetDocument();
    if (doc)
        workspace::LoadRecordIntoForm<OtherAccount>(*this, doc, doc->m_lists.m_aOtherAccounts, nIndex, m_nIndex,
                                                    m_bLoading, IDC_OTHER_NAME, kFields);
}

void COtherAccView::OnControlChanged(int nID, Notify code) {
    if (code != Changed)
        return;
    CVaultoraDoc* doc = GetDocument();
    workspace::StoreFieldIntoRecord<OtherAccount>(*this, doc, doc ? &doc->m_lists.m_aOtherAccounts : nullptr, m_nIndex,
                                                  m_bLoading, nID, kFields);
}

void COtherAccView::resizeEvent(QResizeEvent* event) {
    CFormView::resizeEvent(event);
    m_layout.Layout();
}
