#pragma once

#include "passwords/Accounts.h"

// The three-way merge of a passwords document with the version another program wrote, the version
// the document opened or last saved being the common ancestor.

// What a merge did to the document's lists, for the status bar and to know whether the window must be
// rebuilt.
struct MergeSummary {
    int nTakenFromDisk = 0; // accounts of mine whose fields were replaced by the disk's, in their slots
    int nAddedFromDisk = 0; // accounts appended: new on disk, or changed on disk after I deleted them
    int nRemoved = 0;       // accounts of mine removed because the disk deleted them and I had not changed them
    int nBothChanged = 0;   // accounts changed differently on both sides: the disk's copy appended beside mine
    bool Changed() const { return nTakenFromDisk + nAddedFromDisk + nRemoved + nBothChanged > 0; }
};

// The suffix of the name of the disk's copy of an account that both sides changed differently.
inline constexpr const char* kChangedOnDiskSuffix = " (changed on disk)";

// Merges `disk` into `mine` in place, with `base` as the common ancestor.
//
// Accounts are matched by kind and name, equal names in list order (the k-th "Bank" of each side;
// emptied slots do not count), and compared on all their fields:
// - on one side only: kept, unless the other side is the base's and unchanged (it was deleted there);
// - changed on one side only: that side's fields; on both sides alike: one account;
// - changed differently on both sides (or added on both under one name with different fields): mine
//   stays, and the disk's is appended as "NAME (changed on disk)";
// - deleted on one side and changed on the other: the changed one.
// My accounts keep their slots (the open window knows them by slot): a taken-over account is changed in
// place, a deleted one is Remove()d. What comes from the disk is appended after them, in disk order.
MergeSummary MergeAccounts(const AccountLists& base, AccountLists& mine, const AccountLists& disk);
