#include "workspace/FolderForm.h"

#include "framework/Document.h"
#include "workspace/FormFocus.h"
#include "workspace/LeftView.h"

CFolderForm::CFolderForm(const Ids& ids) : CPasswordsForm(ids.nTemplate), m_ids(ids) {
    MapEditCommands();
    MapCommand(m_ids.nAdd, [this] { OnAdd(); });
    MapCommand(m_ids.nCancel, [this] { OnCancel(); });
}

CFolderForm::~CFolderForm() = default;

void CFolderForm::OnInitialUpdate() {
    CPasswordsForm::OnInitialUpdate();
    GetLayout().Attach(this);
    GetLayout().AddControl(m_ids.nName, CFormLayout::LAYOUT_SIZE_X);
    StyleEdit(GetDlgItem(m_ids.nName), 15);
    StyleLabel(m_ids.nTitle, 17, kCaptionColour);
    StyleLabel(m_ids.nNameLabel, 12, kCaptionColour);
    if (QWidget* add = GetDlgItem(m_ids.nAdd))
        add->setEnabled(false);
}

void CFolderForm::OnControlChanged(int nID, Notify code) {
    if (nID != m_ids.nName || code != Changed)
        return;
    if (QWidget* add = GetDlgItem(m_ids.nAdd))
        add->setEnabled(!GetDlgItemText(m_ids.nName).isEmpty());
    if (CDocument* doc = GetDocument())
        doc->SetModifiedFlag(true);
}

void CFolderForm::OnAdd() {
    const QString name = GetDlgItemText(m_ids.nName);
    // The button is disabled while the field is empty; a click that reaches here anyway adds nothing.
    if (name.isEmpty())
        return;
    if (CLeftView* tree = GetTree())
        tree->AddAccount(m_ids.kind, name);
    SetDlgItemText(m_ids.nName, QString());
    // The new account is shown now; its first field gets the caret.
    workspace::FocusShownForm(this);
    if (CDocument* doc = GetDocument())
        doc->SetModifiedFlag(true);
}

void CFolderForm::OnCancel() {
    SetDlgItemText(m_ids.nName, QString());
    if (CLeftView* tree = GetTree())
        tree->SelectRoot();
    workspace::FocusTree(this);
}
