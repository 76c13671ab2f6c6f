#include "passwords/CsvTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <csv.h>
#include <malloc.h>

namespace {

// RFC 4180 keeps blanks as part of the field; libcsv trims them unless told that nothing is blank.
int NothingIsBlank(unsigned char) {
    return 0;
}

// libcsv grows its field buffer with realloc, which would leave the earlier copies of a field (a
// password, say) in freed memory: this one wipes the old block before freeing it.
void* WipingRealloc(void* old, size_t size) {
    void* grown = std::malloc(size);
    if (!grown || !old)
        return grown;
    const size_t oldSize = malloc_usable_size(old);
    std::memcpy(grown, old, std::min(oldSize, size));
    platform::WipeMemory(old, oldSize);
    std::free(old);
    return grown;
}

void WipingFree(void* block) {
    if (block)
        platform::WipeMemory(block, malloc_usable_size(block));
    std::free(block);
}

struct Reader {
    std::vector<CsvRecord>& records;
    CsvRecord current;
    int nLine = 1;          // the line being fed to the parser
    int nLastRecordEnd = 0; // the line on which the last complete record ended
};

void OnField(void* data, size_t size, void* user) {
    auto& reader = *static_cast<Reader*>(user);
    const char* text = size ? static_cast<const char*>(data) : "";
    if (reader.current.aFields.empty()) {
        // The field ends on the line being fed; its own line breaks say how many lines it spans.
        reader.current.nLine = reader.nLine - CountLineBreaks(std::string_view(text, size));
    }
    reader.current.aFields.emplace_back(text, size);
}

void OnRecordEnd(int, void* user) {
    auto& reader = *static_cast<Reader*>(user);
    reader.nLastRecordEnd = reader.nLine;
    reader.records.push_back(std::move(reader.current));
    reader.current = CsvRecord();
}

int FirstFilledLineAfter(std::string_view text, int line) {
    int current = 1;
    for (size_t start = 0; start < text.size(); ++current) {
        const size_t end = LineEnd(text, start);
        if (current > line && text.substr(start, end - start).find_first_not_of("\r\n") != std::string_view::npos)
            return current;
        start = end;
    }
    return std::max(line, 1);
}

std::string ParseFailure(int code) {
    if (code == CSV_EPARSE)
        return "a double quote stands where it cannot (a quote inside a field must be doubled and the field quoted), "
               "or something follows a closing quote";
    return csv_strerror(code);
}

} // namespace

size_t LineEnd(std::string_view text, size_t start) {
    const size_t at = text.find_first_of("\r\n", start);
    if (at == std::string_view::npos)
        return text.size();
    return text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n' ? at + 2 : at + 1;
}

int CountLineBreaks(std::string_view text) {
    int breaks = 0;
    for (size_t start = 0; start < text.size(); start = LineEnd(text, start)) {
        const size_t end = LineEnd(text, start);
        if (text[end - 1] == '\n' || text[end - 1] == '\r')
            ++breaks;
    }
    return breaks;
}

bool ReadCsvTable(std::string_view text, std::vector<CsvRecord>& records, ImportProblem& problem) {
    records.clear();
    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
        problem = {0, 0, "out of memory"};
        return false;
    }
    csv_set_space_func(&parser, NothingIsBlank);
    csv_set_realloc_func(&parser, WipingRealloc);
    csv_set_free_func(&parser, WipingFree);

    Reader reader{records, {}};
    bool ok = true;
    // Fed one line at a time, so that every callback knows the line it happens on.
    size_t start = 0;
    while (ok && start < text.size()) {
        const size_t end = LineEnd(text, start);
        const size_t taken = csv_parse(&parser, text.data() + start, end - start, OnField, OnRecordEnd, &reader);
        if (taken != end - start) {
            problem = {reader.nLine, 0, ParseFailure(csv_error(&parser))};
            ok = false;
        }
        start = end;
        ++reader.nLine;
    }
    // A last line without a line break ends its record only here, still on that line.
    if (!text.empty() && text.back() != '\n' && text.back() != '\r')
        --reader.nLine;
    if (ok && csv_fini(&parser, OnField, OnRecordEnd, &reader) != 0) {
        // Only an unclosed quote fails here; its record starts on the first line after the last complete
        // record that is not blank.
        if (csv_error(&parser) == CSV_EPARSE)
            problem = {FirstFilledLineAfter(text, reader.nLastRecordEnd), 0,
                       "a quoted field of the record that starts here is never closed"};
        else
            problem = {0, 0, ParseFailure(csv_error(&parser))};
        ok = false;
    }
    if (parser.entry_buf)
        platform::WipeMemory(parser.entry_buf, parser.entry_size);
    csv_free(&parser);
    if (!ok)
        records.clear();
    return ok;
}

void AppendCsvRecord(const std::vector<std::string_view>& fields, platform::SecureString& out) {
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        // libcsv writes nothing at all for a null source, which an empty view may have.
        const char* source = fields[i].empty() ? "" : fields[i].data();
        const size_t at = out.size();
        const size_t needed = csv_write(nullptr, 0, source, fields[i].size());
        out.resize(at + needed);
        csv_write(out.data() + at, needed, source, fields[i].size());
    }
    out += "\r\n";
}
