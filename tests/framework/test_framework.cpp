#include "FrameworkFixtures.h"
#include "common/GuiTestEnv.h"

#include "framework/BackgroundWork.h"
#include "framework/Dialog.h"
#include "framework/DialogTemplate.h"
#include "framework/FileDialog.h"
#include "framework/MessageBox.h"
#include "framework/ModalAnswer.h"
#include "framework/RecentFileList.h"
#include "framework/ResourceRegistry.h"
#include "framework/StatusBar.h"
#include "res/Resources.h"
#include "res/resource.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <atomic>
#include <memory>

namespace {

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString WriteFile(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("x");
    return path;
}

const DlgTemplate kProbeTemplate = {
    9001,
    "Probe",
    200,
    100,
    {
        {DlgKind::Static, -1, "Name:", 8, 10, 40, 8},
        {DlgKind::Edit, 1100, "", 50, 8, 120, 12},
        {DlgKind::CheckBox, 1101, "Option", 50, 26, 80, 10},
        {DlgKind::PushButton, 1102, "Other", 8, 80, 50, 14},
        {DlgKind::DefPushButton, IDOK, "OK", 90, 80, 50, 14},
        {DlgKind::PushButton, IDCANCEL, "Cancel", 145, 80, 50, 14},
    },
};

// Statics in the ways dialogs use them: with an access letter, as a plain caption before a field, as
// text of their own, and one whose text the program sets while the dialog is up.
const DlgTemplate kLettersTemplate = {
    9002,
    "Letters",
    200,
    120,
    {
        {DlgKind::Static, -1, "&Name:", 8, 8, 40, 8},
        {DlgKind::Edit, 1200, "", 50, 8, 120, 12},
        {DlgKind::Static, -1, "Secret:", 8, 24, 40, 8},
        {DlgKind::Password, 1201, "", 50, 24, 120, 12},
        {DlgKind::Static, -1, "&Keep:", 8, 40, 40, 8},
        {DlgKind::GroupBox, -1, "Frame", 8, 48, 180, 30},
        {DlgKind::CheckBox, 1202, "Forever", 50, 56, 80, 10},
        {DlgKind::Static, -1, "Fish && Chips", 8, 82, 80, 8},
        {DlgKind::Static, -1, "Plain:", 8, 90, 40, 8},
        {DlgKind::PushButton, 1203, "Go", 50, 90, 40, 12},
        {DlgKind::Static, 1204, "&File:", 8, 104, 40, 8},
        {DlgKind::Edit, 1205, "", 50, 104, 60, 12},
        {DlgKind::Edit, 1206, "", 120, 104, 60, 12, 0, 0, nullptr, nullptr, "Filter"},
        {DlgKind::DefPushButton, IDOK, "OK", 90, 90, 50, 14},
    },
};

class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(kProbeTemplate) {
        MapCommand(1102, [this] { EndDialog(IDNO); });
    }
    int m_initCount = 0;
    int m_changes = 0;

protected:
    bool OnInitDialog() override {
        ++m_initCount;
        return true;
    }
    void OnControlChanged(int nID, Notify code) override {
        if (nID == 1100 && code == Changed)
            ++m_changes;
    }
};

} // namespace

class TestFramework : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<RecordingApp> m_app;
    std::unique_ptr<RecordingFrame> m_frame;
    CMultiDocTemplate* m_textTemplate = nullptr;
    CMultiDocTemplate* m_passwordsTemplate = nullptr;
    GuiTestEnv m_env;

