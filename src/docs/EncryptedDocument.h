#pragma once

#include "cipher/DocumentFile.h"
#include "cipher/RecoveryFile.h"
#include "cipher/StrongFile.h"
#include "framework/Document.h"
#include "platform/SecureMemory.h"

#include <QString>
#include <optional>
#include <string_view>

class CDiskWatch;

// A document kept in one enciphered file: what the text and the passwords document share. Opening
// asks for the file password first; every save asks for it twice (pre-filled with the current one);
// Save As proposes the title with the type's extension and asks before replacing a file; closing a
// modified document asks whether to save it, after the screen password when the screen is locked.
//
// A save that fails says which file and why, and changes nothing else: the file on disk stays as it
// was, the document keeps its name and stays modified, and the close that asked for the save is
// refused, so no change is ever lost without the user saying so.
//
// Other programs write the file too. The document remembers the version it read or wrote last (the
// file's identity and the hash of its bytes) and looks at the file whenever it or its folder changes,
// when the program is activated, and right before every save. A clean document follows the file; a
// modified one asks what to do (merge, reload or keep mine), and no save ever writes over a version
// the user has not seen. A file deleted or moved away leaves the document modified, named
// "(deleted on disk)": the next save writes it again.
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
    // Closed without saving, or saved: the recovery copy goes.
    void OnCloseDocument() override;

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
    // Whether two paths name the same file (through links, when it exists).
    static bool SamePath(const QString& a, const QString& b);

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

    // The title with " (deleted on disk)" while the file is gone.
    QString GetDisplayTitle() const override;
    bool IsDeletedOnDisk() const { return m_bDeletedOnDisk; }
    // The version of the file the document last read or wrote (none for a new document).
    const std::optional<cipher::FileVersion>& GetDiskVersion() const { return m_diskVersion; }
    // Looks at the file now, as when the watcher reports it settled: reloads a clean document, asks
    // about a modified one, notes a deleted file. Waits while the screen is locked or a dialog is open.
    void LookAtDisk();

    // Unsaved work kept safe: when the document is modified and has a file and a password, its content
    // goes, enciphered under that password, into a copy in the recovery folder. True when there was
    // nothing to write or it was written; a failure says so in the status bar.
    bool WriteRecoveryCopy();
    // Becomes the unsaved work of a copy left behind: asks for the file's password (Cancel: false,
    // the copy stays), then takes the copy's content as a modified document at its file, with the
    // version the work started from as the one it knows on disk.
    bool RecoverFrom(const cipher::RecoveryCopy& copy);
    // The folder of the copies.
    static std::string RecoveryFolder();

    // The status bar texts of what the document did on its own.
    static const QString kReloadedMessage;
    static const QString kDeletedMessage;
    static const QString kMergedMessage;

protected:
    // Deciphers a version of the file from its whole bytes and holds its content aside, leaving the
    // document as it is. A file that deciphers but holds nothing this document type can show reports
    // WrongPassword.
    virtual cipher::DocStatus DecodeVersion(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8) = 0;
    // The document's content becomes the version decoded last, the selection kept where it still exists.
    virtual void TakeDecodedVersion() = 0;
    // Forgets the version decoded last.
    virtual void DropDecodedVersion() = 0;
    // Whether the version decoded last can be merged into the document's content, and the merge, with
    // the version read or written last as the common base.
    virtual bool CanMerge() const { return false; }
    virtual void MergeDecodedVersion() {}
    // The document write of the document's content to the file, under the password, in m_nFormat;
    // `written` gets the version written.
    virtual cipher::DocStatus WriteDocumentFile(const QString& path, std::string_view passwordUtf8,
                                                const cipher::ReplaceRule& rule, cipher::FileVersion& written) = 0;
    // The document's content as the clear UTF-8 text a file holds; false when it can't be built.
    virtual bool BuildClearText(platform::SecureString& text) = 0;
    // The version decoded last becomes the base of a later merge, the content staying as it is.
    virtual void KeepDecodedAsBase() { DropDecodedVersion(); }

private:
    // What the look before a save decided.
    enum class DiskVerdict { Proceed, Cancelled, SavedElsewhere, SaveMineAs };
    DiskVerdict ReconcileWithDisk(bool bBeforeSave);
    DiskVerdict ActOnDiskVersion(const platform::SecureBytes& fileBytes, const cipher::FileVersion& version,
                                 bool bBeforeSave);
    // Whether a version on disk is one the document already knows what to do with.
    bool IsKnownVersion(const cipher::FileVersion& version, bool bBeforeSave);
    void TakeDiskVersion(const cipher::FileVersion& version, platform::SecureString password, cipher::DocFormat format);
    void MarkDeletedOnDisk(bool bDeleted);
    void SetDiskVersion(const cipher::FileVersion& version);
    DiskVerdict Undecided(const cipher::FileVersion& version);
    static void ShowStatus(const QString& text);

    QString m_strExtension;
    QString m_strSaveFilter;
    CDiskWatch* m_pDiskWatch = nullptr;
    std::optional<cipher::FileVersion> m_diskVersion; // read or written last: the content's base
    std::optional<cipher::FileVersion> m_keptOver;    // a version on disk the next save may replace (Keep Mine)
    std::optional<cipher::FileVersion> m_declined;    // a version on disk the user left undecided
    bool m_bDeletedOnDisk = false;
    bool m_bReconciling = false;

    void RemoveRecoveryCopy();
    // The recovery copy's key, derived once for the password it was derived from.
    cipher::CStrongKey m_recoveryKey;
    platform::SecureString m_recoveryKeyPassword;
    // The hash of the content last copied: an unchanged document is not written again.
    std::optional<cipher::Sha256> m_copiedContent;
    bool m_bHasCopy = false;
};
