#include "cli/FileCommands.h"

#include "cipher/DocumentFile.h"
#include "cipher/RawFile.h"
#include "cipher/StrongFile.h"
#include "cli/Terminal.h"
#include "platform/TextCodec.h"

#include "passwords/PasswordsSchema.h"
#include <cerrno>
#include <cstdio>

#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

int ExitCodeFor(cipher::DocResult result) {
    switch (result) {
    case cipher::DocResult::Ok:
        return kExitOk;
    case cipher::DocResult::CannotRead:
    case cipher::DocResult::CannotWrite:
    case cipher::DocResult::InvalidText:
    case cipher::DocResult::EmptyText:
    case cipher::DocResult::NewerFormat:
    case cipher::DocResult::ExcessiveCost:
    case cipher::DocResult::OutOfMemory:
    case cipher::DocResult::CannotBuildText:
        return kExitFileError;
    case cipher::DocResult::DamagedFile: // like a file that does not decipher: "wrong password or damaged file"
    case cipher::DocResult::WrongPassword:
    case cipher::DocResult::UnusablePassword:
        return kExitBadPassword;
    }
    return kExitFileError;
}

size_t CountCharacters(std::string_view utf8) {
    size_t count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

bool Ask(const std::string& prompt, const std::string& file, platform::SecureString& password) {
    if (AskPassword(prompt, password))
        return true;
    if (StandardInputTaken())
        PrintError("no password for \"" + file +
                   "\": standard input holds the document and there is no terminal to ask on.");
    else
        PrintError("no password for \"" + file + "\": the input ended.");
    return false;
}

} // namespace

int OpenDocument(const std::string& file, platform::SecureString& text, cipher::DocFormat* format) {
    // The file first: a file that can't be read is said before a password is typed in vain, and a
    // document piped in on standard input is read whole before the terminal is asked.
    platform::SecureBytes bytes;
    if (const int rc = ReadInputFile(file, bytes); rc != kExitOk)
        return rc;
    if (bytes.empty()) {
        PrintError("Cannot read \"" + file + "\": it is empty.");
        return kExitFileError;
    }
    platform::SecureString password;
    if (!Ask("Password for " + file + ": ", file, password))
        return kExitUsage;
    // The compatible format would cut such a password at the NUL; a strong file takes it whole.
    if (password.view().find('\0') != std::string_view::npos && !cipher::IsStrongFile(bytes.data(), bytes.size())) {
        PrintError("Cannot decrypt \"" + file +
                   "\": the password contains a NUL character (a zero byte), which no password of its format can.");
        return kExitBadPassword;
    }
    const cipher::DocStatus status = cipher::DecodeAnyDocument(std::move(bytes), password.view(), text);
    password.Wipe();
    if (!status.ok()) {
        PrintError(cipher::DescribeFailure(status, file));
        return ExitCodeFor(status.result);
    }
    if (format)
        *format = status.format;
    return kExitOk;
}

int AskNewPassword(const std::string& file, platform::SecureString& password) {
    if (!Ask("New password for " + file + ": ", file, password))
        return kExitUsage;
    platform::SecureString confirmation;
    if (!Ask("Confirm the new password: ", file, confirmation))
        return kExitUsage;
    if (password.view() != confirmation.view()) {
        PrintError("the passwords for \"" + file + "\" do not match; nothing was written.");
        return kExitBadPassword;
    }
    if (password.empty()) {
        PrintError("an empty password cannot encipher \"" + file + "\"; nothing was written.");
        return kExitBadPassword;
    }
    if (const std::string problem = cipher::NewPasswordProblem(password.view()); !problem.empty()) {
        PrintError(problem + " Nothing was written to \"" + file + "\".");
        return kExitBadPassword;
    }
    if (CountCharacters(password.view()) > kMaxPasswordChars) {
        PrintError("the password for \"" + file + "\" is longer than 259 characters; nothing was written.");
        return kExitBadPassword;
    }
    return kExitOk;
}