private slots:
    void initTestCase() { m_env.Begin(false); }

    void init() {
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("LockwardenTest"),
                  QStringLiteral("Lockwarden Editor"))
            .clear();
        CommandLog().clear();
        RecordingView::s_handledIds.clear();
        RecordingDoc::s_openSucceeds = true;
        MessageBox::clearAnswers();
        m_app = std::make_unique<RecordingApp>();
        m_frame = std::make_unique<RecordingFrame>();
        m_app->m_pMainWnd = m_frame.get();
        QVERIFY(m_frame->Build(IDR_MAINFRAME, IDR_MAINFRAME, IDR_MAINFRAME));
        m_textTemplate =
            m_app->AddDocTemplate(CMultiDocTemplate::Make<RecordingDoc, RecordingChild, RecordingView>(IDR_ETXTYPE));
        m_passwordsTemplate =
            m_app->AddDocTemplate(CMultiDocTemplate::Make<RecordingDoc, RecordingChild, RecordingView>(IDR_KVDTYPE));
    }

    void cleanup() {
        CancelModalAnswers();
        m_app->m_pMainWnd = nullptr;
        m_frame.reset();
        m_app.reset();
        FlushDeletes();
    }

    // Routing: the first target along view -> document -> child frame -> main frame -> application wins.
    void commandsFollowTheRoute() {
        RecordingView::s_handledIds = {40001};
        auto* doc = static_cast<RecordingDoc*>(m_textTemplate->OpenDocumentFile(QString()));
        QVERIFY(doc);
        auto* child = static_cast<RecordingChild*>(m_frame->MDIGetActive());
        QVERIFY(child);
        doc->Handle(40001);
        doc->Handle(40002);
        child->Handle(40001);
        child->Handle(40002);
        child->Handle(40003);
        m_frame->Handle(40002);
        m_frame->Handle(40003);
        m_frame->Handle(40004);
        m_app->Handle(40004);
        m_app->Handle(40005);

        for (int nID = 40001; nID <= 40005; ++nID)
            QVERIFY(m_frame->SendCommand(nID));
        QCOMPARE(CommandLog(), QStringList({"view:40001", "doc:40002", "child:40003", "frame:40004", "app:40005"}));
        QVERIFY(!m_frame->SendCommand(40006));
    }

    void commandsWithoutDocumentGoToFrameThenApplication() {
        m_frame->Handle(40010);
        m_app->Handle(40010);
        m_app->Handle(40011);
        QVERIFY(m_frame->SendCommand(40010));
        QVERIFY(m_frame->SendCommand(40011));
        QCOMPARE(CommandLog(), QStringList({"frame:40010", "app:40011"}));
    }

    // Update UI: an id nobody handles is disabled, and a disabled command is not carried out.
    void unhandledCommandIsDisabledEverywhere() {
        QVERIFY(!m_frame->IsCommandEnabled(ID_ACCEL_ESCAPE));
        QVERIFY(!m_frame->IsCommandEnabled(ID_FILE_SAVE));
        m_frame->OnUserCommand(ID_ACCEL_ESCAPE);
        QVERIFY(CommandLog().isEmpty());

        // Save is on the tool bar: disabled there without a handler, enabled once a view handles it.
        m_frame->UpdateToolBarUI();
        QAction* save = nullptr;
        for (QAction* action : m_frame->GetToolBar()->actions()) {
            if (action->data().toInt() == ID_FILE_SAVE)
                save = action;
        }
        QVERIFY(save);
        QVERIFY(!save->isEnabled());
        RecordingView::s_handledIds = {ID_FILE_SAVE};
        QVERIFY(m_textTemplate->OpenDocumentFile(QString()));
        m_frame->UpdateToolBarUI();
        QVERIFY(save->isEnabled());
        save->trigger();
        QCOMPARE(CommandLog(), QStringList({"view:57603"}));
    }

    void menusShowStateBeforeOpening() {
        m_frame->ShowMenu(IDR_MAINFRAME);
        QMenu* file = m_frame->GetMenus(IDR_MAINFRAME).at(0);
        QMenu* view = m_frame->GetMenus(IDR_MAINFRAME).at(1);
        m_frame->UpdateMenuUI(file);
        m_frame->UpdateMenuUI(view);
        auto find = [](QMenu* menu, int nID) -> QAction* {
            for (QAction* action : menu->actions()) {
                if (action->data().toInt() == nID)
                    return action;
            }
            return nullptr;
        };
        QVERIFY(find(file, ID_APP_EXIT)->isEnabled());
        QVERIFY(!find(file, ID_FILE_NEW)->isEnabled()); // nobody handles New in this set-up
        QAction* toolbar = find(view, ID_VIEW_TOOLBAR);
        QVERIFY(toolbar->isCheckable());
        QVERIFY(toolbar->isChecked());
        QVERIFY(!find(file, ID_FILE_NEW)->icon().isNull()); // menus show the tool bar images

        // Toolbar toggles, and the menu shows it.
        QVERIFY(m_frame->SendCommand(ID_VIEW_TOOLBAR));
        m_frame->UpdateMenuUI(view);
        QVERIFY(!toolbar->isChecked());
        QVERIFY(!m_frame->GetToolBar()->isVisibleTo(m_frame.get()));
        QVERIFY(m_frame->SendCommand(ID_VIEW_STATUS_BAR));
        QVERIFY(!m_frame->GetStatusBar()->isVisibleTo(m_frame.get()));
    }

    void windowCommandsNeedDocuments() {
        QVERIFY(!m_frame->IsCommandEnabled(ID_WINDOW_CASCADE));
        QVERIFY(!m_frame->IsCommandEnabled(ID_WINDOW_TILE_HORZ));
        QVERIFY(!m_frame->IsCommandEnabled(ID_WINDOW_ARRANGE));
        QVERIFY(m_textTemplate->OpenDocumentFile(QString()));
        QVERIFY(m_textTemplate->OpenDocumentFile(QString()));
        QVERIFY(m_frame->IsCommandEnabled(ID_WINDOW_CASCADE));
        QVERIFY(m_frame->IsCommandEnabled(ID_WINDOW_TILE_HORZ));
        QVERIFY(m_frame->SendCommand(ID_WINDOW_TILE_HORZ));
        // A window with one view has no panes to move between.
        QVERIFY(!m_frame->IsCommandEnabled(ID_NEXT_PANE));
    }

    // Document templates.
    void templateStringsHaveSevenFields() {
        QCOMPARE(m_textTemplate->GetDocString(CMultiDocTemplate::windowTitle), QString());
        QCOMPARE(m_textTemplate->GetDocString(CMultiDocTemplate::docName), QStringLiteral("Untitled"));
        QCOMPARE(m_textTemplate->GetDocString(CMultiDocTemplate::fileNewName), QStringLiteral("RAvud"));
        QCOMPARE(m_textTemplate->GetDocString(CMultiDocTemplate::filterName),
                 QStringLiteral("Lockwarden Encrypted Text Files (*.etx)"));
        QCOMPARE(m_textTemplate->GetDocString(CMultiDocTemplate::filterExt), QStringLiteral(".etx"));
        QCOMPARE(m_textTemplate->GetDocString(CMultiDocTemplate::regFileTypeId), QStringLiteral("Etx.Document"));
        QCOMPARE(m_textTemplate->GetDocString(CMultiDocTemplate::regFileTypeName),
                 QStringLiteral("Lockwarden Encrypted Text"));
        QCOMPARE(m_passwordsTemplate->GetDocString(CMultiDocTemplate::fileNewName), QStringLiteral("WebAcc"));
        QCOMPARE(m_passwordsTemplate->GetDocString(CMultiDocTemplate::filterExt), QStringLiteral(".kvd"));
        QCOMPARE(m_passwordsTemplate->GetDocString(CMultiDocTemplate::regFileTypeId), QStringLiteral("Kvd.Document"));
        QCOMPARE(m_passwordsTemplate->GetDocString(CMultiDocTemplate::regFileTypeName),
                 QStringLiteral("Lockwarden Encrypted Data"));
    }

    void newDocumentIsUntitledAndUnmodified() {
        RecordingView::s_initialUpdates = 0;
        CDocument* doc = m_passwordsTemplate->OpenDocumentFile(QString());
        QVERIFY(doc);
        QCOMPARE(doc->GetTitle(), QStringLiteral("Untitled"));
        QVERIFY(doc->GetPathName().isEmpty());
        QVERIFY(!doc->IsModified());
        QCOMPARE(RecordingView::s_initialUpdates, 1);
        QCOMPARE(m_frame->GetActiveDocument(), doc);
        QCOMPARE(m_frame->MDIGetActive()->windowTitle(), QStringLiteral("Untitled"));
        QCOMPARE(m_frame->windowTitle(), QStringLiteral("Lockwarden Editor - Untitled"));
    }

    void extensionChoosesTemplateAndOpenFileIsActivated() {
        QTemporaryDir dir;
        const QString kvd = WriteFile(dir, QStringLiteral("a.kvd"));
        const QString etx = WriteFile(dir, QStringLiteral("b.ETX"));
        CDocument* passwords = m_app->OpenDocumentFile(kvd);
        QVERIFY(passwords);
        QCOMPARE(passwords->GetDocTemplate(), m_passwordsTemplate);
        QCOMPARE(passwords->GetTitle(), QStringLiteral("a.kvd"));
        CDocument* text = m_app->OpenDocumentFile(etx);
        QVERIFY(text);
        QCOMPARE(text->GetDocTemplate(), m_textTemplate);
        QCOMPARE(m_frame->GetActiveDocument(), text);

        // The same file again, even by another spelling of its path: the open window comes forward.
        const int constructed = RecordingDoc::s_constructed;
        CDocument* again = m_app->OpenDocumentFile(dir.path() + QStringLiteral("/./a.kvd"));
        QCOMPARE(again, passwords);
        QCOMPARE(RecordingDoc::s_constructed, constructed);
        QCOMPARE(m_frame->GetActiveDocument(), passwords);
        QCOMPARE(m_passwordsTemplate->GetDocuments().size(), size_t(1));
    }

    void failedOpenLeavesNothingBehind() {
        QTemporaryDir dir;
        const QString kvd = WriteFile(dir, QStringLiteral("bad.kvd"));
        RecordingDoc::s_openSucceeds = false;
        const int destroyed = RecordingDoc::s_destroyed;
        QVERIFY(!m_app->OpenDocumentFile(kvd));
        FlushDeletes();
        QVERIFY(m_passwordsTemplate->GetDocuments().empty());
        QCOMPARE(m_frame->MDIClient()->subWindowList().size(), 0);
        QCOMPARE(RecordingDoc::s_destroyed, destroyed + 1);
        QCOMPARE(m_app->GetRecentFileList()->GetSize(), 0);
    }

    void closeAsksOnlyWhenModified() {
        CDocument* doc = m_textTemplate->OpenDocumentFile(QString());
        doc->SetModifiedFlag(true);
        MessageBox::setNextAnswer(IDCANCEL);
        QVERIFY(m_frame->SendCommand(ID_FILE_CLOSE));
        QCOMPARE(MessageBox::last().text, QStringLiteral("Save changes to Untitled?"));
        QCOMPARE(MessageBox::last().caption, QStringLiteral("Lockwarden Editor"));
        QCOMPARE(m_textTemplate->GetDocuments().size(), size_t(1));

        MessageBox::setNextAnswer(IDNO);
        QVERIFY(m_frame->SendCommand(ID_FILE_CLOSE));
        FlushDeletes();
        QVERIFY(m_textTemplate->GetDocuments().empty());
        QCOMPARE(m_frame->MDIClient()->subWindowList().size(), 0);

        // An unmodified document closes without a question.
        const int asked = MessageBox::count();
        QVERIFY(m_textTemplate->OpenDocumentFile(QString()));
        QVERIFY(m_frame->SendCommand(ID_FILE_CLOSE));
        QCOMPARE(MessageBox::count(), asked);
        QVERIFY(m_textTemplate->GetDocuments().empty());
    }

    void childCloseBoxAsksDocument() {
        CDocument* doc = m_textTemplate->OpenDocumentFile(QString());
        doc->SetModifiedFlag(true);
        QMdiSubWindow* child = m_frame->MDIGetActive();
        MessageBox::setNextAnswer(IDCANCEL);
        child->close();
        QCOMPARE(m_textTemplate->GetDocuments().size(), size_t(1));
        MessageBox::setNextAnswer(IDNO);
        child->close();
        FlushDeletes();
        QVERIFY(m_textTemplate->GetDocuments().empty());
    }

    // Recent files: four, newest first, no duplicates, kept in the profile.
    void recentFileListKeepsFourNewestFirst() {
        CRecentFileList list(QStringLiteral("Recent File List"), 4);
        for (const char* path : {"/a", "/b", "/c", "/d", "/e"})
            list.Add(QString::fromLatin1(path));
        list.Add(QStringLiteral("/c"));
        QCOMPARE(list.GetSize(), 4);
        QCOMPARE(list[0], QStringLiteral("/c"));
        QCOMPARE(list[1], QStringLiteral("/e"));
        QCOMPARE(list[2], QStringLiteral("/d"));
        QCOMPARE(list[3], QStringLiteral("/b"));

        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("p.ini")), QSettings::IniFormat);
        list.WriteList(settings);
        CRecentFileList readBack(QStringLiteral("Recent File List"), 4);
        readBack.ReadList(settings);
        QCOMPARE(readBack.GetSize(), 4);
        QCOMPARE(readBack[0], QStringLiteral("/c"));
        QCOMPARE(settings.value(QStringLiteral("Recent File List/File1")).toString(), QStringLiteral("/c"));
    }

    void openedFilesJoinTheListAndReopenFromIt() {
        QTemporaryDir dir;
        const QString path = WriteFile(dir, QStringLiteral("r.kvd"));
        CDocument* doc = m_app->OpenDocumentFile(path);
        QVERIFY(doc);
        QCOMPARE(m_app->GetRecentFileList()->GetSize(), 1);
        QCOMPARE((*m_app->GetRecentFileList())[0], QFileInfo(path).canonicalFilePath());
        QVERIFY(m_frame->IsCommandEnabled(ID_FILE_MRU_FILE1));
        QVERIFY(!m_frame->IsCommandEnabled(ID_FILE_MRU_FILE2));
        MessageBox::setNextAnswer(IDNO);
        QVERIFY(m_frame->SendCommand(ID_FILE_CLOSE));
        FlushDeletes();

        // A cancelled or failed open keeps the entry; a file that is gone leaves the list.
        RecordingDoc::s_openSucceeds = false;
        QVERIFY(m_frame->SendCommand(ID_FILE_MRU_FILE1));
        QCOMPARE(m_app->GetRecentFileList()->GetSize(), 1);
        RecordingDoc::s_openSucceeds = true;
        QVERIFY(m_frame->SendCommand(ID_FILE_MRU_FILE1));
        QCOMPARE(m_passwordsTemplate->GetDocuments().size(), size_t(1));
        QVERIFY(m_frame->SendCommand(ID_FILE_CLOSE));
        FlushDeletes();
        QFile::remove(path);
        RecordingDoc::s_openSucceeds = false; // as a real document fails on a missing file
        QVERIFY(m_frame->SendCommand(ID_FILE_MRU_FILE1));
        QCOMPARE(m_app->GetRecentFileList()->GetSize(), 0);
    }

    void profileIntegersHaveDefaults() {
        QCOMPARE(m_app->GetProfileInt(QStringLiteral("Settings"), QStringLiteral("X"), 100), 100);
        QVERIFY(m_app->WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("X"), -7));
        QCOMPARE(m_app->GetProfileInt(QStringLiteral("Settings"), QStringLiteral("X"), 100), -7);
        QVERIFY(m_app->GetProfilePath().endsWith(QStringLiteral("LockwardenTest/Lockwarden Editor.ini")));
    }

    // Dialogs from templates.
    void dialogIsLaidOutInDialogUnits() {
        ProbeDialog dialog;
        AnswerNextModal([](QWidget* modal) { static_cast<CDialog*>(modal)->EndDialog(IDCANCEL); });
        dialog.DoModal();
        const CDialogUnits units(dialog.font());
        QWidget* edit = dialog.GetDlgItem(1100);
        QVERIFY(qobject_cast<QLineEdit*>(edit));
        QCOMPARE(edit->geometry(),
                 QRect(units.ToPixelsX(50), units.ToPixelsY(8), units.ToPixelsX(120), units.ToPixelsY(12)));
        QCOMPARE(dialog.size(), QSize(units.ToPixelsX(200), units.ToPixelsY(100)));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Probe"));
        QVERIFY(qobject_cast<QPushButton*>(dialog.GetDlgItem(IDOK))->isDefault());
        QVERIFY(!dialog.GetDlgItem(4242));
        // A bigger font gives a bigger dialog.
        QFont big = dialog.font();
        big.setPointSize(big.pointSize() * 2);
        QVERIFY(CDialogUnits(big).ToPixelsX(100) > units.ToPixelsX(100));
    }

    void dialogResultsAreStandardCodes() {
        ProbeDialog ok;
        ClickInNextModal(IDOK);
        QCOMPARE(ok.DoModal(), IDOK);
        QCOMPARE(ok.m_initCount, 1);

        ProbeDialog cancel;
        ClickInNextModal(IDCANCEL);
        QCOMPARE(cancel.DoModal(), IDCANCEL);

        ProbeDialog escape;
        AnswerNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QCOMPARE(escape.DoModal(), IDCANCEL);

        ProbeDialog closeBox;
        CloseNextModal();
        QCOMPARE(closeBox.DoModal(), IDCANCEL);

        ProbeDialog mapped;
        ClickInNextModal(1102);
        QCOMPARE(mapped.DoModal(), IDNO);

        // A dialog may be shown again; its controls keep their state and OnInitDialog runs again.
        AnswerNextModal([](QWidget* modal) {
            auto* dialog = static_cast<ProbeDialog*>(modal);
            dialog->SetDlgItemText(1100, QStringLiteral("abc"));
            dialog->CheckDlgButton(1101, true);
            dialog->EndDialog(IDOK);
        });
        QCOMPARE(ok.DoModal(), IDOK);
        QCOMPARE(ok.m_initCount, 2);
        QCOMPARE(ok.m_changes, 1);
        QCOMPARE(ok.GetDlgItemText(1100), QStringLiteral("abc"));
        QVERIFY(ok.IsDlgButtonChecked(1101));
    }

    // A static's "&" marks the letter that takes the user to the control after it; any static right
    // before a field names it for screen readers.
    void staticsNameAndReachTheControlAfterThem() {
        CDialog dialog(kLettersTemplate);
        QStringList problems;
        AnswerNextModal([&problems](QWidget* modal) {
            auto* dlg = static_cast<CDialog*>(modal);
            modal->activateWindow();
            if (!QTest::qWaitForWindowActive(modal))
                problems << QStringLiteral("the dialog never became active");
            auto expectFocus = [&](Qt::Key key, int nID) {
                QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
                if (QApplication::focusWidget() != dlg->GetDlgItem(nID))
                    problems << QStringLiteral("Alt+%1 went to %2")
                                    .arg(QKeySequence(key).toString(), QApplication::focusWidget()->objectName());
            };
            expectFocus(Qt::Key_K, 1202); // over the group box, to the check box
            expectFocus(Qt::Key_N, 1200);
            expectFocus(Qt::Key_F, 1205);
            dlg->EndDialog(IDOK);
        });
        dialog.DoModal();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));

        auto name = [&dialog](int nID) {
            return QAccessible::queryAccessibleInterface(dialog.GetDlgItem(nID))->text(QAccessible::Name);
        };
        QCOMPARE(name(1200), QStringLiteral("Name:"));
        QCOMPARE(name(1201), QStringLiteral("Secret:"));
        QCOMPARE(name(1205), QStringLiteral("File:"));
        QCOMPARE(name(1206), QStringLiteral("Filter"));
        QCOMPARE(name(1203), QStringLiteral("Go"));
        // Statics that name nothing show their text without the marks.
        QStringList shown;
        for (QLabel* label : dialog.findChildren<QLabel*>()) {
            if (!label->buddy())
                shown << label->text();
        }
        QVERIFY2(shown.contains(QStringLiteral("Fish & Chips")), qPrintable(shown.join(u'|')));
        QVERIFY2(shown.contains(QStringLiteral("Plain:")), qPrintable(shown.join(u'|')));

        // Text the program puts into a static is shown as it is, "&" and all.
        dialog.SetDlgItemText(1204, QStringLiteral("R&D & Co.etx"));
        QCOMPARE(dialog.GetDlgItemText(1204), QStringLiteral("R&D & Co.etx"));
        QCOMPARE(name(1205), QStringLiteral("R&D & Co.etx"));
        auto* label = qobject_cast<QLabel*>(dialog.GetDlgItem(1204));
        QVERIFY(label->buddy() == dialog.GetDlgItem(1205));
    }

    // Menu items carry their name and their key apart; the key still runs the command once, through
    // the accelerator, with nothing competing for it.
    void menuItemsShowTheirKeysApart() {
        m_frame->Handle(ID_FILE_NEW);
        m_frame->ShowMenu(IDR_MAINFRAME);
        QStringList titles;
        for (QAction* action : m_frame->menuBar()->actions())
            titles << action->text();
        QCOMPARE(titles, QStringList({"&File", "&View", "&Settings", "&Help"}));
        m_frame->show();
        m_frame->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
        QTest::failOnWarning(QRegularExpression(QStringLiteral("[Aa]mbiguous")));
        auto focus = [this] { return QApplication::focusWidget() ? QApplication::focusWidget() : m_frame.get(); };

        // The open menu shows the item's name and its key apart.
        QMenu* file = m_frame->GetMenus(IDR_MAINFRAME).at(0);
        QAction* newItem = file->actions().at(0);
        QTest::keyClick(focus(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(file->isVisible());
        QCOMPARE(newItem->text(), QStringLiteral("&New"));
        QCOMPARE(newItem->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
        QAccessibleInterface* item = QAccessible::queryAccessibleInterface(file)->child(0);
        QCOMPARE(item->text(QAccessible::Name), QStringLiteral("New"));
        QCOMPARE(QKeySequence(item->text(QAccessible::Accelerator)), QKeySequence(Qt::CTRL | Qt::Key_N));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
        QTest::keyClick(focus(), Qt::Key_Escape);
        QTRY_VERIFY(!file->isVisible());

        // The key runs the command once, through the accelerator, with nothing competing for it: with the
        // menus closed, and with the menu bar in the keyboard's hands (Alt pressed and let go).
        QTest::keyClick(focus(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(CommandLog(), QStringList({QStringLiteral("frame:%1").arg(ID_FILE_NEW)}));
        QTest::keyClick(focus(), Qt::Key_Alt);
        QTest::keyClick(focus(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(CommandLog().size(), 2);
    }

    // Message boxes.
    void messageBoxReturnsStandardCodes() {
        MessageBox::setNextAnswer(IDRETRY);
        QCOMPARE(AfxMessageBox(QStringLiteral("Retry? "), MB_RETRYCANCEL | MB_ICONHAND), IDRETRY);
        QCOMPARE(MessageBox::last().text, QStringLiteral("Retry? "));
        QCOMPARE(MessageBox::last().type, MB_RETRYCANCEL | MB_ICONHAND);

        // A real box, answered by its buttons' codes.
        ClickInNextModal(IDNO);
        QCOMPARE(AfxMessageBox(QStringLiteral("Save?"), MB_YESNOCANCEL), IDNO);
        ClickInNextModal(IDOK);
        QCOMPARE(AfxMessageBox(QStringLiteral("Done"), MB_OK, QStringLiteral("Caption")), IDOK);
        QCOMPARE(MessageBox::last().caption, QStringLiteral("Caption"));
        AnswerNextModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QCOMPARE(AfxMessageBox(QStringLiteral("Save?"), MB_YESNOCANCEL), IDCANCEL);
    }

    void fileDialogFilterBecomesQtFilters() {
        QCOMPARE(
            CFileDialog::ConvertFilter(QStringLiteral(
                "Vaultora Encrypted Files (*.etx;*.kvd)|*.etx;*.kvd|Vaultora Encrypted Data Files (*.kvd)|*.kvd|")),
            QStringList({QStringLiteral("Vaultora Encrypted Files (*.etx *.kvd)"),
                         QStringLiteral("Vaultora Encrypted Data Files (*.kvd)")}));
        QVERIFY(CFileDialog::ConvertFilter(QString()).isEmpty());
    }

    // The framework knows no resource of its own: templates, strings and dialogs come through the
    // lookups the program hands it, and without them it finds nothing.
    void resourcesComeThroughTheLookups() {
        struct Restore {
            const CResourceLookups program = AfxGetResourceLookups();
            ~Restore() { AfxSetResourceLookups(program); }
        } restore;
        CResourceLookups fake;
        fake.loadString = [](int nID) -> QString {
            if (nID == 9002)
                return QStringLiteral("\nNotes\n\n\n.notes");
            return nID == AFX_IDS_APP_TITLE ? QStringLiteral("Notes App") : QString();
        };
        fake.findDialogTemplate = [](int nID) { return nID == kProbeTemplate.id ? &kProbeTemplate : nullptr; };
        AfxSetResourceLookups(fake);
        QCOMPARE(CDialog(kProbeTemplate.id).GetTemplateID(), kProbeTemplate.id);
        const auto notes = CMultiDocTemplate::Make<RecordingDoc, RecordingChild, RecordingView>(9002);
        QCOMPARE(notes->GetDocString(CMultiDocTemplate::docName), QStringLiteral("Notes"));
        MessageBox::setNextAnswer(IDOK);
        AfxMessageBox(QStringLiteral("Hello"));
        QCOMPARE(MessageBox::last().caption, QStringLiteral("Notes App"));
        QCOMPARE(CDialog(IDD_ABOUTBOX).GetTemplateID(), 0);

        AfxSetResourceLookups({});
        QCOMPARE(CDialog(kProbeTemplate.id).GetTemplateID(), 0);
        QVERIFY(!RecordingFrame().Build(IDR_MAINFRAME, IDR_MAINFRAME, IDR_MAINFRAME));
        QVERIFY(AfxLoadString(AFX_IDS_APP_TITLE).isEmpty());
    }

    void statusBarPanesByIndex() {
        CStatusBar* bar = m_frame->GetStatusBar();
        QCOMPARE(bar->GetPaneCount(), 5);
        QCOMPARE(bar->GetPaneText(0), QStringLiteral("Ready"));
        QCOMPARE(bar->GetPaneText(2), QStringLiteral("CAP"));
        bar->SetPaneInfo(1, 101, 90);
        QCOMPARE(bar->GetItemID(1), 101);
        QCOMPARE(bar->CommandToIndex(101), 1);
        QVERIFY(bar->SetPaneText(1, QStringLiteral(" Ln 1, Col 1")));
        QCOMPARE(bar->GetPaneText(1), QStringLiteral(" Ln 1, Col 1"));
        QVERIFY(!bar->SetPaneText(9, QStringLiteral("x")));
    }

    // Long work: while it runs, the event loop turns (timers fire), the busy bar shows in the status
    // bar, and what the work produces is not there yet; afterwards the bar is gone.
    void backgroundWorkShowsProgress() {
        m_frame->show();
        SetBackgroundProgressDelay(0);
        std::atomic<bool> release{false};
        bool sawProgress = false;
        bool resultEarly = false;
        std::atomic<int> result{0};
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            QProgressBar* bar = BackgroundProgressBar();
            if (!bar || release)
                return;
            sawProgress = bar->isVisible() && m_frame->GetStatusBar()->isAncestorOf(bar);
            resultEarly = result != 0;
            release = true;
        });
        probe.start(0);
        RunInBackground([&] {
            // Held until the user-interface thread has seen the bar (or a generous limit passes).
            for (int i = 0; i < 20000 && !release; ++i)
                QThread::msleep(1);
            result = 42;
        });
        probe.stop();
        SetBackgroundProgressDelay(500);
        QVERIFY(sawProgress);
        QVERIFY(!resultEarly);
        QCOMPARE(result.load(), 42);
        QVERIFY(!BackgroundProgressBar());

        // Quick work ends before the delay: no bar at all.
        bool ran = false;
        RunInBackground([&] { ran = true; });
        QVERIFY(ran);
        QVERIFY(!BackgroundProgressBar());
    }
};

QTEST_MAIN(TestFramework)
#include "test_framework.moc"
