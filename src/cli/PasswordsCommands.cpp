#include "cli/PasswordsCommands.h"

#include "cipher/DocumentFile.h"
#include "cli/FileCommands.h"
#include "cli/Terminal.h"
#include "passwords/AccountCsv.h"
#include "passwords/AccountJson.h"
#include "passwords/OneTimeCode.h"
#include "passwords/PasswordHealth.h"
#include "passwords/PasswordsSchema.h"
#include "platform/TickCount.h"

namespace cli {

namespace {

// Opens a passwords file into lists. A text that deciphers but has no root element is no
// passwords text: the password was wrong after all, or the file is damaged.
int OpenPasswords(const std::string& file, AccountLists& lists) {
    platform::SecureString text;
    if (const int rc = OpenDocument(file, text); rc != kExitOk)
        return rc;
    if (!ReadPasswordsTextInPlace(std::move(text), lists)) {
        PrintError("Cannot decrypt \"" + file + "\": the password is wrong, or the file is not a passwords document.");
        return kExitBadPassword;
    }
    return kExitOk;
}

// A name on one line of output: tabs, line breaks and other control characters (and the
// backslash that introduces them) are escaped, so that no name can forge a line or a column.
std::string OneLine(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7F)
            out += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 0xF];
        else
            out += c;
    }
    return out;
}

template <typename Kind> void ListKind(const Kind& kind, const AccountLists& lists, std::string& out) {
    const auto& list = lists.*kind.pList;
    for (int slot = 0; slot < list.Size(); ++slot)
        if (const auto* record = list.At(slot))
            out +=
                std::string(kind.szName) + "\t" + std::to_string(slot) + "\t" + OneLine(record->strName.view()) + "\n";
}

template <typename Kind>
std::string DescribeRecord(const Kind& kind, const typename Kind::Record& record, bool showPassword) {
    std::string out;
    for (const auto& field : kind.shownFields) {
        const std::string_view name = field.szElement;
        const std::string_view value = (record.*field.pMember).view();
        if (name == "PASSWORD" && !showPassword)
            out += "PASSWORD: (hidden; --show-password shows it)\n";
        else if (name == "NOTES")
            out += "NOTES:\n" + std::string(value) + (value.empty() || value.back() == '\n' ? "" : "\n");
        else
            out += std::string(name) + ": " + OneLine(value) + "\n";
    }
    return out;
}

// A plain string that holds secrets, wiped when it goes.
struct WipedString {
    std::string text;
    ~WipedString() { platform::WipeMemory(text.data(), text.capacity()); }
};

} // namespace

int ListAccounts(const std::string& file) {
    AccountLists lists;
    if (const int rc = OpenPasswords(file, lists); rc != kExitOk)
        return rc;
    WipedString out;
    ForEachAccountKind([&](const auto& kind) { ListKind(kind, lists, out.text); });
    return WriteStandardOutput(out.text);
}

namespace {

// Opens the file and checks that it has an account of that kind at that slot.
int OpenAccount(const std::string& file, const std::string& kind, int slot, AccountLists& lists, AccountKind& eKind) {
    if (!AccountKindFromName(kind, eKind)) {
        PrintError("unknown kind \"" + kind + "\": the kinds are web, mail and other.");
        return kExitUsage;
    }
    if (const int rc = OpenPasswords(file, lists); rc != kExitOk)
        return rc;
    if (!lists.Holds(eKind, slot)) {
        PrintError("\"" + file + "\" has no " + kind + " account at slot " + std::to_string(slot) + ".");
        return kExitUsage;
    }
    return kExitOk;
}

} // namespace

int ShowAccount(const std::string& file, const std::string& kind, int slot, bool showPassword) {
    AccountLists lists;
    AccountKind eKind;
    if (const int rc = OpenAccount(file, kind, slot, lists, eKind); rc != kExitOk)
        return rc;
    WipedString out;
    WithAccountKind(eKind, [&](const auto& info) {
        if (const auto* record = (lists.*info.pList).At(slot))
            out.text = DescribeRecord(info, *record, showPassword);
    });
    return WriteStandardOutput(out.text);
}

