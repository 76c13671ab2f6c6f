#include "ShellFixtures.h"

#include "controls/Label.h"
#include "controls/LinkLabel.h"
#include "framework/FileDialog.h"
#include "framework/KeyboardLocks.h"
#include "framework/MenuItemText.h"
#include "framework/MessageBox.h"
#include "framework/ModalAnswer.h"
#include "framework/ShellOpen.h"
#include "framework/StatusBar.h"
#include "res/Resources.h"
#include "res/resource.h"
#include "shell/AboutDlg.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "shell/NewDocumentDlg.h"
#include "shell/ProductInfo.h"
#include "shell/WelcomeDlg.h"

#include <QCheckBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <map>
#include <memory>

namespace {

// The editor with recording document types in place of the real ones.
int Setting(const char* name) {
    return Profile().value(QStringLiteral("Settings/") + QLatin1String(name), -1).toInt();
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RecordingEditorApp> m_app;
    QList<QUrl> m_opened;
    QStringList m_modalsSeen;
    GuiTestEnv m_env;

    // Starts the editor; every modal window that comes up during start-up is noted and closed.
    bool Start(const QStringList& arguments = {QStringLiteral("lockwarden-editor")}) {
        return m_env.Start(m_app, arguments, &m_modalsSeen);
    }
    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    // A file of one byte in the test's folder.
    QString WriteFile(const QString& name) {
        const QString path = m_env.FilePath(name);
        GuiTestEnv::WriteBytes(path, "x");
        return path;
    }

    void Stop() {
        if (m_app && Frame())
            Frame()->close();
        m_app.reset();
        GuiTestEnv::FlushDeletes();
    }

    // The first start's placement, centred (the platform may nudge a window at the screen's edge by its frame).
    void CheckFirstPlacement() {
        const QRect placement = CMainFrame::DefaultPlacement(QGuiApplication::primaryScreen()->availableGeometry());
        QCOMPARE(Frame()->size(), placement.size());
        QVERIFY2((Frame()->geometry().center() - placement.center()).manhattanLength() <= 8,
                 qPrintable(QStringLiteral("%1,%2").arg(Frame()->x()).arg(Frame()->y())));
    }

private slots:
    void initTestCase() {
        m_env.Begin(false);
        SetShellOpenHandler([this](const QUrl& url) {
            m_opened.push_back(url);
            return true;
        });
    }

    void init() {
        m_env.Reset(GuiTestEnv::Welcome::AsOnFirstRun);
        m_opened.clear();
        m_modalsSeen.clear();
        CommandLog().clear();
        RecordingView::s_handledIds.clear();
        RecordingDoc::s_openSucceeds = true;
    }

    void cleanup() {
        CancelModalAnswers();
        SetLockKeySource({});
        Stop();
    }

    // Start-up and placement.
    void firstRunPlacesWindowAndShowsWelcome() {
        QVERIFY(Start());
        CheckFirstPlacement();
        QCOMPARE(m_modalsSeen, QStringList({QStringLiteral("dlg135")}));
        QVERIFY(Frame()->isVisible());
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Lockwarden Editor"));
        QVERIFY(!Frame()->m_bLocked);
        QCOMPARE(Frame()->m_nLockTimeout, 10u);
        QVERIFY(Frame()->MDIClient()->subWindowList().isEmpty()); // no empty document at start-up
    }

    void placementComesBackAfterClose() {
        QVERIFY(Start());
        Frame()->setGeometry(130, 90, 400, 300);
        Stop();
        QCOMPARE(Setting("X"), 130);
        QCOMPARE(Setting("Y"), 90);
        QCOMPARE(Setting("CX"), 400);
        QCOMPARE(Setting("CY"), 300);
        QCOMPARE(Setting("XScreen"), CEditorApp::ScreenSize().width());
        QCOMPARE(Setting("YScreen"), CEditorApp::ScreenSize().height());
        QVERIFY(Start());
        QCOMPARE(Frame()->geometry(), QRect(130, 90, 400, 300));
    }

    void placementFromAnotherScreenSizeIsIgnored() {
        QSettings profile = Profile();
        profile.setValue(QStringLiteral("Settings/X"), 700);
        profile.setValue(QStringLiteral("Settings/Y"), 500);
        profile.setValue(QStringLiteral("Settings/CX"), 1500);
        profile.setValue(QStringLiteral("Settings/CY"), 1100);
        profile.setValue(QStringLiteral("Settings/XScreen"), CEditorApp::ScreenSize().width() + 1000);
        profile.setValue(QStringLiteral("Settings/YScreen"), CEditorApp::ScreenSize().height());
        profile.sync();
        QVERIFY(Start());
        CheckFirstPlacement();
    }

    void closeWhileMaximisedOrMinimisedSavesNormalRectangle() {
        QVERIFY(Start());
        Frame()->setGeometry(120, 110, 420, 280);
        Frame()->showMaximized();
        // The window system has really made it bigger: right after showNormal() its geometry is still
        // the maximised one, so only the rectangle read before restoring is the normal one.
        QTRY_VERIFY(Frame()->isMaximized() && Frame()->width() > 420 && Frame()->height() > 280);
        Stop();
        QCOMPARE(Setting("X"), 120);
        QCOMPARE(Setting("CX"), 420);
        QCOMPARE(Setting("CY"), 280);

        QVERIFY(Start());
        QVERIFY(!Frame()->isMaximized());
        QCOMPARE(Frame()->geometry(), QRect(120, 110, 420, 280));
        // Wider than the status bar's panes, which the window cannot be narrower than.
        Frame()->setGeometry(140, 150, 400, 240);
        Frame()->showMinimized();
        Stop();
        QCOMPARE(Setting("X"), 140);
        QCOMPARE(Setting("Y"), 150);
        QCOMPARE(Setting("CX"), 400);
        QCOMPARE(Setting("CY"), 240);
    }

    void loadWindowPositionKeepsDefaultsOfAbsentValues() {
        QVERIFY(Start());
        int x = 1, y = 2, cx = 3, cy = 4, xScreen = 5, yScreen = 6;
        m_app->LoadWindowPosition(x, y, cx, cy, xScreen, yScreen);
        QCOMPARE(QList<int>({x, y, cx, cy}), QList<int>({1, 2, 3, 4}));
        // The screen defaults are the current screen, whatever the caller passed.
        QCOMPARE(xScreen, CEditorApp::ScreenSize().width());
        QCOMPARE(yScreen, CEditorApp::ScreenSize().height());
    }

    void fileOnCommandLineOpensWithoutWelcome() {
        const QString path = WriteFile(QStringLiteral("start.kvd"));
        QVERIFY(Start({QStringLiteral("lockwarden-editor"), path}));
        QVERIFY(m_modalsSeen.isEmpty());
        QVERIFY(Frame()->GetActiveDocument());
        QCOMPARE(Frame()->GetActiveDocument()->GetDocTemplate(), m_app->GetPasswordsTemplate());
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Lockwarden Editor - start.kvd"));
        Stop();

        // A file that can't be opened ends the start-up.
        RecordingDoc::s_openSucceeds = false;
        QVERIFY(!Start({QStringLiteral("lockwarden-editor"), path}));
    }

    // Welcome.
    void welcomeCheckBoxWritesSetting() {
        QVERIFY(Start());
        m_modalsSeen.clear();
        AnswerNextModal([](QWidget* modal) {
            static_cast<CDialog*>(modal)->CheckDlgButton(IDC_WELCOME_SHOW, false);
            modal->close();
        });
        QVERIFY(Frame()->SendCommand(ID_VIEW_WIZARD));
        QCOMPARE(Setting("wzrd"), 0);
        QCOMPARE(m_app->GetShowWelcome(), 0);
        Stop();

        // Not shown at the next start; the command still shows it, with the box cleared.
        QVERIFY(Start());
        QVERIFY(m_modalsSeen.isEmpty());
        bool checked = true;
        AnswerNextModal([&checked](QWidget* modal) {
            checked = static_cast<CDialog*>(modal)->IsDlgButtonChecked(IDC_WELCOME_SHOW);
            static_cast<CDialog*>(modal)->CheckDlgButton(IDC_WELCOME_SHOW, true);
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QVERIFY(Frame()->SendCommand(ID_VIEW_WIZARD));
        QVERIFY(!checked);
        QCOMPARE(Setting("wzrd"), 1);
    }

    void welcomeButtonsRunNewAndOpen() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        // Create: the Welcome dialog ends and the New chooser runs at once.
        QString chooser;
        AnswerNextModal([&chooser](QWidget* welcome) {
            AnswerNextModal([&chooser](QWidget* modal) {
                chooser = modal->objectName();
                qobject_cast<QAbstractButton*>(static_cast<CDialog*>(modal)->GetDlgItem(IDC_NEW_TEXT))->click();
            });
            qobject_cast<QAbstractButton*>(static_cast<CDialog*>(welcome)->GetDlgItem(IDC_WELCOME_NEW))->click();
        });
        QVERIFY(Frame()->SendCommand(ID_VIEW_WIZARD));
        QCOMPARE(chooser, QStringLiteral("dlg158"));
        QVERIFY(Frame()->GetActiveDocument());
        QCOMPARE(Frame()->GetActiveDocument()->GetDocTemplate(), m_app->GetTextTemplate());
        QCOMPARE(Setting("wzrd"), 0);

        // Open: the file dialog comes up.
        QString fileDialog;
        AnswerNextModal([&fileDialog](QWidget* welcome) {
            AnswerNextModal([&fileDialog](QWidget* modal) {
                fileDialog = modal->metaObject()->className();
                modal->close();
            });
            qobject_cast<QAbstractButton*>(static_cast<CDialog*>(welcome)->GetDlgItem(IDC_WELCOME_OPEN))->click();
        });
        QVERIFY(Frame()->SendCommand(ID_VIEW_WIZARD));
        QCOMPARE(fileDialog, QStringLiteral("CTimedFileDialog"));

        // The web button opens the product page.
        AnswerNextModal([](QWidget* welcome) {
            qobject_cast<QAbstractButton*>(static_cast<CDialog*>(welcome)->GetDlgItem(IDC_WELCOME_WEB))->click();
            welcome->close();
        });
        QVERIFY(Frame()->SendCommand(ID_VIEW_WIZARD));
        QCOMPARE(m_opened, QList<QUrl>({QUrl(QString::fromLatin1(kProductWebPage))}));
    }

    // New and Open.
    void newChooserResults() {
        CNewDocumentDlg text;
        ClickInNextModal(IDC_NEW_TEXT);
        QCOMPARE(text.DoModal(), 1);
        CNewDocumentDlg passwords;
        ClickInNextModal(IDC_NEW_PASSWORDS);
        QCOMPARE(passwords.DoModal(), 3);
        CNewDocumentDlg closed;
        CloseNextModal();
        QCOMPARE(closed.DoModal(), 0);
        QCOMPARE(closed.windowTitle(), QStringLiteral("New Document..."));
        QCOMPARE(closed.GetDlgItem(IDC_NEW_TEXT)->toolTip(), QStringLiteral("New Encrypted Text Document..."));
        QCOMPARE(closed.GetDlgItem(IDC_NEW_PASSWORDS)->toolTip(),
                 QStringLiteral("New Encrypted Passwords Document..."));
        QVERIFY(!closed.GetDlgItem(IDOK));
    }

    void newCreatesTheChosenType() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        ClickInNextModal(IDC_NEW_PASSWORDS);
        QVERIFY(Frame()->SendCommand(ID_FILE_NEW));
        CDocument* doc = Frame()->GetActiveDocument();
        QVERIFY(doc);
        QCOMPARE(doc->GetDocTemplate(), m_app->GetPasswordsTemplate());
        QCOMPARE(doc->GetTitle(), QStringLiteral("Untitled"));

        const int before = RecordingDoc::s_constructed;
        CloseNextModal();
        QVERIFY(Frame()->SendCommand(ID_FILE_NEW));
        AnswerNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QVERIFY(Frame()->SendCommand(ID_FILE_NEW));
        QCOMPARE(RecordingDoc::s_constructed, before);
    }

    void openUsesTheFileDialog() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        const QString path = WriteFile(QStringLiteral("notes.etx"));
        QStringList filters;
        AnswerNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            filters = dialog->nameFilters();
            dialog->setDirectory(m_env.FilesDir());
            dialog->selectFile(path);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QVERIFY(Frame()->SendCommand(ID_FILE_OPEN));
        QCOMPARE(filters, CFileDialog::ConvertFilter(QString::fromLatin1(CMainFrame::kOpenFilter)));
        QCOMPARE(filters.size(), 3);
        QVERIFY(Frame()->GetActiveDocument());
        QCOMPARE(Frame()->GetActiveDocument()->GetPathName(), QFileInfo(path).canonicalFilePath());
    }

