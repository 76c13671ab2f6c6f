#include "passwords/VaultoraDoc.h"

#include "passwords/PasswordsSchema.h"

#include <QFile>

CVaultoraDoc::CVaultoraDoc() : CEncryptedDocument(".kvd", kSaveFilter) {}

CVaultoraDoc::~CVaultoraDoc() = default;

void CVaultoraDoc::DeleteContents() {
    m_lists.Clear();
}

cipher::DocStatus CVaultoraDoc::ReadDocumentFile(const QString& path, std::string_view passwordUtf8) {
    platform::SecureString text;
    const cipher::DocStatus status =
        cipher::ReadDocumentFile(QFile::encodeName(path).toStdString(), passwordUtf8, text);
    if (!status.ok())
        return status;
    m_lists.Clear();
    if (!ReadPasswordsText(text.view(), m_lists))
        return {cipher::DocResult::WrongPassword, 0};
    return status; // says which format the file is in
}

cipher::DocStatus CVaultoraDoc::WriteDocumentFile(const QString& path, std::string_view passwordUtf8) {
    platform::SecureString text;
    if (!BuildPasswordsText(m_lists, text))
        return {cipher::DocResult::CannotBuildText, 0};
    return cipher::WriteDocumentFile(QFile::encodeName(path).toStdString(), passwordUtf8, text.view(), m_nFormat);
}
