#include "docs/EncryptedDocument.h"

#include "docs/DiskWatch.h"
#include "docs/DocumentEncryptionDlg.h"
#include "docs/EnterPasswordDlg.h"
#include "docs/LockGate.h"
#include "docs/SaveChangesDlg.h"
#include "docs/SetPasswordDlg.h"
#include "docs/TimedFileDialog.h"
#include "framework/BackgroundWork.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/WinApp.h"
#include "res/resource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// Deriving the key of a strong file takes about a second: the user sees the program at work.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

const QString kSettingsSection = QStringLiteral("Settings");
const QString kNewStrongEntry = QStringLiteral("NewDocumentsStrong");

} // namespace

CEncryptedDocument::CEncryptedDocument(const char* szExtension, const char* szSaveFilter)
    : m_strExtension(QString::fromLatin1(szExtension)), m_strSaveFilter(QString::fromLatin1(szSaveFilter)) {
    MapCommand(ID_FILE_NEW, [this] { OnFileNew(); });
    MapCommand(ID_FILE_OPEN, [this] { OnFileOpen(); });
    MapCommand(ID_FILE_SAVE, [this] { OnFileSave(); });
    MapCommand(ID_FILE_SAVE_AS, [this] { OnFileSaveAs(); });
    MapCommand(ID_SET_FILE_PASSWORD, [this] { OnSetFilePassword(); });
    MapCommand(ID_SETTINGS_DOCUMENT_ENCRYPTION, [this] { CDocumentEncryptionDlg::Run(this); });
    MapUpdate(ID_INDICATOR_ENCRYPTION, [this](CCmdUI& ui) { ui.SetText(FormatPaneText(m_nFormat)); });
    // Coming back to the program is a moment to look at the file again: a watch may miss changes on
    // network shares and removable disks.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_pDiskWatch)
            m_pDiskWatch->Poke();
    });
}

bool CEncryptedDocument::GetNewDocumentsStrong() {
    CWinApp* app = AfxGetApp();
    // Strong unless the user chose otherwise: the compatible format is quick to guess.
    return !app || app->GetProfileInt(kSettingsSection, kNewStrongEntry, 1) != 0;
}

void CEncryptedDocument::SetNewDocumentsStrong(bool bStrong) {
    if (CWinApp* app = AfxGetApp())
        app->WriteProfileInt(kSettingsSection, kNewStrongEntry, bStrong ? 1 : 0);
}

QString CEncryptedDocument::FormatPaneText(cipher::DocFormat format) {
    return format == cipher::DocFormat::Strong ? QStringLiteral("Strong") : QStringLiteral("Compatible");
}

CEncryptedDocument::~CEncryptedDocument() {
    m_szFilePassword.Wipe();
}

QString CEncryptedDocument::BareFileName(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString CEncryptedDocument::TitleAsFileName() const {
    const QString& title = GetTitle();
    return title.contains(QLatin1Char('.')) ? title : title + m_strExtension;
}

QString CEncryptedDocument::WithExtension(const QString& path) const {
    // Only the file's own name counts: a dot in a folder name ("/home/jane.doe/notes") says nothing
    // about the file's type, and a file saved without its extension would not be offered by Open.
    return BareFileName(path).contains(QLatin1Char('.')) ? path : path + m_strExtension;
}

bool CEncryptedDocument::OnNewDocument() {
    if (!CDocument::OnNewDocument())
        return false;
    m_szFilePassword.Wipe();
    m_nFormat = GetNewDocumentsStrong() ? cipher::DocFormat::Strong : cipher::DocFormat::Compatible;
    return true;
}

QString CEncryptedDocument::WhyNotOpenable(const QString& path) {
    // Asked before the password: a question whose answer can't matter is a waste of the user's
    // time, and a pipe or device opened for reading could wait for ever.
    const QFileInfo info(path);
    const QString name = QStringLiteral("\"%1\"").arg(path);
    if (!info.exists())
        return QStringLiteral("Cannot open %1: the file does not exist.").arg(name);
    if (info.isDir())
        return QStringLiteral("Cannot open %1: it is a folder, not a file.").arg(name);
    if (!info.isFile())
        return QStringLiteral("Cannot open %1: it is a device or a pipe, not a file.").arg(name);
    if (info.size() == 0)
        return QStringLiteral("Cannot open %1: the file is empty.").arg(name);
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0)
        return QStringLiteral("Cannot open %1: %2.").arg(name, QString::fromLocal8Bit(std::strerror(errno)));
    return QString();
}