    void droppedFilesOpen() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        const QString a = WriteFile(QStringLiteral("a.kvd"));
        const QString b = WriteFile(QStringLiteral("b.etx"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Frame(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Frame(), &drop);
        QCOMPARE(m_app->GetPasswordsTemplate()->GetDocuments().size(), size_t(1));
        QCOMPARE(m_app->GetTextTemplate()->GetDocuments().size(), size_t(1));
    }

    // Two documents: the Window menu lists both, Ctrl+Tab and Ctrl+F6 move between them, the title
    // follows, and every window stays inside the document area at a size to work in.
    void severalDocumentWindows() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        Frame()->show();
        QVERIFY(QTest::qWaitForWindowExposed(Frame()));
        QVERIFY(m_app->OpenDocumentFile(WriteFile(QStringLiteral("a.etx"))));
        QVERIFY(m_app->OpenDocumentFile(WriteFile(QStringLiteral("b.etx"))));
        QMdiArea* area = Frame()->MDIClient();
        const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::CreationOrder);
        QCOMPARE(windows.size(), 2);
        const QRect inside = area->viewport()->rect();
        const QSize useful(inside.width() / 2, inside.height() / 2);
        auto checkPlaced = [&] {
            for (QMdiSubWindow* sub : windows) {
                QVERIFY2(inside.contains(sub->geometry()), qPrintable(sub->windowTitle()));
                QVERIFY(sub->width() >= useful.width() && sub->height() >= useful.height());
            }
            QVERIFY(windows[0]->pos() != windows[1]->pos());
        };
        checkPlaced();
        QCOMPARE(area->currentSubWindow(), windows[1]);
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Lockwarden Editor - b.etx"));

