#pragma once

#include "cipher/DocumentFile.h"
#include "platform/SecureMemory.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// The strong document format: a 64-byte header, then the document's UTF-8 text enciphered with
// XChaCha20-Poly1305 under a key that Argon2id derives from the password. The header is the
// associated data, so no byte of the file can change without the tag failing.
//
//   0  8  magic 4C 57 45 4E 43 0D 0A 1A ("LWENC", CR, LF, 0x1A)
//   8  1  format version, 1
//   9  1  key derivation, 1 = Argon2id v1.3
//  10  2  zero
//  12  4  Argon2id passes, little-endian
//  16  4  Argon2id memory in KiB, little-endian
//  20 16  salt
//  36 24  nonce
//  60  4  zero
//  64 n+16 the enciphered text with the 16-byte tag at its end
namespace cipher {

constexpr size_t kStrongHeaderSize = 64;
constexpr size_t kStrongTagSize = 16;
constexpr size_t kStrongSaltSize = 16;
constexpr size_t kStrongNonceSize = 24;
constexpr size_t kStrongKeySize = 32;
constexpr uint8_t kStrongMagic[8] = {0x4C, 0x57, 0x45, 0x4E, 0x43, 0x0D, 0x0A, 0x1A};
constexpr uint8_t kStrongVersion = 1;
constexpr uint8_t kStrongArgon2id = 1;

// What the key derivation costs. A reader refuses more than the limits before it allocates
// anything: a file must not be able to make the program take gigabytes or minutes.
struct StrongCost {
    uint32_t passes = 3;
    uint32_t memoryKiB = 256 * 1024;
};
constexpr uint32_t kStrongMaxPasses = 20;
constexpr uint32_t kStrongMaxMemoryKiB = 1024 * 1024;
// Argon2id's own floor; a header below it names a derivation that cannot be run.
constexpr uint32_t kStrongMinMemoryKiB = 8;

struct StrongHeader {
    uint8_t version = kStrongVersion;
    uint8_t kdf = kStrongArgon2id;
    StrongCost cost;
    std::array<uint8_t, kStrongSaltSize> salt{};
    std::array<uint8_t, kStrongNonceSize> nonce{};
};

// True when the bytes begin with the strong format's magic; anything else is the compatible format.
bool IsStrongFile(const uint8_t* data, size_t size);

// The header's fields, checked: NewerFormat for a version or key derivation this program does
// not know, DamagedFile for a short file or non-zero reserved bytes, ExcessiveCost for a cost
// beyond the limits (or below Argon2id's floor).
DocResult ParseStrongHeader(const uint8_t* data, size_t size, StrongHeader& header);

// The cost new strong files are written with. Tests lower it so that they need not wait for the
// full derivation at every save; the program never changes it.
StrongCost NewStrongCost();
void SetNewStrongCost(StrongCost cost);

// The file bytes of a UTF-8 text under a password, with a fresh salt and nonce.
DocResult EncodeStrongDocument(std::string_view textUtf8, std::string_view passwordUtf8, StrongCost cost,
                               platform::SecureBytes& fileBytes);

// A password's key, derived once under a fresh salt and kept for encodings to come: a document that
// is written again and again (its recovery copy every minute) pays for the derivation only once.
// Each encoding is an ordinary strong file that DecodeStrongDocument opens with the password: the
// same salt and cost, a fresh nonce. The key lives in memory that is wiped when it is released.
class CStrongKey {
public:
    CStrongKey();
    ~CStrongKey();
    CStrongKey(const CStrongKey&) = delete;
    CStrongKey& operator=(const CStrongKey&) = delete;

    // Drops any key held, then derives the password's key under a new salt. UnusablePassword for an
    // empty password, OutOfMemory when the derivation cannot get its memory; no key is held then.
    DocResult Derive(std::string_view passwordUtf8, StrongCost cost);
    // The file bytes of a UTF-8 text under the key. InvalidText for text that is not UTF-8,
    // UnusablePassword when no key is held.
    DocResult Encode(std::string_view textUtf8, platform::SecureBytes& fileBytes) const;
    // Forgets the key, overwriting it.
    void Wipe();

    bool IsReady() const { return m_key.size() == kStrongKeySize; }
    StrongCost Cost() const { return m_header.cost; }

private:
    platform::SecureBytes m_key;
    StrongHeader m_header; // salt and cost of the key; the nonce is drawn anew for each encoding
};

// The text of strong file bytes. WrongPassword when the tag does not verify: a wrong password or
// a damaged file, which cannot be told apart.
DocResult DecodeStrongDocument(const uint8_t* data, size_t size, std::string_view passwordUtf8,
                               platform::SecureString& text);

// The 32-byte key of a password under a header's salt and cost; false when memory runs out.
bool DeriveStrongKey(std::string_view passwordUtf8, const StrongHeader& header, uint8_t* key);

} // namespace cipher
