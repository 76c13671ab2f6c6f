#define OPENSSL_SUPPRESS_DEPRECATED
#include "ReferenceLayout.h"

#include <openssl/des.h>

namespace reference {

std::vector<uint8_t> EncodeDocument(const std::u16string& text, const std::string& passwordBytes) {
    std::vector<uint8_t> plain;
    for (const char16_t unit : text) {
        plain.push_back(static_cast<uint8_t>(unit & 0xFF));
        plain.push_back(static_cast<uint8_t>(unit >> 8));
    }
    const uint8_t pad = static_cast<uint8_t>(8 - plain.size() % 8);
    plain.insert(plain.end(), pad, pad);

    DES_cblock key;
    DES_string_to_key(passwordBytes.c_str(), &key);
    DES_key_schedule ks;
    DES_set_key_unchecked(&key, &ks);

    std::vector<uint8_t> out(plain.size());
    DES_cblock chain = {0, 0, 0, 0, 0, 0, 0, 0};
    for (size_t off = 0; off < plain.size(); off += 8) {
        DES_cblock block;
        for (int i = 0; i < 8; ++i)
            block[i] = plain[off + i] ^ chain[i];
        DES_ecb_encrypt(&block, &chain, &ks, DES_ENCRYPT);
        for (int i = 0; i < 8; ++i)
            out[off + i] = chain[i];
    }
    for (size_t word = 0; word < out.size() / 4; ++word) {
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = (v << 8) | out[4 * word + i];
        const unsigned n = (word + 1) % 32;
        if (n)
            v = (v << n) | (v >> (32 - n));
        for (int i = 0; i < 4; ++i)
            out[4 * word + i] = static_cast<uint8_t>(v >> (8 * i));
    }
    return out;
}

} // namespace reference
