#include "workspace/SecretFields.h"

#include "framework/ClipboardGuard.h"
#include "framework/CmdUI.h"
#include "framework/FormView.h"
#include "res/resource.h"
#include "textdoc/CommandMenu.h"
#include "textdoc/EditEx.h"
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

namespace workspace {

namespace {

const char* const kSecretField = "lwSecretField";

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
        if (!bCopy && !bCut)
            return false;
        auto* line = qobject_cast<QLineEdit*>(field);
        auto* multi = qobject_cast<QPlainTextEdit*>(field);
        if (line)
            bCopy ? line->copy() : line->cut();
        else if (multi)
            bCopy ? multi->copy() : multi->cut();
        else
            return false;
        OfferCopiedSecret(field);
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
    QAction* generate = menu->addAction(QStringLiteral("Generate Password...\tCtrl+R"));
    generate->setData(ID_EDIT_GENERATE_PASSWORD);
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