int SaveDocument(const std::string& file, std::string_view password, std::string_view text, cipher::DocFormat format,
                 const cipher::ReplaceRule& rule) {
    const cipher::DocStatus status = cipher::WriteDocumentFile(file, password, text, format, rule);
    if (status.result == cipher::DocResult::CannotWrite && status.systemError == EEXIST && rule.bNoReplace) {
        // It appeared while the password was asked for.
        PrintError("\"" + file + "\" already exists; use --force to replace it. Nothing was written.");
        return kExitFileError;
    }
    if (!status.ok()) {
        PrintError(cipher::DescribeFailure(status, file));
        return ExitCodeFor(status.result);
    }
    return kExitOk;
}

int ReadInputFile(const std::string& file, platform::SecureBytes& bytes) {
    TakesStandardInput(file);
    uint32_t error = 0;
    if (!cipher::ReadWholeFile(file, bytes, &error)) {
        PrintError(cipher::DescribeFailure({cipher::DocResult::CannotRead, error}, file));
        return kExitFileError;
    }
    return kExitOk;
}

cipher::ReplaceRule OutputRule(const std::string& file, bool force) {
    cipher::ReplaceRule rule;
    if (force)
        rule.expected = cipher::IdentityOf(file);
    else
        rule.bNoReplace = true;
    return rule;
}

int CheckOutput(const std::string& file, bool force) {
    struct stat st {};
    if (!force && ::lstat(file.c_str(), &st) == 0) {
        PrintError("\"" + file + "\" already exists; use --force to replace it.");
        return kExitFileError;
    }
    // The folder must take the new file before a password is asked for it.
    const size_t slash = file.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : file.substr(0, slash);
    if (::access(folder.c_str(), W_OK) != 0) {
        PrintError("cannot write into \"" + folder + "\": " + std::strerror(errno) + "; nothing was written.");
        return kExitFileError;
    }
    return kExitOk;
}

int WriteStandardOutput(std::string_view bytes) {
    if ((!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) ||
        std::fflush(stdout) != 0) {
        PrintError(std::string("cannot write to standard output: ") + std::strerror(errno) + ".");
        return kExitFileError;
    }
    return kExitOk;
}

int Decrypt(const std::string& file) {
    platform::SecureString text;
    if (const int rc = OpenDocument(file, text); rc != kExitOk)
        return rc;
    return WriteStandardOutput(text.view());
}

int Encrypt(const std::string& input, const std::string& output, bool force, cipher::DocFormat format) {
    if (const int rc = CheckOutput(output, force); rc != kExitOk)
        return rc;
    const cipher::ReplaceRule rule = OutputRule(output, force);
    platform::SecureBytes bytes;
    if (const int rc = ReadInputFile(input, bytes); rc != kExitOk)
        return rc;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // Check the text before asking for passwords that would be typed in vain.
    if (!platform::IsValidUtf8(text)) {
        PrintError("\"" + input + "\" is not UTF-8 text; nothing was written.");
        return kExitFileError;
    }
    // A ".kvd" the editor could not open (or would open empty and then overwrite) is no use.
    const bool bPasswordsFile = output.size() >= 4 && strcasecmp(output.c_str() + output.size() - 4, ".kvd") == 0;
    AccountLists lists;
    if (bPasswordsFile && !ReadPasswordsText(text, lists)) {
        PrintError("\"" + input +
                   "\" is not a passwords document, so it cannot become a .kvd file; import makes one from "
                   "accounts in JSON. Nothing was written.");
        return kExitFileError;
    }
    platform::SecureString password;
    if (const int rc = AskNewPassword(output, password); rc != kExitOk)
        return rc;
    return SaveDocument(output, password.view(), text, format, rule);
}

int ChangePassword(const std::string& file, std::optional<cipher::DocFormat> format) {
    // Taken before the file is read: a version written meanwhile must not be replaced by this one.
    cipher::ReplaceRule rule;
    rule.expected = cipher::IdentityOf(file);
    platform::SecureString text;
    cipher::DocFormat current = cipher::DocFormat::Compatible;
    if (const int rc = OpenDocument(file, text, &current); rc != kExitOk)
        return rc;
    platform::SecureString password;
    if (const int rc = AskNewPassword(file, password); rc != kExitOk)
        return rc;
    return SaveDocument(file, password.view(), text.view(), format.value_or(current), rule);
}

} // namespace cli
