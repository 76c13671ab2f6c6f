#pragma once

#include "platform/SecureMemory.h"

#include <string>

namespace cli {

// Exit codes of lockwarden-cli.
enum ExitCode : int {
    kExitOk = 0,
    kExitBadPassword = 1, // a wrong password, a damaged file, or a password that cannot be used
    kExitUsage = 2,
    kExitFileError = 3,
};

// The longest password the editor lets a user type; longer ones are refused here too.
constexpr size_t kMaxPasswordChars = 259;

// Asks for a password. When standard input is a terminal, or is the document being read (a pipe
// given as "/dev/stdin"), the question goes to the controlling terminal, prompt and answer, with
// nothing typed echoed; otherwise the password is the next line of standard input. False when
// the input ends first.
bool AskPassword(const std::string& prompt, platform::SecureString& password);

// True when the path names the program's standard input (a pipe or file given as "/dev/stdin");
// from then on passwords are asked on the terminal.
bool TakesStandardInput(const std::string& path);
bool StandardInputTaken();

// Prints one line to standard error, prefixed with the program's name.
void PrintError(const std::string& message);

} // namespace cli
