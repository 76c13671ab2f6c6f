#include "cipher/DocumentFile.h"

#include "cipher/Container.h"
#include "cipher/ParallelDecrypt.h"
#include "cipher/PasswordToKey.h"
#include "cipher/RawFile.h"
#include "cipher/StrongFile.h"
#include "platform/TextCodec.h"

#include <bit>
#include <cstring>

namespace cipher {

namespace {

DesKey KeyFor(std::string_view passwordBytes) {
    DesKey key{};
    PasswordToKey(key, passwordBytes);
    return key;
}

struct KeyWiper {
    DesKey& key;
    ~KeyWiper() { platform::WipeMemory(key.data(), key.size()); }
};

// The key of the password bytes whose padding fits the document's last block: the preferred bytes,
// or the password's UTF-8 bytes when they differ. False when neither fits.
bool FindFittingKey(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8, DesKey& key) {
    // The key would end at the NUL: a password that holds one is none this format can have.
    if (passwordUtf8.find('\0') != std::string_view::npos)
        return false;
    const platform::SecureString preferred = PasswordBytes(passwordUtf8);
    key = KeyFor(preferred.view());
    if (DocumentPaddingFits(key, fileBytes.data(), fileBytes.size()))
        return true;
    if (preferred.view() == passwordUtf8)
        return false;
    key = KeyFor(passwordUtf8);
    return DocumentPaddingFits(key, fileBytes.data(), fileBytes.size());
}

} // namespace

std::string NewPasswordProblem(std::string_view passwordUtf8) {
    if (passwordUtf8.find('\0') != std::string_view::npos)
        return "A password cannot contain a NUL character (a zero byte).";
    return {};
}

platform::SecureString PasswordBytes(std::string_view passwordUtf8) {
    platform::SecureString bytes;
    if (platform::Utf8ToWindows1252(passwordUtf8, bytes))
        return bytes;
    return platform::SecureString(passwordUtf8.data(), passwordUtf8.size());
}

DocResult EncodeDocument(std::string_view textUtf8, std::string_view passwordUtf8, platform::SecureBytes& fileBytes) {
    // The UTF-16 text is padded, enciphered and rotated in the one buffer it was converted into.
    platform::SecureBytes buffer;
    if (!platform::Utf8ToUtf16Le(textUtf8, buffer))
        return DocResult::InvalidText;
    return EncodeDocumentUtf16(std::move(buffer), passwordUtf8, fileBytes);
}

DocResult EncodeDocumentUtf16(platform::SecureBytes buffer, std::string_view passwordUtf8,
                              platform::SecureBytes& fileBytes) {
    if (buffer.size() % 2 != 0)
        return DocResult::InvalidText;
    if (passwordUtf8.find('\0') != std::string_view::npos)
        return DocResult::UnusablePassword; // the key would drop everything from the NUL on
    DesKey key = KeyFor(PasswordBytes(passwordUtf8).view());
    KeyWiper wipe{key};
    // Padded as EncryptInPlace pads; an empty text is stored as one block of padding alone: eight
    // bytes of value 8, which every reader of the format opens as an empty text.
    const size_t pad = 8 - buffer.size() % 8;
    buffer.resize(buffer.size() + pad, static_cast<uint8_t>(pad));
    if (!EncryptBlocksRotatedInPlace(key, buffer))
        return DocResult::UnusablePassword; // the data is there, so only the key can be refused
    fileBytes = std::move(buffer);
    return DocResult::Ok;
}

DocResult DecodeDocument(platform::SecureBytes fileBytes, std::string_view passwordUtf8, platform::SecureString& text) {
    // The candidate passwords are tried on the last block alone, so the file is deciphered once,
    // in place, under the one that fits. A document's plaintext is whole UTF-16 code units, so its
    // pad count is even: an odd one means the wrong key slipped through the padding test.
    DesKey key{};
    KeyWiper wipe{key};
    if (!FindFittingKey(fileBytes, passwordUtf8, key))
        return DocResult::WrongPassword;
    bool ok = false;
    const size_t plainBytes = DecryptDocumentInPlace(key, fileBytes.data(), fileBytes.size(), ok);
    if (!ok)
        return DocResult::WrongPassword;
    Utf16LeToUtf8Parallel(fileBytes.data(), plainBytes / 2, text);
    return DocResult::Ok;
}

namespace {

// Writes a document's encoded bytes, or passes on why they could not be encoded.
DocStatus WriteEncoded(const std::string& path, DocResult encoded, const platform::SecureBytes& fileBytes,
                       const ReplaceRule& rule, FileVersion* written) {
    if (encoded != DocResult::Ok)
        return {encoded, 0};
    uint32_t error = 0;
    if (!WriteWholeFile(path, fileBytes.data(), fileBytes.size(), &error, rule, written))
        return {DocResult::CannotWrite, error};
    return {};
}

} // namespace

DocStatus WriteDocumentFile(const std::string& path, std::string_view passwordUtf8, std::string_view textUtf8,
                            DocFormat format, const ReplaceRule& rule, FileVersion* written) {
    platform::SecureBytes fileBytes;
    const DocResult encoded = format == DocFormat::Strong
                                  ? EncodeStrongDocument(textUtf8, passwordUtf8, NewStrongCost(), fileBytes)
                                  : EncodeDocument(textUtf8, passwordUtf8, fileBytes);
    return WriteEncoded(path, encoded, fileBytes, rule, written);
}

DocStatus WriteDocumentFileUtf16(const std::string& path, std::string_view passwordUtf8, platform::SecureBytes utf16,
                                 const ReplaceRule& rule, FileVersion* written) {
    platform::SecureBytes fileBytes;
    const DocResult encoded = EncodeDocumentUtf16(std::move(utf16), passwordUtf8, fileBytes);
    return WriteEncoded(path, encoded, fileBytes, rule, written);
}

DocStatus ReadDocumentFile(const std::string& path, std::string_view passwordUtf8, platform::SecureString& text) {
    platform::SecureBytes fileBytes;
    uint32_t error = 0;
    if (!ReadWholeFile(path, fileBytes, &error))
        return {DocResult::CannotRead, error};
    return DecodeAnyDocument(std::move(fileBytes), passwordUtf8, text);
}

DocStatus DecodeAnyDocument(platform::SecureBytes fileBytes, std::string_view passwordUtf8,
                            platform::SecureString& text) {
    if (IsStrongFile(fileBytes.data(), fileBytes.size()))
        return {DecodeStrongDocument(fileBytes.data(), fileBytes.size(), passwordUtf8, text), 0, DocFormat::Strong};
    return {DecodeDocument(std::move(fileBytes), passwordUtf8, text), 0};
}

DocStatus DecodeAnyDocumentUtf16(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8,
                                 const Utf16Allocator& allocate, size_t& units) {
    units = 0;
    if (IsStrongFile(fileBytes.data(), fileBytes.size())) {
        // A strong file holds UTF-8 (checked when opened), so the conversion can't fail.
        platform::SecureString utf8;
        const DocResult decoded = DecodeStrongDocument(fileBytes.data(), fileBytes.size(), passwordUtf8, utf8);
        if (decoded != DocResult::Ok)
            return {decoded, 0, DocFormat::Strong};
        platform::SecureBytes utf16;
        platform::Utf8ToUtf16Le(utf8.view(), utf16);
        units = utf16.size() / 2;
        if (units) {
            char16_t* out = allocate(units);
            std::memcpy(out, utf16.data(), utf16.size());
            if constexpr (std::endian::native == std::endian::big) {
                for (size_t i = 0; i < units; ++i)
                    out[i] = static_cast<char16_t>(out[i] << 8 | out[i] >> 8);
            }
        }
        return {DocResult::Ok, 0, DocFormat::Strong};
    }
    // Deciphered from the file's bytes straight into the text's own buffer, lone surrogates mended
    // on the way, so that the text is written once and the file's bytes stay ciphertext.
    DesKey key{};
    KeyWiper wipe{key};
    if (!FindFittingKey(fileBytes, passwordUtf8, key))
        return {DocResult::WrongPassword, 0};
    auto* out = reinterpret_cast<uint8_t*>(allocate(fileBytes.size() / 2));
    bool ok = false;
    const size_t plainBytes =
        DecryptDocument(key, fileBytes.data(), out, fileBytes.size(), ok, 0, kAutoChunkBytes, true);
    if (!ok)
        return {DocResult::WrongPassword, 0};
    const auto* text = reinterpret_cast<const char16_t*>(out);
    units = plainBytes / 2;
    while (units > 0 && text[units - 1] == 0)
        --units;
    return {};
}

DocStatus ReadDocumentFileUtf16(const std::string& path, std::string_view passwordUtf8, const Utf16Allocator& allocate,
                                size_t& units) {
    units = 0;
    platform::SecureBytes fileBytes;
    uint32_t error = 0;
    if (!ReadWholeFile(path, fileBytes, &error))
        return {DocResult::CannotRead, error};
    return DecodeAnyDocumentUtf16(fileBytes, passwordUtf8, allocate, units);
}

DocStatus WritePlainFile(const std::string& path, std::string_view keyText, const uint8_t* record, size_t size) {
    DesKey key = KeyFor(keyText);
    KeyWiper wipe{key};
    platform::SecureBytes cipherText;
    if (!EncryptBuffer(key, record, size, cipherText))
        return {size == 0 ? DocResult::EmptyText : DocResult::UnusablePassword, 0};
    uint32_t error = 0;
    if (!WriteWholeFile(path, cipherText.data(), cipherText.size(), &error))
        return {DocResult::CannotWrite, error};
    return {};
}

DocStatus ReadPlainFile(const std::string& path, std::string_view keyText, platform::SecureBytes& record) {
    DesKey key = KeyFor(keyText);
    KeyWiper wipe{key};
    platform::SecureBytes buffer;
    uint32_t error = 0;
    if (!ReadWholeFile(path, buffer, &error))
        return {DocResult::CannotRead, error};
    if (!DecryptInPlace(key, buffer))
        return {DocResult::WrongPassword, 0};
    record = std::move(buffer);
    return {};
}

std::string DescribeFailure(const DocStatus& status, const std::string& path) {
    const std::string name = "\"" + path + "\"";
    const std::string reason = status.systemError == kChangedMeanwhile ? "another program changed it meanwhile"
                               : status.systemError ? std::strerror(static_cast<int>(status.systemError))
                                                    : "unknown error";
    switch (status.result) {
    case DocResult::Ok:
        return {};
    case DocResult::CannotRead:
        return "Cannot read " + name + ": " + reason + ".";
    case DocResult::CannotWrite:
        return "Cannot write " + name + ": " + reason + "; the file on disk was left as it was.";
    case DocResult::WrongPassword:
        return "Cannot decrypt " + name + ": the password is wrong or the file is damaged.";
    case DocResult::EmptyText:
        return "Cannot save " + name + ": an empty text cannot be enciphered.";
    case DocResult::UnusablePassword:
        return "Cannot save " + name +
               ": this password cannot encipher a file (an empty password never can); choose another.";
    case DocResult::InvalidText:
        return "Cannot save " + name + ": the text is not valid UTF-8.";
    case DocResult::NewerFormat:
        return "Cannot open " + name + ": it was written by a newer version of Lockwarden Editor.";
    case DocResult::DamagedFile:
        return "Cannot open " + name + ": the file is damaged (its strong-encryption header is not valid).";
    case DocResult::ExcessiveCost:
        return "Cannot open " + name +
               ": its key derivation asks for more than 1 GiB of memory or more than 20 passes; the file is "
               "damaged or was not made by Lockwarden Editor.";
    case DocResult::OutOfMemory:
        return "Cannot derive the key of " + name + ": there is not enough memory.";
    case DocResult::CannotBuildText:
        return "Cannot save " + name +
               ": the passwords text could not be put together (too large, or out of memory); nothing was "
               "written.";
    }
    return {};
}

} // namespace cipher
