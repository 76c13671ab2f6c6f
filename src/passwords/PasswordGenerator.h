#pragma once

#include "platform/SecureMemory.h"

#include <string>
#include <vector>

// New passwords drawn at random from the character classes the user chooses.
namespace passwords {

inline constexpr int kMinGeneratedLength = 4;
inline constexpr int kMaxGeneratedLength = 128;
inline constexpr int kDefaultGeneratedLength = 20;

struct GeneratorRules {
    int nLength = kDefaultGeneratedLength;
    bool bUpper = true;
    bool bLower = true;
    bool bDigits = true;
    bool bSymbols = true;
    // Leaves out the characters that are easily mistaken for one another when read or typed.
    bool bAvoidLookAlike = false;
};

// The characters of each chosen class, in the order upper case, lower case, digits, symbols (ASCII
// only, so a generated password is the same bytes in every encoding a file password may take).
std::vector<std::string> CharacterClasses(const GeneratorRules& rules);

// True when the rules can make a password: a length in range and at least one class.
bool CanGenerate(const GeneratorRules& rules);

// The strength of a password the rules make, in bits: the base-2 logarithm of the number of
// passwords they can give, each equally likely. 0 when they can make none.
double StrengthBits(const GeneratorRules& rules);

// A new password with at least one character of every chosen class. Every character is drawn
// uniformly from all the chosen characters (libsodium's randombytes_uniform, which has no modulo
// bias), and a draw that misses a class is thrown away whole, so every password the rules allow is
// equally likely. Empty when the rules can make none.
platform::SecureString GeneratePassword(const GeneratorRules& rules);

} // namespace passwords
