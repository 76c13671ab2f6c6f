#include "workspace/OtherAccountsRootView.h"

#include "framework/Document.h"
#include "res/resource.h"
#include "workspace/Activity.h"
#include "workspace/FormControls.h"
#include "workspace/FormFocus.h"
#include "workspace/LeftView.h"

OtherAccountsRootView::OtherAccountsRootView() : CFormView(workspace::FormTemplate(IDD_OTHER_ROOT)) {
    workspace::PrepareTemplateLabels(this, IDD_OTHER_ROOT);
    for (int nID : workspace::kEditCommands)
        MapCommand(
            nID, [nID] { workspace::DoEditCommand(nID); },
            [nID](CCmdUI& cmdUI) { workspace::UpdateEditCommand(nID, cmdUI); });
    MapCommand(IDC_OTHER_ROOT_ADD, [this] { OnAdd(); });
    MapCommand(IDC_OTHER_ROOT_CANCEL, [this] { OnCancel(); });
}

OtherAccountsRootView::~OtherAccountsRootView() = default;

void OtherAccountsRootView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    m_layout.Attach(this);
    m_layout.AddControl(IDC_OTHER_ROOT_NAME, CFormLayout::LAYOUT_SIZE_X);
    workspace::StyleFormEdit(GetDlgItem(IDC_OTHER_ROOT_NAME), 15);
    workspace::StyleFormLabel(this, IDC_OTHER_ROOT_TITLE, 17, workspace::kCaptionColour);
    workspace::StyleFormLabel(this, IDC_OTHER_ROOT_NAME_LABEL, 12, workspace::kCaptionColour);
    if (QWidget* add = GetDlgItem(IDC_OTHER_ROOT_ADD))
        add->setEnabled(false);
    workspace::TrackMouseActivity(this);
}

void OtherAccountsRootView::OnControlChanged(int nID, Notify code) {
    if (nID != IDC_OTHER_ROOT_NAME || code != Changed)
        return;
    if (QWidget* add = GetDlgItem(IDC_OTHER_ROOT_ADD))
        add->setEnabled(!GetDlgItemText(IDC_OTHER_ROOT_NAME).isEmpty());
    workspace::StampActivity();
    if (CDocument* doc = GetDocument())
        doc->SetModifiedFlag(true);
}

void OtherAccountsRootView::OnAdd() {
    const QString name = GetDlgItemText(IDC_OTHER_ROOT_NAME);
    // The button is disabled while the field is empty; a click that reaches here anyway adds nothing.
    if (name.isEmpty())
        return;
    if (CLeftView* tree = workspace::FormTree(this))
        tree->AddOtherAccount(name);
    SetDlgItemText(IDC_OTHER_ROOT_NAME, QString());
    // The new account is shown now; its first field gets the caret.
    workspace::FocusShownForm(this);
    workspace::StampActivity();
    if (CDocument* doc = GetDocument())
        doc->SetModifiedFlag(true);
}

void OtherAccountsRootView::OnCancel() {
    SetDlgItemText(IDC_OTHER_ROOT_NAME, QString());
    if (CLeftView* tree = workspace::FormTree(this))
        tree->SelectRoot();
    workspace::FocusTree(this);
    workspace::StampActivity();
}

void OtherAccountsRootView::resizeEvent(QResizeEvent* event) {
    CFormView::resizeEvent(event);
    m_layout.Layout();
}