int PrintOneTimeCode(const std::string& file, const std::string& kind, int slot) {
    AccountLists lists;
    AccountKind eKind;
    if (const int rc = OpenAccount(file, kind, slot, lists, eKind); rc != kExitOk)
        return rc;
    const passwords::OneTimeSecret secret = passwords::FindOneTimeSecret(lists.Field(eKind, slot, "NOTES")->view());
    const std::string account = "The " + kind + " account at slot " + std::to_string(slot);
    switch (secret.eStatus) {
    case passwords::OneTimeSecret::None:
        PrintError(account + " has no one-time secret in its notes.");
        return kExitBadPassword;
    case passwords::OneTimeSecret::Invalid:
        PrintError(account + ": " + passwords::kInvalidOneTimeSecret + ".");
        return kExitBadPassword;
    case passwords::OneTimeSecret::Unsupported:
        PrintError(account + ": " + passwords::kUnsupportedOneTimeCode + ".");
        return kExitBadPassword;
    case passwords::OneTimeSecret::Valid:
        break;
    }
    platform::SecureString code = passwords::OneTimeCodeAt(secret, platform::UnixTimeNow());
    if (code.empty()) {
        PrintError(account + ": " + passwords::kInvalidOneTimeSecret + ".");
        return kExitBadPassword;
    }
    code += '\n';
    return WriteStandardOutput(code.view());
}

int AnalyzeAccounts(const std::string& file) {
    AccountLists lists;
    if (const int rc = OpenPasswords(file, lists); rc != kExitOk)
        return rc;
    WipedString out;
    for (const passwords::HealthFinding& finding : passwords::CheckPasswordHealth(lists)) {
        WithAccountKind(finding.eKind, [&](const auto& info) { out.text += std::string(info.szName) + "\t"; });
        out.text += std::to_string(finding.nSlot) + "\t" +
                    OneLine(lists.Field(finding.eKind, finding.nSlot, "NAME")->view()) + "\t" +
                    passwords::HealthReasonName(finding.eReason);
        if (finding.eReason == passwords::HealthReason::Reused)
            out.text += "\t" + std::to_string(finding.nGroup);
        out.text += "\n";
    }
    return WriteStandardOutput(out.text);
}

int ExportAccounts(const std::string& file, bool csv, bool spreadsheetSafe) {
    AccountLists lists;
    if (const int rc = OpenPasswords(file, lists); rc != kExitOk)
        return rc;
    platform::SecureString out;
    if (csv)
        BuildAccountsCsv(lists, out, spreadsheetSafe);
    else
        BuildAccountsJson(lists, out);
    return WriteStandardOutput(out.view());
}

int ImportAccounts(const std::string& input, const std::string& output, bool force, cipher::DocFormat format,
                   ImportFormat inputFormat, bool spreadsheetSafe) {
    if (const int rc = CheckOutput(output, force); rc != kExitOk)
        return rc;
    const cipher::ReplaceRule rule = OutputRule(output, force);
    platform::SecureBytes bytes;
    if (const int rc = ReadInputFile(input, bytes); rc != kExitOk)
        return rc;
    AccountLists lists;
    ImportProblem problem;
    if (!::ImportAccounts(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), inputFormat,
                          lists, problem, spreadsheetSafe)) {
        PrintError(DescribeImportProblem(input, problem) + "; nothing was written.");
        return kExitFileError;
    }
    platform::SecureString password;
    if (const int rc = AskNewPassword(output, password); rc != kExitOk)
        return rc;
    platform::SecureString text;
    if (!BuildPasswordsText(lists, text)) {
        PrintError(cipher::DescribeFailure({cipher::DocResult::CannotBuildText, 0}, output));
        return kExitFileError;
    }
    return SaveDocument(output, password.view(), text.view(), format, rule);
}

} // namespace cli
