#include "cipher/Container.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace cipher {

int EncryptBlocksInPlace(const DesKey& key, platform::SecureBytes& buffer) {
    DesSchedule schedule;
    if (buffer.empty() || buffer.size() % 8 != 0 || DesSetKeyChecked(key, schedule) != 0)
        return 0;
    // An all-zero IV. CBC reads each block before it writes it, so input and output may coincide.
    const uint8_t zeroIv[8] = {};
    DesCbcCrypt(buffer.data(), buffer.data(), buffer.size(), schedule, zeroIv, 1);
    return 1;
}

int EncryptInPlace(const DesKey& key, platform::SecureBytes& buffer) {
    const size_t length = buffer.size();
    if (length == 0 || length > SIZE_MAX - 8)
        return 0;
    DesSchedule schedule;
    if (DesSetKeyChecked(key, schedule) != 0)
        return 0;
    const size_t pad = 8 - length % 8;
    buffer.resize(length + pad, static_cast<uint8_t>(pad));
    return EncryptBlocksInPlace(key, buffer);
}

int DecryptInPlace(const DesKey& key, platform::SecureBytes& buffer) {
    const size_t length = buffer.size();
    DesSchedule schedule;
    if (length == 0 || length % 8 != 0 || DesSetKeyChecked(key, schedule) != 0) {
        buffer.clear();
        return 0;
    }
    const uint8_t zeroIv[8] = {};
    DesCbcCrypt(buffer.data(), buffer.data(), length, schedule, zeroIv, 0);
    const size_t pad = buffer[length - 1];
    bool ok = pad != 0 && pad <= 8;
    for (size_t i = length - (ok ? pad : 0); ok && i < length; ++i)
        ok = buffer[i] == pad;
    if (!ok) {
        platform::WipeMemory(buffer.data(), buffer.size());
        buffer.clear();
        return 0;
    }
    buffer.resize(length - pad);
    return 1;
}

int EncryptBuffer(const DesKey& key, const uint8_t* data, size_t length, platform::SecureBytes& out) {
    if (!data || length == 0 || length > SIZE_MAX - 8)
        return 0;
    platform::SecureBytes buffer;
    buffer.reserve(length + 8);
    buffer.assign(data, data + length);
    if (!EncryptInPlace(key, buffer))
        return 0;
    out = std::move(buffer);
    return 1;
}

int DecryptBuffer(const DesKey& key, const uint8_t* data, size_t length, platform::SecureBytes& out) {
    out.clear();
    if (!data || length == 0)
        return 0;
    platform::SecureBytes buffer(data, data + length);
    if (!DecryptInPlace(key, buffer))
        return 0;
    out = std::move(buffer);
    return 1;
}

namespace {
// Word i of the buffer is word first + i of the whole layout.
template <bool Left> void RotateWords(uint8_t* buffer, size_t length, size_t first = 0) {
    const size_t words = length / 4;
    for (size_t i = 0; i < words; ++i) {
        uint32_t word;
        std::memcpy(&word, buffer + 4 * i, 4);
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap32(word);
        const int amount = static_cast<int>((first + i + 1) % 32);
        word = Left ? std::rotl(word, amount) : std::rotr(word, amount);
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap32(word);
        std::memcpy(buffer + 4 * i, &word, 4);
    }
}
} // namespace

void RotateWordsLeft(uint8_t* buffer, size_t length) {
    RotateWords<true>(buffer, length);
}
void RotateWordsRight(uint8_t* buffer, size_t length) {
    RotateWords<false>(buffer, length);
}

int EncryptBlocksRotatedInPlace(const DesKey& key, platform::SecureBytes& buffer) {
    DesSchedule schedule;
    if (buffer.empty() || buffer.size() % 8 != 0 || DesSetKeyChecked(key, schedule) != 0)
        return 0;
    // Each piece chains from the last ciphertext block of the one before, kept before that piece
    // is rotated.
    constexpr size_t kPiece = size_t(64) << 10;
    uint8_t iv[8] = {};
    for (size_t at = 0; at < buffer.size(); at += kPiece) {
        const size_t length = std::min(kPiece, buffer.size() - at);
        uint8_t* piece = buffer.data() + at;
        DesCbcCrypt(piece, piece, length, schedule, iv, 1);
        std::memcpy(iv, piece + length - 8, 8);
        RotateWords<true>(piece, length, at / 4);
    }
    return 1;
}

} // namespace cipher
