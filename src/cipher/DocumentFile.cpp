#include "cipher/DocumentFile.h"

#include "cipher/Container.h"
#include "cipher/PasswordToKey.h"
#include "cipher/RawFile.h"
#include "platform/TextCodec.h"

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

// Deciphers one candidate key. Beyond the padding test, a document's plaintext is whole UTF-16
// code units, so its pad count is even: an odd one means the wrong key slipped through.
bool TryDecrypt(const std::vector<uint8_t>& rotated, std::string_view passwordBytes, platform::SecureBytes& plain) {
    DesKey key = KeyFor(passwordBytes);
    KeyWiper wipe{key};
    if (!DecryptBuffer(key, rotated.data(), rotated.size(), plain))
        return false;
    if ((rotated.size() - plain.size()) % 2 != 0) {
        plain.clear();
        return false;
    }
    return true;
}

} // namespace

platform::SecureString PasswordBytes(std::string_view passwordUtf8) {
    platform::SecureString bytes;
    if (platform::Utf8ToWindows1252(passwordUtf8, bytes))
        return bytes;
    return platform::SecureString(passwordUtf8.data(), passwordUtf8.size());
}

DocResult EncodeDocument(std::string_view textUtf8, std::string_view passwordUtf8, std::vector<uint8_t>& fileBytes) {
    platform::SecureBytes utf16;
    if (!platform::Utf8ToUtf16Le(textUtf8, utf16))
        return DocResult::InvalidText;
    if (utf16.empty())
        return DocResult::EmptyText;
    DesKey key = KeyFor(PasswordBytes(passwordUtf8).view());
    KeyWiper wipe{key};
    std::vector<uint8_t> cipherText;
    if (!EncryptBuffer(key, utf16.data(), utf16.size(), cipherText))
        return DocResult::UnusablePassword; // the data is there, so only the key can be refused
    RotateWordsLeft(cipherText.data(), cipherText.size());
    fileBytes = std::move(cipherText);
    return DocResult::Ok;
}

DocResult DecodeDocument(std::vector<uint8_t> fileBytes, std::string_view passwordUtf8, platform::SecureString& text) {
    RotateWordsRight(fileBytes.data(), fileBytes.size());
    platform::SecureBytes plain;
    const platform::SecureString preferred = PasswordBytes(passwordUtf8);
    bool ok = TryDecrypt(fileBytes, preferred.view(), plain);
    if (!ok && preferred.view() != passwordUtf8)
        ok = TryDecrypt(fileBytes, passwordUtf8, plain);
    std::vector<uint8_t>().swap(fileBytes); // the ciphertext is no longer needed
    if (!ok)
        return DocResult::WrongPassword;
    platform::Utf16LeToUtf8(plain.data(), plain.size() / 2, text);
    return DocResult::Ok;
}

DocStatus WriteDocumentFile(const std::string& path, std::string_view passwordUtf8, std::string_view textUtf8) {
    std::vector<uint8_t> fileBytes;
    const DocResult encoded = EncodeDocument(textUtf8, passwordUtf8, fileBytes);
    if (encoded != DocResult::Ok)
        return {encoded, 0};
    uint32_t error = 0;
    if (!WriteWholeFile(path, fileBytes.data(), fileBytes.size(), &error))
        return {DocResult::CannotWrite, error};
    return {};
}

DocStatus ReadDocumentFile(const std::string& path, std::string_view passwordUtf8, platform::SecureString& text) {
    std::vector<uint8_t> fileBytes;
    uint32_t error = 0;
    if (!ReadWholeFile(path, fileBytes, &error))
        return {DocResult::CannotRead, error};
    return {DecodeDocument(std::move(fileBytes), passwordUtf8, text), 0};
}

DocStatus WritePlainFile(const std::string& path, std::string_view keyText, const uint8_t* record, size_t size) {
    DesKey key = KeyFor(keyText);
    KeyWiper wipe{key};
    std::vector<uint8_t> cipherText;
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
    std::vector<uint8_t> cipherText;
    uint32_t error = 0;
    if (!ReadWholeFile(path, cipherText, &error))
        return {DocResult::CannotRead, error};
    if (!DecryptBuffer(key, cipherText.data(), cipherText.size(), record))
        return {DocResult::WrongPassword, 0};
    return {};
}

std::string DescribeFailure(const DocStatus& status, const std::string& path) {
    const std::string name = "\"" + path + "\"";
    const std::string reason = status.systemError ? std::strerror(static_cast<int>(status.systemError)) : "unknown error";
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
        return "Cannot save " + name + ": this password cannot encipher a file (an empty password never can); choose another.";
    case DocResult::InvalidText:
        return "Cannot save " + name + ": the text is not valid UTF-8.";
    }
    return {};
}

} // namespace cipher