bool CEncryptedDocument::OnOpenDocument(const QString& path) {
    // Named at once: the questions that follow name the file.
    SetPathName(path, false);

    if (const QString problem = WhyNotOpenable(path); !problem.isEmpty()) {
        AfxMessageBox(problem, MB_ICONEXCLAMATION);
        return false;
    }
    const std::string file = QFile::encodeName(path).toStdString();
    platform::SecureBytes fileBytes;
    cipher::FileVersion version;
    bool bRead = false;
    cipher::DocStatus status;
    // A wrong password is said, then asked again: a typing slip is no reason to start the open over.
    // Cancel, or the screen lock closing the question, ends the open.
    for (;;) {
        const std::unique_ptr<CEnterPasswordDlg> prompt = CEnterPasswordDlg::ForOpening(path);
        if (prompt->DoModal() != IDOK)
            return false;
        m_szFilePassword = prompt->TakePassword();
        {
            WaitCursor wait;
            // Read once: the bytes the first answer was tried on are the ones the next is tried on.
            uint32_t error = 0;
            if (!bRead)
                RunInBackground([&] { bRead = cipher::ReadWholeFile(file, fileBytes, &error, &version); });
            status = bRead ? DecodeVersion(fileBytes, m_szFilePassword.view())
                           : cipher::DocStatus{cipher::DocResult::CannotRead, error};
        }
        // An empty file holds nothing to decipher: it is a file that can't be read, not a wrong password.
        if (status.result == cipher::DocResult::WrongPassword && fileBytes.size() == 0)
            status = {cipher::DocResult::CannotRead, 0};
        if (!status.ok())
            DropDecodedVersion();
        if (status.result != cipher::DocResult::WrongPassword)
            break;
        m_szFilePassword.Wipe();
        CDecryptFailedDlg failed;
        failed.m_strFileName = BareFileName(path);
        failed.DoModal();
    }
    if (!status.ok()) {
        // A file that can't be read at all is no question of the password: say which and why,
        // rather than leave the user wondering why nothing opened.
        const QFileInfo info(path);
        const QString message = info.isFile() && info.size() == 0
                                    ? QStringLiteral("Cannot open \"%1\": the file is empty.").arg(path)
                                    : QString::fromStdString(cipher::DescribeFailure(status, path.toStdString()));
        AfxMessageBox(message, MB_ICONEXCLAMATION);
        return false;
    }
    TakeDecodedVersion();
    m_nFormat = status.format; // Save keeps the format the file is in
    SetModifiedFlag(false);
    SetDiskVersion(version);
    return true;
}