        QMenu* windowMenu = Frame()->GetMenus(IDR_ETXTYPE).at(4);
        auto listed = [&] {
            emit windowMenu->aboutToShow();
            QStringList items;
            for (QAction* action : windowMenu->actions()) {
                if (action->data().toInt() >= AFX_IDM_FIRST_MDICHILD)
                    items << action->text() + (action->isChecked() ? QStringLiteral(" *") : QString());
            }
            return items;
        };
        QCOMPARE(listed(), QStringList({"&1 a.etx", "&2 b.etx *"}));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(area->currentSubWindow(), windows[0]);
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Lockwarden Editor - a.etx"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ControlModifier);
        QCOMPARE(area->currentSubWindow(), windows[1]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(area->currentSubWindow(), windows[0]);
        QCOMPARE(listed(), QStringList({"&1 a.etx *", "&2 b.etx"}));
        Frame()->OnUserCommand(AFX_IDM_FIRST_MDICHILD + 1);
        QCOMPARE(area->currentSubWindow(), windows[1]);

        windows[1]->showMaximized();
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Lockwarden Editor - [b.etx]"));
        windows[1]->showNormal();
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Lockwarden Editor - b.etx"));

        Frame()->OnUserCommand(ID_WINDOW_CASCADE);
        checkPlaced();
        Frame()->OnUserCommand(ID_WINDOW_TILE_HORZ);
        for (QMdiSubWindow* sub : windows)
            QVERIFY(inside.contains(sub->geometry()));
    }

