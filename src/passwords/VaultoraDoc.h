#pragma once

#include "framework/Document.h"
#include "passwords/Accounts.h"
#include "platform/SecureMemory.h"

#include <QString>

// A passwords document: one ".kvd" file held in memory as three account lists. The account tree and
// the forms of its window read the lists when they are shown and change the records directly,
// marking the document modified; the document never tells its views about changes.
class CVaultoraDoc : public CDocument {
    Q_OBJECT
public:
    CVaultoraDoc();
    ~CVaultoraDoc() override;

    bool OnNewDocument() override;
    // Opening and saving ask for the file password, so they arrive together with the password
    // dialogs; until then neither reads nor writes anything and both report failure.
    bool OnOpenDocument(const QString& path) override;
    bool OnSaveDocument(const QString& path) override;

    // The file password of the current file; empty until one is given. At most 259 characters.
    platform::SecureString m_szFilePassword;
    // The document's own copy of its file path, the path Save writes to; empty for a new document.
    // The account tree shows it as the label of its root.
    QString m_strFilePath;
    // The web, e-mail and other accounts, each list with its slot counter.
    AccountLists m_lists;
};
