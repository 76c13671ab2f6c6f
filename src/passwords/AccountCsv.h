#pragma once

#include "passwords/Accounts.h"
#include "passwords/CsvTable.h"
#include "passwords/ImportProblem.h"

// Accounts as CSV: the shape this program writes, and the exports of two other password managers.
//
// Our own shape has the header kind,NAME,ADDRESS,WEBINTERFACE,USERID,PASSWORD,SMTPSERVER,POPSERVER,NOTES
// and one record per account, web accounts first, then e-mail, then other accounts. kind is "web",
// "mail" or "other"; a field the kind does not have is empty. On reading, the columns may stand in
// any order and any of them but NAME may be left out; a record without a kind is a web account
// when it has an ADDRESS and an other account when not. Fields are taken exactly as they are.
//
// A KeePassXC export ("Group","Title","Username","Password","URL","Notes", and maybe more columns)
// and a Bitwarden export (folder,favorite,type,name,notes,fields,reminder,login_uri,login_username,
// login_password,login_totp) give a web account for every entry with an address and an other account
// for every entry without. The title or name becomes NAME (an entry without one is named after its
// user name, else its address's host, else "(no title)"), the address ADDRESS, the user name USERID
// and the password PASSWORD. Of several Bitwarden addresses (separated by commas) the first is the
// ADDRESS. NOTES gets, one after the other: "Group: " or "Folder: " and its name, the entry's notes,
// "Other addresses: " and the other addresses separated by ", ", "TOTP: " and the TOTP secret, and
// Bitwarden's custom fields; every line break in them becomes CR LF, as the editor's notes field
// writes them. The other columns (favourite,
// icon, dates...) say nothing about the account itself and are left out.

enum class CsvShape { Ours, KeePassXC, Bitwarden };

// The shape a header record has, trying ours, then KeePassXC's, then Bitwarden's. False when it
// has none of them.
bool RecogniseCsvHeader(const CsvRecord& header, CsvShape& shape);

// Appends the accounts of a CSV text of the given shape (its first record is the header) to the
// lists. A header that does not have the shape, a record whose number of fields differs from the
// header's, or (in our shape) an unknown kind or a field its kind does not have refuse the text with
// the line it stands on; nothing is appended then. Records whose fields are all empty are skipped.
bool ReadAccountsCsv(const std::vector<CsvRecord>& records, CsvShape shape, AccountLists& lists,
                     ImportProblem& problem);

// The lists in our shape, UTF-8, every field quoted, records ended by CR LF; emptied slots are
// skipped. Spreadsheet-safe, a cell that NeedsSpreadsheetGuard gets one "'" in front.
void BuildAccountsCsv(const AccountLists& lists, platform::SecureString& csv, bool spreadsheetSafe = false);

// A spreadsheet runs a cell that starts with "=", "+", "-" or "@" as a formula (and a tab or CR
// there can start one too), unless a "'" stands before it, which it then shows as text. Cells that
// already start with quotes before one of these get the one "'" as well, so that removing exactly
// one from every cell that has it gives back each cell as it was.
bool NeedsSpreadsheetGuard(std::string_view cell);
// Takes the "'" that a spreadsheet-safe export put in front of the cell; any other cell stays as it is.
void RemoveSpreadsheetGuard(platform::SecureString& cell);
