#pragma once

#include "platform/SecureMemory.h"

#include <memory>
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

// The three lists of a passwords document.
struct AccountLists {
    AccountList<WebAccount> m_aWebAccounts;
    AccountList<MailAccount> m_aMailAccounts;
    AccountList<OtherAccount> m_aOtherAccounts;

    AccountLists() = default;
    AccountLists(const AccountLists&) = delete;
    AccountLists& operator=(const AccountLists&) = delete;

    // Web records first, then mail, then other.
    void Clear() {
        m_aWebAccounts.Clear();
        m_aMailAccounts.Clear();
        m_aOtherAccounts.Clear();
    }
    void TakeAll(AccountLists& other) {
        m_aWebAccounts.TakeAll(other.m_aWebAccounts);
        m_aMailAccounts.TakeAll(other.m_aMailAccounts);
        m_aOtherAccounts.TakeAll(other.m_aOtherAccounts);
    }
    void Swap(AccountLists& other) noexcept {
        m_aWebAccounts.Swap(other.m_aWebAccounts);
        m_aMailAccounts.Swap(other.m_aMailAccounts);
        m_aOtherAccounts.Swap(other.m_aOtherAccounts);
    }
    ~AccountLists() { Clear(); }
};
