#include "workspace/SecretFields.h"

#include "framework/ClipboardGuard.h"
#include "framework/CmdUI.h"
#include "framework/FormView.h"
#include "framework/MenuItemText.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "textdoc/CommandMenu.h"
#include "textdoc/EditEx.h"
#include "workspace/FormLayout.h"
#include "workspace/OneTimeCodeRow.h"
#include "workspace/PasswordGeneratorDlg.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolButton>
#include <algorithm>

namespace workspace {

namespace {

const char* const kSecretField = "lwSecretField";
const char* const kPasswordField = "lwPasswordField";
const char* const kRevealButton = "lwRevealButton";
const QString kSettings = QStringLiteral("Settings");
const QString kHidePasswords = QStringLiteral("HidePasswords");
// Between a password field and its reveal button, in pixels.
constexpr int kRevealGap = 2;

QToolButton* RevealButtonOf(const QWidget* field) {
    return qobject_cast<QToolButton*>(field->property(kRevealButton).value<QObject*>());
}

// Dots or the text: dots while the passwords are hidden and the field's reveal button is not down.
void UpdateEcho(QLineEdit* field) {
    const QToolButton* button = RevealButtonOf(field);
    const bool bDots = button && !button->isHidden() && !button->isChecked();
    field->setEchoMode(bDots ? QLineEdit::Password : QLineEdit::Normal);
}

// The reveal button shows beside its field while the passwords are hidden: the field gives up the
// button's width then and takes it back after, so the two never overlap, and both keep following the
// form's layout (the field widens, the button moves) whether the button is shown or not.
void ApplyHidden(QLineEdit* field, bool bHide) {
    QToolButton* button = RevealButtonOf(field);
    if (!button)
        return;
    if (bHide == button->isHidden()) {
        QRect rect = field->geometry();
        const int nShift = button->width() + kRevealGap;
        rect.setRight(rect.right() + (bHide ? -nShift : nShift));
        field->setGeometry(rect);
        button->setVisible(bHide);
        // Hidden again from the start the next time.
        button->setChecked(false);
    }
    UpdateEcho(field);
}

QList<QLineEdit*> PasswordFieldsIn(const QWidget* root) {
    QList<QLineEdit*> fields;
    for (QLineEdit* line : root->findChildren<QLineEdit*>()) {
        if (line->property(kPasswordField).toBool())
            fields.push_back(line);
    }
    return fields;
}

bool IsSecretField(const QWidget* widget) {
    return widget && widget->property(kSecretField).toBool();
}

// Copy and cut by key are the fields' own (the toolkit gives them the keys before any accelerator):
// done here instead, so that the copied text reaches the guard every time.
class SecretFieldFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* field = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::KeyPress)
            return OnKey(field, static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::ContextMenu) {
            if (auto* edit = qobject_cast<CEditEx*>(field)) {
                textdoc::PopupCommandMenu(BuildSecretFieldMenu(edit),
                                          static_cast<QContextMenuEvent*>(event)->globalPos(), nullptr);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static bool OnKey(QWidget* field, QKeyEvent* key) {
        const bool bCopy = key->matches(QKeySequence::Copy);
        const bool bCut = key->matches(QKeySequence::Cut);
        if ((!bCopy && !bCut) || (!qobject_cast<QLineEdit*>(field) && !qobject_cast<QPlainTextEdit*>(field)))
            return false;
        CopyFromField(field, bCut);
        return true;
    }
};

QLineEdit* FocusedSecretLine() {
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    return IsSecretField(line) && !line->isReadOnly() && line->isEnabled() ? line : nullptr;
}

} // namespace

QMenu* BuildSecretFieldMenu(CEditEx* field) {
    QMenu* menu = field->BuildContextMenu();
    menu->addSeparator();
    QAction* generate = menu->addAction(QString());
    SetMenuItemText(generate, QStringLiteral("Generate Password...\tCtrl+R"));
    generate->setData(ID_EDIT_GENERATE_PASSWORD);
    AddCopyOneTimeCodeItem(menu);
    return menu;
}

void GuardSecretFields(CFormView* form) {
    auto* filter = new SecretFieldFilter(form);
    const auto lines = form->findChildren<QLineEdit*>();
    const auto multis = form->findChildren<QPlainTextEdit*>();
    QList<QWidget*> fields(lines.begin(), lines.end());
    fields.append(QList<QWidget*>(multis.begin(), multis.end()));
    for (QWidget* field : fields) {
        field->setProperty(kSecretField, true);
        field->installEventFilter(filter);
    }
}

void MarkPasswordField(QLineEdit* field, CFormLayout& layout) {
    field->setProperty(kPasswordField, true);
    field->setProperty(CClipboardGuard::kKeepOutOfSelection, true);
    auto* button = new QToolButton(field->parentWidget());
    button->setObjectName(QStringLiteral("revealPassword"));
    button->setText(QStringLiteral("Show"));
    button->setAccessibleName(QStringLiteral("Show password"));
    button->setToolTip(QStringLiteral("Show the password while the button is down"));
    button->setCheckable(true);
    button->setFocusPolicy(Qt::TabFocus);
    button->setMouseTracking(true);
    // At the right end of the field as the template places it; the field makes room while it shows.
    const QRect rect = field->geometry();
    const int nWidth = std::max(button->sizeHint().width(), rect.height());
    button->setGeometry(rect.right() + 1 - nWidth, rect.top(), nWidth, rect.height());
    button->hide();
    field->setProperty(kRevealButton, QVariant::fromValue<QObject*>(button));
    QWidget::setTabOrder(field, button);
    layout.AddWidget(button, CFormLayout::LAYOUT_MOVE_X);
    QObject::connect(button, &QToolButton::toggled, field, [field] { UpdateEcho(field); });
    ApplyHidden(field, PasswordsHidden());
}

void ConcealPasswords(QWidget* form) {
    for (QLineEdit* field : PasswordFieldsIn(form)) {
        if (QToolButton* button = RevealButtonOf(field))
            button->setChecked(false);
    }
}

bool PasswordsHidden() {
    CWinApp* app = AfxGetApp();
    return app && app->GetProfileInt(kSettings, kHidePasswords, 0) != 0;
}

void SetPasswordsHidden(bool bHide) {
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSettings, kHidePasswords, bHide ? 1 : 0);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        for (QLineEdit* field : PasswordFieldsIn(window))
            ApplyHidden(field, bHide);
    }
}

