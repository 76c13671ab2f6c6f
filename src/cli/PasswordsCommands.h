#pragma once

#include "cipher/DocumentFile.h"

#include <string>

// The commands that work on the accounts of a passwords file.
namespace cli {

int ListAccounts(const std::string& file);
int ShowAccount(const std::string& file, const std::string& kind, int slot, bool showPassword);
int ExportAccounts(const std::string& file);
int ImportAccounts(const std::string& input, const std::string& output, bool force,
                   cipher::DocFormat format = cipher::DocFormat::Compatible);

} // namespace cli
