#include "passwords/VaultoraDoc.h"

#include "framework/BackgroundWork.h"
#include "passwords/AccountMerge.h"
#include "passwords/PasswordsSchema.h"

#include <QFile>
#include <memory>

CVaultoraDoc::CVaultoraDoc() : CEncryptedDocument(".kvd", kSaveFilter) {}

CVaultoraDoc::~CVaultoraDoc() {
    m_baseText.Wipe();
}

void CVaultoraDoc::DeleteContents() {
    m_lists.Clear();
}

cipher::DocStatus CVaultoraDoc::DecodeVersion(const platform::SecureBytes& fileBytes, std::string_view passwordUtf8) {
    // Read into lists of its own off the user-interface thread; the document gets them once whole.
    DropDecodedVersion();
    cipher::DocStatus status;
    RunInBackground([&] {
        status = cipher::DecodeAnyDocument(fileBytes, passwordUtf8, m_decodedText);
        // The text stays whole as the base of a later merge; the lists are read from a copy in place.
        if (status.ok() && !ReadPasswordsTextInPlace(platform::SecureString(m_decodedText), m_decoded))
            status = {cipher::DocResult::WrongPassword, 0, status.format};
    });
    if (!status.ok())
        DropDecodedVersion();
    return status; // says which format the file is in
}

void CVaultoraDoc::TakeDecodedVersion() {
    m_lists.Swap(m_decoded);
    m_baseText = std::move(m_decodedText);
    DropDecodedVersion();
    UpdateAllViews(nullptr, kHintListsReplaced);
}

void CVaultoraDoc::DropDecodedVersion() {
    m_decoded.Clear();
    m_decodedText.Wipe();
}

void CVaultoraDoc::MergeDecodedVersion() {
    AccountLists base;
    if (!m_baseText.empty() && !ReadPasswordsText(m_baseText.view(), base))
        base.Clear(); // a base that can't be read: every account counts as new on both sides
    MergeAccounts(base, m_lists, m_decoded);
    // The disk's version is what the merged lists now stand on.
    m_baseText = std::move(m_decodedText);
    DropDecodedVersion();
    UpdateAllViews(nullptr, kHintListsReplaced);
}

void CVaultoraDoc::KeepDecodedAsBase() {
    m_baseText = std::move(m_decodedText);
    DropDecodedVersion();
}

bool CVaultoraDoc::BuildClearText(platform::SecureString& text) {
    return BuildPasswordsText(m_lists, text);
}

cipher::DocStatus CVaultoraDoc::WriteDocumentFile(const QString& path, std::string_view passwordUtf8,
                                                  const cipher::ReplaceRule& rule, cipher::FileVersion& written) {
    // The lists are only read; user input waits until the file is written.
    const std::string file = QFile::encodeName(path).toStdString();
    cipher::DocStatus status;
    platform::SecureString text;
    RunInBackground([&] {
        if (!BuildPasswordsText(m_lists, text)) {
            status = {cipher::DocResult::CannotBuildText, 0};
            return;
        }
        status = cipher::WriteDocumentFile(file, passwordUtf8, text.view(), m_nFormat, rule, &written);
    });
    if (status.ok())
        m_baseText = std::move(text);
    return status;
}
