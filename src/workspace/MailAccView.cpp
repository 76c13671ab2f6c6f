#include "workspace/MailAccView.h"

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
const std::initializer_list<workspace::FormField<MailAccount>> kFields = {
    {IDC_MAIL_ADDRESS, &MailAccount::strAddress},   {IDC_MAIL_WEBMAIL, &MailAccount::strWebInterface},
    {IDC_MAIL_PASSWORD, &MailAccount::strPassword}, {IDC_MAIL_USERID, &MailAccount::strUserId},
    {IDC_MAIL_SMTP, &MailAccount::strSmtpServer},   {IDC_MAIL_POP, &MailAccount::strPopServer},
    {IDC_MAIL_NOTES, &MailAccount::strNotes},
};

} // namespace

CMailAccView::CMailAccView() : CFormView(workspace::FormTemplate(IDD_MAIL_ACCOUNT)) {
    workspace::PrepareTemplateLabels(this, IDD_MAIL_ACCOUNT);
    for (int nID : workspace::kEditCommands)
        MapCommand(
            nID, [nID] { workspace::DoEditCommand(nID); },
            [nID](CCmdUI& cmdUI) { workspace::UpdateEditCommand(nID, cmdUI); });
    MapCommand(ID_GO_TO_URL, [] { workspace::GoToUrl(); });
    MapCommand(
        ID_EDIT_GENERATE_PASSWORD, [] { workspace::GeneratePasswordIntoFocusedField(); },
        [](CCmdUI& cmdUI) { workspace::UpdateGeneratePassword(cmdUI); });
    MapCommand(IDC_MAIL_ADD_MORE, [this] {
        if (CLeftView* tree = workspace::FormTree(this))
            tree->SelectMailFolder();
        workspace::FocusShownForm(this);
        workspace::StampActivity();
    });
    MapCommand(IDC_MAIL_DELETE, [this] {
        if (CLeftView* tree = workspace::FormTree(this))
            tree->DeleteSelectedAccount();
        workspace::KeepFocusVisible(this);
        workspace::StampActivity();
    });
}

CMailAccView::~CMailAccView() = default;

CVaultoraDoc* CMailAccView::GetDocument() const {
    return dynamic_cast<CVaultoraDoc*>(CView::GetDocument());
}

void CMailAccView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    for (const auto& field : kFields)
        workspace::StyleFormEdit(GetDlgItem(field.nID), field.nID == IDC_MAIL_NOTES ? 12 : 15);
    m_layout.Attach(this);
    for (int nID : {IDC_MAIL_NAME, IDC_MAIL_ADDRESS, IDC_MAIL_WEBMAIL, IDC_MAIL_USERID, IDC_MAIL_PASSWORD,
                    IDC_MAIL_SMTP, IDC_MAIL_POP, IDC_MAIL_NOTES})
        m_layout.AddControl(nID, CFormLayout::LAYOUT_SIZE_X);
    workspace::StyleFormLabel(this, IDC_MAIL_HEADING, 17, workspace::kCaptionColour);
    workspace::StyleFormLabel(this, IDC_MAIL_NAME, 16, Qt::black);
    for (int nID : {IDC_MAIL_ADDRESS_LABEL, IDC_MAIL_USERID_LABEL, IDC_MAIL_PASSWORD_LABEL, IDC_MAIL_NOTES_LABEL,
                    IDC_MAIL_SMTP_LABEL, IDC_MAIL_POP_LABEL, IDC_MAIL_WEBMAIL_LABEL})
        workspace::StyleFormLabel(this, nID, 12, workspace::kCaptionColour);
    workspace::TrackMouseActivity(this);
    workspace::GuardSecretFields(this);
}

void CMailAccView::LoadAccount(int nIndex) {
    CVaultoraDoc* doc = GetDocument();
    if (doc)
        workspace::LoadRecordIntoForm<MailAccount>(*this, doc, doc->m_lists.m_aMailAccounts, nIndex, m_nIndex,
                                                   m_bLoading, IDC_MAIL_NAME, kFields);
}

void CMailAccView::OnControlChanged(int nID, Notify code) {
    if (code != Changed)
        return;
    CVaultoraDoc* doc = GetDocument();
    workspace::StoreFieldIntoRecord<MailAccount>(*this, doc, doc ? &doc->m_lists.m_aMailAccounts : nullptr, m_nIndex,
                                                 m_bLoading, nID, kFields);
}

void CMailAccView::resizeEvent(QResizeEvent* event) {
    CFormView::resizeEvent(event);
    m_layout.Layout();
}
