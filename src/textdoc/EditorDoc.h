#pragma once

#include "docs/EncryptedDocument.h"

#include <QString>

class CEditorView;

// A free-form text document, kept in an ".etx" file. The document holds no copy of the text: it lives
// in the view's editor, which reads and writes the file, and the editor's modified flag is the
// document's.
class CEditorDoc : public CEncryptedDocument {
    Q_OBJECT
public:
    CEditorDoc();
    ~CEditorDoc() override;

    static constexpr const char* kSaveFilter = "Vaultora Encrypted Text Files (*.etx)|*.etx|";

    bool IsModified() override;
    void SetModifiedFlag(bool bModified = true) override;

    CEditorView* GetEditorView() const;

protected:
    cipher::DocStatus DecodeVersion(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8) override;
    void TakeDecodedVersion() override;
    void DropDecodedVersion() override;
    bool BuildClearText(platform::SecureString& text) override;
    cipher::DocStatus WriteDocumentFile(const QString& path, std::string_view passwordUtf8,
                                        const cipher::ReplaceRule& rule, cipher::FileVersion& written) override;

private:
    // A version of the file read and deciphered, until the editor takes it or it is dropped.
    QString m_strDecoded;
};
