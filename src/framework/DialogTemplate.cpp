#include "framework/DialogTemplate.h"

#include "framework/ResourceRegistry.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

namespace {

const char* const kIdProperty = "lw_id";

QMap<QString, ControlFactory>& Factories() {
    static QMap<QString, ControlFactory> factories;
    return factories;
}

QWidget* CreatePlainControl(const DlgItem& item, QWidget* parent) {
    const QString text = QString::fromUtf8(item.text ? item.text : "");
    switch (item.kind) {
    case DlgKind::Static: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(true);
        label->setAlignment((item.style & DS_CENTER)  ? Qt::AlignHCenter | Qt::AlignTop
                            : (item.style & DS_RIGHT) ? Qt::AlignRight | Qt::AlignTop
                                                      : Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case DlgKind::Icon:
    case DlgKind::Bitmap: {
        auto* label = new QLabel(parent);
        label->setAlignment(Qt::AlignCenter);
        label->setProperty("lw_icon", item.iconId);
        return label;
    }
    case DlgKind::GroupBox:
        return new QGroupBox(text, parent);
    case DlgKind::PushButton:
    case DlgKind::DefPushButton: {
        auto* button = new QPushButton(text, parent);
        if (item.iconId)
            button->setIcon(AfxLoadIcon(item.iconId));
        if (item.kind == DlgKind::DefPushButton)
            button->setDefault(true);
        return button;
    }
    case DlgKind::CheckBox: {
        auto* check = new QCheckBox(text, parent);
        if (item.style & DS_TEXTLEFT)
            check->setLayoutDirection(Qt::RightToLeft);
        return check;
    }
    case DlgKind::RadioButton:
        return new QRadioButton(text, parent);
    case DlgKind::Edit:
    case DlgKind::Password: {
        auto* edit = new QLineEdit(text, parent);
        if (item.kind == DlgKind::Password)
            edit->setEchoMode(QLineEdit::Password);
        edit->setReadOnly(item.style & DS_READONLY);
        return edit;
    }
    case DlgKind::MultiEdit: {
        auto* edit = new QPlainTextEdit(text, parent);
        edit->setReadOnly(item.style & DS_READONLY);
        return edit;
    }
    case DlgKind::ComboDropDown:
    case DlgKind::ComboList: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(item.kind == DlgKind::ComboDropDown);
        combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    case DlgKind::Custom:
        return new QWidget(parent);
    }
    return new QWidget(parent);
}

void Connect(QWidget* control, int nID, CDlgHost* host) {
    if (!host)
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(button, &QAbstractButton::clicked, button,
                         [host, nID] { host->OnDlgNotify(nID, CDlgHost::Clicked); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        QObject::connect(edit, &QLineEdit::textChanged, edit,
                         [host, nID] { host->OnDlgNotify(nID, CDlgHost::Changed); });
    } else if (auto* multi = qobject_cast<QPlainTextEdit*>(control)) {
        QObject::connect(multi, &QPlainTextEdit::textChanged, multi,
                         [host, nID] { host->OnDlgNotify(nID, CDlgHost::Changed); });
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        QObject::connect(combo, &QComboBox::currentIndexChanged, combo,
                         [host, nID] { host->OnDlgNotify(nID, CDlgHost::SelChange); });
        QObject::connect(combo, &QComboBox::editTextChanged, combo,
                         [host, nID] { host->OnDlgNotify(nID, CDlgHost::Changed); });
    }
}

// The text a static shows when it has no control to hand its access letter to: "&&" is a plain "&",
// a single "&" goes.
QString WithoutAccessLetter(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            shown += text[i];
        else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
            shown += text[++i];
    }
    return shown;
}

bool HasAccessLetter(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return true;
        ++i;
    }
    return false;
}

bool TakesTab(const QWidget* control) {
    return (control->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

// A control a static before it may name: one the user types into or picks from. Buttons and check
// boxes carry their own text.
bool IsField(const QWidget* control) {
    return TakesTab(control) && !qobject_cast<const QAbstractButton*>(control) &&
           !qobject_cast<const QLabel*>(control) && !qobject_cast<const QGroupBox*>(control);
}

// Links each static to the control it names, as the dialog manager finds it: the next control in Tab
// order for a static with an access letter, the field right after it for any other static.
void LinkStatics(const std::vector<std::pair<const DlgItem*, QWidget*>>& built) {
    for (size_t i = 0; i < built.size(); ++i) {
        const auto& [item, control] = built[i];
        auto* label = qobject_cast<QLabel*>(control);
        if (item->kind != DlgKind::Static || !label)
            continue;
        const QString text = label->text();
        const bool hasLetter = HasAccessLetter(text);
        QWidget* buddy = nullptr;
        if (hasLetter) {
            for (size_t j = i + 1; j < built.size() && !buddy; ++j) {
                if (built[j].first->kind == DlgKind::Static)
                    continue;
                if (TakesTab(built[j].second))
                    buddy = built[j].second;
            }
        } else if (i + 1 < built.size() && IsField(built[i + 1].second)) {
            buddy = built[i + 1].second;
        }
        if (buddy)
            label->setBuddy(buddy);
        else
            label->setText(WithoutAccessLetter(text));
    }
    // The edit field inside a combo box or a spin box is an object of its own to a screen reader: it
    // takes the name of the box around it.
    for (const auto& [item, control] : built) {
        if (!qobject_cast<QComboBox*>(control) && !qobject_cast<QAbstractSpinBox*>(control))
            continue;
        auto* inner = control->findChild<QLineEdit*>();
        if (!inner)
            continue;
        QString name = control->accessibleName();
        for (const auto& [other, widget] : built) {
            auto* label = qobject_cast<QLabel*>(widget);
            if (name.isEmpty() && label && label->buddy() == control)
                name = WithoutAccessLetter(label->text());
        }
        if (inner->accessibleName().isEmpty())
            inner->setAccessibleName(name);
    }
}

} // namespace

CDialogUnits::CDialogUnits(const QFont& font) {
    // The average width of the Latin letters, as dialog units were always measured.
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = qMax(1, (metrics.horizontalAdvance(letters) / 26 + 1) / 2);
    m_baseY = qMax(1, metrics.height());
}

QSize BuildDialogControls(const DlgTemplate& tmpl, QWidget* parent, CDlgHost* host) {
    const CDialogUnits units(parent->font());
    std::vector<std::pair<const DlgItem*, QWidget*>> built;
    built.reserve(tmpl.items.size());
    for (const DlgItem& item : tmpl.items) {
        QWidget* control = nullptr;
        if (item.className) {
            auto it = Factories().constFind(QString::fromLatin1(item.className));
            if (it != Factories().constEnd())
                control = (*it)(item, parent);
        }
        if (!control)
            control = CreatePlainControl(item, parent);
        if (item.kind == DlgKind::Icon || item.kind == DlgKind::Bitmap) {
            if (auto* label = qobject_cast<QLabel*>(control)) {
                const QSize size = units.ToPixels(item.cx, item.cy);
                label->setPixmap(AfxLoadIcon(item.iconId).pixmap(qMin(size.width(), size.height())));
            }
        }
        control->setProperty(kIdProperty, item.id);
        if (item.id > 0)
            control->setObjectName(QStringLiteral("ctl%1").arg(item.id));
        if (item.tooltip)
            control->setToolTip(QString::fromUtf8(item.tooltip));
        if (item.name)
            control->setAccessibleName(QString::fromUtf8(item.name));
        if (item.style & DS_NOTABSTOP)
            control->setFocusPolicy(Qt::ClickFocus);
        control->setGeometry(units.ToPixelsX(item.x), units.ToPixelsY(item.y), units.ToPixelsX(item.cx),
                             units.ToPixelsY(item.cy));
        control->setEnabled(!(item.style & DS_DISABLED));
        if (item.style & DS_HIDDEN)
            control->hide();
        Connect(control, item.id, host);
        built.emplace_back(&item, control);
    }
    LinkStatics(built);
    return units.ToPixels(tmpl.cx, tmpl.cy);
}

QWidget* FindDlgItem(const QWidget* parent, int nID) {
    if (!parent || nID == 0)
        return nullptr;
    const QList<QWidget*> children = parent->findChildren<QWidget*>();
    for (QWidget* child : children) {
        bool ok = false;
        if (child->property(kIdProperty).toInt(&ok) == nID && ok)
            return child;
    }
    return nullptr;
}

int GetDlgCtrlID(const QWidget* control) {
    return control ? control->property(kIdProperty).toInt() : 0;
}

void RegisterControlClass(const char* className, ControlFactory factory) {
    Factories().insert(QString::fromLatin1(className), factory);
}

QString GetControlText(const QWidget* control) {
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* multi = qobject_cast<const QPlainTextEdit*>(control))
        return multi->toPlainText();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->buddy() ? QString(label->text()).replace(QStringLiteral("&&"), QStringLiteral("&"))
                              : label->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control))
        return group->title();
    return QString();
}

void SetControlText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(text);
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(control))
        multi->setPlainText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        combo->setEditText(text);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(control))
        // A label that names a control reads "&" as its access letter; text from outside (a file name,
        // say) shows its "&" as it is.
        label->setText(label->buddy() ? QString(text).replace(QLatin1Char('&'), QStringLiteral("&&")) : text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
}
