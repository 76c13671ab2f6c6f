#include "passwords/PasswordStrength.h"

#include "platform/SecureMemory.h"

#include <zxcvbn.h>

#include <algorithm>
#include <cctype>
#include <cmath>
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

// zxcvbn-c takes time that grows with a high power of the length on text that repeats itself with a
// short period: 100 characters of "1212..." take seconds, of "aaaa..." several milliseconds, far too
// long for a meter that rates each keystroke. It rates a unit repeated k times as the unit plus log2(k)
// bits, so each such stretch is handed to it cut down to a few rounds, and the bits of the rounds cut
// are returned to be added back.
constexpr size_t kMaxRepeatPeriod = 8;
// Kept of a stretch: enough for the estimator still to see the repetition.
constexpr size_t kKeptRepeatLength = 4;

double ShortenRepeatsOnce(platform::SecureString& text) {
    double bits = 0;
    size_t start = 0;
    while (start < text.size()) {
        // The period whose repetition reaches furthest from here; the shortest one among equals.
        size_t bestPeriod = 0;
        size_t bestLength = 0;
        for (size_t period = 1; period <= kMaxRepeatPeriod && start + period < text.size(); ++period) {
            size_t end = start + period;
            while (end < text.size() && text[end] == text[end - period])
                ++end;
            if (end - start > bestLength) {
                bestLength = end - start;
                bestPeriod = period;
            }
        }
        const size_t rounds = bestPeriod ? bestLength / bestPeriod : 0;
        const size_t kept = bestPeriod ? std::max<size_t>(2, (kKeptRepeatLength + bestPeriod - 1) / bestPeriod) : 0;
        if (rounds <= kept) {
            ++start;
            continue;
        }
        // The text stays the same repetition, only with fewer rounds: whole periods come out.
        text.erase(start + kept * bestPeriod, (rounds - kept) * bestPeriod);
        bits += std::log2(static_cast<double>(rounds) / static_cast<double>(kept));
        start += kept * bestPeriod + bestLength % bestPeriod;
    }
    return bits;
}

// Shortening the repetitions inside a longer one ("2020202020x2020202020x...") makes that one short
// enough to be found in turn.
double ShortenRepeats(platform::SecureString& text) {
    double bits = 0;
    for (size_t length = text.size() + 1; text.size() < length;) {
        length = text.size();
        bits += ShortenRepeatsOnce(text);
    }
    return bits;
}

} // namespace

double EstimateStrengthBits(std::string_view password, std::span<const std::string_view> userWords) {
    if (password.empty())
        return 0;
    platform::SecureString text(password);
    const double repeatBits = ShortenRepeats(text);
    std::vector<platform::SecureString> words;
    for (const std::string_view word : userWords)
        AddUserWords(word, words);
    std::vector<const char*> dictionary;
    dictionary.reserve(words.size() + 1);
    for (const platform::SecureString& word : words)
        dictionary.push_back(word.c_str());
    dictionary.push_back(nullptr);
    const double bits = ZxcvbnMatch(text.c_str(), dictionary.data(), nullptr) + repeatBits;
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
