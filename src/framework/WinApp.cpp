#include "framework/WinApp.h"

#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/KeyGuard.h"
#include "framework/MDIChildWnd.h"
#include "framework/MDIFrameWnd.h"
#include "framework/RecentFileList.h"
#include "framework/StandardIds.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QSettings>

namespace {
CWinApp* g_pApp = nullptr;
}

CWinApp* AfxGetApp() {
    return g_pApp;
}
CMDIFrameWnd* AfxGetMainFrame() {
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}
QWidget* AfxGetMainWnd() {
    return AfxGetMainFrame();
}

CWinApp::CWinApp(const QString& appName) : m_strAppName(appName) {
    g_pApp = this;
    new CKeyGuard(this);
    MapCommand(ID_APP_EXIT, [this] { OnAppExit(); });
    MapCommand(ID_FILE_PRINT_SETUP, [this] { OnFilePrintSetup(); });
    for (int i = 0; i < RECENT_FILE_COUNT; ++i) {
        MapCommand(
            ID_FILE_MRU_FILE1 + i, [this, i] { OnOpenRecentFile(i); },
            [this, i](CCmdUI& ui) { ui.Enable(m_pRecentFileList && i < m_pRecentFileList->GetSize()); });
    }
}

CWinApp::~CWinApp() {
    // Documents closed during the run are deleted from the event loop; finish that while Qt still runs.
    if (QCoreApplication::instance())
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_templates.clear();
    if (g_pApp == this)
        g_pApp = nullptr;
}

CMultiDocTemplate* CWinApp::AddDocTemplate(std::unique_ptr<CMultiDocTemplate> pTemplate) {
    m_templates.push_back(std::move(pTemplate));
    return m_templates.back().get();
}

CDocument* CWinApp::OpenDocumentFile(const QString& path) {
    if (m_templates.empty() || path.isEmpty())
        return nullptr;
    CMultiDocTemplate* best = nullptr;
    CMultiDocTemplate::Confidence bestMatch = CMultiDocTemplate::noAttempt;
    for (const auto& docTemplate : m_templates) {
        CDocument* openDoc = nullptr;
        const CMultiDocTemplate::Confidence match = docTemplate->MatchDocType(path, openDoc);
        if (match == CMultiDocTemplate::yesAlreadyOpen) {
            const std::vector<CMDIChildWnd*> frames = openDoc->GetFrames();
            if (!frames.empty()) {
                CMDIChildWnd* frame = frames.front();
                if (frame->isMinimized())
                    frame->showNormal();
                if (QMdiArea* area = frame->mdiArea())
                    area->setActiveSubWindow(frame);
            }
            return openDoc;
        }
        if (match > bestMatch) {
            bestMatch = match;
            best = docTemplate.get();
        }
    }
    return best ? best->OpenDocumentFile(QFileInfo(path).absoluteFilePath()) : nullptr;
}

bool CWinApp::SaveAllModified() {
    for (const auto& docTemplate : m_templates) {
        if (!docTemplate->SaveAllModified())
            return false;
    }
    return true;
}

void CWinApp::CloseAllDocuments() {
    for (const auto& docTemplate : m_templates)
        docTemplate->CloseAllDocuments();
}

void CWinApp::SetRegistryKey(const QString& company) {
    m_strRegistryKey = company;
    m_pProfile.reset();
}

QSettings& CWinApp::Profile() {
    if (!m_pProfile)
        m_pProfile =
            std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, m_strRegistryKey, m_strAppName);
    return *m_pProfile;
}

QString CWinApp::GetProfilePath() {
    return Profile().fileName();
}

void CWinApp::LoadStdProfileSettings(int nMaxMRU) {
    m_pRecentFileList = std::make_unique<CRecentFileList>(QStringLiteral("Recent File List"), nMaxMRU);
    m_pRecentFileList->ReadList(Profile());
}

int CWinApp::GetProfileInt(const QString& section, const QString& entry, int nDefault) {
    bool ok = false;
    const int value = Profile().value(section + QLatin1Char('/') + entry).toInt(&ok);
    return ok ? value : nDefault;
}

bool CWinApp::WriteProfileInt(const QString& section, const QString& entry, int nValue) {
    Profile().setValue(section + QLatin1Char('/') + entry, nValue);
    Profile().sync();
    return Profile().status() == QSettings::NoError;
}

QString CWinApp::GetProfileString(const QString& section, const QString& entry, const QString& def) {
    return Profile().value(section + QLatin1Char('/') + entry, def).toString();
}

bool CWinApp::WriteProfileString(const QString& section, const QString& entry, const QString& value) {
    Profile().setValue(section + QLatin1Char('/') + entry, value);
    Profile().sync();
    return Profile().status() == QSettings::NoError;
}

void CWinApp::AddToRecentFileList(const QString& path) {
    if (!m_pRecentFileList)
        return;
    m_pRecentFileList->Add(path);
    m_pRecentFileList->WriteList(Profile());
}

QPrinter* CWinApp::GetPrinter() {
    if (!m_pPrinter)
        m_pPrinter = std::make_unique<QPrinter>();
    return m_pPrinter.get();
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd)
        m_pMainWnd->close();
}

void CWinApp::OnFilePrintSetup() {
    QPageSetupDialog dialog(GetPrinter(), m_pMainWnd);
    dialog.exec();
}

void CWinApp::OnOpenRecentFile(int index) {
    if (!m_pRecentFileList || index >= m_pRecentFileList->GetSize())
        return;
    const QString path = (*m_pRecentFileList)[index];
    if (OpenDocumentFile(path))
        return;
    // Only a file that is gone leaves the list; a cancelled password prompt or a wrong password does not.
    if (!QFileInfo::exists(path)) {
        m_pRecentFileList->Remove(index);
        m_pRecentFileList->WriteList(Profile());
    }
}
