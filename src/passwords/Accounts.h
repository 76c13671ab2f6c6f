#pragma once

#include "platform/SecureMemory.h"

#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

// The accounts of a passwords document: three plain record types of text fields, and one list
// of each kind. Every field is UTF-8 text held in memory that is wiped when released.

struct WebAccount {
    platform::SecureString strName; // shown in the tree
    platform::SecureString strAddress;
    platform::SecureString strUserId;
    platform::SecureString strPassword;
    platform::SecureString strNotes;
};

struct MailAccount {
    platform::SecureString strName;
    platform::SecureString strAddress;
    platform::SecureString strWebInterface;
    platform::SecureString strSmtpServer;
    platform::SecureString strPopServer;
    platform::SecureString strUserId;
    platform::SecureString strPassword;
    platform::SecureString strNotes;
};

struct OtherAccount {
    platform::SecureString strName;
    platform::SecureString strUserId;   // description: card number, bank account, location...
    platform::SecureString strPassword; // PIN, pass code, key...
    platform::SecureString strNotes;
};

// A list of records reached by slot index, the record's identity while the document is open.
// Records are only ever appended, at the slot counter, and removing one empties its slot without
// moving the others, so every slot index handed out stays valid.
template <typename Record> class AccountList {
public:
    // Takes the record over and returns its slot index.
    int Append(std::unique_ptr<Record> record) {
        m_aRecords.push_back(std::move(record));
        return m_nSlots++;
    }

    // The record at a slot, or null for an emptied slot or one that does not exist.
    Record* At(int slot) const {
        return slot >= 0 && slot < m_nSlots ? m_aRecords[static_cast<size_t>(slot)].get() : nullptr;
    }

    // The number of slots, emptied ones included.
    int Size() const { return m_nSlots; }

    // Destroys the record and empties its slot.
    void Remove(int slot) {
        if (slot >= 0 && slot < m_nSlots)
            m_aRecords[static_cast<size_t>(slot)].reset();
    }

    // Destroys every record, in slot order, and empties the list.
    void Clear() {
        for (auto& record : m_aRecords)
            record.reset();
        m_aRecords.clear();
        m_nSlots = 0;
    }

    // Moves the records of `other` to the end of this list, in slot order, and empties `other`.
    void TakeAll(AccountList& other) {
        for (auto& record : other.m_aRecords)
            if (record)
                Append(std::move(record));
        other.Clear();
    }

    // Exchanges the records and slot counters of two lists.
    void Swap(AccountList& other) noexcept {
        m_aRecords.swap(other.m_aRecords);
        std::swap(m_nSlots, other.m_nSlots);
    }

    ~AccountList() { Clear(); }

private:
    std::vector<std::unique_ptr<Record>> m_aRecords;
    int m_nSlots = 0; // slot counter: always the list's size
};

// The three kinds of account.
enum class AccountKind { Web, Mail, Other };

// One field of a record, by the name of the element that carries it in the file.
template <typename Record> struct AccountField {
    const char* szElement;
    platform::SecureString Record::*pMember;
};

struct AccountLists;

// All that the file, the import and export formats, the command line and the passwords window need
// to know of one kind of account, so that none of them spells the three kinds out by hand.
template <typename R> struct AccountKindInfo {
    using Record = R;
    AccountKind eKind;
    const char* szName;  // on the command line and in CSV and JSON: "web", "mail", "other"
    const char* szGroup; // the group element of the passwords file
    // In the order the file holds them, NAME first.
    std::span<const AccountField<R>> fileFields;
    // In the order a person reads them (the record's order).
    std::span<const AccountField<R>> shownFields;
    AccountList<R> AccountLists::*pList;
};

// The three lists of a passwords document.
struct AccountLists {
    AccountList<WebAccount> m_aWebAccounts;
    AccountList<MailAccount> m_aMailAccounts;
    AccountList<OtherAccount> m_aOtherAccounts;

    AccountLists() = default;
    AccountLists(const AccountLists&) = delete;
    AccountLists& operator=(const AccountLists&) = delete;

    // Web records first, then mail, then other.
    void Clear();
    void TakeAll(AccountLists& other);
    void Swap(AccountLists& other) noexcept;
    ~AccountLists() { Clear(); }

    // The list operations for a kind named at run time.
    int Size(AccountKind kind) const;
    bool Holds(AccountKind kind, int slot) const;
    void Remove(AccountKind kind, int slot);
    // Appends a record with that name and every other field empty; returns its slot index.
    int AppendNamed(AccountKind kind, platform::SecureString name);
    // A record's field by its element name; null for an empty slot or a field the kind lacks.
    platform::SecureString* Field(AccountKind kind, int slot, std::string_view element);
    const platform::SecureString* Field(AccountKind kind, int slot, std::string_view element) const;
};

