#pragma once

#include "cipher/RawFile.h"

#include "platform/SecureMemory.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Reading and writing whole enciphered files: the document layout that both document types and
// the command-line tool use, and the plain layout of the screen-lock settings file.
//
// Document layout: the text's UTF-16LE code units, padded and DES-CBC enciphered under the key
// of the file password, then each 32-bit word rotated. Passwords and texts are UTF-8 here.
namespace cipher {

enum class DocResult {
    Ok,
    CannotRead,       // the file could not be opened or read; see the system error
    CannotWrite,      // the file could not be written; the old file is unchanged
    WrongPassword,    // the file does not decipher under the password: wrong password or damaged file
    EmptyText,        // a plain record of no bytes cannot be stored (an empty document text can)
    UnusablePassword, // the password gives a weak DES key (the empty password always does)
    InvalidText,      // the text to write is not valid UTF-8
    NewerFormat,      // a strong file of a version or key derivation this program does not know
    DamagedFile,      // a strong file whose header is cut short or has non-zero reserved bytes
    ExcessiveCost,    // a strong file whose key derivation asks for more memory or passes than allowed
    OutOfMemory,      // the memory for the key derivation could not be had
    CannotBuildText,  // the document's clear text could not be put together; nothing was written
};

// The two formats of a document file: the compatible DES container, and the strong one of
// cipher/StrongFile.h. Reading picks the format by the file's first bytes.
enum class DocFormat { Compatible, Strong };

struct DocStatus {
    DocResult result = DocResult::Ok;
    uint32_t systemError = 0;                 // errno of a failed read or write
    DocFormat format = DocFormat::Compatible; // the format a read found
    bool ok() const { return result == DocResult::Ok; }
};

// Why a new password (of a file or of the screen) cannot be taken, as a sentence; empty when it can.
// A NUL byte is refused: the compatible format's key ends at the first one, so "abc\0def" would
// open with "abc", and a dialog's text could not hold it either.
std::string NewPasswordProblem(std::string_view passwordUtf8);

// The bytes a password feeds into the key: Windows-1252 when every character has a byte there,
// so that files interoperate with those written on Western Windows systems; UTF-8 otherwise.
platform::SecureString PasswordBytes(std::string_view passwordUtf8);

// The file bytes of a text under a password; an empty text gives one block of padding.
DocResult EncodeDocument(std::string_view textUtf8, std::string_view passwordUtf8, platform::SecureBytes& fileBytes);

// The same from the text's UTF-16LE code units, for callers that hold the text as UTF-16: the buffer
// is padded, enciphered and rotated in place (8 bytes of spare capacity spare it a copy) and becomes
// the file bytes. Any code units are taken as they are; an odd byte count is InvalidText.
DocResult EncodeDocumentUtf16(platform::SecureBytes utf16, std::string_view passwordUtf8,
                              platform::SecureBytes& fileBytes);

// The text held in file bytes. When the preferred password bytes do not decipher the file and
// the password's UTF-8 bytes differ from them, those are tried as well. The file bytes are
// deciphered in place, so that a read needs little more memory than the file and its text.
DocResult DecodeDocument(platform::SecureBytes fileBytes, std::string_view passwordUtf8, platform::SecureString& text);

// `rule` says what the write may replace (RawFile.h); by default whatever is there. `written`, when
// given, gets the version of the file written.
DocStatus WriteDocumentFile(const std::string& path, std::string_view passwordUtf8, std::string_view textUtf8,
                            DocFormat format = DocFormat::Compatible, const ReplaceRule& rule = {},
                            FileVersion* written = nullptr);
// Writes the compatible format from the text's UTF-16LE code units (see EncodeDocumentUtf16).
DocStatus WriteDocumentFileUtf16(const std::string& path, std::string_view passwordUtf8, platform::SecureBytes utf16,
                                 const ReplaceRule& rule = {}, FileVersion* written = nullptr);
// The text of a whole file's bytes in either format, chosen by the strong format's magic; the
// status says which one the bytes are in.
DocStatus DecodeAnyDocument(platform::SecureBytes fileBytes, std::string_view passwordUtf8,
                            platform::SecureString& text);
// Reads either format; the status says which one the file is in.
DocStatus ReadDocumentFile(const std::string& path, std::string_view passwordUtf8, platform::SecureString& text);

// The same, with the text as native UTF-16 code units written straight where `allocate` says: it is
// called once, when the password fits, with the most units the text can have, and returns room for
// them; `units` gets the text's length. The text follows the rules of the UTF-8 one: zero code
// units at the end dropped, a zero inside kept, a leading U+FEFF kept, a lone surrogate U+FFFD.
using Utf16Allocator = std::function<char16_t*(size_t units)>;
DocStatus DecodeAnyDocumentUtf16(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8,
                                 const Utf16Allocator& allocate, size_t& units);
DocStatus ReadDocumentFileUtf16(const std::string& path, std::string_view passwordUtf8, const Utf16Allocator& allocate,
                                size_t& units);

// Plain layout: a binary record padded and enciphered under the key of `keyText`, no rotation.
DocStatus WritePlainFile(const std::string& path, std::string_view keyText, const uint8_t* record, size_t size);
DocStatus ReadPlainFile(const std::string& path, std::string_view keyText, platform::SecureBytes& record);

// One sentence, naming the file, that tells a user what went wrong.
std::string DescribeFailure(const DocStatus& status, const std::string& path);

} // namespace cipher
