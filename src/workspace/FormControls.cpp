#include "workspace/FormControls.h"

#include "controls/Controls.h"
#include "controls/Label.h"
#include "framework/CmdUI.h"
#include "framework/DialogTemplate.h"
#include "framework/FormView.h"
#include "framework/MDIFrameWnd.h"
#include "framework/ShellOpen.h"
#include "framework/StatusBar.h"
#include "framework/Utf8Text.h"
#include "framework/WinApp.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "textdoc/EditEx.h"
#include "workspace/Activity.h"
#include "workspace/LeftView.h"
#include "workspace/NotesEdit.h"
#include "workspace/SecretFields.h"
#include "workspace/VaultoraChildFrame.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QLabel>
#include <QMimeData>
#include <QTextBlock>
#include <limits>

namespace workspace {

namespace {

// The edit fields of the forms: the edit control with links on one line; the notes, which take
// several lines, its multi-line counterpart.
QWidget* CreateFormEdit(const DlgItem& item, QWidget* parent) {
    if (item.kind == DlgKind::MultiEdit)
        return new CNotesEdit(parent);
    auto* edit = new CEditEx(parent);
    // A field holds its record's text whatever its length: the line edit's own limit of 32,767
    // characters would cut a longer one on display, and the cut would be saved.
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

const QString kFieldFace = QStringLiteral("Times New Roman");
// The longest first line a link is read from.
constexpr int kLinkLineLimit = 255;

class MouseActivityFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseMove)
            StampActivity();
        return QObject::eventFilter(watched, event);
    }
};

QString FocusedFirstLine() {
    QWidget* focus = QApplication::focusWidget();
    if (auto* edit = qobject_cast<QLineEdit*>(focus))
        return edit->text().left(kLinkLineLimit);
    if (auto* multi = qobject_cast<QPlainTextEdit*>(focus))
        return multi->document()->firstBlock().text().left(kLinkLineLimit);
    return QString();
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
    return TextFromUtf8(field.data(), static_cast<qsizetype>(field.size()));
}

platform::SecureString ToRecordText(const QString& text) {
    QByteArray utf8 = text.toUtf8();
    platform::SecureString field(utf8.constData(), static_cast<size_t>(utf8.size()));
    platform::WipeMemory(utf8.data(), static_cast<size_t>(utf8.size()));
    return field;
}

QString GetFieldText(const QWidget* control) {
    if (auto* notes = qobject_cast<const CNotesEdit*>(control))
        return notes->GetRecordText();
    return GetControlText(control);
}

void SetFieldText(QWidget* control, const QString& text) {
    if (auto* notes = qobject_cast<CNotesEdit*>(control))
        notes->SetRecordText(text);
    else
        SetControlText(control, text);
}

void StyleFormEdit(QWidget* edit, int nCharHeight) {
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

void StyleFormLabel(CFormView* form, int nID, int nCharHeight, const QColor& colour) {
    if (auto* label = qobject_cast<CLabel*>(form->GetDlgItem(nID)))
        label->SetFontName(kFieldFace).SetFontSize(nCharHeight).SetTextColor(colour);
}

void TrackMouseActivity(CFormView* form) {
    auto* filter = new MouseActivityFilter(form);
    QList<QWidget*> widgets = form->GetPage()->findChildren<QWidget*>();
    widgets << form << form->viewport() << form->GetPage();
    for (QWidget* widget : widgets) {
        widget->setMouseTracking(true);
        widget->installEventFilter(filter);
    }
}

CLeftView* FormTree(CFormView* form) {
    auto* frame = dynamic_cast<CVaultoraChildFrame*>(form->GetParentFrame());
    return frame ? frame->GetLeftView() : nullptr;
}

bool IsEditFocused() {
    QWidget* focus = QApplication::focusWidget();
    return qobject_cast<QLineEdit*>(focus) || qobject_cast<QPlainTextEdit*>(focus);
}

void DoEditCommand(int nID) {
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
        line ? line->copy() : multi->copy();
        OfferCopiedSecret(focus);
        break;
    case ID_EDIT_CUT:
        line ? line->cut() : multi->cut();
        OfferCopiedSecret(focus);
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
    default:
        break;
    }
}

void UpdateEditCommand(int nID, CCmdUI& cmdUI) {
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
    default:
        cmdUI.Enable(true);
        break;
    }
}

QUrl WebAddressOf(const QString& firstLine) {
    QString text = firstLine.left(kLinkLineLimit);
    const qsizetype space = text.indexOf(QLatin1Char(' '));
    if (space >= 0)
        text.truncate(space);
    QString address;
    if (text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
        text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        address = text;
    else if (text.startsWith(QLatin1String("www."), Qt::CaseInsensitive))
        address = QStringLiteral("http://") + text;
    else
        return QUrl();
    QUrl url(address, QUrl::TolerantMode);
    // The scheme is checked again on what the parser made of the text, which is what the desktop gets.
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) || url.host().isEmpty())
        return QUrl();
    return url;
}

QString NotAWebAddressText() {
    return QStringLiteral("The text is not a web address; only web addresses are opened.");
}

void GoToUrl() {
    const QUrl url = WebAddressOf(FocusedFirstLine());
    if (url.isValid()) {
        // The desktop's failure to open it is not reported, as before.
        (void)ShellOpen(url);
        return;
    }
    CMDIFrameWnd* frame = AfxGetMainFrame();
    if (CStatusBar* bar = frame ? frame->GetStatusBar() : nullptr)
        bar->SetPaneText(0, NotAWebAddressText());
}

} // namespace workspace
