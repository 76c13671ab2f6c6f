#pragma once

#include "cipher/DocumentFile.h"
#include "framework/Document.h"
#include "platform/SecureMemory.h"

#include <QString>
#include <string_view>

// A document kept in one enciphered file: what the text and the passwords document share. Opening
// asks for the file password first; every save asks for it twice (pre-filled with the current one);
// Save As proposes the title with the type's extension and asks before replacing a file; closing a
// modified document asks whether to save it, after the screen password when the screen is locked.
//
// A save that fails says which file and why, and changes nothing else: the file on disk stays as it
// was, the document keeps its name and stays modified, and the close that asked for the save is
// refused, so no change is ever lost without the user saying so.
class CEncryptedDocument : public CDocument {
    Q_OBJECT
public:
    // szExtension: ".etx" or ".kvd"; szSaveFilter: the Save As filter in "Name|patterns|" form.
    CEncryptedDocument(const char* szExtension, const char* szSaveFilter);
    ~CEncryptedDocument() override;

    bool OnNewDocument() override;
    // Asks for the file password, then reads the file. A file that does not decipher says so;
    // a file that can't be read fails without a word.
    bool OnOpenDocument(const QString& path) override;
    // Asks for the password twice, then writes the file; true once it is written.
    bool OnSaveDocument(const QString& path) override;
    bool SaveModified() override;

    // Save and Save As; true when the file was written.
    bool OnFileSave();
    bool OnFileSaveAs();
    // A new password for the next save; nothing is written, and the document becomes modified.
    void OnSetFilePassword();
    // New and Open are the main frame's procedures, whichever window is active.
    void OnFileNew();
    void OnFileOpen();

    const QString& GetExtension() const { return m_strExtension; }
    const QString& GetSaveFilter() const { return m_strSaveFilter; }
    // The title as a file name: with the extension when it has no dot.
    QString TitleAsFileName() const;
    // The path with the extension appended when its file name has no dot.
    QString WithExtension(const QString& path) const;
    // What follows the last separator of a path.
    static QString BareFileName(const QString& path);
    // Why a path can't be opened as a document (missing, a folder, a device or pipe, empty,
    // unreadable), in a sentence naming it; empty when it can be read.
    static QString WhyNotOpenable(const QString& path);

    // The file password of the current file (UTF-8, at most 259 characters); empty until one is given.
    platform::SecureString m_szFilePassword;
    // The file Save writes to: the document's path name, kept once; empty for a new document.
    const QString& m_strFilePath = GetPathName();
    // The format the next save writes: the one the file was opened in, or for a new document the
    // one the user chose for new documents. Only the Document Encryption dialog changes it.
    cipher::DocFormat m_nFormat = cipher::DocFormat::Compatible;

    // Whether new documents start in the strong format (a profile value; off unless the user chose it).
    static bool GetNewDocumentsStrong();
    static void SetNewDocumentsStrong(bool bStrong);
    // The text of the status pane that shows a document's format.
    static QString FormatPaneText(cipher::DocFormat format);

protected:
    // The document read of the file into the document, under the password. A file that deciphers
    // but holds nothing this document type can show reports WrongPassword.
    virtual cipher::DocStatus ReadDocumentFile(const QString& path, std::string_view passwordUtf8) = 0;
    // The document write of the document's content to the file, under the password, in m_nFormat.
    virtual cipher::DocStatus WriteDocumentFile(const QString& path, std::string_view passwordUtf8) = 0;

private:
    QString m_strExtension;
    QString m_strSaveFilter;
};
