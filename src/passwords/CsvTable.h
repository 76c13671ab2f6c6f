#pragma once

#include "passwords/ImportProblem.h"
#include "platform/SecureMemory.h"

#include <string_view>
#include <vector>

// CSV text as RFC 4180 describes it, read and written through libcsv.

// One record of a CSV text and the line (from 1) on which it starts.
struct CsvRecord {
    int nLine = 0;
    std::vector<platform::SecureString> aFields;
};

// Reads a whole CSV text. Fields are separated by commas and may be quoted with double quotes, a
// quote inside a quoted field being doubled; records end in CR LF, LF or CR, and line breaks inside
// quoted fields are kept as they are. Blanks belong to the field (nothing is trimmed) and blank lines
// are skipped. The text is read strictly: a quote inside an unquoted field, anything but a comma or
// a line break after a closing quote, or a quoted field that is never closed refuse it, with the
// line where it happened. `records` holds nothing after a refusal.
bool ReadCsvTable(std::string_view text, std::vector<CsvRecord>& records, ImportProblem& problem);

// The end of the line that starts at `start`, past its line break: CR LF, LF or a lone CR.
size_t LineEnd(std::string_view text, size_t start);
// The line breaks in a text, each CR LF, LF or lone CR counted once.
int CountLineBreaks(std::string_view text);

// Appends one record to `out`: every field quoted (so that blanks, commas and line breaks survive
// any reader), the record ended by CR LF.
void AppendCsvRecord(const std::vector<std::string_view>& fields, platform::SecureString& out);
