#include "passwords/PasswordStrength.h"

#include "platform/SecureMemory.h"

#include <zxcvbn.h>

#include <cctype>
#include <vector>

namespace passwords {

namespace {

// The estimator compares whole words: an address or a user ID of several parts ("jane.doe@example.com")
// is given whole and part by part, so that a password made of one part still counts as the user's own.
void AddUserWords(std::string_view word, std::vector<platform::SecureString>& words) {
    if (word.empty())
        return;
    words.emplace_back(word);
    const auto isWordChar = [](char c) {
        return static_cast<unsigned char>(c) >= 0x80 || std::isalnum(static_cast<unsigned char>(c));
    };
    size_t start = 0;
    while (start < word.size()) {
        while (start < word.size() && !isWordChar(word[start]))
            ++start;
        size_t end = start;
        while (end < word.size() && isWordChar(word[end]))
            ++end;
        // Parts of one or two characters match too much of any password.
        if (end - start >= 3 && end - start < word.size())
            words.emplace_back(word.substr(start, end - start));
        start = end;
    }
}

} // namespace

double EstimateStrengthBits(std::string_view password, std::span<const std::string_view> userWords) {
    if (password.empty())
        return 0;
    const platform::SecureString text(password);
    std::vector<platform::SecureString> words;
    for (const std::string_view word : userWords)
        AddUserWords(word, words);
    std::vector<const char*> dictionary;
    dictionary.reserve(words.size() + 1);
    for (const platform::SecureString& word : words)
        dictionary.push_back(word.c_str());
    dictionary.push_back(nullptr);
    const double bits = ZxcvbnMatch(text.c_str(), dictionary.data(), nullptr);
    return bits > 0 ? bits : 0;
}

StrengthBand BandOfBits(double bits) {
    if (bits < 40)
        return StrengthBand::Poor;
    if (bits < 75)
        return StrengthBand::Weak;
    if (bits < 100)
        return StrengthBand::Good;
    return StrengthBand::Excellent;
}

const char* StrengthBandName(StrengthBand band) {
    switch (band) {
    case StrengthBand::Poor:
        return "Poor";
    case StrengthBand::Weak:
        return "Weak";
    case StrengthBand::Good:
        return "Good";
    case StrengthBand::Excellent:
        return "Excellent";
    }
    return "Poor";
}

} // namespace passwords
