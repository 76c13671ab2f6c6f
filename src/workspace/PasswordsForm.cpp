#include "workspace/PasswordsForm.h"

#include "controls/Controls.h"
#include "controls/Label.h"
#include "framework/CmdUI.h"
#include "framework/DialogTemplate.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "textdoc/EditEx.h"
#include "workspace/NotesEdit.h"
#include "workspace/SecretFields.h"
#include "workspace/VaultoraChildFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QLabel>
#include <QMimeData>
#include <limits>

namespace {

const QString kFieldFace = QStringLiteral("Times New Roman");

// The edit fields of the forms: the edit control with links on one line; the notes, which take
// several lines, its multi-line counterpart.
QWidget* CreateFormEdit(const DlgItem& item, QWidget* parent) {
    if (item.kind == DlgKind::MultiEdit)
        return new CNotesEdit(parent);
    auto* edit = new CEditEx(parent);
    // A field holds its record's text whatever its length: the line edit's own limit of 32,767
    // characters would cut a longer one on display, and the cut would be saved.
    edit->setMaxLength(std::numeric_limits<int>::max());
    edit->setReadOnly(item.style & DS_READONLY);
    return edit;
}

// The template id of a form, once the control classes its template names can be built, whoever
// builds the first form.
int FormTemplate(int nIDTemplate) {
    static const bool registered = [] {
        RegisterControlClasses();
        RegisterControlClass("FormEdit", &CreateFormEdit);
        return true;
    }();
    (void)registered;
    return nIDTemplate;
}

constexpr int kEditCommands[] = {ID_EDIT_CLEAR,      ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE,
                                 ID_EDIT_SELECT_ALL, ID_EDIT_UNDO, ID_EDIT_REDO};

} // namespace

CPasswordsForm::CPasswordsForm(int nIDTemplate) : CFormView(FormTemplate(nIDTemplate)) {
    // Labels are aligned as the template says (the label control itself does not read it) and show
    // their text as it is: some show account names, which may look like markup.
    const DlgTemplate* tmpl = FindDialogTemplate(nIDTemplate);
    if (!tmpl)
        return;
    for (const DlgItem& item : tmpl->items) {
        auto* label = item.kind == DlgKind::Static ? qobject_cast<QLabel*>(GetDlgItem(item.id)) : nullptr;
        if (!label)
            continue;
        label->setTextFormat(Qt::PlainText);
        if (item.style & (DS_RIGHT | DS_CENTER))
            label->setAlignment(((item.style & DS_RIGHT) ? Qt::AlignRight : Qt::AlignHCenter) | Qt::AlignTop);
    }
}

CPasswordsForm::~CPasswordsForm() = default;

void CPasswordsForm::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    // Mouse moves over the form or any of its controls count as activity for the screen lock; the
    // toolkit reports moves without a button only to widgets that track the mouse.
    QList<QWidget*> widgets = GetPage()->findChildren<QWidget*>();
    widgets << this << viewport() << GetPage();
    for (QWidget* widget : widgets)
        widget->setMouseTracking(true);
}

CLeftView* CPasswordsForm::GetTree() {
    auto* frame = dynamic_cast<CVaultoraChildFrame*>(GetParentFrame());
    return frame ? frame->GetLeftView() : nullptr;
}

void CPasswordsForm::StyleEdit(QWidget* edit, int nCharHeight) {
    const QColor background(255, 255, 200);
    if (auto* line = qobject_cast<CEditEx*>(edit)) {
        line->SetBackColor(background);
        line->SetForeColor(Qt::black);
        line->ApplyFont(-nCharHeight, 400, 0, kFieldFace);
    } else if (auto* notes = qobject_cast<CNotesEdit*>(edit)) {
        notes->SetBackColor(background);
        notes->SetForeColor(Qt::black);
        notes->ApplyFont(-nCharHeight, 400, 0, kFieldFace);
    }
}

void CPasswordsForm::StyleLabel(int nID, int nCharHeight, const QColor& colour) {
    if (auto* label = qobject_cast<CLabel*>(GetDlgItem(nID)))
        label->SetFontName(kFieldFace).SetFontSize(nCharHeight).SetTextColor(colour);
}

void CPasswordsForm::MapEditCommands() {
    for (int nID : kEditCommands)
        MapCommand(
            nID, [nID] { DoEditCommand(nID); }, [nID](CCmdUI& cmdUI) { UpdateEditCommand(nID, cmdUI); });
}

void CPasswordsForm::DoEditCommand(int nID) {
    QWidget* focus = QApplication::focusWidget();
    auto* line = qobject_cast<QLineEdit*>(focus);
    auto* multi = qobject_cast<QPlainTextEdit*>(focus);
    if (!line && !multi)
        return;
    switch (nID) {
    case ID_EDIT_CLEAR:
        // Clears the selection only, never the character beside the caret.
        if (line && line->hasSelectedText() && !line->isReadOnly())
            line->del();
        else if (multi && !multi->isReadOnly())
            multi->textCursor().removeSelectedText();
        break;
    case ID_EDIT_COPY:
    case ID_EDIT_CUT:
        workspace::CopyFromField(focus, nID == ID_EDIT_CUT);
        break;
    case ID_EDIT_PASTE:
        line ? line->paste() : multi->paste();
        break;
    case ID_EDIT_SELECT_ALL:
        if (line) {
            line->selectAll();
        } else {
            multi->selectAll();
            multi->ensureCursorVisible();
        }
        break;
    case ID_EDIT_UNDO:
        line ? line->undo() : multi->undo();
        break;
    case ID_EDIT_REDO:
        line ? line->redo() : multi->redo();
        break;
    default:
        break;
    }
}

void CPasswordsForm::UpdateEditCommand(int nID, CCmdUI& cmdUI) {
    QWidget* focus = QApplication::focusWidget();
    auto* line = qobject_cast<QLineEdit*>(focus);
    auto* multi = qobject_cast<QPlainTextEdit*>(focus);
    switch (nID) {
    case ID_EDIT_COPY:
    case ID_EDIT_CUT:
        cmdUI.Enable((line && line->hasSelectedText()) || (multi && multi->textCursor().hasSelection()));
        break;
    case ID_EDIT_PASTE: {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        const bool bText = data && data->hasText();
        cmdUI.Enable(bText && ((line && !line->isReadOnly()) || (multi && !multi->isReadOnly())));
        break;
    }
    case ID_EDIT_REDO:
        cmdUI.Enable((line && line->isRedoAvailable()) || (multi && multi->document()->isRedoAvailable()));
        break;
    default:
        cmdUI.Enable(true);
        break;
    }
}

void CPasswordsForm::resizeEvent(QResizeEvent* event) {
    CFormView::resizeEvent(event);
    m_layout.Layout();
}
