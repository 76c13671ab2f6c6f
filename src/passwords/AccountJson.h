#pragma once

#include "passwords/Accounts.h"
#include "passwords/ImportProblem.h"

#include <string_view>

// The accounts as JSON: an object with the groups "web", "mail" and "other", each an array of
// accounts whose members are named after the file's field elements ("NAME", "ADDRESS", ...).

// Appends the accounts of a JSON text to the lists. A group or a field may be left out (a missing
// field is empty) but NAME may not; unknown groups and fields, and values that are not strings,
// refuse the text with the place they stand at. Nothing is appended after a refusal.
bool ReadAccountsJson(std::string_view json, AccountLists& lists, ImportProblem& problem);

// The lists as JSON, indented by two blanks and ended by a line feed; emptied slots are skipped.
void BuildAccountsJson(const AccountLists& lists, platform::SecureString& json);