    // Files handed over by a second start open here; a locked screen asks for its password first.
    void handedOverFilesOpen() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        const QString a = WriteFile(QStringLiteral("a.kvd"));
        Frame()->OpenHandedOverFiles({a});
        QCOMPARE(m_app->GetPasswordsTemplate()->GetDocuments().size(), size_t(1));
        QVERIFY(Frame()->isVisible());

        // Locked with a screen password: Cancel at the prompt opens nothing.
        m_app->GetLockSettings().bScreenPasswordOn = 1;
        m_app->GetLockSettings().SetScreenPassword("s3cret");
        QVERIFY(m_app->SaveLockSettings());
        Frame()->LockWithFixedText();
        QStringList prompts;
        AnswerNextModal([&prompts](QWidget* modal) {
            prompts << modal->windowTitle();
            modal->close();
        });
        Frame()->OpenHandedOverFiles({WriteFile(QStringLiteral("b.etx"))});
        QCOMPARE(prompts.size(), 1);
        QVERIFY(Frame()->m_bLocked);
        QCOMPARE(m_app->GetTextTemplate()->GetDocuments().size(), size_t(0));
    }

    // Menus, accelerators, tool bar, status bar.
    void menuFollowsOpenDocuments() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        auto titles = [this] {
            QStringList list;
            for (QAction* action : Frame()->menuBar()->actions())
                list.push_back(action->text());
            return list;
        };
        QCOMPARE(titles(), QStringList({"&File", "&View", "&Settings", "&Help"}));
        CDocument* doc = m_app->GetTextTemplate()->OpenDocumentFile(QString());
        QCOMPARE(titles(), QStringList({"&File", "&Edit", "&View", "&Settings", "&Window", "&Help"}));
        QVERIFY(Frame()->SendCommand(ID_FILE_CLOSE));
        Q_UNUSED(doc);
        GuiTestEnv::FlushDeletes();
        QCOMPARE(titles(), QStringList({"&File", "&View", "&Settings", "&Help"}));

        // Menu 128's items and their icons.
        QMenu* file = Frame()->GetMenus(IDR_MAINFRAME).at(0);
        QStringList items;
        for (QAction* action : file->actions()) {
            if (!action->isSeparator() && action->isVisible())
                items.push_back(MenuItemKey(action).isEmpty()
                                    ? action->text()
                                    : action->text() + QLatin1Char('\t') + MenuItemKey(action).toString());
        }
        QCOMPARE(items, QStringList({"&New\tCtrl+N", "&Open...\tCtrl+O", "&Import...", "Recover Unsaved &Work...",
                                     "P&rint Setup...", "E&xit"}));
        QVERIFY(!file->actions().at(0)->icon().isNull());
        QVERIFY(!file->actions().at(1)->icon().isNull());
        QMenu* view = Frame()->GetMenus(IDR_MAINFRAME).at(1);
        Frame()->UpdateMenuUI(view);
        for (QAction* action : view->actions()) {
            if (action->data().toInt() == ID_VIEW_LOCK || action->data().toInt() == ID_VIEW_WIZARD)
                QVERIFY(action->isEnabled());
        }
    }

    void everyAcceleratorReachesItsCommand() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        std::vector<int> ids;
        for (const AccelEntry& entry : *FindAccelTable(IDR_MAINFRAME))
            ids.push_back(entry.id);
        RecordingView::s_handledIds = ids;
        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QWidget* view = Frame()->GetActiveView()->GetWnd();
        view->setFocus();
        QCOMPARE(FindAccelTable(IDR_MAINFRAME)->size(), size_t(36));
        for (const AccelEntry& entry : *FindAccelTable(IDR_MAINFRAME)) {
            CommandLog().clear();
            const QKeyCombination key = entry.key[0];
            QTest::keyClick(view, key.key(), key.keyboardModifiers());
            QCOMPARE(CommandLog(), QStringList({QStringLiteral("view:%1").arg(entry.id)}));
        }
    }

    void escapeCarriesNoCommand() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        QVERIFY(!Frame()->IsCommandEnabled(ID_ACCEL_ESCAPE));
        RecordingView::s_handledIds = {ID_FILE_SAVE};
        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        QVERIFY(!Frame()->IsCommandEnabled(ID_ACCEL_ESCAPE));
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QTest::keyClick(Frame()->GetActiveView()->GetWnd(), Qt::Key_Escape);
        QVERIFY(CommandLog().isEmpty());
        QTest::keyClick(Frame()->GetActiveView()->GetWnd(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(CommandLog(), QStringList({"view:57603"}));
    }

    void toolBarButtonsShowTheirTexts() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        QStringList texts;
        QSize size;
        for (QAction* action : Frame()->GetToolBar()->actions()) {
            if (action->isSeparator()) {
                texts.push_back(QStringLiteral("|"));
                continue;
            }
            texts.push_back(action->text());
            QVERIFY(!action->icon().isNull());
            auto* button = qobject_cast<QToolButton*>(Frame()->GetToolBar()->widgetForAction(action));
            QVERIFY(button);
            if (size.isValid())
                QCOMPARE(button->size(), size);
            size = button->size();
        }
        QCOMPARE(texts, QStringList({"New", "Open", "Save", "|", "Wizard", "|", "Cut", "Copy", "Paste", "|", "Find",
                                     "|", "Print", "|", "Lock", "|", "About"}));
        QCOMPARE(Frame()->GetToolBar()->iconSize(), QSize(16, 15));
    }

    void statusPaneText() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        CStatusBar* bar = Frame()->GetStatusBar();
        QCOMPARE(bar->GetPaneCount(), 7);
        QCOMPARE(bar->GetItemID(1), ID_INDICATOR_POSITION);
        // At least its old 90 pixels, and wide enough for the caret position in a long text.
        QVERIFY(bar->GetPane(1)->width() >= 90);
        QVERIFY(bar->GetPane(1)->width() >
                bar->GetPane(1)->fontMetrics().horizontalAdvance(QStringLiteral(" Ln 100001, Col 20011")));
        QCOMPARE(bar->GetPaneText(1), QStringLiteral(" "));
        Frame()->SetStatusPaneText(1, QStringLiteral(" Ln 12, Col 3"));
        QCOMPARE(bar->GetPaneText(1), QStringLiteral(" Ln 12, Col 3"));
        QCOMPARE(bar->GetItemID(2), ID_INDICATOR_ENCRYPTION);
        QCOMPARE(bar->GetItemID(3), ID_INDICATOR_CLIPBOARD);
        QCOMPARE(bar->GetItemID(4), ID_INDICATOR_CAPS);
        QCOMPARE(bar->GetItemID(5), ID_INDICATOR_NUM);
        QCOMPARE(bar->GetItemID(6), ID_INDICATOR_SCRL);
        // The offscreen platform does not tell the lock keys' state: all three stay dimmed.
        QCOMPARE(IsLockKeyOn(LockKey::Caps), std::optional<bool>());
        for (int i = 4; i <= 6; ++i)
            QVERIFY(!bar->GetPane(i)->isEnabled());
    }

    // The lock keys' panes are lit while their key is on and follow it at the frame's next tick.
    void lockKeyPanesFollowTheKeys() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        auto state = std::make_shared<std::map<LockKey, std::optional<bool>>>();
        auto& keys = *state;
        keys = {{LockKey::Caps, true}, {LockKey::Num, false}};
        SetLockKeySource([state](LockKey key) { return (*state)[key]; });
        QVERIFY(Start());
        CStatusBar* bar = Frame()->GetStatusBar();
        auto lit = [bar] {
            QString state;
            for (int i = 4; i <= 6; ++i)
                state += bar->GetPane(i)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
            return state;
        };
        QCOMPARE(lit(), QStringLiteral("100")); // from the start; Scroll Lock unknown
        keys = {{LockKey::Caps, false}, {LockKey::Num, true}, {LockKey::Scroll, true}};
        QTRY_COMPARE(lit(), QStringLiteral("011"));
        keys.clear();
        QTRY_COMPARE(lit(), QStringLiteral("000"));
        QCOMPARE(bar->GetPaneText(4), QStringLiteral("CAP"));
        QCOMPARE(bar->GetPaneText(5), QStringLiteral("NUM"));
    }

    // Help, web page, About.
    void helpOpensPageUnderCurrentDirectory() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        const QString previous = QDir::currentPath();
        QDir::setCurrent(m_env.FilesDir());
        // No page anywhere: the user is told so, and nothing is opened.
        MessageBox::setNextAnswer(IDOK);
        QVERIFY(Frame()->SendCommand(ID_HELP));
        QVERIFY(m_opened.isEmpty());
        QVERIFY(MessageBox::last().text.contains(QStringLiteral("Help/42.html")));
        QVERIFY(QDir(m_env.FilesDir()).mkdir(QStringLiteral("Help")));
        WriteFile(QStringLiteral("Help/42.html"));
        QVERIFY(Frame()->SendCommand(ID_HELP));
        QDir::setCurrent(previous);
        QVERIFY(Frame()->SendCommand(ID_HELP_WEB));
        QCOMPARE(m_opened, QList<QUrl>({QUrl::fromLocalFile(QDir(m_env.FilesDir()).canonicalPath() + "/Help/42.html"),
                                        QUrl(QString::fromLatin1(kProductWebPage))}));
    }

    void aboutBoxTexts() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        QString title, version, build, link, caption;
        QFont titleFont, versionFont, buildFont;
        QColor colour;
        AnswerNextModal([&](QWidget* modal) {
            auto* about = static_cast<CDialog*>(modal);
            caption = about->windowTitle();
            title = about->GetDlgItemText(IDC_ABOUT_TITLE);
            version = about->GetDlgItemText(IDC_ABOUT_VERSION);
            build = about->GetDlgItemText(IDC_ABOUT_BUILD);
            link = about->GetDlgItemText(IDC_ABOUT_LINK);
            titleFont = about->GetDlgItem(IDC_ABOUT_TITLE)->font();
            versionFont = about->GetDlgItem(IDC_ABOUT_VERSION)->font();
            buildFont = about->GetDlgItem(IDC_ABOUT_BUILD)->font();
            colour = qobject_cast<CLabel*>(about->GetDlgItem(IDC_ABOUT_TITLE))->GetTextColor();
            QTest::mouseClick(about->GetDlgItem(IDC_ABOUT_LINK), Qt::LeftButton);
            qobject_cast<QAbstractButton*>(about->GetDlgItem(IDOK))->click();
        });
        QVERIFY(Frame()->SendCommand(ID_APP_ABOUT));
        QCOMPARE(caption, QStringLiteral("About Lockwarden Editor"));
        QCOMPARE(title, QStringLiteral("Lockwarden Editor"));
        QCOMPARE(version, QStringLiteral("Version 2.5.1"));
        QVERIFY2(
            QRegularExpression(QStringLiteral("^Build: [A-Z][a-z]{2} [ 1-3][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}$"))
                .match(build)
                .hasMatch(),
            qPrintable(build));
        QCOMPARE(build, QStringLiteral("Build: ") + CAboutDlg::BuildStamp());
        QCOMPARE(link, QString::fromLatin1(kProductWebPage));
        QCOMPARE(QFontInfo(titleFont).pixelSize(), 16);
        QVERIFY(titleFont.bold());
        QCOMPARE(QFontInfo(versionFont).pixelSize(), 12);
        QVERIFY(versionFont.bold());
        QVERIFY(!buildFont.bold());
        QCOMPARE(colour, QColor(0, 0, 192));
        QCOMPARE(m_opened, QList<QUrl>({QUrl(QString::fromLatin1(kProductWebPage))}));
    }

    void exitClosesTheProgramAfterAskingDocuments() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        QVERIFY(Start());
        CDocument* doc = m_app->GetTextTemplate()->OpenDocumentFile(QString());
        doc->SetModifiedFlag(true);
        MessageBox::setNextAnswer(IDCANCEL);
        QVERIFY(Frame()->SendCommand(ID_APP_EXIT));
        QVERIFY(Frame()->isVisible());
        MessageBox::setNextAnswer(IDNO);
        QVERIFY(Frame()->SendCommand(ID_APP_EXIT));
        QVERIFY(!Frame()->isVisible());
        QVERIFY(m_app->GetTextTemplate()->GetDocuments().empty());
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