bool CEncryptedDocument::OnSaveDocument(const QString& path) {
    // Writing the document's own file: first see whether another program wrote it since.
    const bool bOwnFile = !m_strFilePath.isEmpty() && SamePath(path, m_strFilePath);
    // False when the save stops here; `bSaved` then says whether the user saved the document elsewhere.
    bool bSaved = false;
    const auto mayWrite = [this, &bSaved] {
        const DiskVerdict verdict = ReconcileWithDisk(true);
        bSaved = verdict == DiskVerdict::SavedElsewhere;
        return verdict == DiskVerdict::Proceed;
    };
    if (bOwnFile && !mayWrite())
        return bSaved;
    CSetPasswordDlg ask;
    ask.m_nFormat = m_nFormat;
    ask.SetPassword(m_szFilePassword);
    ask.SetDocumentPath(path);
    if (ask.DoModal() != IDOK)
        return false; // cancelled, or closed by the screen lock: nothing written, nothing changed
    // The document takes the password once the file is written under it.
    const platform::SecureString password = ask.TakePassword();

    cipher::DocStatus status;
    cipher::FileVersion written;
    for (int attempt = 0;; ++attempt) {
        // Only the version the document knows may be replaced: one written meanwhile (while the
        // password was asked, or one the watcher never reported) fails the write, and is looked at.
        cipher::ReplaceRule rule;
        if (bOwnFile && m_diskVersion)
            rule.expected = m_bDeletedOnDisk ? cipher::FileIdentity{}
                                             : (m_keptOver ? m_keptOver->identity : m_diskVersion->identity);
        {
            WaitCursor wait;
            status = WriteDocumentFile(path, password.view(), rule, written);
        }
        if (status.ok() || status.systemError != cipher::kChangedMeanwhile || attempt == 2)
            break;
        if (!mayWrite())
            return bSaved;
    }
    if (!status.ok()) {
        AfxMessageBox(QString::fromStdString(cipher::DescribeFailure(status, path.toStdString())), MB_ICONEXCLAMATION);
        return false;
    }
    m_szFilePassword = password;
    RemoveRecoveryCopy(); // the work is saved: under the name it had, should it change now
    // The document names the file it was last written to, never one it failed to write.
    SetPathName(path, false);
    SetModifiedFlag(false);
    SetDiskVersion(written);
    return true;
}

bool CEncryptedDocument::SamePath(const QString& a, const QString& b) {
    const auto normal = [](const QString& path) {
        const QFileInfo info(path);
        return info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    };
    return normal(a) == normal(b);
}

bool CEncryptedDocument::OnFileSave() {
    if (m_strFilePath.isEmpty())
        return OnFileSaveAs();
    return OnSaveDocument(m_strFilePath);
}

bool CEncryptedDocument::OnFileSaveAs() {
    // The proposal lies in the document's own folder when it has one.
    QString proposal = TitleAsFileName();
    if (!m_strFilePath.isEmpty())
        proposal = QFileInfo(m_strFilePath).dir().filePath(proposal);
    CTimedFileDialog dialog(false, QString(), proposal, 0, m_strSaveFilter);
    if (dialog.DoModal() != IDOK)
        return false;

    const QString path = WithExtension(dialog.GetPathName());
    if (QFileInfo::exists(path)) {
        CReplaceFileDlg replace;
        if (replace.DoModal() != IDOK)
            return false;
    }
    if (!OnSaveDocument(path))
        return false;
    // Renamed (and remembered in the recent files) only once the file is there: the one written,
    // which a question about the file on disk may have sent elsewhere.
    const QString written = m_strFilePath;
    SetPathName(written);
    return true;
}

void CEncryptedDocument::OnSetFilePassword() {
    CSetPasswordDlg ask;
    ask.m_bSetMode = 1;
    ask.m_nFormat = m_nFormat;
    ask.SetPassword(m_szFilePassword);
    ask.SetDocumentPath(m_strFilePath);
    if (ask.DoModal() != IDOK)
        return;
    m_szFilePassword = ask.TakePassword();
    // The new password is a change like any other: closing asks to save it, so that a user who
    // replaced a password is never left with the file still under the old one without a word.
    SetModifiedFlag(true);
}

bool CEncryptedDocument::SaveModified() {
    if (CLockGate* lock = CLockGate::Get(); lock && lock->IsLocked() && !lock->PromptUnlock())
        return false;
    if (!IsModified())
        return true;

    CSaveChangesDlg question;
    question.m_strDocumentName = m_strFilePath.isEmpty() ? TitleAsFileName() : m_strFilePath;
    switch (question.DoModal()) {
    case IDYES:
        // A save that was abandoned or failed keeps the document open with its changes.
        return OnFileSave();
    case IDNO:
        return true;
    default:
        return false;
    }
}

// The frame's own command map, not the route: that would lead back here through the active document.
void CEncryptedDocument::OnFileNew() {
    if (CMDIFrameWnd* frame = AfxGetMainFrame())
        frame->OnCmdMsg(ID_FILE_NEW);
}

void CEncryptedDocument::OnFileOpen() {
    if (CMDIFrameWnd* frame = AfxGetMainFrame())
        frame->OnCmdMsg(ID_FILE_OPEN);
}
