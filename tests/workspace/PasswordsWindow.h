#pragma once

// What the workspace and form tests share: passwords windows over documents the test fills, built
// the way the passwords template builds them but without a file to read, in a bare main frame.

#include "common/GuiTestEnv.h"

#include "framework/DocTemplate.h"
#include "framework/MDIFrameWnd.h"
#include "framework/WinApp.h"
#include "passwords/VaultoraDoc.h"
#include "passwords/VaultoraView.h"
#include "shell/LockSettings.h"
#include "shell/ScreenLock.h"
#include "workspace/LeftView.h"
#include "workspace/MailAccView.h"
#include "workspace/OtherAccView.h"
#include "workspace/SwitchSplitterWnd.h"
#include "workspace/VaultoraChildFrame.h"
#include "workspace/WebAccView.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp(QStringLiteral("Lockwarden Editor")) { SetRegistryKey(QStringLiteral("LockwardenTest")); }
};

// The main window, which takes the accelerator keys once a test loads them.
class TestFrame : public CMDIFrameWnd {
public:
    using CMDIFrameWnd::LoadAccelTable;
    using CMDIFrameWnd::LoadMenu;
    using CMDIFrameWnd::ShowMenu;
};

// The pieces of one open passwords window.
struct Window {
    CVaultoraDoc* doc = nullptr;
    CVaultoraChildFrame* frame = nullptr;
    CLeftView* tree = nullptr;
    CSwitchSplitterWnd* splitter = nullptr;

    // The view number of the form the right pane shows now.
    int ShownView() const {
        auto it = splitter->GetCurrentViewMap().find(CSwitchSplitterWnd::PaneKey(0, 1));
        return it == splitter->GetCurrentViewMap().end() ? -1 : it->second;
    }
    template <class TForm> TForm* Form(int nView) const { return dynamic_cast<TForm*>(frame->GetView(nView)); }
    CWebAccView* WebForm() const { return Form<CWebAccView>(frame->m_nWebAccView); }
    CMailAccView* MailForm() const { return Form<CMailAccView>(frame->m_nMailAccView); }
    COtherAccView* OtherForm() const { return Form<COtherAccView>(frame->m_nOtherAccView); }
};

// The screen lock over the bare main frame, so that the tests see what the program counts as activity.
class BareLockHost : public CScreenLock::Host {
public:
    QWidget* m_pWindow = nullptr;
    LockSettingsRecord m_settings;

    QWidget* LockedWindow() override { return m_pWindow; }
    const LockSettingsRecord& LoadSettings() override { return m_settings; }
    const LockSettingsRecord& Settings() override { return m_settings; }
    void Cover(const QString&) override {}
    void Uncover() override {}
    void RunCommand(int) override {}
};

// The base of a test class that opens passwords windows: StartHost from init, StopHost from cleanup.
class PasswordsWindowTest : public QObject {
protected:
    GuiTestEnv m_env;
    std::unique_ptr<TestApp> m_app;
    std::unique_ptr<TestFrame> m_mainFrame;
    std::vector<CVaultoraDoc*> m_docs;
    BareLockHost m_lockHost;
    std::unique_ptr<CScreenLock> m_lock;

    // The activity stamp is cleared, and whether the user's input since set it again.
    void ForgetActivity() { m_lock->m_dwLastActivity = 0; }
    bool ActivityStamped() const { return m_lock->m_dwLastActivity != 0; }

    // A passwords window over a new document, given its accounts by fill.
    Window Open(const std::function<void(CVaultoraDoc&)>& fill = {}) {
        Window w;
        w.doc = new CVaultoraDoc;
        m_docs.push_back(w.doc);
        if (fill)
            fill(*w.doc);
        w.frame = new CVaultoraChildFrame;
        CCreateContext context;
        context.newView = [] { return static_cast<CView*>(new CVaultoraView); };
        context.pCurrentDoc = w.doc;
        if (!w.frame->LoadFrame(context))
            return {};
        w.frame->InitialUpdateFrame(w.doc, true);
        w.tree = w.frame->GetLeftView();
        w.splitter = w.frame->GetSplitter();
        QCoreApplication::processEvents();
        return w;
    }

    // The application and its main frame, shown at size (and made the active window when asked).
    void StartHost(const QSize& size, bool activate) {
        m_env.Reset();
        m_app = std::make_unique<TestApp>();
        m_mainFrame = std::make_unique<TestFrame>();
        m_app->m_pMainWnd = m_mainFrame.get();
        m_lockHost.m_pWindow = m_mainFrame.get();
        m_lock = std::make_unique<CScreenLock>(m_lockHost, m_mainFrame.get());
        m_mainFrame->resize(size);
        m_mainFrame->show();
        if (activate) {
            m_mainFrame->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_mainFrame.get()));
        }
    }

    void StopHost() {
        for (CVaultoraDoc* doc : m_docs) {
            if (!doc->GetDocTemplate())
                doc->OnCloseDocument();
        }
        m_docs.clear();
        m_app->CloseAllDocuments();
        GuiTestEnv::FlushDeletes();
        m_app->m_pMainWnd = nullptr;
        m_lock.reset();
        m_mainFrame.reset();
        m_app.reset();
        GuiTestEnv::FlushDeletes();
        MessageBox::clearAnswers();
    }
};
