#include "passwords/VaultoraDoc.h"

#include "framework/BackgroundWork.h"
#include "passwords/PasswordsSchema.h"

#include <QFile>
#include <memory>

CVaultoraDoc::CVaultoraDoc() : CEncryptedDocument(".kvd", kSaveFilter) {}

CVaultoraDoc::~CVaultoraDoc() = default;

void CVaultoraDoc::DeleteContents() {
    m_lists.Clear();
}

cipher::DocStatus CVaultoraDoc::ReadDocumentFile(const QString& path, std::string_view passwordUtf8) {
    // Read into lists of its own off the user-interface thread; the document gets them once whole.
    const std::string file = QFile::encodeName(path).toStdString();
    auto lists = std::make_unique<AccountLists>();
    cipher::DocStatus status;
    RunInBackground([&] {
        platform::SecureString text;
        status = cipher::ReadDocumentFile(file, passwordUtf8, text);
        if (status.ok() && !ReadPasswordsTextInPlace(std::move(text), *lists))
            status = {cipher::DocResult::WrongPassword, 0};
    });
    if (!status.ok())
        return status;
    m_lists.Swap(*lists);
    return status; // says which format the file is in
}

cipher::DocStatus CVaultoraDoc::WriteDocumentFile(const QString& path, std::string_view passwordUtf8) {
    // The lists are only read; user input waits until the file is written.
    const std::string file = QFile::encodeName(path).toStdString();
    cipher::DocStatus status;
    RunInBackground([&] {
        platform::SecureString text;
        if (!BuildPasswordsText(m_lists, text)) {
            status = {cipher::DocResult::CannotBuildText, 0};
            return;
        }
        status = cipher::WriteDocumentFile(file, passwordUtf8, text.view(), m_nFormat);
    });
    return status;
}
