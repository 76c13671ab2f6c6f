#pragma once

#include "passwords/PasswordStrength.h"

#include <QProgressBar>
#include <QStringList>

// The strength of a password as it is typed: a bar coloured and filled by the band, with the band's
// word on it ("Poor", "Weak", "Good", "Excellent"); the estimated bits are its tool tip and the
// description a screen reader gives. Empty (no bar, no word) while there is no password.
class CStrengthMeter : public QProgressBar {
    Q_OBJECT
public:
    explicit CStrengthMeter(QWidget* parent = nullptr);

    // Rates the password, given the user's own words (the account's name, user ID, address), which
    // count for little in it.
    void SetPassword(const QString& password, const QStringList& userWords = {});
    void Clear();

    bool IsEmpty() const { return m_bEmpty; }
    double Bits() const { return m_dBits; }
    passwords::StrengthBand Band() const { return m_eBand; }
    // The word shown, empty while there is no password.
    QString Word() const;

    QSize sizeHint() const override;

private:
    void Show(bool bEmpty, double bits);

    bool m_bEmpty = true;
    double m_dBits = 0;
    passwords::StrengthBand m_eBand = passwords::StrengthBand::Poor;
};
