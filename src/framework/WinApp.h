#pragma once

#include "framework/CmdTarget.h"

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QPrinter;
class QSettings;
class QWidget;
class CDocument;
class CMDIFrameWnd;
class CMultiDocTemplate;
class CRecentFileList;

// The application object: document templates, the main window, the per-user profile with its
// recent-file list, and the application-wide commands (Exit, recent files, Print Setup).
// Exactly one exists at a time; AfxGetApp() returns it.
class CWinApp : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    explicit CWinApp(const QString& appName);
    ~CWinApp() override;

    const QString& GetAppName() const { return m_strAppName; }

    CMultiDocTemplate* AddDocTemplate(std::unique_ptr<CMultiDocTemplate> pTemplate);
    const std::vector<std::unique_ptr<CMultiDocTemplate>>& GetDocTemplates() const { return m_templates; }

    // Opens a file with the template its extension names; a file already open is activated instead.
    virtual CDocument* OpenDocumentFile(const QString& path);
    bool SaveAllModified();
    void CloseAllDocuments();

    // The profile: an INI file named after the registry key and the application name.
    void SetRegistryKey(const QString& company);
    void LoadStdProfileSettings(int nMaxMRU);
    int GetProfileInt(const QString& section, const QString& entry, int nDefault);
    bool WriteProfileInt(const QString& section, const QString& entry, int nValue);
    QString GetProfileString(const QString& section, const QString& entry, const QString& def = {});
    bool WriteProfileString(const QString& section, const QString& entry, const QString& value);
    QString GetProfilePath();

    void AddToRecentFileList(const QString& path);
    CRecentFileList* GetRecentFileList() const { return m_pRecentFileList.get(); }

    QPrinter* GetPrinter();

    CMDIFrameWnd* m_pMainWnd = nullptr;

protected:
    void OnAppExit();
    void OnFilePrintSetup();
    void OnOpenRecentFile(int index);

private:
    QSettings& Profile();

    QString m_strAppName;
    QString m_strRegistryKey;
    std::unique_ptr<QSettings> m_pProfile;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    std::vector<std::unique_ptr<CMultiDocTemplate>> m_templates;
    std::unique_ptr<QPrinter> m_pPrinter;
};

CWinApp* AfxGetApp();
CMDIFrameWnd* AfxGetMainFrame();
QWidget* AfxGetMainWnd();
