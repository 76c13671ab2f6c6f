#include "cipher/Container.h"

#include <bit>
#include <cstring>

namespace cipher {

int EncryptBuffer(const DesKey& key, const uint8_t* data, size_t length, std::vector<uint8_t>& out) {
    if (!data || length == 0)
        return 0;
    DesSchedule schedule;
    if (DesSetKeyChecked(key, schedule) != 0)
        return 0;

    const size_t pad = 8 - length % 8;
    const size_t total = length + pad;
    platform::SecureBytes padded(total);
    std::memcpy(padded.data(), data, length);
    std::memset(padded.data() + length, static_cast<int>(pad), pad);

    std::vector<uint8_t> cipherText(total, 0);
    // The zeroed output doubles as the IV: it is read before anything is written.
    DesCbcCrypt(padded.data(), cipherText.data(), total, schedule, cipherText.data(), 1);
    out = std::move(cipherText);
    return 1;
}

int DecryptBuffer(const DesKey& key, const uint8_t* data, size_t length, platform::SecureBytes& out) {
    out.clear();
    if (!data || length == 0 || length % 8 != 0)
        return 0;
    DesSchedule schedule;
    if (DesSetKeyChecked(key, schedule) != 0)
        return 0;

    platform::SecureBytes plain(length, 0);
    DesCbcCrypt(data, plain.data(), length, schedule, plain.data(), 0);

    const size_t pad = plain[length - 1];
    if (pad == 0 || pad > 8)
        return 0;
    for (size_t i = length - pad; i < length; ++i)
        if (plain[i] != pad)
            return 0;
    plain.resize(length - pad);
    out = std::move(plain);
    return 1;
}

namespace {
template <bool Left> void RotateWords(uint8_t* buffer, size_t length) {
    const size_t words = length / 4;
    for (size_t i = 0; i < words; ++i) {
        uint32_t word;
        std::memcpy(&word, buffer + 4 * i, 4);
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap32(word);
        const int amount = static_cast<int>((i + 1) % 32);
        word = Left ? std::rotl(word, amount) : std::rotr(word, amount);
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap32(word);
        std::memcpy(buffer + 4 * i, &word, 4);
    }
}
} // namespace

void RotateWordsLeft(uint8_t* buffer, size_t length) { RotateWords<true>(buffer, length); }
void RotateWordsRight(uint8_t* buffer, size_t length) { RotateWords<false>(buffer, length); }

} // namespace cipher
