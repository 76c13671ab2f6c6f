#include "cli/PasswordsCommands.h"

#include "cipher/DocumentFile.h"
#include "cli/FileCommands.h"
#include "cli/Terminal.h"
#include "passwords/PasswordsSchema.h"

#include <nlohmann/json.hpp>

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

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

std::string Str(const platform::SecureString& s) {
    return std::string(s.view());
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

template <typename Record> void ListKind(const char* kind, const AccountList<Record>& list, std::string& out) {
    for (int slot = 0; slot < list.Size(); ++slot)
        if (const Record* record = list.At(slot))
            out += std::string(kind) + "\t" + std::to_string(slot) + "\t" + OneLine(record->strName.view()) + "\n";
}

template <typename Record, size_t N>
std::string DescribeRecord(const Record& record, const AccountField<Record> (&fields)[N], bool showPassword) {
    std::string out;
    for (const auto& field : fields) {
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

template <typename Record, size_t N>
Json GroupToJson(const AccountList<Record>& list, const AccountField<Record> (&fields)[N]) {
    Json group = Json::array();
    for (int slot = 0; slot < list.Size(); ++slot) {
        const Record* record = list.At(slot);
        if (!record)
            continue;
        Json account = Json::object();
        for (const auto& field : fields)
            account[field.szElement] = Str(record->*field.pMember);
        group.push_back(std::move(account));
    }
    return group;
}

// Reads one group of the JSON into a list; `where` names the group in messages.
template <typename Record, size_t N>
bool GroupFromJson(const Json& group, const std::string& where, AccountList<Record>& list,
                   const AccountField<Record> (&fields)[N], std::string& error) {
    if (!group.is_array()) {
        error = where + " is not an array of accounts";
        return false;
    }
    for (size_t i = 0; i < group.size(); ++i) {
        const std::string at = where + "[" + std::to_string(i) + "]";
        const Json& account = group[i];
        if (!account.is_object()) {
            error = at + " is not an object";
            return false;
        }
        auto record = std::make_unique<Record>();
        for (const auto& [key, value] : account.items()) {
            const AccountField<Record>* field = nullptr;
            for (const auto& f : fields)
                if (key == f.szElement)
                    field = &f;
            if (!field) {
                error = at + " has the unknown field \"" + key + "\"";
                return false;
            }
            if (!value.is_string()) {
                error = at + "." + key + " is not a string";
                return false;
            }
            const std::string& text = value.template get_ref<const std::string&>();
            (*record).*(field->pMember) = platform::SecureString(text.data(), text.size());
        }
        if (!account.contains("NAME")) {
            error = at + " has no NAME";
            return false;
        }
        list.Append(std::move(record));
    }
    return true;
}

bool ListsFromJson(const Json& json, AccountLists& lists, std::string& error) {
    if (!json.is_object()) {
        error = "the top level is not an object with \"web\", \"mail\" and \"other\"";
        return false;
    }
    for (const auto& [key, group] : json.items()) {
        if (key == "web") {
            if (!GroupFromJson(group, key, lists.m_aWebAccounts, kWebFileFields, error))
                return false;
        } else if (key == "mail") {
            if (!GroupFromJson(group, key, lists.m_aMailAccounts, kMailFileFields, error))
                return false;
        } else if (key == "other") {
            if (!GroupFromJson(group, key, lists.m_aOtherAccounts, kOtherFileFields, error))
                return false;
        } else {
            error = "unknown group \"" + key + "\" (the groups are \"web\", \"mail\" and \"other\")";
            return false;
        }
    }
    return true;
}

// Overwrites the strings of a JSON value (account fields, passwords among them) before the
// library frees them.
void WipeJson(Json& json) {
    if (json.is_string()) {
        std::string& text = json.get_ref<std::string&>();
        platform::WipeMemory(text.data(), text.capacity());
    } else if (json.is_structured()) {
        for (auto& item : json)
            WipeJson(item);
    }
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
    ListKind("web", lists.m_aWebAccounts, out.text);
    ListKind("mail", lists.m_aMailAccounts, out.text);
    ListKind("other", lists.m_aOtherAccounts, out.text);
    return WriteStandardOutput(out.text);
}

int ShowAccount(const std::string& file, const std::string& kind, int slot, bool showPassword) {
    if (kind != "web" && kind != "mail" && kind != "other") {
        PrintError("unknown kind \"" + kind + "\": the kinds are web, mail and other.");
        return kExitUsage;
    }
    AccountLists lists;
    if (const int rc = OpenPasswords(file, lists); rc != kExitOk)
        return rc;
    WipedString out;
    if (kind == "web" && lists.m_aWebAccounts.At(slot))
        out.text = DescribeRecord(*lists.m_aWebAccounts.At(slot), kWebFileFields, showPassword);
    else if (kind == "mail" && lists.m_aMailAccounts.At(slot))
        out.text = DescribeRecord(*lists.m_aMailAccounts.At(slot), kMailFormFields, showPassword);
    else if (kind == "other" && lists.m_aOtherAccounts.At(slot))
        out.text = DescribeRecord(*lists.m_aOtherAccounts.At(slot), kOtherFileFields, showPassword);
    else {
        PrintError("\"" + file + "\" has no " + kind + " account at slot " + std::to_string(slot) + ".");
        return kExitUsage;
    }
    return WriteStandardOutput(out.text);
}

int ExportAccounts(const std::string& file) {
    AccountLists lists;
    if (const int rc = OpenPasswords(file, lists); rc != kExitOk)
        return rc;
    Json json = Json::object();
    json["web"] = GroupToJson(lists.m_aWebAccounts, kWebFileFields);
    json["mail"] = GroupToJson(lists.m_aMailAccounts, kMailFileFields);
    json["other"] = GroupToJson(lists.m_aOtherAccounts, kOtherFileFields);
    // Fields hold valid UTF-8; replace anything else rather than fail half-way through the output.
    WipedString out{json.dump(2, ' ', false, Json::error_handler_t::replace) + "\n"};
    WipeJson(json);
    return WriteStandardOutput(out.text);
}

int ImportAccounts(const std::string& input, const std::string& output, bool force, cipher::DocFormat format) {
    if (const int rc = CheckOutput(output, force); rc != kExitOk)
        return rc;
    platform::SecureBytes bytes;
    if (const int rc = ReadInputFile(input, bytes); rc != kExitOk)
        return rc;
    Json json;
    try {
        json = Json::parse(bytes.begin(), bytes.end());
    } catch (const Json::parse_error& e) {
        PrintError("\"" + input + "\" is not valid JSON (at byte " + std::to_string(e.byte) +
                   "); nothing was written.");
        return kExitFileError;
    }
    AccountLists lists;
    std::string problem;
    const bool bRead = ListsFromJson(json, lists, problem);
    WipeJson(json);
    if (!bRead) {
        PrintError("\"" + input + "\": " + problem + "; nothing was written.");
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
    return SaveDocument(output, password.view(), text.view(), format);
}

} // namespace cli
