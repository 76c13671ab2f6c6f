#include "passwords/PasswordGenerator.h"

#include <cmath>
#include <sodium.h>

namespace passwords {

namespace {

const char* const kUpper = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const char* const kLower = "abcdefghijklmnopqrstuvwxyz";
const char* const kDigits = "0123456789";
const char* const kSymbols = "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
// Capital i, small L, one and the bar; capital o and zero; and the quotes that look alike in many faces.
const std::string kLookAlike = "Il1|O0`'\"";

std::string Without(const char* chars, bool bAvoidLookAlike) {
    std::string result;
    for (const char* p = chars; *p; ++p) {
        if (!bAvoidLookAlike || kLookAlike.find(*p) == std::string::npos)
            result.push_back(*p);
    }
    return result;
}

} // namespace

std::vector<std::string> CharacterClasses(const GeneratorRules& rules) {
    std::vector<std::string> classes;
    const std::pair<bool, const char*> all[] = {
        {rules.bUpper, kUpper}, {rules.bLower, kLower}, {rules.bDigits, kDigits}, {rules.bSymbols, kSymbols}};
    for (const auto& [bChosen, chars] : all) {
        if (bChosen)
            classes.push_back(Without(chars, rules.bAvoidLookAlike));
    }
    return classes;
}

bool CanGenerate(const GeneratorRules& rules) {
    return rules.nLength >= kMinGeneratedLength && rules.nLength <= kMaxGeneratedLength &&
           !CharacterClasses(rules).empty();
}

double StrengthBits(const GeneratorRules& rules) {
    if (!CanGenerate(rules))
        return 0.0;
    const std::vector<std::string> classes = CharacterClasses(rules);
    size_t nAll = 0;
    for (const std::string& chars : classes)
        nAll += chars.size();
    // Passwords of every class: by inclusion and exclusion over the classes left out, as a share of all
    // passwords of the chosen characters (a share keeps the numbers far from overflowing).
    const size_t nSubsets = size_t(1) << classes.size();
    long double share = 0.0L;
    for (size_t subset = 0; subset < nSubsets; ++subset) {
        size_t nLeftOut = 0;
        int nClasses = 0;
        for (size_t i = 0; i < classes.size(); ++i) {
            if (subset & (size_t(1) << i)) {
                nLeftOut += classes[i].size();
                ++nClasses;
            }
        }
        const long double term = std::pow(1.0L - static_cast<long double>(nLeftOut) / nAll, rules.nLength);
        share += (nClasses % 2 == 0) ? term : -term;
    }
    return static_cast<double>(rules.nLength * std::log2(static_cast<long double>(nAll)) + std::log2(share));
}

platform::SecureString GeneratePassword(const GeneratorRules& rules) {
    platform::SecureString password;
    if (!CanGenerate(rules) || sodium_init() < 0)
        return password;
    const std::vector<std::string> classes = CharacterClasses(rules);
    std::string all;
    for (const std::string& chars : classes)
        all += chars;
    for (;;) {
        password.Wipe();
        for (int i = 0; i < rules.nLength; ++i)
            password.push_back(all[randombytes_uniform(static_cast<uint32_t>(all.size()))]);
        bool bEveryClass = true;
        for (const std::string& chars : classes)
            bEveryClass = bEveryClass && password.view().find_first_of(chars) != std::string_view::npos;
        if (bEveryClass)
            return password;
    }
}

} // namespace passwords
