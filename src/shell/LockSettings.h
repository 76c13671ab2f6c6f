#pragma once

#include "platform/SecureMemory.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The screen-lock options and the enciphered settings file "csptx.eda" that keeps them.
//
// On disk the record is 1080 bytes, integers little-endian:
//     0  284  reserved (kept as read)        556    4  bScreenPasswordOn
//   284    4  bLockWhenIdle                  560  260  szPromptText
//   288    4  bLockAtStartup                 820  260  reserved (kept as read)
//   292    4  nTimeoutIndex
//   296  260  szScreenPassword
// The two texts are UTF-8, NUL-terminated, at most 259 bytes, never cut inside a character. The screen
// password is kept as a verifier: kVerifierMark (0x01, which no typed password holds) followed by
// libsodium's crypto_pwhash_str text (salted Argon2id). A record written by an older version holds the
// password itself; it is still read, and takes the verifier at its next save.
struct LockSettingsRecord {
    static constexpr size_t kSize = 1080;
    static constexpr size_t kTextSize = 260;

    uint8_t reserved1[284] = {};
    int32_t bLockWhenIdle = 0;
    int32_t bLockAtStartup = 0;
    int32_t nTimeoutIndex = 0;
    char szScreenPassword[kTextSize] = {};
    int32_t bScreenPasswordOn = 0;
    char szPromptText[kTextSize] = {};
    uint8_t reserved2[260] = {};

    LockSettingsRecord() = default;
    LockSettingsRecord(const LockSettingsRecord&) = default;
    LockSettingsRecord& operator=(const LockSettingsRecord&) = default;
    // The screen password must not linger in freed memory.
    ~LockSettingsRecord() { platform::WipeMemory(this, sizeof(*this)); }

    // Writes the kSize bytes of the record.
    void ToBytes(uint8_t* bytes) const;
    // Only a record of exactly kSize bytes is taken; anything else leaves this record unchanged.
    bool FromBytes(const uint8_t* bytes, size_t size);

    // The screen password field as stored: a verifier, or an older record's password.
    std::string_view ScreenPassword() const { return ReadText(szScreenPassword); }
    bool HasScreenPassword() const { return szScreenPassword[0] != 0; }
    bool HoldsVerifier() const { return szScreenPassword[0] == kVerifierMark; }
    // Stores the verifier of a password (none for an empty one); false when it could not be made.
    bool StoreScreenPassword(std::string_view utf8);
    static constexpr char kVerifierMark = 0x01;
    std::string_view PromptText() const { return ReadText(szPromptText); }
    void SetScreenPassword(std::string_view utf8) { WriteText(szScreenPassword, utf8); }
    void SetPromptText(std::string_view utf8) { WriteText(szPromptText, utf8); }

    // The text of a field up to its NUL (at most 259 bytes).
    static std::string_view ReadText(const char (&field)[kTextSize]);
    // Stores a text cut to 259 bytes on a character boundary, NUL-terminated, the rest of the field zero.
    static void WriteText(char (&field)[kTextSize], std::string_view utf8);
    // The longest prefix of at most maxBytes bytes that does not end inside a UTF-8 character.
    static std::string_view CutUtf8(std::string_view utf8, size_t maxBytes);
};

// Whether a typed password is the one a stored screen password field stands for (a verifier, or an
// older record's password itself). The typed text is cut to the field's 259 bytes as it always was.
bool ScreenPasswordMatches(std::string_view stored, std::string_view typedUtf8);
// Tests make new verifiers with libsodium's minimum cost; the program uses the interactive one.
void SetVerifierCostForTests(bool bMinimal);

// Minutes of idle time for each index of the timeout list: 1, 2, 3, 5, 10, 15, 30, 60. An index out
// of range counts as the first entry.
int TimeoutMinutes(int index);
constexpr int kTimeoutCount = 8;

// The settings file: "<data folder>/csptx.eda", enciphered in the plain layout under the decimal
// serial number (signed) of the volume that holds the folder. Empty when there is no data folder.
std::string LockSettingsPath();
// The text the settings file's key derives from; false when the volume can't be examined.
bool LockSettingsKeyText(const std::string& folder, std::string& keyText);

// Reads the file into the record. False, with the record unchanged, when the file is absent,
// unreadable, does not decipher (another volume, damage) or does not hold exactly one record. `why`
// (when given) gets one sentence naming the file and the reason when a file is there but can't be
// used, and stays empty when there is no file.
bool ReadLockSettingsFile(LockSettingsRecord& record, std::string* why = nullptr);
// Writes the record, creating the data folder when needed. The old file stays whole until the new
// one has replaced it; a new file is readable by its owner only. On failure `why` (when given) gets
// one sentence that names the file or folder and says what went wrong.
bool WriteLockSettingsFile(const LockSettingsRecord& record, std::string* why = nullptr);
