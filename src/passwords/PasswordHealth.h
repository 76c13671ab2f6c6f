#pragma once

#include "passwords/Accounts.h"

#include <functional>
#include <string_view>
#include <vector>

// The password health of a passwords document: the accounts whose password is empty, weak (rated Poor,
// given the account's own words) or shared with another account.
namespace passwords {

enum class HealthReason { Weak, Reused, Empty };

struct HealthFinding {
    AccountKind eKind;
    int nSlot;
    HealthReason eReason;
    int nGroup = 0; // for Reused: the accounts with one password share a number, 1, 2, ... by first appearance
};

// The fields of an account whose text its password should not be made of: its name, user ID and address.
inline constexpr const char* kOwnWordElements[] = {"NAME", "USERID", "ADDRESS"};

// The words of an account that its password should not be made of: those fields' text.
std::vector<std::string_view> AccountOwnWords(const AccountLists& lists, AccountKind kind, int slot);

// Every finding, ordered by kind (web, mail, other), then slot, then reason (weak before reused). An
// empty password is only "empty"; "reused" counts non-empty passwords only. `progress` is told the
// accounts rated so far and in all, and may stop the work by returning false (the result is then empty).
std::vector<HealthFinding> CheckPasswordHealth(const AccountLists& lists,
                                               const std::function<bool(int done, int total)>& progress = {});

// "empty", "weak", "reused".
const char* HealthReasonName(HealthReason reason);

} // namespace passwords
