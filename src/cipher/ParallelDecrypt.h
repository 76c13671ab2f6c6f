#pragma once

#include "cipher/Des.h"
#include "platform/SecureMemory.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reading a document file on every core. A CBC plaintext block depends only on its own ciphertext
// block and the one before it, so a file splits into chunks that threads decipher side by side,
// each starting from the last ciphertext block before its chunk. Un-rotating the words and
// deciphering are done together, a cache-sized piece at a time, and the UTF-16 text is then turned
// into UTF-8 by the same threads straight into a buffer sized exactly once.
namespace cipher {

// The largest chunk a file is split into. Smaller files are split into smaller chunks, two for
// each thread, but none under kDecryptMinChunkBytes: starting a thread must stay cheap beside
// its share of the work.
inline constexpr size_t kDecryptChunkBytes = size_t(4) << 20;
inline constexpr size_t kDecryptMinChunkBytes = size_t(128) << 10;
// Chunk size 0 below: chosen from the length and the thread count as said above.
inline constexpr size_t kAutoChunkBytes = 0;

// True when `key` passes the key tests and the last block of the rotated document bytes deciphers
// to a padding that a document can have: 1 to 8 bytes of that value, an even count (the plaintext
// is whole UTF-16 code units). Reads only the last two blocks; changes nothing.
bool DocumentPaddingFits(const DesKey& key, const uint8_t* fileBytes, size_t length);

// Un-rotates and deciphers the rotated document bytes in place, on up to `threads` threads (0: one
// per core), in chunks of `chunkBytes` (rounded down to whole blocks). Returns the plaintext length without the
// padding, or 0 with the bytes wiped when the length is not a non-zero multiple of 8, the key is refused or the padding
// does not fit. `ok` tells an empty plaintext from a failure.
size_t DecryptDocumentInPlace(const DesKey& key, uint8_t* fileBytes, size_t length, bool& ok, unsigned threads = 0,
                              size_t chunkBytes = kAutoChunkBytes);

// Un-rotates and deciphers the rotated document bytes into `out`, which has room for `length` bytes
// (`out` may be `fileBytes`), as DecryptDocumentInPlace does but leaving `fileBytes` as they are
// and `out` untouched on failure. With `mendUtf16`, the lone surrogates of the plaintext's UTF-16
// code units become U+FFFD on the way, as Utf16LeToUtf8Parallel turns them (`out` then holds
// char16_t). Returns the plaintext length without the padding.
size_t DecryptDocument(const DesKey& key, const uint8_t* fileBytes, uint8_t* out, size_t length, bool& ok,
                       unsigned threads = 0, size_t chunkBytes = kAutoChunkBytes, bool mendUtf16 = false);

// The UTF-8 text of `units` UTF-16LE code units, converted in parallel. Zero code units at the end
// are not part of the text (a zero inside stays); a leading byte-order mark is text like any
// other character; a lone surrogate becomes U+FFFD. Chunks are `chunkBytes` / 2 code units.
void Utf16LeToUtf8Parallel(const uint8_t* utf16, size_t units, platform::SecureString& utf8, unsigned threads = 0,
                           size_t chunkBytes = kAutoChunkBytes);

} // namespace cipher
