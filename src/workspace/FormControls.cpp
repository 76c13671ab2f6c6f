#include "workspace/FormControls.h"

#include "controls/Controls.h"
#include "framework/DialogTemplate.h"
#include "framework/FormView.h"
#include "res/Resources.h"
#include "textdoc/EditEx.h"

#include <QLabel>
#include <QPlainTextEdit>

namespace workspace {

namespace {

// The edit fields of the forms: the edit control with links on one line; the notes, which take
// several lines, a plain multi-line field with the same notifications.
QWidget* CreateFormEdit(const DlgItem& item, QWidget* parent) {
    if (item.kind == DlgKind::MultiEdit)
        return new QPlainTextEdit(parent);
    return new CEditEx(parent);
}

} // namespace

int FormTemplate(int nIDTemplate) {
    static const bool registered = [] {
        RegisterControlClasses();
        RegisterControlClass("FormEdit", &CreateFormEdit);
        return true;
    }();
    (void)registered;
    return nIDTemplate;
}

void PrepareTemplateLabels(CFormView* form, int nIDTemplate) {
    const DlgTemplate* tmpl = FindDialogTemplate(nIDTemplate);
    if (!tmpl)
        return;
    for (const DlgItem& item : tmpl->items) {
        auto* label = item.kind == DlgKind::Static ? qobject_cast<QLabel*>(form->GetDlgItem(item.id)) : nullptr;
        if (!label)
            continue;
        label->setTextFormat(Qt::PlainText);
        if (item.style & (DS_RIGHT | DS_CENTER))
            label->setAlignment(((item.style & DS_RIGHT) ? Qt::AlignRight : Qt::AlignHCenter) | Qt::AlignTop);
    }
}

QString RecordText(const platform::SecureString& field) {
    return QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
}

platform::SecureString ToRecordText(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    platform::SecureString field(utf8.constData(), static_cast<size_t>(utf8.size()));
    platform::WipeMemory(utf8.data(), static_cast<size_t>(utf8.size()));
    return field;
}

} // namespace workspace
