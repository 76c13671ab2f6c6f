#pragma once

#include "passwords/Accounts.h"

#include <string>
#include <string_view>

// The clear text of a passwords file: an XML text with one group of ACCOUNT elements per kind
// (Accounts.h names the groups and their fields).

// The clear text of the lists; emptied slots are skipped. Lines end in CR LF. False, with `text`
// empty, when the markup tree refuses an element (memory or its offset range ran out): a text
// missing one element would hold fields in the wrong account, so it is never handed on.
bool BuildPasswordsText(const AccountLists& lists, platform::SecureString& text);

// Appends the accounts of a clear text to the lists (which are normally empty). Any root name is
// taken, the groups are read in any order and several groups of one kind in turn, other elements
// are ignored, and a missing field reads as empty. Returns false when the text has no root element
// at all: such a text is no passwords text (a wrong password or a damaged file), and nothing is
// appended.
bool ReadPasswordsText(std::string_view text, AccountLists& lists);
// The same for a text that is not needed afterwards: it is parsed where it lies, not copied,
// and left empty.
bool ReadPasswordsTextInPlace(platform::SecureString&& text, AccountLists& lists);
