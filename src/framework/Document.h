#pragma once

#include "framework/CmdTarget.h"

#include <QObject>
#include <QString>
#include <vector>

class CView;
class CMDIChildWnd;
class CMultiDocTemplate;

// One open file (or an untitled new one): title, path name, modified flag and its views.
// A document is owned by its template; OnCloseDocument takes it out of the template and deletes it
// once control is back in the event loop, so a command handler of the document may close it.
class CDocument : public QObject, public CCmdTarget {
    Q_OBJECT
public:
    CDocument();
    ~CDocument() override;

    const QString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const QString& title);
    // The name the windows show: the title, "*" while modified, then the folder when another open
    // document has the same file name; a kind of document may add to it.
    virtual QString GetDisplayTitle() const;
    const QString& GetPathName() const { return m_strPathName; }
    // Stores the full path, makes its file name the title and adds it to the recent-file list.
    virtual void SetPathName(const QString& path, bool bAddToMRU = true);

    virtual bool IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(bool bModified = true);

    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const QString& path);
    virtual bool OnSaveDocument(const QString& path);
    // Asks whether the document may close; false keeps it open.
    virtual bool SaveModified();
    virtual bool CanCloseFrame(CMDIChildWnd* pFrame);
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}

    void AddView(CView* pView);
    void RemoveView(CView* pView);
    const std::vector<CView*>& GetViews() const { return m_views; }
    CView* GetFirstView() const { return m_views.empty() ? nullptr : m_views.front(); }
    void UpdateAllViews(CView* pSender, long lHint = 0);

    // The child frames that show this document's views.
    std::vector<CMDIChildWnd*> GetFrames() const;
    void UpdateFrameTitles();
    // Every open document's windows: one document's name or path decides whether others show their folder.
    static void UpdateAllFrameTitles();

    CMultiDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    bool IsClosing() const { return m_bClosing; }

protected:
    // File, Close: ask, then close.
    void OnFileClose();

private:
    friend class CMultiDocTemplate;
    QString m_strTitle;
    QString m_strPathName;
    bool m_bModified = false;
    bool m_bClosing = false;
    std::vector<CView*> m_views;
    CMultiDocTemplate* m_pDocTemplate = nullptr;
};
