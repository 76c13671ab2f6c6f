#pragma once

#include <span>
#include <string_view>

// How hard a password is to guess, estimated with zxcvbn: dictionary words, names, keyboard patterns,
// dates, repeats and sequences count for little, and so do the user's own words (the account's name,
// user ID and address), so that a password equal to the user ID rates Poor.
namespace passwords {

enum class StrengthBand { Poor, Weak, Good, Excellent };

// Estimated bits of entropy; 0 for an empty password.
double EstimateStrengthBits(std::string_view password, std::span<const std::string_view> userWords = {});

// Poor under 40 bits, Weak 40 to 74, Good 75 to 99, Excellent 100 and over.
StrengthBand BandOfBits(double bits);
// "Poor", "Weak", "Good", "Excellent".
const char* StrengthBandName(StrengthBand band);

} // namespace passwords
