#include "passwords/AccountImport.h"

#include "passwords/AccountCsv.h"
#include "passwords/AccountJson.h"
#include "passwords/CsvTable.h"

#include <algorithm>
#include <utf8cpp/utf8.h>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool LooksLikeJson(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && (text[first] == '{' || text[first] == '[');
}

// The line (from 1) of a byte offset.
int LineOf(std::string_view text, size_t offset) {
    return 1 + CountLineBreaks(text.substr(0, offset));
}

bool ImportCsv(std::string_view text, ImportFormat format, AccountLists& lists, ImportProblem& problem,
               bool spreadsheetSafe) {
    std::vector<CsvRecord> records;
    if (!ReadCsvTable(text, records, problem))
        return false;
    if (spreadsheetSafe)
        for (auto& record : records)
            for (auto& field : record.aFields)
                RemoveSpreadsheetGuard(field);
    if (records.empty()) {
        problem = {0, 0, "the file is empty"};
        return false;
    }
    CsvShape shape = CsvShape::Ours;
    if (format == ImportFormat::KeePassXC)
        shape = CsvShape::KeePassXC;
    else if (format == ImportFormat::Bitwarden)
        shape = CsvShape::Bitwarden;
    else if (format == ImportFormat::Detect && !RecogniseCsvHeader(records.front(), shape)) {
        problem = {records.front().nLine, 0,
                   "the header is none that import knows: KeePassXC's (\"Group\",\"Title\",\"Username\","
                   "\"Password\",\"URL\",\"Notes\",...), Bitwarden's (folder,favorite,type,name,notes,fields,"
                   "reminder,login_uri,login_username,login_password,login_totp) or that of export --csv "
                   "(kind,NAME,ADDRESS,WEBINTERFACE,USERID,PASSWORD,SMTPSERVER,POPSERVER,NOTES)"};
        return false;
    }
    return ReadAccountsCsv(records, shape, lists, problem);
}

} // namespace

bool ImportFormatFromName(std::string_view name, ImportFormat& format) {
    const struct {
        std::string_view name;
        ImportFormat format;
    } known[] = {{"json", ImportFormat::Json},
                 {"keepassxc", ImportFormat::KeePassXC},
                 {"bitwarden", ImportFormat::Bitwarden},
                 {"csv", ImportFormat::Csv}};
    for (const auto& k : known) {
        if (k.name == name) {
            format = k.format;
            return true;
        }
    }
    return false;
}

bool ImportAccounts(std::string_view bytes, ImportFormat format, AccountLists& lists, ImportProblem& problem,
                    bool spreadsheetSafe) {
    problem = {};
    std::string_view text = bytes;
    const bool bom = text.starts_with(kByteOrderMark);
    if (bom)
        text.remove_prefix(kByteOrderMark.size());
    if (format == ImportFormat::Json || (format == ImportFormat::Detect && LooksLikeJson(text))) {
        const bool ok = ReadAccountsJson(text, lists, problem);
        // The byte is counted in the file, as an editor shows it.
        if (!ok && problem.nJsonByte && bom)
            problem.nJsonByte += kByteOrderMark.size();
        return ok;
    }
    // Every field of the document is UTF-8; a CSV saved in another code page would put wrong characters
    // into passwords, which a user would only notice when the password fails.
    if (const auto bad = utf8::find_invalid(text.begin(), text.end()); bad != text.end()) {
        problem = {LineOf(text, static_cast<size_t>(bad - text.begin())), 0,
                   "the text is not UTF-8 (save the export as UTF-8 and import it again)"};
        return false;
    }
    return ImportCsv(text, format, lists, problem, spreadsheetSafe);
}

std::string DescribeImportProblem(const std::string& file, const ImportProblem& problem) {
    const std::string name = "\"" + file + "\"";
    if (problem.nJsonByte)
        return name + " " + problem.strReason + " (at byte " + std::to_string(problem.nJsonByte) + ")";
    if (problem.nLine)
        return name + ", line " + std::to_string(problem.nLine) + ": " + problem.strReason;
    return name + ": " + problem.strReason;
}
