#pragma once

#include "platform/SecureMemory.h"

#include <cstdint>
#include <string>
#include <string_view>

// Conversions between the program's UTF-8 text and the encodings its files and passwords use.
// All of them go through glibc's iconv.
namespace platform {

// UTF-8 to UTF-16 code units, little-endian, no byte-order mark. False when the input is
// not valid UTF-8; the output is then empty.
bool Utf8ToUtf16Le(std::string_view utf8, SecureBytes& utf16);

// UTF-16LE code units back to UTF-8. A lone surrogate, or a last code unit cut in half,
// becomes U+FFFD; the conversion itself never fails.
void Utf16LeToUtf8(const uint8_t* utf16, size_t units, SecureString& utf8);

// UTF-8 to Windows-1252. False when the input is not valid UTF-8 or holds a character that
// Windows-1252 has no byte for; the output is then empty.
bool Utf8ToWindows1252(std::string_view utf8, SecureString& out);

// Windows-1252 to UTF-8. The five bytes the code page leaves undefined become U+FFFD.
std::string Windows1252ToUtf8(std::string_view bytes);

// Windows-1253 (Greek) to UTF-8. The bytes the code page leaves undefined become U+FFFD.
std::string Windows1253ToUtf8(std::string_view bytes);

// True when the bytes are well-formed UTF-8.
bool IsValidUtf8(std::string_view bytes);

} // namespace platform
