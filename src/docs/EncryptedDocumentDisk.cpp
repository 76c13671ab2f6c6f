// The document and the file on disk: what another program wrote meanwhile.
#include "docs/DiskChangedDlg.h"
#include "docs/DiskWatch.h"
#include "docs/EncryptedDocument.h"
#include "docs/EnterPasswordDlg.h"
#include "docs/LockGate.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/StatusBar.h"
#include "framework/WinApp.h"
#include "res/resource.h"

#include <QApplication>
#include <QFile>
#include <QScopedValueRollback>

namespace {
const QString kChangedPasswordNotice = QStringLiteral("It was changed on disk under another password, or damaged.");
} // namespace

const QString CEncryptedDocument::kReloadedMessage = QStringLiteral("Reloaded: the file was changed on disk.");
const QString CEncryptedDocument::kDeletedMessage = QStringLiteral("Deleted on disk: a save writes it again.");
const QString CEncryptedDocument::kMergedMessage = QStringLiteral("Merged: the file was changed on disk.");

QString CEncryptedDocument::GetDisplayTitle() const {
    const QString name = CDocument::GetDisplayTitle();
    return m_bDeletedOnDisk ? name + QStringLiteral(" (deleted on disk)") : name;
}

void CEncryptedDocument::ShowStatus(const QString& text) {
    CMDIFrameWnd* frame = AfxGetMainFrame();
    if (CStatusBar* bar = frame ? frame->GetStatusBar() : nullptr)
        bar->SetPaneText(0, text);
}

void CEncryptedDocument::SetDiskVersion(const cipher::FileVersion& version) {
    m_diskVersion = version;
    m_keptOver.reset();
    m_declined.reset();
    MarkDeletedOnDisk(false);
    if (!m_pDiskWatch) {
        m_pDiskWatch = new CDiskWatch(this);
        connect(m_pDiskWatch, &CDiskWatch::settled, this, &CEncryptedDocument::LookAtDisk);
    }
    m_pDiskWatch->Watch(m_strFilePath);
}

void CEncryptedDocument::MarkDeletedOnDisk(bool bDeleted) {
    if (bDeleted == m_bDeletedOnDisk)
        return;
    m_bDeletedOnDisk = bDeleted;
    if (bDeleted) {
        // Nothing on disk holds the document any more: closing must ask to save it.
        SetModifiedFlag(true);
        ShowStatus(kDeletedMessage);
    }
    UpdateFrameTitles();
}

void CEncryptedDocument::LookAtDisk() {
    if (IsClosing() || m_bReconciling || !m_pDiskWatch)
        return;
    // A question must not come up behind the lock window or over another dialog: try again later.
    const CLockGate* lock = CLockGate::Get();
    if ((lock && lock->IsLocked()) || QApplication::activeModalWidget()) {
        m_pDiskWatch->Poke();
        return;
    }
    ReconcileWithDisk(false);
}

bool CEncryptedDocument::IsKnownVersion(const cipher::FileVersion& version, bool bBeforeSave) {
    // A version known by its bytes under a new identity (touched, or copied back) is still known.
    for (std::optional<cipher::FileVersion>* known : {&m_diskVersion, &m_keptOver, &m_declined}) {
        if (bBeforeSave && known == &m_declined)
            continue; // left undecided: a save asks again
        if (*known && (*known)->SameBytes(version)) {
            (*known)->identity = version.identity;
            return true;
        }
    }
    return false;
}

CEncryptedDocument::DiskVerdict CEncryptedDocument::ReconcileWithDisk(bool bBeforeSave) {
    if (m_strFilePath.isEmpty() || !m_diskVersion || m_bReconciling)
        return DiskVerdict::Proceed;
    QScopedValueRollback busy(m_bReconciling, true);
    const std::string file = QFile::encodeName(m_strFilePath).toStdString();
    const cipher::FileIdentity identity = cipher::IdentityOf(file);
    if (!identity.exists) {
        MarkDeletedOnDisk(true);
        return DiskVerdict::Proceed;
    }
    MarkDeletedOnDisk(false);
    // The identity alone settles the common case without reading the file.
    const auto sameIdentity = [&identity](const std::optional<cipher::FileVersion>& known) {
        return known && known->identity == identity;
    };
    if (sameIdentity(m_diskVersion) || sameIdentity(m_keptOver) || (!bBeforeSave && sameIdentity(m_declined)))
        return DiskVerdict::Proceed;

    platform::SecureBytes fileBytes;
    cipher::FileVersion version;
    uint32_t error = 0;
    if (!cipher::ReadWholeFile(file, fileBytes, &error, &version)) {
        const QString problem = QString::fromStdString(
            cipher::DescribeFailure({cipher::DocResult::CannotRead, error}, m_strFilePath.toStdString()));
        if (!bBeforeSave) {
            ShowStatus(problem);
            return DiskVerdict::Proceed;
        }
        // What can't be read can't be compared: writing over it could lose what another program put there.
        AfxMessageBox(problem, MB_ICONEXCLAMATION);
        return DiskVerdict::Cancelled;
    }
    if (IsKnownVersion(version, bBeforeSave))
        return DiskVerdict::Proceed;
    const DiskVerdict verdict = ActOnDiskVersion(fileBytes, version, bBeforeSave);
    if (verdict != DiskVerdict::SaveMineAs)
        return verdict;
    m_bReconciling = false; // the Save As looks at the disk again if it names this file

    return OnFileSaveAs() ? DiskVerdict::SavedElsewhere : DiskVerdict::Cancelled;
}

