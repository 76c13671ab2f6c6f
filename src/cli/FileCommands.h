#pragma once

#include "cipher/DocumentFile.h"
#include "platform/SecureMemory.h"

#include <optional>

#include <string>
#include <string_view>

// The commands that treat a document file as a whole: decrypt, encrypt, passwd; and the steps
// they share with the other commands.
namespace cli {

int Decrypt(const std::string& file);
int Encrypt(const std::string& input, const std::string& output, bool force,
            cipher::DocFormat format = cipher::DocFormat::Compatible);
// Without a format the file keeps the one it is in.
int ChangePassword(const std::string& file, std::optional<cipher::DocFormat> format = std::nullopt);

// Opens a document file, asking for its password. Returns kExitOk with the clear text, or the
// exit code after printing why it failed. `format`, when given, receives the file's format.
int OpenDocument(const std::string& file, platform::SecureString& text, cipher::DocFormat* format = nullptr);

// Asks for a new password twice and checks that it can be used. Returns kExitOk or the exit code
// after printing why not.
int AskNewPassword(const std::string& file, platform::SecureString& password);

// Enciphers `text` into `file`, replacing only what `rule` lets it (a file that appeared or changed
// meanwhile is refused with a message). Returns kExitOk or the exit code after printing why not.
int SaveDocument(const std::string& file, std::string_view password, std::string_view text,
                 cipher::DocFormat format = cipher::DocFormat::Compatible, const cipher::ReplaceRule& rule = {});
// What an output may replace: nothing without --force; with it, only the file that was there when
// the command started (or nothing, when there was none).
cipher::ReplaceRule OutputRule(const std::string& file, bool force);

// Reads an input file whole. Returns kExitOk or the exit code after printing why not.
int ReadInputFile(const std::string& file, platform::SecureBytes& bytes);

// Refuses (with a message, returning the exit code) an existing output without --force.
int CheckOutput(const std::string& file, bool force);

// Writes bytes to standard output; a failure is reported and gives the exit code.
int WriteStandardOutput(std::string_view bytes);

} // namespace cli
