// The document's unsaved work kept in the recovery folder, and taken back from there.
#include "docs/EncryptedDocument.h"
#include "docs/EnterPasswordDlg.h"
#include "framework/BackgroundWork.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/StatusBar.h"
#include "framework/WinApp.h"
#include "platform/DataFolder.h"
#include "res/resource.h"

#include <QFile>
#include <ctime>

std::string CEncryptedDocument::RecoveryFolder() {
    return platform::GetRecoveryFolder();
}

bool CEncryptedDocument::WriteRecoveryCopy() {
    if (!IsModified() || m_szFilePassword.empty() || m_strFilePath.isEmpty())
        return true;
    platform::SecureString text;
    if (!BuildClearText(text))
        return false;
    const cipher::Sha256 content = cipher::Sha256Of(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (m_bHasCopy && m_copiedContent == content)
        return true;

    cipher::DocResult result = cipher::DocResult::Ok;
    if (!m_recoveryKey.IsReady() || m_recoveryKeyPassword != m_szFilePassword) {
        // Derived once per password: the copies of a minute's work must not cost a second each.
        RunInBackground([&] { result = m_recoveryKey.Derive(m_szFilePassword.view(), cipher::NewStrongCost()); });
        m_recoveryKeyPassword = result == cipher::DocResult::Ok ? m_szFilePassword : platform::SecureString();
    }
    cipher::DocStatus status{result, 0};
    if (status.ok()) {
        platform::SecureBytes strong;
        status.result = m_recoveryKey.Encode(text.view(), strong);
        if (status.ok()) {
            cipher::RecoveryInfo info;
            info.path = m_strFilePath.toStdString();
            info.timeWritten = static_cast<int64_t>(std::time(nullptr));
            if (m_diskVersion && !m_bDeletedOnDisk) {
                info.base = m_diskVersion->identity;
                info.baseHash = m_diskVersion->sha256;
            }
            status = cipher::WriteRecoveryCopy(RecoveryFolder(), info, strong);
        }
    }
    if (!status.ok()) {
        const std::string folder = RecoveryFolder();
        ShowStatus(
            QStringLiteral("No recovery copy of %1: %2")
                .arg(BareFileName(m_strFilePath), QString::fromStdString(cipher::DescribeFailure(status, folder))));
        return false;
    }
    m_bHasCopy = true;
    m_copiedContent = content;
    return true;
}

void CEncryptedDocument::RemoveRecoveryCopy() {
    // Only the copy this document wrote or recovered: one left by another session for the same file
    // waits for the user's decision.
    if (!m_bHasCopy)
        return;
    cipher::RemoveRecoveryCopy(RecoveryFolder(), m_strFilePath.toStdString());
    m_bHasCopy = false;
    m_copiedContent.reset();
}

void CEncryptedDocument::OnCloseDocument() {
    RemoveRecoveryCopy();
    CDocument::OnCloseDocument();
}

bool CEncryptedDocument::RecoverFrom(const cipher::RecoveryCopy& copy) {
    const QString path = QString::fromStdString(copy.info.path);
    platform::SecureBytes bytes;
    uint32_t error = 0;
    if (!cipher::ReadWholeFile(copy.file, bytes, &error)) {
        AfxMessageBox(
            QString::fromStdString(cipher::DescribeFailure({cipher::DocResult::CannotRead, error}, copy.file)),
            MB_ICONEXCLAMATION);
        return false;
    }
    cipher::RecoveryInfo info;
    size_t offset = 0;
    if (cipher::ParseRecoveryHeader(bytes.data(), bytes.size(), bytes.size(), info, &offset) != cipher::DocResult::Ok) {
        AfxMessageBox(QStringLiteral("The recovery copy of \"%1\" is damaged.").arg(path), MB_ICONEXCLAMATION);
        return false;
    }
    const platform::SecureBytes strong(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end());

    platform::SecureString password;
    cipher::DocStatus status{cipher::DocResult::WrongPassword, 0};
    while (status.result == cipher::DocResult::WrongPassword) {
        const auto ask = CEnterPasswordDlg::ForFile(path, QStringLiteral("Unsaved work of this file was recovered."));
        if (ask->DoModal() != IDOK)
            return false;
        password = ask->TakePassword();
        status = DecodeVersion(strong, password.view());
    }
    if (!status.ok()) {
        AfxMessageBox(QString::fromStdString(cipher::DescribeFailure(status, copy.file)), MB_ICONEXCLAMATION);
        return false;
    }
    SetPathName(path); // first: the views show the document's file as they take the content
    TakeDecodedVersion();
    m_szFilePassword = std::move(password);
    SetModifiedFlag(true);
    m_bHasCopy = true; // the copy is this document's now: it goes when the work is saved or given up

    // The file as the work found it is what a save may replace, and the base of a merge; the format
    // is the file's own, or the one for new documents when the file is gone.
    m_nFormat = GetNewDocumentsStrong() ? cipher::DocFormat::Strong : cipher::DocFormat::Compatible;
    const std::string file = QFile::encodeName(path).toStdString();
    platform::SecureBytes diskBytes;
    cipher::FileVersion onDisk;
    if (cipher::ReadWholeFile(file, diskBytes, nullptr, &onDisk)) {
        m_nFormat = cipher::IsStrongFile(diskBytes.data(), diskBytes.size()) ? cipher::DocFormat::Strong
                                                                             : cipher::DocFormat::Compatible;
        if (onDisk.sha256 == info.baseHash && DecodeVersion(diskBytes, m_szFilePassword.view()).ok())
            KeepDecodedAsBase();
        else
            DropDecodedVersion();
    }
    SetDiskVersion({info.base, info.baseHash});
    // Looked at once the document is up: a file changed (or gone) since the work was lost is asked about.
    QMetaObject::invokeMethod(this, &CEncryptedDocument::LookAtDisk, Qt::QueuedConnection);
    return true;
}
