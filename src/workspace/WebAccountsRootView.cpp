#include "workspace/WebAccountsRootView.h"

#include "framework/Document.h"
#include "res/resource.h"
#include "workspace/Activity.h"
#include "workspace/FormControls.h"
#include "workspace/FormFocus.h"
#include "workspace/LeftView.h"

WebAccountsRootView::WebAccountsRootView() : CFormView(workspace::FormTemplate(IDD_WEB_ROOT)) {
    workspace::PrepareTemplateLabels(this, IDD_WEB_ROOT);
    for (int nID : workspace::kEditCommands)
        MapCommand(
            nID, [nID] { workspace::DoEditCommand(nID); },
            [nID](CCmdUI& cmdUI) { workspace::UpdateEditCommand(nID, cmdUI); });
    MapCommand(IDC_WEB_ROOT_ADD, [this] { OnAdd(); });
    MapCommand(IDC_WEB_ROOT_CANCEL, [this] { OnCancel(); });
}

WebAccountsRootView::~WebAccountsRootView() = default;

void WebAccountsRootView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    m_layout.Attach(this);
    m_layout.AddControl(IDC_WEB_ROOT_NAME, CFormLayout::LAYOUT_SIZE_X);
    workspace::StyleFormEdit(GetDlgItem(IDC_WEB_ROOT_NAME), 15);
    workspace::StyleFormLabel(this, IDC_WEB_ROOT_TITLE, 17, workspace::kCaptionColour);
    workspace::StyleFormLabel(this, IDC_WEB_ROOT_NAME_LABEL, 12, workspace::kCaptionColour);
    if (QWidget* add = GetDlgItem(IDC_WEB_ROOT_ADD))
        add->setEnabled(false);
    workspace::TrackMouseActivity(this);
}

void WebAccountsRootView::OnControlChanged(int nID, Notify code) {
    if (nID != IDC_WEB_ROOT_NAME || code != Changed)
        return;
    if (QWidget* add = GetDlgItem(IDC_WEB_ROOT_ADD))
        add->setEnabled(!GetDlgItemText(IDC_WEB_ROOT_NAME).isEmpty());
    workspace::StampActivity();
    if (CDocument* doc = GetDocument())
        doc->SetModifiedFlag(true);
}

void WebAccountsRootView::OnAdd() {
    const QString name = GetDlgItemText(IDC_WEB_ROOT_NAME);
    // The button is disabled while the field is empty; a click that reaches here anyway adds nothing.
    if (name.isEmpty())
        return;
    if (CLeftView* tree = workspace::FormTree(this))
        tree->AddWebAccount(name);
    SetDlgItemText(IDC_WEB_ROOT_NAME, QString());
    // The new account is shown now; its first field gets the caret.
    workspace::FocusShownForm(this);
    workspace::StampActivity();
    if (CDocument* doc = GetDocument())
        doc->SetModifiedFlag(true);
}

void WebAccountsRootView::OnCancel() {
    SetDlgItemText(IDC_WEB_ROOT_NAME, QString());
    if (CLeftView* tree = workspace::FormTree(this))
        tree->SelectRoot();
    workspace::FocusTree(this);
    workspace::StampActivity();
}

void WebAccountsRootView::resizeEvent(QResizeEvent* event) {
    CFormView::resizeEvent(event);
    m_layout.Layout();
}
