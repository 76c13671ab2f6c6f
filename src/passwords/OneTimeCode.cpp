#include "passwords/OneTimeCode.h"

#include <liboath/oath.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>

namespace passwords {

namespace {

constexpr std::string_view kOtpAuth = "otpauth://";
constexpr std::string_view kTotpLabel = "totp:";
// A period longer than a day is no one-time code any site hands out: most likely a typing slip.
constexpr int kMaxPeriod = 24 * 60 * 60;
// Sites hand out at least 80 bits (16 base32 letters). Anything shorter after "TOTP:" is more likely
// a word ("TOTP: see phone" reads as base32 too) than a secret, and would give a wrong code.
constexpr size_t kMinKeyBytes = 10;

void InitOath() {
    static std::once_flag once;
    std::call_once(once, [] { oath_init(); });
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// A query value with its %XX escapes and '+' decoded; false for a broken escape.
bool DecodeQueryValue(std::string_view text, platform::SecureString& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
            const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
            if (low < 0)
                return false;
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return true;
}

// A whole decimal number in [1, 1000000]; 0 for anything else.
int SmallNumber(std::string_view text) {
    if (text.empty() || text.size() > 7 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::atoi(std::string(text).c_str());
}

OneTimeSecret WithStatus(OneTimeSecret::Status status) {
    OneTimeSecret secret;
    secret.eStatus = status;
    return secret;
}

// Base32 (RFC 4648) as authenticator apps write it: any case, spaces and missing padding allowed.
bool DecodeBase32(std::string_view text, platform::SecureBytes& key) {
    platform::SecureString upper;
    upper.reserve(text.size());
    for (const char c : text) {
        if (c != ' ' && c != '-')
            upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    while (!upper.empty() && upper.back() == '=')
        upper.pop_back();
    if (upper.empty())
        return false;
    // Padding to whole blocks of eight, as the decoder wants them.
    upper.append((8 - upper.size() % 8) % 8, '=');
    InitOath();
    char* out = nullptr;
    size_t outLength = 0;
    if (oath_base32_decode(upper.data(), upper.size(), &out, &outLength) != OATH_OK || !out)
        return false;
    key.assign(reinterpret_cast<const uint8_t*>(out), reinterpret_cast<const uint8_t*>(out) + outLength);
    platform::WipeMemory(out, outLength);
    std::free(out);
    return key.size() >= kMinKeyBytes;
}

OneTimeSecret ParseOtpAuth(std::string_view uri) {
    uri.remove_prefix(kOtpAuth.size());
    const size_t slash = uri.find('/');
    const std::string_view type = uri.substr(0, slash);
    if (!EqualsNoCase(type, "totp"))
        return WithStatus(EqualsNoCase(type, "hotp") || slash != std::string_view::npos ? OneTimeSecret::Unsupported
                                                                                        : OneTimeSecret::Invalid);
    const size_t question = uri.find('?');
    if (question == std::string_view::npos)
        return WithStatus(OneTimeSecret::Invalid);
    std::string_view query = uri.substr(question + 1);
    if (const size_t hash = query.find('#'); hash != std::string_view::npos)
        query = query.substr(0, hash);

    OneTimeSecret secret;
    bool bHasSecret = false;
    while (!query.empty()) {
        const size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        const size_t eq = pair.find('=');
        const std::string_view name = pair.substr(0, eq);
        platform::SecureString value;
        if (!DecodeQueryValue(eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1), value))
            return WithStatus(OneTimeSecret::Invalid);
        const std::string_view v = Trim(value.view());
        if (EqualsNoCase(name, "secret")) {
            if (!DecodeBase32(v, secret.key))
                return WithStatus(OneTimeSecret::Invalid);
            bHasSecret = true;
        } else if (EqualsNoCase(name, "algorithm")) {
            if (EqualsNoCase(v, "SHA1"))
                secret.eHash = OneTimeHash::Sha1;
            else if (EqualsNoCase(v, "SHA256"))
                secret.eHash = OneTimeHash::Sha256;
            else if (EqualsNoCase(v, "SHA512"))
                secret.eHash = OneTimeHash::Sha512;
            else
                return WithStatus(OneTimeSecret::Unsupported);
        } else if (EqualsNoCase(name, "digits")) {
            const int digits = SmallNumber(v);
            if (digits == 0)
                return WithStatus(OneTimeSecret::Invalid);
            if (digits < 6 || digits > 8)
                return WithStatus(OneTimeSecret::Unsupported);
            secret.nDigits = digits;
        } else if (EqualsNoCase(name, "period")) {
            const int period = SmallNumber(v);
            if (period == 0 || period > kMaxPeriod)
                return WithStatus(OneTimeSecret::Invalid);
            secret.nPeriod = period;
        } else if (EqualsNoCase(name, "encoder") && !v.empty()) {
            // KeePassXC marks Steam's codes this way: letters, not digits.
            return WithStatus(OneTimeSecret::Unsupported);
        }
    }
    if (!bHasSecret)
        return WithStatus(OneTimeSecret::Invalid);
    secret.eStatus = OneTimeSecret::Valid;
    return secret;
}

// The address that starts at `at`, up to the first blank.
std::string_view AddressAt(std::string_view line, size_t at) {
    std::string_view rest = line.substr(at);
    const size_t end = rest.find_first_of(" \t");
    return rest.substr(0, end);
}

} // namespace

OneTimeSecret ParseOneTimeSecret(std::string_view text) {
    text = Trim(text);
    if (StartsWithNoCase(text, kOtpAuth))
        return ParseOtpAuth(AddressAt(text, 0));
    // Any other address is another kind of code (steam://, a vendor's own).
    if (const size_t scheme = text.find("://"); scheme != std::string_view::npos && scheme > 0)
        return WithStatus(OneTimeSecret::Unsupported);
    OneTimeSecret secret;
    if (!DecodeBase32(text, secret.key))
        return WithStatus(OneTimeSecret::Invalid);
    secret.eStatus = OneTimeSecret::Valid;
    return secret;
}

OneTimeSecret FindOneTimeSecret(std::string_view notes) {
    while (!notes.empty()) {
        const size_t end = notes.find_first_of("\r\n");
        const std::string_view line = notes.substr(0, end);
        notes = end == std::string_view::npos ? std::string_view() : notes.substr(end + 1);
        const std::string_view trimmed = Trim(line);
        if (StartsWithNoCase(trimmed, kTotpLabel))
            return ParseOneTimeSecret(trimmed.substr(kTotpLabel.size()));
        for (size_t at = 0; at + kOtpAuth.size() <= line.size(); ++at) {
            if (StartsWithNoCase(line.substr(at), kOtpAuth))
                return ParseOtpAuth(AddressAt(line, at));
        }
    }
    return {};
}

platform::SecureString OneTimeCodeAt(const OneTimeSecret& secret, int64_t unixTime) {
    if (secret.eStatus != OneTimeSecret::Valid || secret.key.empty())
        return {};
    InitOath();
    int flags = 0;
    if (secret.eHash == OneTimeHash::Sha256)
        flags = OATH_TOTP_HMAC_SHA256;
    else if (secret.eHash == OneTimeHash::Sha512)
        flags = OATH_TOTP_HMAC_SHA512;
    char digits[16] = {};
    const int rc = oath_totp_generate2(reinterpret_cast<const char*>(secret.key.data()), secret.key.size(),
                                       static_cast<time_t>(unixTime), static_cast<unsigned>(secret.nPeriod), 0,
                                       static_cast<unsigned>(secret.nDigits), flags, digits);
    platform::SecureString code;
    if (rc == OATH_OK)
        code = digits;
    platform::WipeMemory(digits, sizeof digits);
    return code;
}

int OneTimeSecondsLeft(const OneTimeSecret& secret, int64_t unixTime) {
    const int64_t period = secret.nPeriod > 0 ? secret.nPeriod : 30;
    const int64_t into = ((unixTime % period) + period) % period;
    return static_cast<int>(period - into);
}

platform::SecureString OneTimeCodeLine(std::string_view notes, int64_t unixTime) {
    return OneTimeCodeLine(FindOneTimeSecret(notes), unixTime);
}

platform::SecureString OneTimeCodeLine(const OneTimeSecret& secret, int64_t unixTime) {
    switch (secret.eStatus) {
    case OneTimeSecret::None:
        return {};
    case OneTimeSecret::Invalid:
        return kInvalidOneTimeSecret;
    case OneTimeSecret::Unsupported:
        return kUnsupportedOneTimeCode;
    case OneTimeSecret::Valid:
        break;
    }
    const platform::SecureString code = OneTimeCodeAt(secret, unixTime);
    if (code.empty())
        return kInvalidOneTimeSecret;
    platform::SecureString line;
    for (size_t i = 0; i < code.size(); ++i) {
        if (i > 0 && i % 3 == 0)
            line += ' ';
        line += code[i];
    }
    line += " (" + std::to_string(OneTimeSecondsLeft(secret, unixTime)) + " s)";
    return line;
}

} // namespace passwords
