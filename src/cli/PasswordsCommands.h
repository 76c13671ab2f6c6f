#pragma once

#include "cipher/DocumentFile.h"
#include "passwords/AccountImport.h"

#include <string>

// The commands that work on the accounts of a passwords file.
namespace cli {

int ListAccounts(const std::string& file);
int ShowAccount(const std::string& file, const std::string& kind, int slot, bool showPassword);
// Prints the account's one-time code, digits only; exit 1 when its notes hold no usable secret.
int PrintOneTimeCode(const std::string& file, const std::string& kind, int slot);
// Prints the accounts whose password is empty, weak or shared: KIND, SLOT, NAME, REASON (and the group
// of a shared one), tab-separated.
int AnalyzeAccounts(const std::string& file);
// Prints the accounts as JSON, or with `csv` as CSV (AccountCsv.h): clear text, passwords included.
// `spreadsheetSafe` (CSV only) puts "'" before cells a spreadsheet would run as formulas.
int ExportAccounts(const std::string& file, bool csv = false, bool spreadsheetSafe = false);
// Makes a passwords file from the accounts of a JSON or CSV file (AccountImport.h).
int ImportAccounts(const std::string& input, const std::string& output, bool force,
                   cipher::DocFormat format = cipher::DocFormat::Compatible,
                   ImportFormat inputFormat = ImportFormat::Detect, bool spreadsheetSafe = false);

} // namespace cli