CEncryptedDocument::DiskVerdict CEncryptedDocument::ActOnDiskVersion(const platform::SecureBytes& fileBytes,
                                                                     const cipher::FileVersion& version,
                                                                     bool bBeforeSave) {
    platform::SecureString password = m_szFilePassword;
    cipher::DocStatus status = DecodeVersion(fileBytes, password.view());
    // A password rotated from a terminal, or a damaged file: the user may have the new password.
    while (status.result == cipher::DocResult::WrongPassword) {
        const std::unique_ptr<CEnterPasswordDlg> ask =
            CEnterPasswordDlg::ForFile(m_strFilePath, kChangedPasswordNotice);
        if (ask->DoModal() != IDOK) {
            DropDecodedVersion();
            return Undecided(version);
        }
        password = ask->TakePassword();
        status = DecodeVersion(fileBytes, password.view());
    }
    if (!status.ok()) {
        DropDecodedVersion();
        AfxMessageBox(QString::fromStdString(cipher::DescribeFailure(status, m_strFilePath.toStdString())),
                      MB_ICONEXCLAMATION);
        m_declined = version;
        return DiskVerdict::Cancelled;
    }
    if (!IsModified()) {
        TakeDiskVersion(version, std::move(password), status.format);
        // A save of a clean document has nothing left to write.
        return bBeforeSave ? DiskVerdict::Cancelled : DiskVerdict::Proceed;
    }

    CDiskChangedDlg question(CanMerge());
    question.m_strFileName = BareFileName(m_strFilePath);
    switch (question.DoModal()) {
    case IDC_DISK_MERGE:
        MergeDecodedVersion();
        // The merged content stands on the disk's version: it is the base of the next merge, and the
        // password that opens it is the document's from now on.
        m_szFilePassword = std::move(password);
        m_diskVersion = version;
        m_keptOver.reset();
        m_declined.reset();
        SetModifiedFlag(true);
        ShowStatus(kMergedMessage);
        return DiskVerdict::Cancelled;
    case IDC_DISK_RELOAD:
        TakeDiskVersion(version, std::move(password), status.format);
        return DiskVerdict::Cancelled;
    case IDC_DISK_KEEP_MINE:
        DropDecodedVersion();
        m_keptOver = version;
        m_declined.reset();
        return DiskVerdict::Proceed;
    case IDC_DISK_SAVE_MINE_AS:
        DropDecodedVersion();
        m_declined = version;
        return DiskVerdict::SaveMineAs;
    default:
        DropDecodedVersion();
        return Undecided(version);
    }
}

CEncryptedDocument::DiskVerdict CEncryptedDocument::Undecided(const cipher::FileVersion& version) {
    // Closed by the screen lock: nobody answered, so the question comes again after the unlock.
    if (const CLockGate* lock = CLockGate::Get(); lock && lock->IsLocked() && m_pDiskWatch) {
        m_pDiskWatch->Poke();
        return DiskVerdict::Cancelled;
    }
    m_declined = version;
    return DiskVerdict::Cancelled;
}

void CEncryptedDocument::TakeDiskVersion(const cipher::FileVersion& version, platform::SecureString password,
                                         cipher::DocFormat format) {
    TakeDecodedVersion();
    RemoveRecoveryCopy(); // the unsaved work was given up for the file's version
    m_szFilePassword = std::move(password);
    m_nFormat = format;
    SetModifiedFlag(false);
    SetDiskVersion(version);
    ShowStatus(kReloadedMessage);
}