void CopyFromField(QWidget* field, bool bCut) {
    auto* line = qobject_cast<QLineEdit*>(field);
    auto* multi = qobject_cast<QPlainTextEdit*>(field);
    if (line && line->echoMode() != QLineEdit::Normal) {
        // The line edit refuses to copy what it shows as dots; an account's field copies through the
        // guard all the same, any other keeps the line edit's refusal.
        const QString text = line->selectedText();
        CClipboardGuard* guard = CClipboardGuard::Get();
        if (!IsSecretField(line) || !guard || text.isEmpty())
            return;
        guard->OfferSecret(text);
        // Removed as the Delete key removes it: a step of the field's undo history, and a change the
        // form stores in the record, as typing is.
        if (bCut && !line->isReadOnly())
            line->del();
        return;
    }
    if (line)
        bCut ? line->cut() : line->copy();
    else if (multi)
        bCut ? multi->cut() : multi->copy();
    else
        return;
    OfferCopiedSecret(field);
}

void OfferCopiedSecret(QWidget* field) {
    if (!IsSecretField(field))
        return;
    if (CClipboardGuard* guard = CClipboardGuard::Get())
        guard->OfferSecret(QApplication::clipboard()->text());
}

bool CanGenerateIntoFocusedField() {
    return FocusedSecretLine() != nullptr;
}

void UpdateGeneratePassword(CCmdUI& cmdUI) {
    cmdUI.Enable(CanGenerateIntoFocusedField());
}

void GeneratePasswordIntoFocusedField() {
    QPointer<QLineEdit> field = FocusedSecretLine();
    if (!field)
        return;
    CPasswordGeneratorDlg dialog(field->window());
    if (dialog.DoModal() != IDOK || !field || field->isReadOnly() || !field->isEnabled())
        return;
    // As if typed over the whole text: the record, the modified flag and the activity follow the
    // field's change, and Undo brings the old text back.
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    field->insert(dialog.GetPassword());
}

} // namespace workspace
