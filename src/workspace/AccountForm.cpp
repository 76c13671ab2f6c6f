#include "workspace/AccountForm.h"

#include "framework/CmdUI.h"
#include "framework/ShellOpen.h"
#include "framework/Utf8Text.h"
#include "passwords/VaultoraDoc.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "textdoc/EditEx.h"
#include "workspace/FormFocus.h"
#include "workspace/FormStrength.h"
#include "workspace/LeftView.h"
#include "workspace/NotesEdit.h"
#include "workspace/OneTimeCodeRow.h"
#include "workspace/SecretFields.h"

#include <QApplication>
#include <string_view>

namespace {

// The text of an edit field as the record holds it, and the other way: exactly, with no character
// or line break changed.
QString GetFieldText(const QWidget* control) {
    if (auto* notes = qobject_cast<const CNotesEdit*>(control))
        return notes->GetRecordText();
    return GetControlText(control);
}

bool IsPasswordElement(const char* szElement) {
    return std::string_view(szElement) == "PASSWORD";
}

void SetFieldText(QWidget* control, const QString& text) {
    if (auto* notes = qobject_cast<CNotesEdit*>(control))
        notes->SetRecordText(text);
    else
        SetControlText(control, text);
}

} // namespace

CAccountForm::CAccountForm(const Shape& shape) : CPasswordsForm(shape.nTemplate), m_shape(shape) {
    MapEditCommands();
    if (m_shape.bOpensLinks)
        MapCommand(
            ID_GO_TO_URL, [] { GoToUrl(); }, [](CCmdUI& cmdUI) { cmdUI.Enable(FocusedWebAddress().isValid()); });
    MapCommand(
        ID_EDIT_GENERATE_PASSWORD, [] { workspace::GeneratePasswordIntoFocusedField(); },
        [](CCmdUI& cmdUI) { workspace::UpdateGeneratePassword(cmdUI); });
    MapCommand(m_shape.nAddMore, [this] {
        if (CLeftView* tree = GetTree())
            tree->SelectFolder(m_shape.kind);
        workspace::FocusShownForm(this);
    });
    MapCommand(m_shape.nDelete, [this] {
        if (CLeftView* tree = GetTree())
            tree->DeleteSelectedAccount();
        workspace::KeepFocusVisible(this);
        if (CVaultoraDoc* doc = GetDocument(); doc && m_shape.bDeleteMarksModified)
            doc->SetModifiedFlag(true);
    });
    // One-time code: the row does the work; the form only owns the command.
    MapCommand(
        ID_EDIT_COPY_ONE_TIME_CODE,
        [this] {
            if (m_pOneTimeCode)
                m_pOneTimeCode->CopyCode();
        },
        [this](CCmdUI& cmdUI) { cmdUI.Enable(m_pOneTimeCode && m_pOneTimeCode->HasCode()); });
}

CAccountForm::~CAccountForm() = default;

CVaultoraDoc* CAccountForm::GetDocument() const {
    return dynamic_cast<CVaultoraDoc*>(CView::GetDocument());
}

void CAccountForm::OnInitialUpdate() {
    CPasswordsForm::OnInitialUpdate();
    GetLayout().Attach(this);
    GetLayout().AddControl(m_shape.nName, CFormLayout::LAYOUT_SIZE_X);
    for (const FormField& field : m_shape.fields) {
        QWidget* edit = GetDlgItem(field.nID);
        StyleEdit(edit, qobject_cast<CNotesEdit*>(edit) ? 12 : 15);
        GetLayout().AddControl(field.nID, CFormLayout::LAYOUT_SIZE_X);
    }
    // After the fields are registered: the reveal button moves by what its field widens.
    for (const FormField& field : m_shape.fields) {
        if (auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(field.nID)); edit && IsPasswordElement(field.szElement))
            workspace::MarkPasswordField(edit, GetLayout());
    }
    CFormStrength::Attach(this, GetLayout(), m_shape.nName, m_shape.fields);
    StyleLabel(m_shape.nHeading, 17, kCaptionColour);
    StyleLabel(m_shape.nName, 16, Qt::black);
    // Every other label of the template is a field's caption.
    if (const DlgTemplate* tmpl = FindDialogTemplate(m_shape.nTemplate)) {
        for (const DlgItem& item : tmpl->items) {
            if (item.kind == DlgKind::Static && item.id != m_shape.nHeading && item.id != m_shape.nName)
                StyleLabel(item.id, 12, kCaptionColour);
        }
    }
    workspace::GuardSecretFields(this);
    if (!m_pOneTimeCode)
        m_pOneTimeCode = new COneTimeCodeRow(this, m_shape.kind, GetLayout());
}

void CAccountForm::LoadAccount(int nIndex) {
    CVaultoraDoc* doc = GetDocument();
    if (!doc || !doc->m_lists.Holds(m_shape.kind, nIndex))
        return;
    m_nIndex = nIndex;
    workspace::ConcealPasswords(this);
    const bool bWasLoading = m_bLoading;
    m_bLoading = true;
    const AccountLists& lists = doc->m_lists;
    SetDlgItemText(m_shape.nName, TextFromUtf8(*lists.Field(m_shape.kind, nIndex, "NAME")));
    for (const FormField& field : m_shape.fields) {
        if (const platform::SecureString* value = lists.Field(m_shape.kind, nIndex, field.szElement))
            SetFieldText(GetDlgItem(field.nID), TextFromUtf8(*value));
    }
    CFormStrength::Refresh(this);
    m_bLoading = bWasLoading;
}

void CAccountForm::hideEvent(QHideEvent* event) {
    CPasswordsForm::hideEvent(event);
    // Only when the form itself is hidden: a window hidden around it (the screen lock) gives it back as
    // it was, undo history included.
    if (!isHidden())
        return;
    const bool bWasLoading = m_bLoading;
    m_bLoading = true;
    SetDlgItemText(m_shape.nName, QString());
    for (const FormField& field : m_shape.fields)
        SetFieldText(GetDlgItem(field.nID), QString());
    CFormStrength::Refresh(this);
    m_bLoading = bWasLoading;
}

void CAccountForm::OnControlChanged(int nID, Notify code) {
    if (code != Changed)
        return;
    for (const FormField& field : m_shape.fields) {
        if (field.nID != nID)
            continue;
        // While the form is being loaded a change is the form's own.
        if (m_bLoading)
            return;
        CVaultoraDoc* doc = GetDocument();
        if (platform::SecureString* value =
                doc ? doc->m_lists.Field(m_shape.kind, m_nIndex, field.szElement) : nullptr) {
            *value = SecureUtf8(GetFieldText(GetDlgItem(nID)));
            doc->SetModifiedFlag(true);
            emit doc->AccountEdited(m_shape.kind, m_nIndex);
        }
        return;
    }
}

QUrl CAccountForm::FocusedWebAddress() {
    QWidget* focus = QApplication::focusWidget();
    if (auto* edit = qobject_cast<QLineEdit*>(focus))
        return CEditEx::WebAddressOf(edit->text());
    if (auto* notes = qobject_cast<CNotesEdit*>(focus))
        return CEditEx::WebAddressOf(notes->FirstLine());
    return QUrl();
}

void CAccountForm::GoToUrl() {
    // The desktop's failure to open it is not reported.
    if (const QUrl url = FocusedWebAddress(); url.isValid())
        (void)ShellOpen(url);
}
