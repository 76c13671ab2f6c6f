// The text document's open, save and close flows, with real enciphered files in a temporary folder,
// the real application and main frame, and every dialog answered by the test.

#include "common/DocumentAnswers.h"
#include "common/EditorTestEnv.h"

#include "cipher/DocumentFile.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "framework/ModalAnswer.h"
#include "framework/RecentFileList.h"
#include "platform/TickCount.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/LockSettings.h"
#include "shell/MainFrame.h"
#include "textdoc/EditorDoc.h"
#include "textdoc/EditorView.h"
#include "textdoc/FindReplaceDlg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QPrinter>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace docanswers;

namespace {

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The text of a file as the core reads it, or "<status n>" when it doesn't.
QString CoreRead(const QString& path, const char* password) {
    platform::SecureString text;
    const cipher::DocStatus status = cipher::ReadDocumentFile(QFile::encodeName(path).toStdString(), password, text);
    if (!status.ok())
        return QStringLiteral("<status %1>").arg(static_cast<int>(status.result));
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

class TestEditorDoc : public QObject {
    Q_OBJECT

    std::unique_ptr<CEditorApp> m_app;
    EditorTestEnv m_env;
    std::unique_ptr<QTemporaryDir> m_files;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    QString FilePath(const QString& name) const { return m_files->filePath(name); }

    void WriteSettings(const char* screenPassword) {
        LockSettingsRecord record;
        record.bLockWhenIdle = 1;
        record.nTimeoutIndex = 0; // one minute
        record.SetScreenPassword(screenPassword);
        record.bScreenPasswordOn = screenPassword[0] ? 1 : 0;
        QVERIFY(WriteLockSettingsFile(record));
    }

    CEditorDoc* NewDoc() { return dynamic_cast<CEditorDoc*>(m_app->GetTextTemplate()->OpenDocumentFile(QString())); }

    CEditorDoc* Open(const QString& path, const QString& password, std::shared_ptr<Seen> seen = {}) {
        if (!seen)
            seen = std::make_shared<Seen>();
        Answer(seen, {EnterPassword(password)});
        return dynamic_cast<CEditorDoc*>(m_app->OpenDocumentFile(path));
    }

    // A file written by the program itself: a new document typed in and saved as path.
    void MakeFile(const QString& path, const QString& text, const QString& password) {
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(text);
        auto seen = std::make_shared<Seen>();
        Answer(seen, {ChooseFile(seen, path), SetPassword(seen, password)});
        QVERIFY(doc->OnFileSave());
        doc->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void LockNow() { m_env.LockByIdleness(Frame()); }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }

    void init() {
        m_env.Reset();
        WriteSettings("");
        m_files = std::make_unique<QTemporaryDir>();
        QVERIFY(m_files->isValid());
        m_app = std::make_unique<CEditorApp>();
        QVERIFY(m_app->InitInstance({QStringLiteral("lockwarden-editor")}));
    }

    void cleanup() {
        CancelModalAnswers();
        MessageBox::clearAnswers();
        if (Frame() && Frame()->m_bLocked) {
            WriteSettings("");
            Frame()->PromptUnlock();
        }
        // Close without questions: whatever a test left modified is dropped.
        m_app->CloseAllDocuments();
        if (Frame())
            Frame()->close();
        m_app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_files.reset();
    }

    void textTemplateComesFirst() {
        QCOMPARE(m_app->GetDocTemplates().front().get(), m_app->GetTextTemplate());
        QCOMPARE(m_app->GetTextTemplate()->GetDocString(CMultiDocTemplate::filterExt), QStringLiteral(".etx"));
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        QCOMPARE(doc->GetTitle(), QStringLiteral("Untitled"));
        QVERIFY(doc->m_strFilePath.isEmpty());
        QVERIFY(!doc->IsModified());
        QVERIFY(doc->GetEditorView());
    }

    // New, type, Save (which is Save As for a new document), close, open again.
    void saveNewDocumentThenReopen() {
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(QStringLiteral("Hello\nWörld"));
        QVERIFY(doc->IsModified());

        auto seen = std::make_shared<Seen>();
        // A name without a dot gets the extension.
        Answer(seen, {ChooseFile(seen, FilePath("notes")), SetPassword(seen, "s3cret")});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(seen->texts, QStringList({"Untitled.etx", ""}));
        const QString path = FilePath("notes.etx");
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(CoreRead(path, "s3cret"), QStringLiteral("Hello\r\nWörld"));
        QVERIFY(!doc->IsModified());
        QCOMPARE(doc->GetTitle(), QStringLiteral("notes.etx"));
        QCOMPARE(doc->m_strFilePath, path);
        QCOMPARE(QFileInfo(doc->GetPathName()).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
        QCOMPARE((*m_app->GetRecentFileList())[0], doc->GetPathName());

        // Closing an unmodified document asks nothing.
        const int before = MessageBox::count();
        QVERIFY(doc->SaveModified());
        QCOMPARE(MessageBox::count(), before);
        doc->OnCloseDocument();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        auto reopened = std::make_shared<Seen>();
        CEditorDoc* again = Open(path, "s3cret", reopened);
        QVERIFY(again);
        QCOMPARE(reopened->titles, QStringList({"Enter Password"}));
        QCOMPARE(again->GetEditorView()->GetText(), QStringLiteral("Hello\r\nWörld"));
        QVERIFY(!again->IsModified());
        QCOMPARE(again->m_strFilePath, path);
        QCOMPARE(std::string(again->m_szFilePassword.view()), std::string("s3cret"));
    }

    void openFailures() {
        const QString path = FilePath("diary.etx");
        MakeFile(path, "dear diary", "right");

        // A wrong password: the notice names the bare file, and nothing opens.
        auto seen = std::make_shared<Seen>();
        Answer(seen, {EnterPassword("wrong"), Question(seen, IDC_DECRYPT_FAILED_TEXT, IDOK)});
        QVERIFY(!m_app->OpenDocumentFile(path));
        QCOMPARE(seen->texts, QStringList({"Failed to decrypt the file: diary.etx"}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_app->GetTextTemplate()->GetDocuments().empty());
        QVERIFY(Frame()->MDIClient()->subWindowList().isEmpty());

        // Cancelling the password prompt opens nothing and reads nothing.
        auto cancelled = std::make_shared<Seen>();
        Answer(cancelled, {EnterPassword(QString())});
        QVERIFY(!m_app->OpenDocumentFile(path));
        QCOMPARE(cancelled->answered, 1);

        // A missing file, an empty one, a folder and a pipe: the open fails at once, before any
        // password is asked, with a message that names the file and says why.
        QFile(FilePath("empty.etx")).open(QIODevice::WriteOnly);
        QVERIFY(QDir(m_files->path()).mkdir(QStringLiteral("folder.etx")));
        QVERIFY(::mkfifo(QFile::encodeName(FilePath("pipe.etx")).constData(), 0600) == 0);
        const std::pair<QString, QString> unreadable[] = {{"missing.etx", "does not exist"},
                                                          {"empty.etx", "the file is empty"},
                                                          {"folder.etx", "folder"},
                                                          {"pipe.etx", "pipe"}};
        for (const auto& [name, reason] : unreadable) {
            auto quiet = std::make_shared<Seen>();
            const int messages = MessageBox::count();
            MessageBox::setNextAnswer(IDOK);
            Answer(quiet, {EnterPassword("right"), Question(quiet, IDC_DECRYPT_FAILED_TEXT, IDOK)});
            QVERIFY(!m_app->OpenDocumentFile(FilePath(name)));
            QCoreApplication::processEvents();
            QCOMPARE(quiet->titles, QStringList());
            QCOMPARE(MessageBox::count(), messages + 1);
            QVERIFY(MessageBox::last().text.contains(name));
            QVERIFY2(MessageBox::last().text.contains(reason), qPrintable(MessageBox::last().text));
            CancelModalAnswers();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_app->GetTextTemplate()->GetDocuments().empty());
    }

    // An empty text is stored as a block of padding alone, which opens as an empty text again.
    void emptyDocumentIsSavedAndOpens() {
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(QStringLiteral("x"));
        doc->GetEditorView()->selectAll();
        doc->GetEditorView()->textCursor().removeSelectedText();
        QVERIFY(doc->IsModified());
        const QString path = FilePath("blank.etx");
        auto seen = std::make_shared<Seen>();
        Answer(seen, {ChooseFile(seen, path), SetPassword(seen, "pw")});
        QVERIFY(doc->OnFileSave());
        QVERIFY(!doc->IsModified());
        QCOMPARE(Bytes(path).size(), 8);
        QCOMPARE(CoreRead(path, "pw"), QString());
        doc->OnCloseDocument();

        CEditorDoc* again = Open(path, "pw");
        QVERIFY(again);
        QVERIFY(again->GetEditorView()->GetText().isEmpty());
    }

    void saveAsThenSave() {
        const QString original = FilePath("a.etx");
        MakeFile(original, "first", "pw");
        const QString other = FilePath("b.etx");
        QFile otherFile(other);
        QVERIFY(otherFile.open(QIODevice::WriteOnly));
        otherFile.write("not mine");
        otherFile.close();

        CEditorDoc* doc = Open(original, "pw");
        QVERIFY(doc);
        doc->GetEditorView()->moveCursor(QTextCursor::End);
        doc->GetEditorView()->insertPlainText(QStringLiteral(" second"));

        // "b" becomes "b.etx" before the existence test, so the question comes; No abandons it all.
        auto declined = std::make_shared<Seen>();
        Answer(declined, {ChooseFile(declined, FilePath("b")), Press(IDCANCEL)});
        QVERIFY(!doc->OnFileSaveAs());
        QCOMPARE(declined->titles.size(), 2);
        QCOMPARE(declined->texts.front(), QStringLiteral("a.etx")); // the proposal is the title
        QCOMPARE(Bytes(other), QByteArray("not mine"));
        QCOMPARE(doc->GetTitle(), QStringLiteral("a.etx"));
        QVERIFY(doc->IsModified());

        // Yes replaces it; the password is offered as it was.
        auto replaced = std::make_shared<Seen>();
        Answer(replaced, {ChooseFile(replaced, FilePath("b")), Press(IDOK), SetPassword(replaced, QString())});
        QVERIFY(doc->OnFileSaveAs());
        QCOMPARE(replaced->texts.last(), QStringLiteral("pw"));
        QCOMPARE(CoreRead(other, "pw"), QStringLiteral("first second"));
        QCOMPARE(CoreRead(original, "pw"), QStringLiteral("first"));
        QCOMPARE(doc->GetTitle(), QStringLiteral("b.etx"));

        // Save now goes to the new name, without a file dialog.
        doc->GetEditorView()->insertPlainText(QStringLiteral("!"));
        auto saved = std::make_shared<Seen>();
        Answer(saved, {SetPassword(saved, "pw2")});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(saved->titles, QStringList({"Set Password"}));
        QCOMPARE(CoreRead(other, "pw2"), QStringLiteral("first second!"));
        QCOMPARE(CoreRead(original, "pw"), QStringLiteral("first"));

        // Cancelling the password of a save writes nothing and keeps the document's password.
        doc->GetEditorView()->insertPlainText(QStringLiteral("?"));
        auto cancelled = std::make_shared<Seen>();
        Answer(cancelled, {SetPassword(cancelled, "other", true)});
        QVERIFY(!doc->OnFileSave());
        QCOMPARE(CoreRead(other, "pw2"), QStringLiteral("first second!"));
        QCOMPARE(std::string(doc->m_szFilePassword.view()), std::string("pw2"));
        QVERIFY(doc->IsModified());
    }

    // A leading U+FEFF is a character of the text and comes back on save; zero code units that end
    // a text (a file converted on a multi-byte code page) are not part of it.
    void leadingBomAndTrailingZeros() {
        const QString path = FilePath("bom.etx");
        const std::string text = "\uFEFFBOM first\r\nline";
        QVERIFY(cipher::WriteDocumentFile(QFile::encodeName(path).toStdString(), "pw", text).ok());
        const QByteArray clean = Bytes(path);
        QVERIFY(
            cipher::WriteDocumentFile(QFile::encodeName(path).toStdString(), "pw", text + std::string(4, '\0')).ok());
        CEditorDoc* doc = Open(path, "pw");
        QVERIFY(doc);
        QCOMPARE(doc->GetEditorView()->GetText(), QChar(0xFEFF) + QStringLiteral("BOM first\r\nline"));
        auto seen = std::make_shared<Seen>();
        Answer(seen, {SetPassword(seen, QString())});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(Bytes(path), clean);
    }

    void setNewFilePassword() {
        const QString path = FilePath("p.etx");
        MakeFile(path, "text", "old");
        CEditorDoc* doc = Open(path, "old");
        QVERIFY(doc);

        auto seen = std::make_shared<Seen>();
        Answer(seen, {[seen](QWidget* modal) {
                   seen->texts << AsDialog(modal)->GetDlgItemText(IDOK);
                   SetPassword(seen, "new")(modal);
               }});
        Frame()->SendCommand(ID_SET_FILE_PASSWORD);
        QCOMPARE(seen->texts, QStringList({"Set", "old"}));
        QCOMPARE(std::string(doc->m_szFilePassword.view()), std::string("new"));
        // Nothing written, but closing asks to save the new password.
        QCOMPARE(CoreRead(path, "old"), QStringLiteral("text"));
        QVERIFY(doc->IsModified());
        auto asked = std::make_shared<Seen>();
        Answer(asked, {Question(asked, IDC_SAVE_CHANGES_TEXT, IDCANCEL)});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(asked->answered, 1);

        // The next save uses it.
        doc->GetEditorView()->insertPlainText(QStringLiteral("more "));
        auto saved = std::make_shared<Seen>();
        Answer(saved, {SetPassword(saved, QString())});
        Frame()->SendCommand(ID_FILE_SAVE);
        QCOMPARE(saved->texts, QStringList({"new"}));
        QCOMPARE(CoreRead(path, "new"), QStringLiteral("more text"));
    }

    void saveModifiedQuestion() {
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(QStringLiteral("draft"));

        // Cancel keeps it open; No lets it go.
        auto cancelled = std::make_shared<Seen>();
        Answer(cancelled, {Question(cancelled, IDC_SAVE_CHANGES_TEXT, IDCANCEL)});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(cancelled->texts, QStringList({"Save changes to Untitled.etx?"}));
        auto dropped = std::make_shared<Seen>();
        Answer(dropped, {Question(dropped, IDC_SAVE_CHANGES_TEXT, IDNO)});
        QVERIFY(doc->SaveModified());

        // Yes whose Save As is abandoned answers no; Yes that writes answers yes.
        auto abandoned = std::make_shared<Seen>();
        Answer(abandoned, {Question(abandoned, IDC_SAVE_CHANGES_TEXT, IDYES), ChooseFile(abandoned, QString())});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(abandoned->answered, 2);
        auto written = std::make_shared<Seen>();
        Answer(written, {Question(written, IDC_SAVE_CHANGES_TEXT, IDYES), ChooseFile(written, FilePath("d.etx")),
                         SetPassword(written, "pw")});
        QVERIFY(doc->SaveModified());
        QCOMPARE(CoreRead(FilePath("d.etx"), "pw"), QStringLiteral("draft"));

        // With a file, the question names it.
        doc->GetEditorView()->insertPlainText(QStringLiteral("more "));
        auto named = std::make_shared<Seen>();
        Answer(named, {Question(named, IDC_SAVE_CHANGES_TEXT, IDCANCEL)});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(named->texts, QStringList({"Save changes to d.etx?"}));
    }

    void closingWhileLockedAsksForTheScreenPasswordFirst() {
        WriteSettings("unlock me");
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(QStringLiteral("secret"));
        LockNow();

        // Cancelling the screen password keeps the document, and the lock.
        auto cancelled = std::make_shared<Seen>();
        Answer(cancelled, {EnterPassword(QString())});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(cancelled->titles, QStringList({"Enter Password"}));
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(doc->IsModified());

        // The right one unlocks; then the save question comes.
        auto unlocked = std::make_shared<Seen>();
        Answer(unlocked, {EnterPassword("unlock me"), Question(unlocked, IDC_SAVE_CHANGES_TEXT, IDNO)});
        QVERIFY(doc->SaveModified());
        QCOMPARE(unlocked->titles.size(), 2);
        QVERIFY(!Frame()->m_bLocked);
    }

    // The Find dialog floats above every window, the lock window too: it goes away with the lock, so
    // that nobody can search or replace in a document the lock hides.
    void findDialogClosesOnTheLock() {
        WriteSettings("");
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(QStringLiteral("needle in a haystack"));
        Frame()->SendCommand(ID_EDIT_REPLACE);
        QPointer<CFindReplaceDlg> dialog = doc->GetEditorView()->GetFindReplaceDlg();
        QVERIFY(dialog);
        QTRY_VERIFY(dialog->isVisible());
        QTest::qWait(250);
        QVERIFY(dialog && dialog->isVisible()); // unlocked, it stays
        LockNow();
        QTRY_VERIFY(!dialog || !dialog->isVisible());
    }

    // Print and Print Preview show the deciphered text and can print it: the idle lock ends them like
    // every other window over the frame, and nothing is printed.
    void printWindowsCloseOnTheIdleLock_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("dialogClass");
        QTest::newRow("preview") << int(ID_FILE_PRINT_PREVIEW) << QStringLiteral("QPrintPreviewDialog");
        QTest::newRow("print") << int(ID_FILE_PRINT) << QStringLiteral("QPrintDialog");
    }
    void printWindowsCloseOnTheIdleLock() {
        QFETCH(int, command);
        QFETCH(QString, dialogClass);
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(QStringLiteral("the secret"));
        const QString pdf = FilePath("printed.pdf");
        m_app->GetPrinter()->setOutputFormat(QPrinter::PdfFormat);
        m_app->GetPrinter()->setOutputFileName(pdf);
        QString shown;
        bool stuck = false;
        AnswerNextModal([&](QWidget* modal) {
            shown = QString::fromLatin1(modal->metaObject()->className());
            LockNow();
        });
        // Should the lock not end it, the test must not hang.
        QTimer::singleShot(5000, this, [&stuck] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                stuck = true;
                modal->close();
            }
        });
        Frame()->SendCommand(command);
        QCOMPARE(shown, dialogClass);
        QVERIFY(!stuck);
        QVERIFY(Frame()->m_bLocked);
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(window == Frame() || !window->isVisible(), window->metaObject()->className());
        QVERIFY(!QFileInfo::exists(pdf));
    }

    // A PDF printed to a file holds the clear text: readable by its owner alone, also when it replaces
    // a file that others could read.
    void printedPdfIsPrivate() {
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(QStringLiteral("the secret"));
        const QString pdf = FilePath("printed.pdf");
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QVERIFY(QFile::setPermissions(pdf, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        m_app->GetPrinter()->setOutputFormat(QPrinter::PdfFormat);
        m_app->GetPrinter()->setOutputFileName(pdf);
        Frame()->SendCommand(ID_FILE_PRINT_DIRECT);
        QVERIFY(Bytes(pdf).startsWith("%PDF"));
        QCOMPARE(QFile::permissions(pdf) &
                     (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
                 QFile::Permissions());
    }

    // A save that fails says which file and why, leaves every file as it was and the document
    // modified under its old name, and the close that wanted it is refused.
    void failedSaveLosesNothing() {
        const QString path = FilePath("keep.etx");
        MakeFile(path, "kept", "pw");
        const QByteArray before = Bytes(path);
        CEditorDoc* doc = Open(path, "pw");
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(QStringLiteral("changed "));
        const int recent = m_app->GetRecentFileList()->GetSize();

        for (const QString& target : {FilePath("no/such/folder/x.etx"), QStringLiteral("/proc/lw-test.etx")}) {
            MessageBox::setNextAnswer(IDOK);
            auto seen = std::make_shared<Seen>();
            Answer(seen, {ChooseFile(seen, target), SetPassword(seen, QString())});
            QVERIFY(!doc->OnFileSaveAs());
            QVERIFY(MessageBox::last().text.contains(target));
            QCOMPARE(MessageBox::last().type, MB_ICONEXCLAMATION);
            QVERIFY(!QFileInfo::exists(target));
            QVERIFY(doc->IsModified());
            QCOMPARE(doc->GetTitle(), QStringLiteral("keep.etx"));
            QCOMPARE(doc->m_strFilePath, path);
            QCOMPARE(m_app->GetRecentFileList()->GetSize(), recent);
        }

        // The document's own file can't be written either: a file size limit cuts the write short.
        struct rlimit old {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit tight = old;
        tight.rlim_cur = 4;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        MessageBox::setNextAnswer(IDOK);
        auto seen = std::make_shared<Seen>();
        Answer(seen, {Question(seen, IDC_SAVE_CHANGES_TEXT, IDYES), SetPassword(seen, QString())});
        const bool closable = doc->SaveModified();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        QVERIFY(!closable);
        QVERIFY(MessageBox::last().text.contains(path));
        QCOMPARE(Bytes(path), before);
        QVERIFY(doc->IsModified());

        // Once writing works again, the same Save goes through.
        auto retried = std::make_shared<Seen>();
        Answer(retried, {SetPassword(retried, QString())});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(CoreRead(path, "pw"), QStringLiteral("changed kept"));
    }

    // Save As and Open of a document closed by the lock come back after the unlock.
    void fileDialogsClosedByTheLockComeBack() {
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc);
        doc->GetEditorView()->insertPlainText(QStringLiteral("later"));
        QCOMPARE(Frame()->GetActiveDocument(), doc);

        AnswerNextModal([this](QWidget*) { LockNow(); });
        QVERIFY(!doc->OnFileSaveAs());
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_SAVE_AS));

        // Any command while locked unlocks (no screen password here) and replays Save As.
        auto seen = std::make_shared<Seen>();
        Answer(seen, {ChooseFile(seen, FilePath("later")), SetPassword(seen, "pw")});
        Frame()->OnUserCommand(ID_EDIT_COPY);
        QVERIFY(!Frame()->m_bLocked);
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_SAVE_AS));
        QCOMPARE(CoreRead(FilePath("later.etx"), "pw"), QStringLiteral("later"));
        QCOMPARE(doc->GetTitle(), QStringLiteral("later.etx"));

        // The document's Open command, the same way.
        AnswerNextModal([this](QWidget*) { LockNow(); });
        Frame()->SendCommand(ID_FILE_OPEN);
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_OPEN));
        auto reopen = std::make_shared<Seen>();
        Answer(reopen, {ChooseFile(reopen, QString())});
        Frame()->OnUserCommand(ID_EDIT_COPY);
        QCOMPARE(reopen->titles, QStringList({"Open"}));
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_OPEN));
    }
};

QTEST_MAIN(TestEditorDoc)
#include "test_editor_doc.moc"
