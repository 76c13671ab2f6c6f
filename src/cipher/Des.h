#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The one way into DES: a thin facade over the crypto library's DES routines.
namespace cipher {

using DesKey = std::array<uint8_t, 8>;

// A key schedule (the 16 subkeys), built on the stack for one operation and wiped when it goes.
struct DesSchedule {
    alignas(8) unsigned char bytes[128];
    DesSchedule();
    ~DesSchedule();
    DesSchedule(const DesSchedule&) = delete;
    DesSchedule& operator=(const DesSchedule&) = delete;
};

// Builds the schedule after testing the key: -1 when a byte lacks odd parity (tested first),
// -2 for one of the 16 weak and semi-weak keys, 0 on success. No schedule is built on failure.
int DesSetKeyChecked(const DesKey& key, DesSchedule& schedule);

// Builds the schedule from any 8 bytes, without tests.
void DesSetKeyUnchecked(const DesKey& key, DesSchedule& schedule);

// DES-CBC over `length` bytes; a non-zero `encrypt` enciphers. The IV is read before any output
// is written and never written back, so `iv` may point into `output`. Enciphering fills a short
// last block with zeros and writes a whole block; deciphering writes only the remaining bytes.
void DesCbcCrypt(const uint8_t* input, uint8_t* output, size_t length, const DesSchedule& schedule, const uint8_t* iv,
                 int encrypt);

// The last ciphertext block of a CBC encipherment of `length` bytes (the IV itself for 0 bytes).
void DesCbcChecksum(const uint8_t* input, size_t length, const DesSchedule& schedule, const uint8_t* iv,
                    uint8_t result[8]);

// Sets the low bit of every byte so that each byte has an odd number of one bits.
void DesSetOddParity(DesKey& key);

} // namespace cipher
