#include "cipher/StrongFile.h"

#include <atomic>
#include <cstring>
#include <sodium.h>
#include <utf8cpp/utf8.h>

namespace cipher {

namespace {

static_assert(kStrongSaltSize == crypto_pwhash_SALTBYTES);
static_assert(kStrongNonceSize == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(kStrongKeySize == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(kStrongTagSize == crypto_aead_xchacha20poly1305_ietf_ABYTES);

std::atomic<uint32_t> g_newPasses{StrongCost{}.passes};
std::atomic<uint32_t> g_newMemoryKiB{StrongCost{}.memoryKiB};

// libsodium picks its fastest routines and starts its generator once; every entry point below
// that uses it calls this first.
bool SodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

uint32_t LoadLe32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void StoreLe32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

void BuildHeader(const StrongHeader& header, uint8_t* out) {
    std::memset(out, 0, kStrongHeaderSize);
    std::memcpy(out, kStrongMagic, sizeof kStrongMagic);
    out[8] = header.version;
    out[9] = header.kdf;
    StoreLe32(out + 12, header.cost.passes);
    StoreLe32(out + 16, header.cost.memoryKiB);
    std::memcpy(out + 20, header.salt.data(), kStrongSaltSize);
    std::memcpy(out + 36, header.nonce.data(), kStrongNonceSize);
}

// utfcpp's check runs over the text in place; a whole document is checked at every open and save.
bool ValidUtf8(std::string_view text) {
    return utf8::is_valid(text.begin(), text.end());
}

struct KeyWiper {
    uint8_t* key;
    ~KeyWiper() { sodium_memzero(key, kStrongKeySize); }
};

} // namespace

bool IsStrongFile(const uint8_t* data, size_t size) {
    return size >= sizeof kStrongMagic && std::memcmp(data, kStrongMagic, sizeof kStrongMagic) == 0;
}

DocResult ParseStrongHeader(const uint8_t* data, size_t size, StrongHeader& header) {
    if (!IsStrongFile(data, size))
        return DocResult::DamagedFile;
    // The version is looked at before anything else: a later version may lay out the rest anew.
    if (size < 10 || data[8] != kStrongVersion || data[9] != kStrongArgon2id)
        return size < 10 ? DocResult::DamagedFile : DocResult::NewerFormat;
    if (size < kStrongHeaderSize + kStrongTagSize)
        return DocResult::DamagedFile;
    if (data[10] != 0 || data[11] != 0 || LoadLe32(data + 60) != 0)
        return DocResult::DamagedFile;
    header.version = data[8];
    header.kdf = data[9];
    header.cost.passes = LoadLe32(data + 12);
    header.cost.memoryKiB = LoadLe32(data + 16);
    std::memcpy(header.salt.data(), data + 20, kStrongSaltSize);
    std::memcpy(header.nonce.data(), data + 36, kStrongNonceSize);
    if (header.cost.passes > kStrongMaxPasses || header.cost.memoryKiB > kStrongMaxMemoryKiB)
        return DocResult::ExcessiveCost;
    if (header.cost.passes < crypto_pwhash_argon2id_OPSLIMIT_MIN || header.cost.memoryKiB < kStrongMinMemoryKiB)
        return DocResult::DamagedFile;
    return DocResult::Ok;
}

StrongCost NewStrongCost() {
    return {g_newPasses.load(), g_newMemoryKiB.load()};
}

void SetNewStrongCost(StrongCost cost) {
    g_newPasses = cost.passes;
    g_newMemoryKiB = cost.memoryKiB;
}

bool DeriveStrongKey(std::string_view passwordUtf8, const StrongHeader& header, uint8_t* key) {
    if (!SodiumReady())
        return false;
    return crypto_pwhash(key, kStrongKeySize, passwordUtf8.data(), passwordUtf8.size(), header.salt.data(),
                         header.cost.passes, size_t(header.cost.memoryKiB) * 1024u, crypto_pwhash_ALG_ARGON2ID13) == 0;
}

namespace {

// The one sealing of a text: a fresh nonce under a key already derived with the header's salt and cost.
DocResult SealStrongDocument(std::string_view textUtf8, StrongHeader header, const uint8_t* key,
                             platform::SecureBytes& fileBytes) {
    randombytes_buf(header.nonce.data(), header.nonce.size());
    platform::SecureBytes out(kStrongHeaderSize + textUtf8.size() + kStrongTagSize);
    BuildHeader(header, out.data());
    unsigned long long written = 0;
    crypto_aead_xchacha20poly1305_ietf_encrypt(out.data() + kStrongHeaderSize, &written,
                                               reinterpret_cast<const uint8_t*>(textUtf8.data()), textUtf8.size(),
                                               out.data(), kStrongHeaderSize, nullptr, header.nonce.data(), key);
    fileBytes = std::move(out);
    return DocResult::Ok;
}

// What both encoders refuse before any work.
DocResult CheckEncodable(std::string_view textUtf8) {
    if (!ValidUtf8(textUtf8))
        return DocResult::InvalidText;
    return SodiumReady() ? DocResult::Ok : DocResult::OutOfMemory;
}

} // namespace

DocResult EncodeStrongDocument(std::string_view textUtf8, std::string_view passwordUtf8, StrongCost cost,
                               platform::SecureBytes& fileBytes) {
    CStrongKey key;
    // Text that cannot be written fails before the slow derivation; Encode's second look costs little.
    if (const DocResult checked = CheckEncodable(textUtf8); checked != DocResult::Ok)
        return checked;
    if (const DocResult derived = key.Derive(passwordUtf8, cost); derived != DocResult::Ok)
        return derived;
    return key.Encode(textUtf8, fileBytes);
}

CStrongKey::CStrongKey() = default;

CStrongKey::~CStrongKey() {
    Wipe();
}

DocResult CStrongKey::Derive(std::string_view passwordUtf8, StrongCost cost) {
    Wipe();
    // The compatible format cannot take an empty password either; a file under one would be open
    // to anyone who tries it first.
    if (passwordUtf8.empty())
        return DocResult::UnusablePassword;
    if (!SodiumReady())
        return DocResult::OutOfMemory;
    m_header = StrongHeader{};
    m_header.cost = cost;
    randombytes_buf(m_header.salt.data(), m_header.salt.size());
    platform::SecureBytes key(kStrongKeySize);
    if (!DeriveStrongKey(passwordUtf8, m_header, key.data()))
        return DocResult::OutOfMemory;
    m_key = std::move(key);
    return DocResult::Ok;
}

DocResult CStrongKey::Encode(std::string_view textUtf8, platform::SecureBytes& fileBytes) const {
    if (const DocResult checked = CheckEncodable(textUtf8); checked != DocResult::Ok)
        return checked;
    if (!IsReady())
        return DocResult::UnusablePassword;
    return SealStrongDocument(textUtf8, m_header, m_key.data(), fileBytes);
}

void CStrongKey::Wipe() {
    // SecureBytes wipes its block when it gives it back.
    platform::SecureBytes().swap(m_key);
    m_header = StrongHeader{};
}

DocResult DecodeStrongDocument(const uint8_t* data, size_t size, std::string_view passwordUtf8,
                               platform::SecureString& text) {
    StrongHeader header;
    if (const DocResult parsed = ParseStrongHeader(data, size, header); parsed != DocResult::Ok)
        return parsed;

    uint8_t key[kStrongKeySize];
    KeyWiper wipe{key};
    if (!DeriveStrongKey(passwordUtf8, header, key))
        return DocResult::OutOfMemory;

    const size_t sealedSize = size - kStrongHeaderSize;
    platform::SecureString clear;
    clear.resize(sealedSize - kStrongTagSize);
    unsigned long long clearSize = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<uint8_t*>(clear.data()), &clearSize, nullptr,
                                                   data + kStrongHeaderSize, sealedSize, data, kStrongHeaderSize,
                                                   header.nonce.data(), key) != 0)
        return DocResult::WrongPassword;
    // The tag proves the text is what a writer sealed; a writer of this format seals UTF-8 alone.
    if (!ValidUtf8(clear.view()))
        return DocResult::DamagedFile;
    text = std::move(clear);
    return DocResult::Ok;
}

} // namespace cipher
