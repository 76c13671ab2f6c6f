#include "workspace/PasswordGeneratorDlg.h"

#include "controls/StrengthMeter.h"
#include "res/resource.h"
#include "workspace/PasswordsForm.h"

#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <cmath>

namespace {

const char* const kLengthSpinClass = "GeneratorLengthSpin";

// The length is a number in a range: a spin box says so, to the arrow keys and to a screen reader.
QWidget* MakeLengthSpin(const DlgItem&, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setRange(passwords::kMinGeneratedLength, passwords::kMaxGeneratedLength);
    return spin;
}

const DlgTemplate& Template() {
    static const DlgTemplate tmpl{
        IDD_PASSWORD_GENERATOR,
        "Generate Password",
        250,
        162,
        {
            {DlgKind::Static, -1, "&Length (4 to 128):", 7, 10, 80, 9},
            {DlgKind::Edit, IDC_GENERATOR_LENGTH, "20", 90, 8, 40, 14, 0, 0, nullptr, kLengthSpinClass},
            {DlgKind::CheckBox, IDC_GENERATOR_UPPER, "&Upper case (A-Z)", 7, 28, 110, 11},
            {DlgKind::CheckBox, IDC_GENERATOR_LOWER, "L&ower case (a-z)", 125, 28, 118, 11},
            {DlgKind::CheckBox, IDC_GENERATOR_DIGITS, "&Digits (0-9)", 7, 42, 110, 11},
            {DlgKind::CheckBox, IDC_GENERATOR_SYMBOLS, "&Symbols (!#$%...)", 125, 42, 118, 11},
            {DlgKind::CheckBox, IDC_GENERATOR_AVOID_LOOK_ALIKE, "&Avoid look-alike characters (I l 1 | O 0)", 7, 56,
             236, 11},
            {DlgKind::Static, -1, "&Password:", 7, 76, 236, 9},
            {DlgKind::Edit, IDC_GENERATOR_PASSWORD, "", 7, 87, 236, 14, DS_READONLY},
            {DlgKind::Custom, IDC_GENERATOR_METER, "", 7, 103, 236, 9, DS_NOTABSTOP, 0, nullptr, "StrengthMeter"},
            {DlgKind::Static, IDC_GENERATOR_STRENGTH, "", 7, 115, 170, 18},
            {DlgKind::PushButton, IDC_GENERATOR_NEW, "&New Password", 183, 115, 60, 14},
            {DlgKind::DefPushButton, IDOK, "OK", 136, 141, 50, 14},
            {DlgKind::PushButton, IDCANCEL, "Cancel", 193, 141, 50, 14},
        }};
    return tmpl;
}

const int kRuleBoxes[] = {IDC_GENERATOR_UPPER, IDC_GENERATOR_LOWER, IDC_GENERATOR_DIGITS, IDC_GENERATOR_SYMBOLS,
                          IDC_GENERATOR_AVOID_LOOK_ALIKE};

} // namespace

CPasswordGeneratorDlg::CPasswordGeneratorDlg(QWidget* pParent) : CLockAwareDialog(Template(), IDCANCEL, 0, pParent) {
    [[maybe_unused]] static const bool registered = (RegisterControlClass(kLengthSpinClass, &MakeLengthSpin), true);
    setObjectName(QStringLiteral("passwordGenerator"));
    for (int nID : kRuleBoxes)
        MapCommand(nID, [this] { Regenerate(); });
    MapCommand(IDC_GENERATOR_NEW, [this] { Regenerate(); });
}

bool CPasswordGeneratorDlg::OnInitDialog() {
    const passwords::GeneratorRules defaults;
    CheckDlgButton(IDC_GENERATOR_UPPER, defaults.bUpper);
    CheckDlgButton(IDC_GENERATOR_LOWER, defaults.bLower);
    CheckDlgButton(IDC_GENERATOR_DIGITS, defaults.bDigits);
    CheckDlgButton(IDC_GENERATOR_SYMBOLS, defaults.bSymbols);
    CheckDlgButton(IDC_GENERATOR_AVOID_LOOK_ALIKE, defaults.bAvoidLookAlike);
    if (QSpinBox* length = LengthSpin()) {
        length->setValue(defaults.nLength);
        connect(length, &QSpinBox::valueChanged, this, [this] { Regenerate(); });
        // The label names the spin box and Alt+L reaches it.
        for (auto* label : findChildren<QLabel*>()) {
            if (label->text().contains(QStringLiteral("Length")))
                label->setBuddy(length);
        }
    }
    if (auto* candidate = qobject_cast<QLineEdit*>(GetDlgItem(IDC_GENERATOR_PASSWORD)))
        CPasswordsForm::StyleEdit(candidate, 15);
    Regenerate();
    return true;
}

passwords::GeneratorRules CPasswordGeneratorDlg::GetRules() const {
    passwords::GeneratorRules rules;
    const QSpinBox* length = LengthSpin();
    rules.nLength = length ? length->value() : 0;
    rules.bUpper = IsDlgButtonChecked(IDC_GENERATOR_UPPER);
    rules.bLower = IsDlgButtonChecked(IDC_GENERATOR_LOWER);
    rules.bDigits = IsDlgButtonChecked(IDC_GENERATOR_DIGITS);
    rules.bSymbols = IsDlgButtonChecked(IDC_GENERATOR_SYMBOLS);
    rules.bAvoidLookAlike = IsDlgButtonChecked(IDC_GENERATOR_AVOID_LOOK_ALIKE);
    return rules;
}

QString CPasswordGeneratorDlg::GetPassword() const {
    return GetDlgItemText(IDC_GENERATOR_PASSWORD);
}

void CPasswordGeneratorDlg::Regenerate() {
    const passwords::GeneratorRules rules = GetRules();
    const platform::SecureString password = passwords::GeneratePassword(rules);
    const QString shown = QString::fromLatin1(password.data(), qsizetype(password.size()));
    SetDlgItemText(IDC_GENERATOR_PASSWORD, shown);
    // The rules' bits say what the generator could make; the meter rates this one candidate, which a
    // random draw may make guessable ("aaaa1111").
    if (auto* meter = qobject_cast<CStrengthMeter*>(GetDlgItem(IDC_GENERATOR_METER)))
        meter->SetPassword(shown);
    if (password.empty()) {
        SetDlgItemText(IDC_GENERATOR_STRENGTH,
                       QStringLiteral("Choose a length from 4 to 128 and at least one kind of character."));
    } else {
        SetDlgItemText(IDC_GENERATOR_STRENGTH,
                       QStringLiteral("Strength: %1 bits").arg(std::floor(passwords::StrengthBits(rules))));
    }
    EnableDlgItem(IDOK, !password.empty());
}

QSpinBox* CPasswordGeneratorDlg::LengthSpin() const {
    return qobject_cast<QSpinBox*>(GetDlgItem(IDC_GENERATOR_LENGTH));
}

void CPasswordGeneratorDlg::OnOK() {
    if (GetPassword().isEmpty())
        return;
    EndDialog(IDOK);
}
