#include "shell/LockSettings.h"

#include "cipher/DocumentFile.h"
#include "platform/DataFolder.h"

#include <cerrno>
#include <cstring>
#include <sodium.h>
#include <sys/stat.h>

namespace {

constexpr size_t kOffLockWhenIdle = 284;
constexpr size_t kOffLockAtStartup = 288;
constexpr size_t kOffTimeoutIndex = 292;
constexpr size_t kOffScreenPassword = 296;
constexpr size_t kOffScreenPasswordOn = 556;
constexpr size_t kOffPromptText = 560;
constexpr size_t kOffReserved2 = 820;

void PutInt(uint8_t* at, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    at[0] = static_cast<uint8_t>(bits);
    at[1] = static_cast<uint8_t>(bits >> 8);
    at[2] = static_cast<uint8_t>(bits >> 16);
    at[3] = static_cast<uint8_t>(bits >> 24);
}

int32_t GetInt(const uint8_t* at) {
    const uint32_t bits = uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
    return static_cast<int32_t>(bits);
}

} // namespace

void LockSettingsRecord::ToBytes(uint8_t* bytes) const {
    std::memcpy(bytes, reserved1, sizeof(reserved1));
    PutInt(bytes + kOffLockWhenIdle, bLockWhenIdle);
    PutInt(bytes + kOffLockAtStartup, bLockAtStartup);
    PutInt(bytes + kOffTimeoutIndex, nTimeoutIndex);
    std::memcpy(bytes + kOffScreenPassword, szScreenPassword, kTextSize);
    PutInt(bytes + kOffScreenPasswordOn, bScreenPasswordOn);
    std::memcpy(bytes + kOffPromptText, szPromptText, kTextSize);
    std::memcpy(bytes + kOffReserved2, reserved2, sizeof(reserved2));
}

bool LockSettingsRecord::FromBytes(const uint8_t* bytes, size_t size) {
    if (!bytes || size != kSize)
        return false;
    std::memcpy(reserved1, bytes, sizeof(reserved1));
    bLockWhenIdle = GetInt(bytes + kOffLockWhenIdle);
    bLockAtStartup = GetInt(bytes + kOffLockAtStartup);
    nTimeoutIndex = GetInt(bytes + kOffTimeoutIndex);
    std::memcpy(szScreenPassword, bytes + kOffScreenPassword, kTextSize);
    bScreenPasswordOn = GetInt(bytes + kOffScreenPasswordOn);
    std::memcpy(szPromptText, bytes + kOffPromptText, kTextSize);
    std::memcpy(reserved2, bytes + kOffReserved2, sizeof(reserved2));
    // A field without its terminator ends at its last byte.
    szScreenPassword[kTextSize - 1] = '\0';
    szPromptText[kTextSize - 1] = '\0';
    return true;
}

std::string_view LockSettingsRecord::ReadText(const char (&field)[kTextSize]) {
    return std::string_view(field, ::strnlen(field, kTextSize - 1));
}

void LockSettingsRecord::WriteText(char (&field)[kTextSize], std::string_view utf8) {
    const std::string_view kept = CutUtf8(utf8.substr(0, utf8.find('\0')), kTextSize - 1);
    std::memset(field, 0, kTextSize);
    if (!kept.empty())
        std::memcpy(field, kept.data(), kept.size());
}

std::string_view LockSettingsRecord::CutUtf8(std::string_view utf8, size_t maxBytes) {
    if (utf8.size() <= maxBytes)
        return utf8;
    // The first byte left out must not be a continuation byte; else its character goes too.
    size_t n = maxBytes;
    while (n > 0 && (static_cast<uint8_t>(utf8[n]) & 0xC0) == 0x80)
        --n;
    return utf8.substr(0, n);
}

int TimeoutMinutes(int index) {
    static constexpr int kMinutes[kTimeoutCount] = {1, 2, 3, 5, 10, 15, 30, 60};
    return index >= 0 && index < kTimeoutCount ? kMinutes[index] : kMinutes[0];
}

namespace {
bool g_bMinimalVerifierCost = false;
} // namespace

void SetVerifierCostForTests(bool bMinimal) {
    g_bMinimalVerifierCost = bMinimal;
}

