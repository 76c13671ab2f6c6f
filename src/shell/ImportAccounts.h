#pragma once

#include <QString>

// File, Import without its file dialog: the accounts of an export file (CSV or JSON) become a new,
// unsaved passwords document. A file that can't be imported is named in a message with the line and
// the reason, and nothing is made. True when the document was made.
bool ImportAccountsFile(const QString& path);
