#include "cipher/PasswordToKey.h"

#include <array>

namespace cipher {

namespace {

constexpr std::array<uint8_t, 256> MakeReversedBits() {
    std::array<uint8_t, 256> table{};
    for (unsigned c = 0; c < 256; ++c) {
        unsigned r = 0;
        for (unsigned bit = 0; bit < 8; ++bit)
            if (c & (1u << bit))
                r |= 1u << (7 - bit);
        table[c] = static_cast<uint8_t>(r);
    }
    return table;
}

constexpr std::array<uint8_t, 256> kReversedBits = MakeReversedBits();

} // namespace

int PasswordToKey(DesKey& key, std::string_view password) {
    const size_t end = password.find('\0');
    if (end != std::string_view::npos)
        password = password.substr(0, end);
    const auto* bytes = reinterpret_cast<const uint8_t*>(password.data());
    const size_t length = password.size();

    // Fold the password into the key: bytes 0-7 run forward over the key, 8-15 backward, and so on.
    key.fill(0);
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = bytes[i];
        if (i % 16 < 8)
            key[i % 8] ^= static_cast<uint8_t>(c << 1);
        else
            key[7 - i % 8] ^= kReversedBits[c];
    }
    DesSetOddParity(key);

    // The fold drops bit 7 of every byte; the checksum under the folded key takes all 8 bits in.
    DesSchedule schedule;
    DesSetKeyUnchecked(key, schedule);
    DesCbcChecksum(bytes, length, schedule, key.data(), key.data());
    DesSetOddParity(key);
    return 1;
}

} // namespace cipher
