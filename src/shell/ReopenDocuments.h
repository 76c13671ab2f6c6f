#pragma once

#include <QString>

class CMainFrame;

// Settings, "Reopen Documents at Start" (off unless the user turns it on): the documents open when the
// program ends come back at the next start that names no file, each after its own password, where the
// user left them - a text with its caret and scroll position, a passwords document with the folder or
// account row that was selected.
//
// The profile keeps only where, never what: each document's path and a few numbers. No text, no name
// of an account, no password. A document without a file can't come back and is not listed.

// The option, kept in the profile. Turned off, the list of the last session goes with it.
bool IsReopenDocumentsOn();
void SetReopenDocuments(bool bOn);

// At exit, once every document has been asked whether it may close and before any closes: the open
// documents that have a file, in window order with the active one marked. Nothing when the option is
// off, and nothing while the last session's documents still wait for the start-up unlock (the list
// would be an empty one written over theirs).
void RememberOpenDocuments(CMainFrame& frame);

// Whether the last session left documents to reopen (and the option is on).
bool HasDocumentsToReopen();

// At start: opens the last session's documents, each after its password (Cancel skips that one), puts
// each back where it was, and activates the one that was active. A document already open is left as it
// is; a file that is gone is skipped and named in the status bar. While the screen is locked nothing is
// asked: the command comes back after the unlock.
void ReopenDocuments(CMainFrame& frame);

// The status bar's note for files that could not come back because they are gone (bare file names).
QString GoneFilesNote(const QStringList& names);
