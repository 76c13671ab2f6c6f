// Settings, Reopen Documents at Start: the documents open at exit come back at the next start, each
// after its password typed by the user, where the user left them; the profile learns only paths and
// numbers. Off by default, and a file named on the command line comes first.

#include "DocumentKinds.h"

#include "framework/StatusBar.h"
#include "res/resource.h"
#include "shell/ReopenDocuments.h"
#include "workspace/LeftView.h"
#include "workspace/VaultoraChildFrame.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScrollBar>
#include <QTextBlock>
#include <QtTest>

using namespace docanswers;

class TestReopen : public QObject, public DocumentKinds {
    Q_OBJECT

    // Words that are in the documents and must never reach the profile.
    static constexpr const char* kSecretWord = "zanzibar";
    static constexpr const char* kAccountName = "Quetzal Bank";

    // A text of 300 numbered lines, one of them 400 characters long, saved by the editor.
    QString MakeText(const QString& name, const QString& password) {
        m_bText = true;
        QString text;
        for (int i = 1; i <= 300; ++i)
            text += QStringLiteral("line %1 %2%3\n").arg(i).arg(kSecretWord).arg(i == 20 ? QString(400, 'x') : "");
        const QString path = FileOfKind(name);
        return MakeFile(path, text, password).isEmpty() ? QString() : path;
    }

    // A passwords file with three other accounts (sorted: "A ...", "B ...", the bank).
    QString MakePasswords(const QString& name, const QString& password) {
        m_bText = false;
        CEncryptedDocument* doc = NewDoc();
        if (!doc)
            return {};
        for (const char* account : {"B second", kAccountName, "A first"})
            Type(doc, QString::fromUtf8(account));
        const QString path = FileOfKind(name);
        if (!SaveWithPassword(doc, path, password))
            return {};
        doc->OnCloseDocument();
        GuiTestEnv::FlushDeletes();
        return path;
    }

    // File, Exit, as the user ends the program; then the editor is gone.
    void Exit() {
        QVERIFY(Frame()->SendCommand(ID_APP_EXIT));
        QVERIFY(!Frame()->isVisible());
        m_app.reset();
        GuiTestEnv::FlushDeletes();
    }

    // Starts the editor. Each password prompt that comes up is answered by typing the next password
    // into the focused field and pressing Enter (an empty one: Escape); its file line is noted.
    bool StartTyping(const QStringList& passwords, const QStringList& arguments = {"lockwarden-editor"}) {
        m_prompts.clear();
        std::vector<Step> steps;
        for (const QString& password : passwords)
            steps.push_back(TypePassword(password));
        Answer(std::make_shared<Seen>(), steps);
        m_app = std::make_unique<CEditorApp>();
        const bool started = m_app->InitInstance(arguments);
        CancelModalAnswers();
        return started;
    }

    Step TypePassword(const QString& password) {
        return [this, password](QWidget* modal) {
            QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == modal);
            m_prompts << modal->windowTitle() + ": " + AsDialog(modal)->GetDlgItemText(IDC_PASSWORD_FILE);
            if (password.isEmpty()) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                return;
            }
            QTest::keyClicks(QApplication::focusWidget(), password);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        };
    }

    // The documents open, in window order, by file name.
    QStringList OpenNames() const {
        QStringList names;
        for (QMdiSubWindow* sub : Frame()->MDIClient()->subWindowList(QMdiArea::CreationOrder)) {
            if (auto* child = dynamic_cast<CMDIChildWnd*>(sub); child && child->GetActiveDocument())
                names << CEncryptedDocument::BareFileName(child->GetActiveDocument()->GetPathName());
        }
        return names;
    }

    CEditorView* TextView(const QString& path) const {
        for (CDocument* doc : m_app->GetTextTemplate()->GetDocuments()) {
            if (doc->GetPathName() == path)
                return dynamic_cast<CEditorDoc*>(doc)->GetEditorView();
        }
        return nullptr;
    }

    CLeftView* Tree(const QString& path) const {
        for (CDocument* doc : m_app->GetPasswordsTemplate()->GetDocuments()) {
            if (doc->GetPathName() == path)
                return dynamic_cast<CVaultoraChildFrame*>(doc->GetFrames().front())->GetLeftView();
        }
        return nullptr;
    }

    void TurnOn() {
        QVERIFY(!Frame()->QueryCommandUI(ID_SETTINGS_REOPEN_DOCUMENTS).IsChecked());
        QVERIFY(Frame()->SendCommand(ID_SETTINGS_REOPEN_DOCUMENTS));
        QVERIFY(Frame()->QueryCommandUI(ID_SETTINGS_REOPEN_DOCUMENTS).IsChecked());
    }

    static QString ProfileText() { return QString::fromUtf8(GuiTestEnv::Bytes(GuiTestEnv::Profile().fileName())); }
    // The files of the session the profile keeps, in order.
    static QStringList SessionFiles() {
        QSettings profile = GuiTestEnv::Profile();
        profile.beginGroup(QStringLiteral("LastSession"));
        QStringList files;
        for (int i = 1; i <= profile.value(QStringLiteral("Count")).toInt(); ++i)
            files << profile.value(QStringLiteral("File%1").arg(i)).toString();
        return files;
    }
    static QString StatusMessage() { return AfxGetMainFrame()->GetStatusBar()->GetPaneText(0); }

    QStringList m_prompts;

