#include "docs/RecoveryKeeper.h"

#include "docs/EncryptedDocument.h"
#include "framework/DocTemplate.h"
#include "framework/WinApp.h"
#include "platform/TickCount.h"

CRecoveryKeeper::CRecoveryKeeper(QObject* parent) : QObject(parent), m_dwLastRound(platform::GetTickCount()) {
    connect(&m_timer, &QTimer::timeout, this, &CRecoveryKeeper::OnTick);
    m_timer.start(1000);
}

void CRecoveryKeeper::OnTick() {
    const uint32_t now = platform::GetTickCount();
    if (now - m_dwLastRound < kRoundMs)
        return;
    m_dwLastRound = now;
    WriteAll();
}

void CRecoveryKeeper::WriteAll() {
    CWinApp* app = AfxGetApp();
    if (!app)
        return;
    for (const auto& docTemplate : app->GetDocTemplates()) {
        // A copy: writing never opens or closes documents, but the list is the template's own.
        const std::vector<CDocument*> documents = docTemplate->GetDocuments();
        for (CDocument* document : documents) {
            if (auto* encrypted = dynamic_cast<CEncryptedDocument*>(document); encrypted && !encrypted->IsClosing())
                encrypted->WriteRecoveryCopy();
        }
    }
}
