#include "passwords/AccountMerge.h"

#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// The occupied slots of a list by name, each name's slots in list order: the k-th account of a name on
// one side is the k-th of that name on the others. The keys view the records' own names, so no copy of
// a secret is made; the lists must not change while this is in use.
template <typename Record> class SlotsByName {
public:
    explicit SlotsByName(const AccountList<Record>& list) {
        for (int slot = 0; slot < list.Size(); ++slot)
            if (const Record* record = list.At(slot))
                m_slots[record->strName.view()].push_back(slot);
    }

    // The slot of the k-th account of that name, or -1.
    int Nth(std::string_view name, size_t k) const {
        const auto it = m_slots.find(name);
        return it != m_slots.end() && k < it->second.size() ? it->second[k] : -1;
    }

    const std::unordered_map<std::string_view, std::vector<int>>& All() const { return m_slots; }

private:
    std::unordered_map<std::string_view, std::vector<int>> m_slots;
};

template <typename Info> class KindMerge {
    using Record = typename Info::Record;

public:
    KindMerge(const Info& info, const AccountLists& base, AccountLists& mine, const AccountLists& disk)
        : m_info(info), m_base(base.*info.pList), m_mine(mine.*info.pList), m_disk(disk.*info.pList) {}

    void Run(MergeSummary& summary) {
        // Every decision is taken first and carried out afterwards: the name indexes view the records'
        // names, which taking over, removing or appending would invalidate.
        std::vector<std::pair<int, const Record*>> takeOver; // my slot, the disk's record
        std::vector<int> remove;                             // my slots
        std::vector<std::unique_ptr<Record>> append;         // in disk order
        {
            const SlotsByName<Record> baseSlots(m_base);
            const SlotsByName<Record> mineSlots(m_mine);
            std::unordered_map<std::string_view, size_t> diskCount; // accounts of each name seen on disk

            for (int diskSlot = 0; diskSlot < m_disk.Size(); ++diskSlot) {
                const Record* theirs = m_disk.At(diskSlot);
                if (!theirs)
                    continue;
                const size_t k = diskCount[theirs->strName.view()]++;
                const Record* base = m_base.At(baseSlots.Nth(theirs->strName.view(), k));
                const int mineSlot = mineSlots.Nth(theirs->strName.view(), k);
                const Record* ours = m_mine.At(mineSlot);
                const bool changedOnDisk = !base || !Same(*base, *theirs);

                if (!ours) {
                    // New on disk, or deleted by me: the disk's account comes back only if it changed
                    // there since (a deletion must not lose an edit made elsewhere).
                    if (changedOnDisk) {
                        append.push_back(std::make_unique<Record>(*theirs));
                        ++summary.nAddedFromDisk;
                    }
                } else if (Same(*ours, *theirs) || !changedOnDisk) {
                    // Alike on both sides, or changed by me only: mine stands.
                } else if (base && Same(*base, *ours)) {
                    takeOver.emplace_back(mineSlot, theirs);
                    ++summary.nTakenFromDisk;
                } else {
                    auto copy = std::make_unique<Record>(*theirs);
                    copy->strName.append(kChangedOnDiskSuffix);
                    append.push_back(std::move(copy));
                    ++summary.nBothChanged;
                }
            }

            // My accounts the disk no longer has: gone there, so they go here too unless I changed them
            // (or added them: then the base has none to compare with).
            for (const auto& [name, slots] : mineSlots.All()) {
                const auto seen = diskCount.find(name);
                for (size_t k = seen == diskCount.end() ? 0 : seen->second; k < slots.size(); ++k) {
                    const Record* base = m_base.At(baseSlots.Nth(name, k));
                    if (base && Same(*base, *m_mine.At(slots[k])))
                        remove.push_back(slots[k]);
                }
            }
        }

        for (const auto& [slot, theirs] : takeOver)
            for (const auto& field : m_info.fileFields)
                (*m_mine.At(slot)).*field.pMember = (*theirs).*field.pMember;
        for (int slot : remove)
            m_mine.Remove(slot);
        summary.nRemoved += static_cast<int>(remove.size());
        for (auto& record : append)
            m_mine.Append(std::move(record));
    }

private:
    bool Same(const Record& a, const Record& b) const {
        for (const auto& field : m_info.fileFields)
            if (a.*field.pMember != b.*field.pMember)
                return false;
        return true;
    }

    const Info& m_info;
    const AccountList<Record>& m_base;
    AccountList<Record>& m_mine;
    const AccountList<Record>& m_disk;
};

} // namespace

MergeSummary MergeAccounts(const AccountLists& base, AccountLists& mine, const AccountLists& disk) {
    MergeSummary summary;
    ForEachAccountKind([&](const auto& info) { KindMerge(info, base, mine, disk).Run(summary); });
    return summary;
}
