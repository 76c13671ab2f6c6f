#pragma once

// Small document, view, frame and application classes that record what reaches them, so the
// framework's routing and document handling can be watched from a test.

#include "framework/DocTemplate.h"
#include "framework/Document.h"
#include "framework/MDIChildWnd.h"
#include "framework/MDIFrameWnd.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QString>
#include <QStringList>
#include <QWidget>

// Every recorder appends "<who>:<id>" to one shared log.
inline QStringList& CommandLog() {
    static QStringList log;
    return log;
}

class RecordingDoc : public CDocument {
public:
    static inline bool s_openSucceeds = true;
    static inline int s_constructed = 0;
    static inline int s_destroyed = 0;

    RecordingDoc() { ++s_constructed; }
    ~RecordingDoc() override { ++s_destroyed; }

    bool OnOpenDocument(const QString& path) override {
        m_openedPath = path;
        return s_openSucceeds && CDocument::OnOpenDocument(path);
    }
    void Handle(int nID) {
        MapCommand(nID, [nID] { CommandLog().push_back(QStringLiteral("doc:%1").arg(nID)); });
    }
    QString m_openedPath;
};

class RecordingView : public QWidget, public CView {
public:
    static inline std::vector<int> s_handledIds;
    static inline int s_initialUpdates = 0;

    RecordingView() {
        setFocusPolicy(Qt::StrongFocus);
        for (int nID : s_handledIds)
            Handle(nID);
    }
    QWidget* GetWnd() override { return this; }
    void OnInitialUpdate() override { ++s_initialUpdates; }
    void Handle(int nID) {
        MapCommand(nID, [nID] { CommandLog().push_back(QStringLiteral("view:%1").arg(nID)); });
    }
};

class RecordingChild : public CMDIChildWnd {
public:
    void Handle(int nID) {
        MapCommand(nID, [nID] { CommandLog().push_back(QStringLiteral("child:%1").arg(nID)); });
    }
};

class RecordingFrame : public CMDIFrameWnd {
public:
    RecordingFrame() { m_strTitle = QStringLiteral("Lockwarden Editor"); }
    void Handle(int nID) {
        MapCommand(nID, [nID] { CommandLog().push_back(QStringLiteral("frame:%1").arg(nID)); });
    }
    bool Build(int menuId, int accelId, int toolBarId) {
        return LoadMenu(menuId) && LoadAccelTable(accelId) && LoadToolBar(toolBarId) &&
               CreateStatusBar({57345, 101, 59137, 59138, 59139});
    }
    using CMDIFrameWnd::ShowMenu;
};

class RecordingApp : public CWinApp {
public:
    RecordingApp() : CWinApp(QStringLiteral("Lockwarden Editor")) {
        SetRegistryKey(QStringLiteral("LockwardenTest"));
        LoadStdProfileSettings(4);
    }
    void Handle(int nID) {
        MapCommand(nID, [nID] { CommandLog().push_back(QStringLiteral("app:%1").arg(nID)); });
    }
};