private slots:
    void initTestCase() { BeginKinds(); }
    void cleanupTestCase() { EndKinds(); }
    void init() {
        m_env.Reset();
        QVERIFY(m_env.Start(m_app));
    }
    void cleanup() {
        CancelModalAnswers();
        m_env.Stop(m_app);
    }

    // Two texts and a passwords document come back in their order, each after its own password, the
    // active one active again, each text at its caret and scroll (the scroll apart from the caret), the
    // tree at its account. The profile holds their paths and numbers, no word of what they hold.
    void documentsComeBackWhereTheyWere() {
        const QString notes = MakeText("notes", "pass-notes-1");
        const QString vault = MakePasswords("vault", "pass-vault-2");
        const QString diary = MakeText("diary", "pass-diary-3");
        QVERIFY(!notes.isEmpty() && !vault.isEmpty() && !diary.isEmpty());
        TurnOn();
        QVERIFY(Open(notes, "pass-notes-1") && Open(vault, "pass-vault-2") && Open(diary, "pass-diary-3"));

        CEditorView* view = TextView(notes);
        Frame()->MDIClient()->setActiveSubWindow(view->GetParentFrame());
        // The caret on line 22; the text scrolled to show line 13 at the top and, sideways, the middle
        // of the long line 20.
        view->setTextCursor(QTextCursor(view->document()->findBlockByNumber(21)));
        view->verticalScrollBar()->setValue(12);
        view->horizontalScrollBar()->setValue(1000);
        QCOMPARE(view->horizontalScrollBar()->value(), 1000);
        const int caret = view->textCursor().position();
        // The diary read from line 151, its caret still on the first.
        QVERIFY(TextView(diary)->verticalScrollBar()->maximum() > 200);
        TextView(diary)->verticalScrollBar()->setValue(150);

        CLeftView* tree = Tree(vault);
        QTreeWidgetItem* bank = tree->GetOtherFolder()->child(2);
        QCOMPARE(bank->text(0), QString(kAccountName));
        tree->setCurrentItem(bank);
        Exit();

        QCOMPARE(SessionFiles(), QStringList({notes, vault, diary}));
        QSettings session = GuiTestEnv::Profile();
        session.beginGroup(QStringLiteral("LastSession"));
        for (const QString& key : session.allKeys()) {
            bool number = false;
            session.value(key).toString().toInt(&number);
            QVERIFY2(number || key.startsWith(QStringLiteral("File")), qPrintable(key));
        }
        const QString profile = ProfileText();
        for (const char* secret : {kSecretWord, kAccountName, "second", "pass-notes-1", "pass-vault-2", "pass-diary-3"})
            QVERIFY2(!profile.contains(QString::fromUtf8(secret)), secret);

        QVERIFY(StartTyping({"pass-notes-1", "pass-vault-2", "pass-diary-3"}));
        QCOMPARE(m_prompts,
                 QStringList({"Enter Password: notes.etx", "Enter Password: vault.kvd", "Enter Password: diary.etx"}));
        QCOMPARE(OpenNames(), QStringList({"notes.etx", "vault.kvd", "diary.etx"}));
        QCOMPARE(Frame()->GetActiveDocument()->GetPathName(), notes);

        view = TextView(notes);
        QCOMPARE(view->textCursor().position(), caret);
        QTRY_COMPARE(view->verticalScrollBar()->value(), 12);
        QTRY_COMPARE(view->horizontalScrollBar()->value(), 1000);
        QTRY_COMPARE(TextView(diary)->verticalScrollBar()->value(), 150);
        QCOMPARE(TextView(diary)->textCursor().position(), 0);
        QCOMPARE(Tree(vault)->GetSelectedItem()->text(0), QString(kAccountName));
    }

    // A file that is gone is named in the status bar; a Cancel skips its document; the others open. A
    // text that became shorter has its caret at the end.
    void goneAndCancelledAreSkipped() {
        const QString gone = MakeText("gone", "pass-gone-4");
        const QString skipped = MakeText("skipped", "pass-skip-5");
        const QString kept = MakeText("kept", "pass-kept-6");
        TurnOn();
        QVERIFY(Open(gone, "pass-gone-4") && Open(skipped, "pass-skip-5") && Open(kept, "pass-kept-6"));
        TextView(kept)->moveCursor(QTextCursor::End);
        Exit();
        QVERIFY(QFile::remove(gone));
        // Another program wrote "kept" shorter meanwhile.
        QVERIFY(cipher::WriteDocumentFile(QFile::encodeName(kept).toStdString(), "pass-kept-6", "short").ok());

        QVERIFY(StartTyping({"", "pass-kept-6"}));
        QCOMPARE(m_prompts, QStringList({"Enter Password: skipped.etx", "Enter Password: kept.etx"}));
        QCOMPARE(OpenNames(), QStringList({"kept.etx"}));
        // The menu is a text window's, as after any open.
        QStringList menus;
        for (const QAction* menu : Frame()->menuBar()->actions())
            menus << menu->text();
        QVERIFY2(menus.contains(QStringLiteral("&Edit")), qPrintable(menus.join(QLatin1Char(','))));
        QCOMPARE(StatusMessage(), QStringLiteral("Could not reopen gone.etx: the file is gone."));
        QCOMPARE(TextView(kept)->textCursor().position(), TextView(kept)->document()->characterCount() - 1);
        QCOMPARE(GoneFilesNote({"a.etx", "b.kvd"}),
                 QStringLiteral("Could not reopen a.etx, b.kvd: the files are gone."));
        QCOMPARE(GoneFilesNote({"a", "b", "c", "d"}),
                 QStringLiteral("Could not reopen 4 documents: their files are gone."));
    }

    // Off by default: nothing is written at exit and nothing asked at the next start. Turned off, the
    // list goes from the profile.
    void offWritesAndReopensNothing() {
        const QString notes = MakeText("notes", "pass-notes-1");
        QVERIFY(Open(notes, "pass-notes-1"));
        Exit();
        QVERIFY(SessionFiles().isEmpty());
        QVERIFY(!GuiTestEnv::Profile().contains(QStringLiteral("Settings/ReopenDocuments")));
        QVERIFY(!ProfileText().contains(QStringLiteral("LastSession")));
        QVERIFY(StartTyping({"pass-notes-1"}));
        QVERIFY(m_prompts.isEmpty());
        QVERIFY(!m_app->HasOpenDocuments());

        TurnOn();
        QVERIFY(Open(notes, "pass-notes-1"));
        Exit();
        QCOMPARE(SessionFiles(), QStringList({notes}));
        QVERIFY(StartTyping({"pass-notes-1"}));
        QCOMPARE(OpenNames(), QStringList({"notes.etx"}));
        QVERIFY(Frame()->SendCommand(ID_SETTINGS_REOPEN_DOCUMENTS));
        QVERIFY(!Frame()->QueryCommandUI(ID_SETTINGS_REOPEN_DOCUMENTS).IsChecked());
        QVERIFY(!ProfileText().contains(QStringLiteral("LastSession")));
    }

    // A file named on the command line is opened alone; a Cancel of the exit keeps the list as it was.
    void commandLineAndCancelledExit() {
        const QString notes = MakeText("notes", "pass-notes-1");
        const QString other = MakeText("other", "pass-other-7");
        TurnOn();
        QVERIFY(Open(notes, "pass-notes-1"));
        Exit();
        QVERIFY(StartTyping({"pass-other-7", "pass-notes-1"}, {"lockwarden-editor", other}));
        QCOMPARE(m_prompts, QStringList({"Enter Password: other.etx"}));
        QCOMPARE(OpenNames(), QStringList({"other.etx"}));

        // Changed, and the exit cancelled at "Save changes?": the profile still names the last session.
        Type(dynamic_cast<CEncryptedDocument*>(Frame()->GetActiveDocument()), "more");
        Answer(std::make_shared<Seen>(), {Press(IDCANCEL)});
        QVERIFY(Frame()->SendCommand(ID_APP_EXIT));
        QVERIFY(Frame()->isVisible());
        QCOMPARE(SessionFiles(), QStringList({notes}));
    }

    // With the start-up lock, nothing is asked until the unlock; then the documents come back, before
    // the Welcome, which no longer shows since a document is open.
    void startupLockComesFirst() {
        const QString notes = MakeText("notes", "pass-notes-1");
        TurnOn();
        QVERIFY(Open(notes, "pass-notes-1"));
        Exit();
        LockSettingsRecord record;
        record.bLockAtStartup = 1;
        QVERIFY(WriteLockSettingsFile(record));
        GuiTestEnv::Profile().setValue(QStringLiteral("Settings/wzrd"), 1);

        QVERIFY(StartTyping({}));
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(!m_app->HasOpenDocuments());
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_WIZARD));
        // An exit while still locked leaves the list for the next start.
        Exit();
        QCOMPARE(SessionFiles(), QStringList({notes}));
        QVERIFY(StartTyping({}));
        QVERIFY(Frame()->m_bLocked);
        Answer(std::make_shared<Seen>(), {TypePassword("pass-notes-1")});
        QTest::keyClick(Frame()->GetLockWnd(), Qt::Key_Space);
        QVERIFY(!Frame()->m_bLocked);
        QCOMPARE(m_prompts, QStringList({"Enter Password: notes.etx"}));
        QCOMPARE(OpenNames(), QStringList({"notes.etx"}));
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_WIZARD));
    }
};

QTEST_MAIN(TestReopen)
#include "test_reopen.moc"
