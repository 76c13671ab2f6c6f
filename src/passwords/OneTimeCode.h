#pragma once

#include "platform/SecureMemory.h"

#include <cstdint>
#include <string_view>

// Time-based one-time codes (RFC 6238) from the secret an account keeps in its notes: an
// "otpauth://totp/..." address anywhere in them, or a line "TOTP: " followed by such an address or by
// a bare base32 secret (what the import writes for KeePassXC's and Bitwarden's TOTP column).
namespace passwords {

enum class OneTimeHash { Sha1, Sha256, Sha512 };

struct OneTimeSecret {
    enum Status {
        None,        // the notes hold no one-time secret
        Valid,       // a code can be made
        Invalid,     // a secret that cannot be read: no code is better than a wrong one
        Unsupported, // another kind of one-time code (counter-based, Steam's...)
    };
    Status eStatus = None;
    platform::SecureBytes key; // the decoded secret
    OneTimeHash eHash = OneTimeHash::Sha1;
    int nDigits = 6;
    int nPeriod = 30; // seconds
};

inline constexpr const char* kInvalidOneTimeSecret = "Invalid one-time secret";
inline constexpr const char* kUnsupportedOneTimeCode = "Unsupported one-time code";

// The first one-time secret in an account's notes, in line order.
OneTimeSecret FindOneTimeSecret(std::string_view notes);
// One secret: an "otpauth://" address or bare base32 text (spaces allowed, any case, no padding needed).
OneTimeSecret ParseOneTimeSecret(std::string_view text);

// The code at a moment (seconds since 1970, UTC), its digits only; empty unless the secret is valid.
platform::SecureString OneTimeCodeAt(const OneTimeSecret& secret, int64_t unixTime);
// Seconds until the code changes, 1 to the period.
int OneTimeSecondsLeft(const OneTimeSecret& secret, int64_t unixTime);

// What the account form shows: "123 456 (17 s)" (the digits in groups of three from the left, so 7
// and 8 digits read "123 456 7" and "123 456 78"), or the text of an invalid or unsupported secret;
// empty when the notes hold none.
platform::SecureString OneTimeCodeLine(std::string_view notes, int64_t unixTime);
// The same for a secret already found.
platform::SecureString OneTimeCodeLine(const OneTimeSecret& secret, int64_t unixTime);

} // namespace passwords
