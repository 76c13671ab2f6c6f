#include "controls/StrengthMeter.h"

#include "framework/Utf8Text.h"

#include <QPalette>
#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// The bar is full at the start of the top band.
constexpr int kFullBits = 100;

QColor BandColour(passwords::StrengthBand band) {
    switch (band) {
    case passwords::StrengthBand::Poor:
        return QColor(192, 0, 0);
    case passwords::StrengthBand::Weak:
        return QColor(224, 128, 0);
    case passwords::StrengthBand::Good:
        return QColor(112, 160, 0);
    case passwords::StrengthBand::Excellent:
        return QColor(0, 128, 0);
    }
    return QColor(192, 0, 0);
}

} // namespace

CStrengthMeter::CStrengthMeter(QWidget* parent) : QProgressBar(parent) {
    setRange(0, kFullBits);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(QStringLiteral("Password strength"));
    Show(true, 0);
}

void CStrengthMeter::SetPassword(const QString& password, const QStringList& userWords) {
    if (password.isEmpty()) {
        Show(true, 0);
        return;
    }
    const platform::SecureString text = SecureUtf8(password);
    std::vector<platform::SecureString> words;
    words.reserve(static_cast<size_t>(userWords.size()));
    for (const QString& word : userWords)
        words.push_back(SecureUtf8(word));
    std::vector<std::string_view> views(words.begin(), words.end());
    Show(false, passwords::EstimateStrengthBits(text.view(), views));
}

void CStrengthMeter::Clear() {
    Show(true, 0);
}

QString CStrengthMeter::Word() const {
    return m_bEmpty ? QString() : QString::fromLatin1(passwords::StrengthBandName(m_eBand));
}

QSize CStrengthMeter::sizeHint() const {
    return {QProgressBar::sizeHint().width(), fontMetrics().height() + 2};
}

void CStrengthMeter::Show(bool bEmpty, double bits) {
    m_bEmpty = bEmpty;
    m_dBits = bits;
    m_eBand = passwords::BandOfBits(bits);
    setValue(bEmpty ? 0 : std::clamp(static_cast<int>(bits), 1, kFullBits));
    setFormat(Word());
    QPalette colours = palette();
    colours.setColor(QPalette::Highlight, BandColour(m_eBand));
    colours.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(colours);
    const QString bitsText = bEmpty ? QString() : QStringLiteral("%1 bits").arg(qRound(bits));
    setToolTip(bitsText);
    setAccessibleDescription(bitsText);
}
