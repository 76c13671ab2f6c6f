#pragma once

#include "docs/EncryptedDocument.h"
#include "passwords/Accounts.h"

#include <QString>

// A passwords document: one ".kvd" file held in memory as three account lists. The account tree and
// the forms of its window read the lists when they are shown and change the records directly,
// marking the document modified and announcing the edit (AccountEdited) to whoever keeps something
// derived from the records; the document never tells its views about changes.
//
// The file password and the document's own file path (m_szFilePassword, m_strFilePath, which the
// account tree shows as the label of its root) come with the open and save steps it shares with
// the text document.
class CVaultoraDoc : public CEncryptedDocument {
    Q_OBJECT
public:
    CVaultoraDoc();
    ~CVaultoraDoc() override;

    static constexpr const char* kSaveFilter = "Vaultora Encrypted Data Files (*.kvd)|*.kvd|";

    void DeleteContents() override;

    // The web, e-mail and other accounts, each list with its slot counter.
    AccountLists m_lists;

    // The hint the views get when the lists were replaced or merged: every slot may have changed.
    static constexpr long kHintListsReplaced = 0x4C495354;

signals:
    // A field of the record at that slot was changed in place.
    void AccountEdited(AccountKind kind, int nSlot);

protected:
    // A file that deciphers into a text without a root element holds no passwords: most likely it
    // is not a passwords file at all. It is refused like a wrong password rather than opened empty,
    // since saving that empty document would replace the file.
    cipher::DocStatus DecodeVersion(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8) override;
    void TakeDecodedVersion() override;
    void DropDecodedVersion() override;
    bool CanMerge() const override { return true; }
    void MergeDecodedVersion() override;
    void KeepDecodedAsBase() override;
    bool BuildClearText(platform::SecureString& text) override;
    cipher::DocStatus WriteDocumentFile(const QString& path, std::string_view passwordUtf8,
                                        const cipher::ReplaceRule& rule, cipher::FileVersion& written) override;

private:
    // The text of the version read or written last, the base of a merge.
    platform::SecureString m_baseText;
    // A version of the file read and deciphered, until the document takes it or it is dropped.
    AccountLists m_decoded;
    platform::SecureString m_decodedText;
};