bool LockSettingsRecord::StoreScreenPassword(std::string_view utf8) {
    const std::string_view password = CutUtf8(utf8, kTextSize - 1);
    if (password.empty()) {
        SetScreenPassword({});
        return true;
    }
    if (sodium_init() < 0)
        return false;
    char verifier[crypto_pwhash_STRBYTES] = {};
    const unsigned long long ops =
        g_bMinimalVerifierCost ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    const size_t memory = g_bMinimalVerifierCost ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    if (crypto_pwhash_str(verifier, password.data(), password.size(), ops, memory) != 0)
        return false;
    static_assert(crypto_pwhash_STRBYTES + 1 <= kTextSize, "the verifier fits the field");
    std::string marked(1, kVerifierMark);
    marked += verifier;
    SetScreenPassword(marked);
    sodium_memzero(marked.data(), marked.size());
    return true;
}

bool ScreenPasswordMatches(std::string_view stored, std::string_view typedUtf8) {
    const std::string_view typed = LockSettingsRecord::CutUtf8(typedUtf8, LockSettingsRecord::kTextSize - 1);
    if (stored.empty() || stored.front() != LockSettingsRecord::kVerifierMark)
        return typed == stored;
    if (sodium_init() < 0)
        return false;
    const std::string verifier(stored.substr(1)); // NUL-terminated, as libsodium reads it
    return crypto_pwhash_str_verify(verifier.c_str(), typed.data(), typed.size()) == 0;
}

std::string LockSettingsPath() {
    const std::string folder = platform::GetDataFolder();
    return folder.empty() ? std::string() : folder + "/csptx.eda";
}

bool LockSettingsKeyText(const std::string& folder, std::string& keyText) {
    uint32_t serial = 0;
    if (!platform::GetVolumeSerial(folder, serial))
        return false;
    // Formatted as a signed number: serials of 2^31 and above come out negative.
    keyText = std::to_string(static_cast<int32_t>(serial));
    return true;
}

bool ReadLockSettingsFile(LockSettingsRecord& record, std::string* why) {
    const std::string folder = platform::GetDataFolder();
    const std::string path = folder + "/csptx.eda";
    struct stat st {};
    if (folder.empty() || ::stat(path.c_str(), &st) != 0)
        return false; // no settings yet: nothing to tell
    const auto fail = [why, &path](const std::string& reason) {
        if (why)
            *why = "The screen lock settings \"" + path + "\" " + reason;
        return false;
    };
    std::string keyText;
    if (!LockSettingsKeyText(folder, keyText))
        return fail(std::string("can't be read: the file system can't be examined (") + std::strerror(errno) + ").");
    platform::SecureBytes bytes;
    const cipher::DocStatus status = cipher::ReadPlainFile(path, keyText, bytes);
    if (status.result == cipher::DocResult::CannotRead)
        return fail(std::string("can't be read: ") + std::strerror(static_cast<int>(status.systemError)) + ".");
    if (!status.ok())
        return fail("don't decipher: they were written on another disk, or the file is damaged.");
    if (!record.FromBytes(bytes.data(), bytes.size()))
        return fail("are damaged: the file doesn't hold one settings record.");
    return true;
}

bool WriteLockSettingsFile(const LockSettingsRecord& record, std::string* why) {
    const std::string folder = platform::GetDataFolder();
    if (folder.empty()) {
        if (why)
            *why = "There is no folder for the settings file: neither XDG_CONFIG_HOME nor HOME is set.";
        return false;
    }
    if (!platform::EnsureFolder(folder)) {
        if (why)
            *why = "The folder \"" + folder + "\" could not be created: " + std::strerror(errno) + ".";
        return false;
    }
    std::string keyText;
    if (!LockSettingsKeyText(folder, keyText)) {
        if (why)
            *why = "The file system of \"" + folder + "\" could not be examined: " + std::strerror(errno) + ".";
        return false;
    }
    platform::SecureBytes bytes(LockSettingsRecord::kSize);
    record.ToBytes(bytes.data());
    const std::string path = folder + "/csptx.eda";
    const cipher::DocStatus status = cipher::WritePlainFile(path, keyText, bytes.data(), bytes.size());
    if (!status.ok() && why)
        *why = cipher::DescribeFailure(status, path);
    return status.ok();
}