inline constexpr AccountField<WebAccount> kWebFileFields[] = {
    {"NAME", &WebAccount::strName},         {"ADDRESS", &WebAccount::strAddress}, {"USERID", &WebAccount::strUserId},
    {"PASSWORD", &WebAccount::strPassword}, {"NOTES", &WebAccount::strNotes},
};
inline constexpr AccountField<MailAccount> kMailFileFields[] = {
    {"NAME", &MailAccount::strName},
    {"ADDRESS", &MailAccount::strAddress},
    {"WEBINTERFACE", &MailAccount::strWebInterface},
    {"USERID", &MailAccount::strUserId},
    {"PASSWORD", &MailAccount::strPassword},
    {"SMTPSERVER", &MailAccount::strSmtpServer},
    {"POPSERVER", &MailAccount::strPopServer},
    {"NOTES", &MailAccount::strNotes},
};
inline constexpr AccountField<MailAccount> kMailShownFields[] = {
    {"NAME", &MailAccount::strName},
    {"ADDRESS", &MailAccount::strAddress},
    {"WEBINTERFACE", &MailAccount::strWebInterface},
    {"SMTPSERVER", &MailAccount::strSmtpServer},
    {"POPSERVER", &MailAccount::strPopServer},
    {"USERID", &MailAccount::strUserId},
    {"PASSWORD", &MailAccount::strPassword},
    {"NOTES", &MailAccount::strNotes},
};
inline constexpr AccountField<OtherAccount> kOtherFileFields[] = {
    {"NAME", &OtherAccount::strName},
    {"USERID", &OtherAccount::strUserId},
    {"PASSWORD", &OtherAccount::strPassword},
    {"NOTES", &OtherAccount::strNotes},
};

inline constexpr AccountKindInfo<WebAccount> kWebAccounts = {
    AccountKind::Web, "web", "WEB_ACCOUNTS", kWebFileFields, kWebFileFields, &AccountLists::m_aWebAccounts};
inline constexpr AccountKindInfo<MailAccount> kMailAccounts = {
    AccountKind::Mail, "mail", "MAIL_ACCOUNTS", kMailFileFields, kMailShownFields, &AccountLists::m_aMailAccounts};
inline constexpr AccountKindInfo<OtherAccount> kOtherAccounts = {
    AccountKind::Other, "other", "OTHER_ACCOUNTS", kOtherFileFields, kOtherFileFields, &AccountLists::m_aOtherAccounts};

// Calls `f` with each kind's AccountKindInfo, in the order of the file: web, mail, other.
template <typename F> void ForEachAccountKind(F&& f) {
    f(kWebAccounts);
    f(kMailAccounts);
    f(kOtherAccounts);
}

// Calls `f` with the AccountKindInfo of one kind and returns what it returns.
template <typename F> decltype(auto) WithAccountKind(AccountKind kind, F&& f) {
    switch (kind) {
    case AccountKind::Web:
        return f(kWebAccounts);
    case AccountKind::Mail:
        return f(kMailAccounts);
    case AccountKind::Other:
        break;
    }
    return f(kOtherAccounts);
}

// The kind a name such as "mail" stands for. False for any other name.
inline bool AccountKindFromName(std::string_view name, AccountKind& kind) {
    bool found = false;
    ForEachAccountKind([&](const auto& info) {
        if (!found && name == info.szName) {
            kind = info.eKind;
            found = true;
        }
    });
    return found;
}

// The field of a record by its element name, or null when the kind has no such field.
template <typename Record>
platform::SecureString* FindField(std::span<const AccountField<Record>> fields, Record& record,
                                  std::string_view element) {
    for (const auto& field : fields)
        if (element == field.szElement)
            return &(record.*field.pMember);
    return nullptr;
}

inline void AccountLists::Clear() {
    ForEachAccountKind([this](const auto& info) { (this->*info.pList).Clear(); });
}

inline void AccountLists::TakeAll(AccountLists& other) {
    ForEachAccountKind([&](const auto& info) { (this->*info.pList).TakeAll(other.*info.pList); });
}

inline void AccountLists::Swap(AccountLists& other) noexcept {
    ForEachAccountKind([&](const auto& info) { (this->*info.pList).Swap(other.*info.pList); });
}

inline int AccountLists::Size(AccountKind kind) const {
    return WithAccountKind(kind, [this](const auto& info) { return (this->*info.pList).Size(); });
}

inline bool AccountLists::Holds(AccountKind kind, int slot) const {
    return WithAccountKind(kind, [&](const auto& info) { return (this->*info.pList).At(slot) != nullptr; });
}

inline void AccountLists::Remove(AccountKind kind, int slot) {
    WithAccountKind(kind, [&](const auto& info) { (this->*info.pList).Remove(slot); });
}

inline int AccountLists::AppendNamed(AccountKind kind, platform::SecureString name) {
    return WithAccountKind(kind, [&](const auto& info) {
        auto record = std::make_unique<typename std::decay_t<decltype(info)>::Record>();
        record->strName = std::move(name);
        return (this->*info.pList).Append(std::move(record));
    });
}

inline platform::SecureString* AccountLists::Field(AccountKind kind, int slot, std::string_view element) {
    return WithAccountKind(kind, [&](const auto& info) -> platform::SecureString* {
        auto* record = (this->*info.pList).At(slot);
        return record ? FindField(info.fileFields, *record, element) : nullptr;
    });
}

inline const platform::SecureString* AccountLists::Field(AccountKind kind, int slot, std::string_view element) const {
    return const_cast<AccountLists*>(this)->Field(kind, slot, element);
}
