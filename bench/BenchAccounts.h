#pragma once

#include "passwords/Accounts.h"

namespace bench {

// The passwords document the benchmarks work on: `accounts` accounts spread over the three
// kinds, every field filled, notes of three lines with characters that need escaping. With
// `scrambledNames` the names come in no particular order, so that whatever lists them has to
// sort them.
void FillAccounts(AccountLists& lists, int accounts, bool scrambledNames = false);

} // namespace bench
