#pragma once

#include "cipher/Des.h"
#include "platform/SecureMemory.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The buffer operations of the enciphered file layouts: padded DES-CBC with an all-zero IV,
// and the per-word rotation that the document layout adds on top.
namespace cipher {

// Pads `data` (PKCS #5: 1 to 8 bytes, each holding the pad count) and enciphers it. Returns 1
// with the ciphertext in `out`, or 0 with `out` untouched when there is no data or the key is
// refused (bad parity, weak or semi-weak).
int EncryptBuffer(const DesKey& key, const uint8_t* data, size_t length, platform::SecureBytes& out);

// Deciphers and strips the padding. Returns 1 with the plaintext in `out` (possibly empty), or
// 0 with `out` emptied when the length is 0 or not a multiple of 8, the key is refused, or the
// padding is out of range or inconsistent.
int DecryptBuffer(const DesKey& key, const uint8_t* data, size_t length, platform::SecureBytes& out);

// The same two operations on a buffer in place, for large documents: no second copy of the
// data is made. Encrypting appends the padding (reserve 8 bytes more to avoid a reallocation)
// and leaves the buffer untouched on failure; decrypting wipes and empties it on failure.
int EncryptInPlace(const DesKey& key, platform::SecureBytes& buffer);
int DecryptInPlace(const DesKey& key, platform::SecureBytes& buffer);

// Enciphers a buffer that is already padded (a non-zero multiple of 8 bytes) in place, with the
// all-zero IV. Returns 0, leaving the buffer alone, for any other length or a refused key.
int EncryptBlocksInPlace(const DesKey& key, platform::SecureBytes& buffer);

// EncryptBlocksInPlace and then RotateWordsLeft in one pass, a cache-sized piece at a time, so that
// each piece is rotated while it is still in cache. Same results, same refusals.
int EncryptBlocksRotatedInPlace(const DesKey& key, platform::SecureBytes& buffer);

// Rotates each whole 32-bit little-endian word i by (i + 1) mod 32 bits; trailing bytes stay.
void RotateWordsLeft(uint8_t* buffer, size_t length);
void RotateWordsRight(uint8_t* buffer, size_t length);

} // namespace cipher
