#pragma once

#include "passwords/Accounts.h"
#include "passwords/ImportProblem.h"

#include <string>
#include <string_view>

// Accounts brought in from a file: our JSON, our CSV, or a CSV export of KeePassXC or Bitwarden
// (AccountJson.h and AccountCsv.h describe each). Shared by the command-line tool and the editor.

enum class ImportFormat { Detect, Json, KeePassXC, Bitwarden, Csv };

// The format a command-line name stands for: "json", "keepassxc", "bitwarden" or "csv". False for
// any other name.
bool ImportFormatFromName(std::string_view name, ImportFormat& format);

// Appends the accounts of a file's bytes to the lists. With ImportFormat::Detect, a text whose first
// character (after blanks and a UTF-8 byte-order mark) is "{" or "[" is JSON, and any other is a
// CSV text whose header says which export it is. Text that is not UTF-8, a header of none of the
// shapes, or any record in error refuse the whole file: `problem` says where and why, and nothing
// is appended. `spreadsheetSafe` takes a CSV as export --csv --spreadsheet-safe writes it: the "'"
// put before cells that a spreadsheet would run as formulas is removed (AccountCsv.h).
bool ImportAccounts(std::string_view bytes, ImportFormat format, AccountLists& lists, ImportProblem& problem,
                    bool spreadsheetSafe = false);

// "\"FILE\", line 4: the record has 5 fields where the header has 6", and the like, without a
// full stop.
std::string DescribeImportProblem(const std::string& file, const ImportProblem& problem);
