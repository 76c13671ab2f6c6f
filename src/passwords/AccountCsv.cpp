#include "passwords/AccountCsv.h"

#include <array>
#include <string>
#include <vector>

namespace {

using platform::SecureString;

constexpr std::array<const char*, 9> kOurColumns = {
    "kind", "NAME", "ADDRESS", "WEBINTERFACE", "USERID", "PASSWORD", "SMTPSERVER", "POPSERVER", "NOTES",
};

// Where a foreign export keeps what an account needs. Columns that are not required may be absent.
struct ForeignShape {
    const char* szProgram;
    const char* szGroupLabel; // what the export calls the folder an entry is in
    std::array<const char*, 7> aRequired;
    const char* szGroup;
    const char* szName;
    const char* szAddress;
    const char* szUserId;
    const char* szPassword;
    const char* szNotes;
    const char* szTotp;
    const char* szCustomFields;
    bool bSeveralAddresses; // the address column may hold several, separated by commas
};

constexpr ForeignShape kKeePassXC = {
    .szProgram = "KeePassXC",
    .szGroupLabel = "Group: ",
    .aRequired = {"Group", "Title", "Username", "Password", "URL", "Notes", nullptr},
    .szGroup = "Group",
    .szName = "Title",
    .szAddress = "URL",
    .szUserId = "Username",
    .szPassword = "Password",
    .szNotes = "Notes",
    .szTotp = "TOTP",
    .szCustomFields = nullptr,
    .bSeveralAddresses = false,
};

constexpr ForeignShape kBitwarden = {
    .szProgram = "Bitwarden",
    .szGroupLabel = "Folder: ",
    .aRequired = {"folder", "type", "name", "notes", "login_uri", "login_username", "login_password"},
    .szGroup = "folder",
    .szName = "name",
    .szAddress = "login_uri",
    .szUserId = "login_username",
    .szPassword = "login_password",
    .szNotes = "notes",
    .szTotp = "login_totp",
    .szCustomFields = "fields",
    .bSeveralAddresses = true,
};

const ForeignShape& Foreign(CsvShape shape) {
    return shape == CsvShape::KeePassXC ? kKeePassXC : kBitwarden;
}

// The column of a header with the given name, or -1.
int Column(const CsvRecord& header, const char* name) {
    if (!name)
        return -1;
    for (size_t i = 0; i < header.aFields.size(); ++i)
        if (header.aFields[i].view() == name)
            return static_cast<int>(i);
    return -1;
}

// Why a header does not have the shape; empty when it has it.
std::string HeaderMismatch(const CsvRecord& header, CsvShape shape) {
    if (shape == CsvShape::Ours) {
        for (size_t i = 0; i < header.aFields.size(); ++i) {
            const std::string_view name = header.aFields[i].view();
            bool known = false;
            for (const char* column : kOurColumns)
                known = known || name == column;
            if (!known)
                return "the column \"" + std::string(name) + "\" is none of " +
                       "kind, NAME, ADDRESS, WEBINTERFACE, USERID, PASSWORD, SMTPSERVER, POPSERVER, NOTES";
            if (Column(header, std::string(name).c_str()) != static_cast<int>(i))
                return "the column \"" + std::string(name) + "\" stands twice";
        }
        return Column(header, "NAME") < 0 ? "it has no NAME column" : "";
    }
    for (const char* column : Foreign(shape).aRequired)
        if (column && Column(header, column) < 0)
            return std::string("it is not the header of a ") + Foreign(shape).szProgram +
                   " export: it has no column \"" + column + "\"";
    return "";
}

bool AllEmpty(const CsvRecord& record) {
    for (const auto& field : record.aFields)
        if (!field.empty())
            return false;
    return true;
}

// The text with every line break (CR LF, LF or a lone CR) written as CR LF.
SecureString WithCrLf(std::string_view text) {
    SecureString out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

class RecordFields {
public:
    RecordFields(const CsvRecord& header, const CsvRecord& record) : m_header(header), m_record(record) {}
    std::string_view Get(const char* column) const {
        const int at = Column(m_header, column);
        return at < 0 ? std::string_view() : m_record.aFields[static_cast<size_t>(at)].view();
    }

private:
    const CsvRecord& m_header;
    const CsvRecord& m_record;
};

template <typename Record> void Take(SecureString Record::*member, Record& record, std::string_view value) {
    record.*member = SecureString(value.data(), value.size());
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The addresses of a column that holds several separated by commas, without blanks around them.
std::vector<std::string_view> SplitAddresses(std::string_view column) {
    std::vector<std::string_view> addresses;
    while (!column.empty()) {
        const size_t comma = column.find(',');
        if (std::string_view one = Trimmed(column.substr(0, comma)); !one.empty())
            addresses.push_back(one);
        column = comma == std::string_view::npos ? std::string_view() : column.substr(comma + 1);
    }
    return addresses;
}

// The host of an address: what stands between the scheme's "//" and the path, without a user
// name in front or a port behind.
std::string_view HostOf(std::string_view address) {
    if (const size_t scheme = address.find("://"); scheme != std::string_view::npos)
        address.remove_prefix(scheme + 3);
    address = address.substr(0, address.find_first_of("/?#"));
    if (const size_t at = address.rfind('@'); at != std::string_view::npos)
        address.remove_prefix(at + 1);
    if (address.starts_with('['))
        return address.substr(0, address.find(']') + 1);
    return address.substr(0, address.find(':'));
}

// An entry needs a name to be found in the tree: its own title, else its user name, else the host it
// is for, else a placeholder that says it had none.
std::string_view NameOf(std::string_view title, std::string_view userId, std::string_view address) {
    if (!title.empty())
        return title;
    if (!userId.empty())
        return userId;
    if (std::string_view host = HostOf(address); !host.empty())
        return host;
    return "(no title)";
}

void ReadForeign(const CsvRecord& header, const CsvRecord& record, const ForeignShape& shape, AccountLists& lists) {
    const RecordFields fields(header, record);
    std::string_view address = fields.Get(shape.szAddress);
    std::string others;
    if (shape.bSeveralAddresses) {
        const std::vector<std::string_view> addresses = SplitAddresses(address);
        address = addresses.empty() ? std::string_view() : addresses.front();
        for (size_t i = 1; i < addresses.size(); ++i) {
            if (i > 1)
                others += ", ";
            others += addresses[i];
        }
    }
    SecureString notes;
    const auto add = [&notes](std::string_view label, std::string_view part) {
        if (part.empty())
            return;
        if (!notes.empty())
            notes += "\r\n";
        notes += label;
        notes += WithCrLf(part);
    };
    add(shape.szGroupLabel, fields.Get(shape.szGroup));
    add("", fields.Get(shape.szNotes));
    add("Other addresses: ", others);
    add("TOTP: ", fields.Get(shape.szTotp));
    add("", fields.Get(shape.szCustomFields));
    const std::string_view name = NameOf(fields.Get(shape.szName), fields.Get(shape.szUserId), address);

    if (!address.empty()) {
        auto web = std::make_unique<WebAccount>();
        Take(&WebAccount::strName, *web, name);
        Take(&WebAccount::strAddress, *web, address);
        Take(&WebAccount::strUserId, *web, fields.Get(shape.szUserId));
        Take(&WebAccount::strPassword, *web, fields.Get(shape.szPassword));
        web->strNotes = std::move(notes);
        lists.m_aWebAccounts.Append(std::move(web));
    } else {
        auto other = std::make_unique<OtherAccount>();
        Take(&OtherAccount::strName, *other, name);
        Take(&OtherAccount::strUserId, *other, fields.Get(shape.szUserId));
        Take(&OtherAccount::strPassword, *other, fields.Get(shape.szPassword));
        other->strNotes = std::move(notes);
        lists.m_aOtherAccounts.Append(std::move(other));
    }
}

// Fills a record of one kind from our columns; a filled column the kind does not have refuses it.
template <typename Kind>
bool ReadOurs(const RecordFields& fields, const Kind& kind, AccountLists& lists, std::string& error) {
    auto record = std::make_unique<typename Kind::Record>();
    for (const char* column : kOurColumns) {
        if (std::string_view(column) == "kind")
            continue;
        SecureString* field = FindField(kind.fileFields, *record, column);
        const std::string_view value = fields.Get(column);
        if (field)
            *field = SecureString(value.data(), value.size());
        else if (!value.empty()) {
            error = std::string(column) + " is filled in, but " +
                    (kind.eKind == AccountKind::Mail ? "e-mail" : kind.szName) + " accounts have no such field";
            return false;
        }
    }
    (lists.*kind.pList).Append(std::move(record));
    return true;
}

bool ReadOurRecord(const CsvRecord& header, const CsvRecord& record, AccountLists& lists, std::string& error) {
    const RecordFields fields(header, record);
    std::string_view name = fields.Get("kind");
    if (name.empty())
        name = fields.Get("ADDRESS").empty() ? "other" : "web";
    AccountKind kind;
    if (!AccountKindFromName(name, kind)) {
        error = "unknown kind \"" + std::string(name) + "\" (the kinds are web, mail and other)";
        return false;
    }
    return WithAccountKind(kind, [&](const auto& info) { return ReadOurs(fields, info, lists, error); });
}

// One record of our shape for a record of any kind: the kind's fields in their columns, the others empty.
template <typename Kind>
void AppendOurs(const Kind& kind, const AccountLists& lists, bool spreadsheetSafe, SecureString& csv) {
    const auto& list = lists.*kind.pList;
    std::vector<SecureString> guarded(kOurColumns.size());
    for (int slot = 0; slot < list.Size(); ++slot) {
        const auto* record = list.At(slot);
        if (!record)
            continue;
        std::vector<std::string_view> values;
        for (const char* column : kOurColumns) {
            std::string_view value;
            if (std::string_view(column) == "kind")
                value = kind.szName;
            for (const auto& f : kind.fileFields)
                if (std::string_view(f.szElement) == column)
                    value = (record->*f.pMember).view();
            if (spreadsheetSafe && NeedsSpreadsheetGuard(value)) {
                SecureString& cell = guarded[values.size()];
                cell = "'";
                cell += value;
                value = cell.view();
            }
            values.push_back(value);
        }
        AppendCsvRecord(values, csv);
    }
}

} // namespace

bool RecogniseCsvHeader(const CsvRecord& header, CsvShape& shape) {
    for (const CsvShape candidate : {CsvShape::Ours, CsvShape::KeePassXC, CsvShape::Bitwarden}) {
        if (HeaderMismatch(header, candidate).empty()) {
            shape = candidate;
            return true;
        }
    }
    return false;
}

bool ReadAccountsCsv(const std::vector<CsvRecord>& records, CsvShape shape, AccountLists& lists,
                     ImportProblem& problem) {
    if (records.empty()) {
        problem = {0, 0, "the file holds no header and no accounts"};
        return false;
    }
    const CsvRecord& header = records.front();
    if (std::string why = HeaderMismatch(header, shape); !why.empty()) {
        problem = {header.nLine, 0, why};
        return false;
    }
    // Read into lists of our own first, so that a refusal half-way appends nothing.
    AccountLists read;
    for (size_t i = 1; i < records.size(); ++i) {
        const CsvRecord& record = records[i];
        if (record.aFields.size() != header.aFields.size()) {
            problem = {record.nLine, 0,
                       "the record has " + std::to_string(record.aFields.size()) + " fields where the header has " +
                           std::to_string(header.aFields.size())};
            return false;
        }
        if (AllEmpty(record))
            continue;
        if (shape != CsvShape::Ours) {
            ReadForeign(header, record, Foreign(shape), read);
        } else if (std::string error; !ReadOurRecord(header, record, read, error)) {
            problem = {record.nLine, 0, error};
            return false;
        }
    }
    lists.TakeAll(read);
    return true;
}

void BuildAccountsCsv(const AccountLists& lists, SecureString& csv, bool spreadsheetSafe) {
    csv.clear();
    AppendCsvRecord(std::vector<std::string_view>(kOurColumns.begin(), kOurColumns.end()), csv);
    ForEachAccountKind([&](const auto& kind) { AppendOurs(kind, lists, spreadsheetSafe, csv); });
}

bool NeedsSpreadsheetGuard(std::string_view cell) {
    const size_t first = cell.find_first_not_of('\'');
    return first != std::string_view::npos && std::string_view("=+-@\t\r").find(cell[first]) != std::string_view::npos;
}

void RemoveSpreadsheetGuard(SecureString& cell) {
    if (cell.starts_with('\'') && NeedsSpreadsheetGuard(cell.view().substr(1))) {
        SecureString rest(cell.view().substr(1));
        cell = std::move(rest);
    }
}
