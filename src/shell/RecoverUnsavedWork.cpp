#include "shell/RecoverUnsavedWork.h"

#include "cipher/RecoveryFile.h"
#include "docs/EncryptedDocument.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "shell/RecoverDlg.h"

#include <QString>

namespace {

std::vector<cipher::RecoveryCopy> CopiesToOffer() {
    std::vector<cipher::RecoveryCopy> copies = cipher::ListRecoveryCopies(CEncryptedDocument::RecoveryFolder());
    // The copies this session's own documents keep are theirs, not left behind.
    CEditorApp* app = GetEditorApp();
    if (!app)
        return copies;
    std::erase_if(copies, [app](const cipher::RecoveryCopy& copy) {
        const QString path = QString::fromStdString(copy.info.path);
        for (const auto& docTemplate : app->GetDocTemplates()) {
            for (CDocument* doc : docTemplate->GetDocuments()) {
                if (!doc->GetPathName().isEmpty() && CEncryptedDocument::SamePath(doc->GetPathName(), path))
                    return true;
            }
        }
        return false;
    });
    return copies;
}

} // namespace

bool HasRecoveryCopies() {
    return !CopiesToOffer().empty();
}

void OfferRecovery(bool bAsked) {
    CEditorApp* app = GetEditorApp();
    if (!app)
        return;
    const std::vector<cipher::RecoveryCopy> copies = CopiesToOffer();
    if (copies.empty()) {
        if (bAsked)
            AfxMessageBox(QStringLiteral("There is no unsaved work to recover."), MB_ICONINFORMATION);
        return;
    }
    CRecoverDlg dialog(app->GetMainFrame());
    dialog.m_copies = copies;
    switch (dialog.DoModal()) {
    case CRecoverDlg::kRecover:
        for (const cipher::RecoveryCopy& copy : copies) {
            const bool bPasswords =
                QString::fromStdString(copy.info.path).endsWith(QStringLiteral(".kvd"), Qt::CaseInsensitive);
            CMultiDocTemplate* docTemplate = bPasswords ? app->GetPasswordsTemplate() : app->GetTextTemplate();
            auto* doc = dynamic_cast<CEncryptedDocument*>(docTemplate->OpenDocumentFile(QString()));
            // A copy whose password was not given stays for the next time.
            if (doc && !doc->RecoverFrom(copy))
                doc->OnCloseDocument();
        }
        break;
    case CRecoverDlg::kDiscard:
        for (const cipher::RecoveryCopy& copy : copies)
            cipher::RemoveRecoveryCopy(CEncryptedDocument::RecoveryFolder(), copy.info.path);
        break;
    default:
        break;
    }
}
