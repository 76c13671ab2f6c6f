#pragma once

#include "docs/LockAwareDialog.h"
#include "passwords/PasswordGenerator.h"

class QSpinBox;
// "Generate Password": the length and the kinds of characters, the strength in bits, and a new random
// candidate whenever a choice changes or the user asks for one. The screen lock closes it as Cancel.
class CPasswordGeneratorDlg : public CLockAwareDialog {
    Q_OBJECT
public:
    explicit CPasswordGeneratorDlg(QWidget* pParent = nullptr);

    // The candidate shown (after OK: the one chosen).
    QString GetPassword() const;
    passwords::GeneratorRules GetRules() const;

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    // A new candidate for the rules shown, its strength, and OK only while there is one.
    void Regenerate();
    QSpinBox* LengthSpin() const;
};
