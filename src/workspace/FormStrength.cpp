#include "workspace/FormStrength.h"

#include "controls/StrengthMeter.h"
#include "framework/FormView.h"
#include "passwords/PasswordHealth.h"
#include "workspace/FormLayout.h"

#include <QLineEdit>
#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

// The record fields whose text is the user's own: a password made of them is easy to guess for anyone
// who knows the account. (The name is no edit field: the form's heading shows it.)
bool IsOwnWordElement(const char* szElement) {
    return std::any_of(std::begin(passwords::kOwnWordElements), std::end(passwords::kOwnWordElements),
                       [szElement](const char* own) { return std::string_view(own) == szElement; });
}

} // namespace

CFormStrength::CFormStrength(QWidget* nameLabel, QLineEdit* password, QList<QLineEdit*> wordFields,
                             CStrengthMeter* meter, QObject* parent)
    : QObject(parent), m_pNameLabel(nameLabel), m_pPassword(password), m_pMeter(meter) {
    for (QLineEdit* field : wordFields) {
        m_wordFields.append(field);
        connect(field, &QLineEdit::textChanged, this, &CFormStrength::Update);
    }
    connect(password, &QLineEdit::textChanged, this, &CFormStrength::Update);
    Update();
}

void CFormStrength::Attach(CFormView* form, CFormLayout& layout, int nNameLabel,
                           std::span<const CAccountForm::FormField> fields) {
    auto* meter = form->GetPage()->findChild<CStrengthMeter*>();
    QLineEdit* password = nullptr;
    QList<QLineEdit*> wordFields;
    for (const CAccountForm::FormField& field : fields) {
        auto* edit = qobject_cast<QLineEdit*>(form->GetDlgItem(field.nID));
        if (!edit)
            continue;
        if (std::string_view(field.szElement) == "PASSWORD")
            password = edit;
        else if (IsOwnWordElement(field.szElement))
            wordFields.append(edit);
    }
    if (!meter || !password)
        return;
    layout.AddControl(GetDlgCtrlID(meter), CFormLayout::LAYOUT_SIZE_X);
    new CFormStrength(form->GetDlgItem(nNameLabel), password, wordFields, meter, form);
}

void CFormStrength::Refresh(const CFormView* form) {
    if (auto* watch = form->findChild<CFormStrength*>(QString(), Qt::FindDirectChildrenOnly))
        watch->Update();
}

void CFormStrength::Update() {
    if (!m_pMeter || !m_pPassword)
        return;
    const QString password = m_pPassword->text();
    if (password.isEmpty()) {
        m_pMeter->Clear();
        return;
    }
    QStringList words;
    if (m_pNameLabel)
        words.append(GetControlText(m_pNameLabel));
    for (const QPointer<QLineEdit>& field : m_wordFields) {
        if (field)
            words.append(field->text());
    }
    m_pMeter->SetPassword(password, words);
}
