#pragma once

#include "workspace/AccountForm.h"

#include <QLineEdit>
#include <QList>
#include <QObject>
#include <QPointer>
#include <span>

class CFormLayout;
class CFormView;
class CStrengthMeter;

// Keeps the strength meter under an account form's password field up to date as the user types. The
// account's own words (its name, user ID and address) go to the estimate as they stand in the form,
// so a password made of the user ID rates Poor the moment either field says so.
class CFormStrength : public QObject {
    Q_OBJECT
public:
    // Watches the form's password field and the fields of its own words; the meter widens with the
    // password field. Call once the form's controls are built.
    static void Attach(CFormView* form, CFormLayout& layout, int nNameLabel,
                       std::span<const CAccountForm::FormField> fields);
    // Rates again what the form shows now: after another account is shown (whose fields may hold the
    // same text while its name differs) or the form is emptied.
    static void Refresh(const CFormView* form);

    void Update();

private:
    CFormStrength(QWidget* nameLabel, QLineEdit* password, QList<QLineEdit*> wordFields, CStrengthMeter* meter,
                  QObject* parent);

    QPointer<QWidget> m_pNameLabel;
    QPointer<QLineEdit> m_pPassword;
    QList<QPointer<QLineEdit>> m_wordFields;
    QPointer<CStrengthMeter> m_pMeter;
};
