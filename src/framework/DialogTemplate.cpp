#include "framework/DialogTemplate.h"

#include "framework/ResourceRegistry.h"

#include <QAbstractButton>
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
        if (item.style & DS_NOTABSTOP)
            control->setFocusPolicy(Qt::ClickFocus);
        control->setGeometry(units.ToPixelsX(item.x), units.ToPixelsY(item.y), units.ToPixelsX(item.cx),
                             units.ToPixelsY(item.cy));
        control->setEnabled(!(item.style & DS_DISABLED));
        if (item.style & DS_HIDDEN)
            control->hide();
        Connect(control, item.id, host);
    }
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
        return label->text();
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
        label->setText(text);
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle(text);
}
