// What the text and the passwords document share: open failures, Save As and Save, Set New File
// Password, the save question, closing while locked, a failed save and the choice of format. Every
// test runs once for each kind of document, with real enciphered files, the real application and
// main frame, and every dialog answered by the test.

#include "DocumentKinds.h"

#include "cipher/DocumentFile.h"
#include "cipher/StrongFile.h"
#include "framework/DocTemplate.h"
#include "framework/MDIChildWnd.h"
#include "framework/RecentFileList.h"
#include "framework/StatusBar.h"
#include "passwords/PasswordsSchema.h"
#include "passwords/VaultoraDoc.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "textdoc/EditorDoc.h"
#include "textdoc/EditorView.h"

#include <QMdiArea>
#include <QToolBar>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace docanswers;

namespace {

bool IsStrong(const QByteArray& bytes) {
    return cipher::IsStrongFile(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

// Answers the Document Encryption dialog: records which radio button and check box it found checked,
// clicks the given controls in turn, then the button.
Step Encryption(std::shared_ptr<Seen> seen, std::vector<int> clicks, int nButton = IDOK) {
    return [seen, clicks, nButton](QWidget* modal) {
        if (CDialog* dialog = AsDialog(modal)) {
            seen->texts << QStringLiteral("compatible=%1 strong=%2 new=%3 enabled=%4")
                               .arg(dialog->IsDlgButtonChecked(IDC_ENCRYPTION_COMPATIBLE))
                               .arg(dialog->IsDlgButtonChecked(IDC_ENCRYPTION_STRONG))
                               .arg(dialog->IsDlgButtonChecked(IDC_ENCRYPTION_NEW_STRONG))
                               .arg(dialog->GetDlgItem(IDC_ENCRYPTION_STRONG)->isEnabled());
        }
        for (int id : clicks)
            Click(modal, id);
        Click(modal, nButton);
    };
}

} // namespace

class TestEncryptedDocument : public QObject, public DocumentKinds {
    Q_OBJECT

    QString FormatPane() {
        Frame()->UpdateStatusPanes();
        CStatusBar* bar = Frame()->GetStatusBar();
        return bar->GetPaneText(bar->CommandToIndex(ID_INDICATOR_ENCRYPTION));
    }

    // The Document Encryption command as the menu gives it, answered by step.
    void ChooseEncryption(const Step& step) {
        auto seen = std::make_shared<Seen>();
        Answer(seen, {step});
        Frame()->OnUserCommand(ID_SETTINGS_DOCUMENT_ENCRYPTION);
        QCOMPARE(seen->answered, 1);
        QCOMPARE(seen->titles.value(0), QStringLiteral("Document Encryption"));
    }

private slots:
    void initTestCase_data() { KindRows(); }

    void initTestCase() { BeginKinds(); }
    void cleanupTestCase() { EndKinds(); }

    void init() { StartKind(); }

    void cleanup() { m_env.Stop(m_app); }

    // New, change, Save (which is Save As for a new document), close, open again.
    void saveNewDocumentThenReopen() {
        CEncryptedDocument* doc = NewDoc();
        QVERIFY(doc);
        QCOMPARE(doc->GetTitle(), QStringLiteral("Untitled"));
        QVERIFY(doc->m_strFilePath.isEmpty());
        QVERIFY(doc->m_szFilePassword.empty());
        QVERIFY(!doc->IsModified());
        Type(doc, QStringLiteral("Hello\nWörld"));
        QVERIFY(doc->IsModified());
        const QByteArray clear = Clear(doc);
        if (m_bText)
            QCOMPARE(clear, QByteArray("Hello\r\nWörld"));

        // A name without a dot gets the extension.
        auto seen = std::make_shared<Seen>();
        Answer(seen, {ChooseFile(seen, m_env.FilePath("notes")), SetPassword(seen, "s3cret")});
        Frame()->SendCommand(ID_FILE_SAVE);
        QCOMPARE(seen->titles, QStringList({"Save As", "Set Password"}));
        QCOMPARE(seen->texts, QStringList({"Untitled" + Ext(), ""}));
        const QString path = FileOfKind("notes");
        QCOMPARE(CoreRead(path, "s3cret"), clear);
        QVERIFY(!doc->IsModified());
        QCOMPARE(doc->GetTitle(), "notes" + Ext());
        QCOMPARE(doc->m_strFilePath, path);
        QCOMPARE(QFileInfo(doc->GetPathName()).canonicalFilePath(), QFileInfo(path).canonicalFilePath());
        QCOMPARE((*m_app->GetRecentFileList())[0], doc->GetPathName());

        // Closing an unmodified document asks nothing.
        const int before = MessageBox::count();
        QVERIFY(doc->SaveModified());
        QCOMPARE(MessageBox::count(), before);
        doc->OnCloseDocument();
        GuiTestEnv::FlushDeletes();

        auto reopened = std::make_shared<Seen>();
        CEncryptedDocument* again = Open(path, "s3cret", reopened);
        QVERIFY(again);
        QCOMPARE(reopened->titles, QStringList({"Enter Password"}));
        QCOMPARE(Clear(again), clear);
        QVERIFY(!again->IsModified());
        QCOMPARE(again->m_strFilePath, path);
        QCOMPARE(std::string(again->m_szFilePassword.view()), std::string("s3cret"));
    }

    // A window's name: the file name, "*" while there are unsaved changes, and the folder while another
    // open file has the same name. Save and Print are off with no document.
    void titlesShowChangesAndTellSameNamesApart() {
        QVERIFY(QDir(m_env.FilesDir()).mkpath("a") && QDir(m_env.FilesDir()).mkpath("b"));
        const QString first = m_env.FilePath("a/notes" + Ext());
        const QString second = m_env.FilePath("b/notes" + Ext());
        QVERIFY(!MakeFile(first, "one", "pw").isEmpty());
        QVERIFY(!MakeFile(second, "two", "pw").isEmpty());
        const QString name = "notes" + Ext();
        const auto title = [](CEncryptedDocument* doc) { return doc->GetFrames().front()->windowTitle(); };

        CEncryptedDocument* doc = Open(first, "pw");
        QVERIFY(doc);
        QCOMPARE(title(doc), name);
        Type(doc, QStringLiteral("!"));
        QCOMPARE(title(doc), name + "*");
        QVERIFY(Frame()->windowTitle().contains(name + "*"));
        QVERIFY(docanswers::SaveWithPassword(doc, first, QString()));
        QCOMPARE(title(doc), name);

        CEncryptedDocument* other = Open(second, "pw");
        QVERIFY(other);
        QCOMPARE(title(other), name + " (" + QFileInfo(second).absolutePath() + ")");
        QCOMPARE(title(doc), name + " (" + QFileInfo(first).absolutePath() + ")");
        other->OnCloseDocument();
        GuiTestEnv::FlushDeletes();
        QCOMPARE(title(doc), name);

        CloseAll();
        for (QAction* button : Frame()->GetToolBar()->actions()) {
            if (button->data().toInt() == ID_FILE_SAVE || button->data().toInt() == ID_FILE_PRINT)
                QTRY_VERIFY2(!button->isEnabled(), qPrintable(button->text()));
        }
    }

    void openFailures() {
        const QString path = FileOfKind("diary");
        QVERIFY(!MakeFile(path, "dear diary", "right").isEmpty());

        // The question names the file. A wrong password: the notice names the bare file, and the password
        // is asked again; Cancel then opens nothing.
        const auto namedPrompt = [](std::shared_ptr<Seen> seen, const QString& password) -> Step {
            return [seen, password](QWidget* modal) {
                seen->texts << AsDialog(modal)->GetDlgItemText(IDC_PASSWORD_FILE);
                EnterPassword(password)(modal);
            };
        };
        auto seen = std::make_shared<Seen>();
        Answer(seen, {namedPrompt(seen, "wrong"), Question(seen, IDC_DECRYPT_FAILED_TEXT, IDOK),
                      namedPrompt(seen, QString())});
        QVERIFY(!m_app->OpenDocumentFile(path));
        QCOMPARE(seen->texts,
                 QStringList({"diary" + Ext(), "Failed to decrypt the file: diary" + Ext(), "diary" + Ext()}));
        GuiTestEnv::FlushDeletes();
        QVERIFY(Template()->GetDocuments().empty());
        QVERIFY(Frame()->MDIClient()->subWindowList().isEmpty());

        // Asked again, the right password opens it.
        auto retried = std::make_shared<Seen>();
        Answer(retried,
               {EnterPassword("wrong"), Question(retried, IDC_DECRYPT_FAILED_TEXT, IDOK), EnterPassword("right")});
        CEncryptedDocument* opened = dynamic_cast<CEncryptedDocument*>(m_app->OpenDocumentFile(path));
        QVERIFY(opened);
        QCOMPARE(retried->answered, 3);
        QCOMPARE(std::string(opened->m_szFilePassword.view()), std::string("right"));
        CloseAll();

        // Cancelling the password prompt opens nothing and reads nothing.
        auto cancelled = std::make_shared<Seen>();
        Answer(cancelled, {EnterPassword(QString())});
        QVERIFY(!m_app->OpenDocumentFile(path));
        QCOMPARE(cancelled->answered, 1);

        // A missing file, an empty one, a folder and a pipe: the open fails at once, before any
        // password is asked, with a message that names the file and says why.
        QVERIFY(GuiTestEnv::WriteBytes(FileOfKind("empty"), {}));
        QVERIFY(QDir(m_env.FilesDir()).mkdir("folder" + Ext()));
        QVERIFY(::mkfifo(QFile::encodeName(FileOfKind("pipe")).constData(), 0600) == 0);
        const std::pair<QString, QString> unreadable[] = {
            {"missing", "does not exist"}, {"empty", "the file is empty"}, {"folder", "folder"}, {"pipe", "pipe"}};
        for (const auto& [name, reason] : unreadable) {
            auto quiet = std::make_shared<Seen>();
            const int messages = MessageBox::count();
            MessageBox::setNextAnswer(IDOK);
            Answer(quiet, {EnterPassword("right"), Question(quiet, IDC_DECRYPT_FAILED_TEXT, IDOK)});
            QVERIFY(!m_app->OpenDocumentFile(FileOfKind(name)));
            QCoreApplication::processEvents();
            QCOMPARE(quiet->titles, QStringList());
            QCOMPARE(MessageBox::count(), messages + 1);
            QVERIFY(MessageBox::last().text.contains(name + Ext()));
            QVERIFY2(MessageBox::last().text.contains(reason), qPrintable(MessageBox::last().text));
            CancelModalAnswers();
        }

        // The strong format: a wrong password says the file could not be deciphered, naming it; a
        // header this version does not know says so, naming the file.
        const QString locked = FileOfKind("locked");
        QVERIFY(cipher::WriteDocumentFile(locked.toStdString(), "right", "text", cipher::DocFormat::Strong).ok());
        auto strong = std::make_shared<Seen>();
        Answer(strong,
               {EnterPassword("wrong"), Question(strong, IDC_DECRYPT_FAILED_TEXT, IDOK), EnterPassword(QString())});
        QVERIFY(!m_app->OpenDocumentFile(locked));
        QCOMPARE(strong->texts.value(0), "Failed to decrypt the file: locked" + Ext());
        QByteArray newer = GuiTestEnv::Bytes(locked);
        newer[8] = 2;
        QVERIFY(GuiTestEnv::WriteBytes(FileOfKind("newer"), newer));
        MessageBox::setNextAnswer(IDOK);
        QVERIFY(!Open(FileOfKind("newer"), "right"));
        QVERIFY(MessageBox::last().text.contains("newer" + Ext()));
        QVERIFY(MessageBox::last().text.contains(QStringLiteral("newer version")));

        GuiTestEnv::FlushDeletes();
        QVERIFY(Template()->GetDocuments().empty());
    }

    void saveAsThenSave() {
        const QString original = FileOfKind("a");
        const QByteArray first = MakeFile(original, "first", "pw");
        QVERIFY(!first.isEmpty());
        const QString other = FileOfKind("b");
        QVERIFY(GuiTestEnv::WriteBytes(other, "not mine"));

        CEncryptedDocument* doc = Open(original, "pw");
        QVERIFY(doc);
        Type(doc, "second");

        // "b" gets the extension before the existence test, so the question comes; No abandons it all.
        auto declined = std::make_shared<Seen>();
        Answer(declined, {ChooseFile(declined, m_env.FilePath("b")), Press(IDCANCEL)});
        QVERIFY(!doc->OnFileSaveAs());
        QCOMPARE(declined->titles, QStringList({"Save As", "Lockwarden Editor"}));
        QCOMPARE(declined->texts.front(), "a" + Ext()); // the proposal is the title
        QCOMPARE(GuiTestEnv::Bytes(other), QByteArray("not mine"));
        QCOMPARE(doc->GetTitle(), "a" + Ext());
        QVERIFY(doc->IsModified());

        // Yes replaces it; the password is offered as it was.
        auto replaced = std::make_shared<Seen>();
        Answer(replaced, {ChooseFile(replaced, m_env.FilePath("b")), Press(IDOK), SetPassword(replaced, QString())});
        QVERIFY(doc->OnFileSaveAs());
        QCOMPARE(replaced->texts.last(), QStringLiteral("pw"));
        QVERIFY(Clear(doc).contains("second"));
        QCOMPARE(CoreRead(other, "pw"), Clear(doc));
        QCOMPARE(CoreRead(original, "pw"), first);
        QCOMPARE(doc->GetTitle(), "b" + Ext());

        // Save now goes to the new name, without a file dialog.
        Type(doc, "third");
        auto saved = std::make_shared<Seen>();
        Answer(saved, {SetPassword(saved, "pw2")});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(saved->titles, QStringList({"Set Password"}));
        const QByteArray third = Clear(doc);
        QVERIFY(third.contains("third"));
        QCOMPARE(CoreRead(other, "pw2"), third);
        QCOMPARE(CoreRead(original, "pw"), first);

        // Cancelling the password of a save writes nothing and keeps the document's password.
        Type(doc, "fourth");
        auto cancelled = std::make_shared<Seen>();
        Answer(cancelled, {SetPassword(cancelled, "other", true)});
        QVERIFY(!doc->OnFileSave());
        QCOMPARE(CoreRead(other, "pw2"), third);
        QCOMPARE(std::string(doc->m_szFilePassword.view()), std::string("pw2"));
        QVERIFY(doc->IsModified());

        // A dot in a folder name does not stand for the file's extension.
        QVERIFY(QDir(m_env.FilesDir()).mkdir(QStringLiteral("jane.doe")));
        auto moved = std::make_shared<Seen>();
        Answer(moved, {ChooseFile(moved, m_env.FilePath("jane.doe/mine")), SetPassword(moved, "pw")});
        QVERIFY(doc->OnFileSaveAs());
        QCOMPARE(doc->m_strFilePath, FileOfKind("jane.doe/mine"));
        QCOMPARE(CoreRead(doc->m_strFilePath, "pw"), Clear(doc));
    }

    void setNewFilePassword() {
        const QString path = FileOfKind("p");
        const QByteArray before = MakeFile(path, "text", "old");
        CEncryptedDocument* doc = Open(path, "old");
        QVERIFY(doc);

        auto seen = std::make_shared<Seen>();
        Answer(seen, {[seen](QWidget* modal) {
                   seen->texts << AsDialog(modal)->GetDlgItemText(IDOK);
                   SetPassword(seen, "new")(modal);
               }});
        Frame()->SendCommand(ID_SET_FILE_PASSWORD);
        QCOMPARE(seen->texts, QStringList({"Set", "old"}));
        QCOMPARE(std::string(doc->m_szFilePassword.view()), std::string("new"));
        // Nothing written yet, but the new password is a change: closing asks to save it, and a
        // save that fails leaves the document with the password the file is still under.
        QCOMPARE(CoreRead(path, "old"), before);
        QVERIFY(doc->IsModified());
        auto kept = std::make_shared<Seen>();
        Answer(kept, {Question(kept, IDC_SAVE_CHANGES_TEXT, IDCANCEL)});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(kept->answered, 1);
        MessageBox::setNextAnswer(IDOK);
        auto failed = std::make_shared<Seen>();
        Answer(failed, {SetPassword(failed, "newer")});
        QVERIFY(!doc->OnSaveDocument(FileOfKind("missing/p")));
        QCOMPARE(std::string(doc->m_szFilePassword.view()), std::string("new"));
        QCOMPARE(CoreRead(path, "old"), before);
        auto saved = std::make_shared<Seen>();
        Answer(saved, {Question(saved, IDC_SAVE_CHANGES_TEXT, IDYES), SetPassword(saved, QString())});
        QVERIFY(doc->SaveModified());
        QCOMPARE(saved->texts.back(), QStringLiteral("new"));
        QCOMPARE(CoreRead(path, "new"), before);

        // The next save uses it too, offered as it is.
        Type(doc, "more");
        auto again = std::make_shared<Seen>();
        Answer(again, {SetPassword(again, QString())});
        Frame()->SendCommand(ID_FILE_SAVE);
        QCOMPARE(again->texts, QStringList({"new"}));
        QVERIFY(Clear(doc).contains("more"));
        QCOMPARE(CoreRead(path, "new"), Clear(doc));
    }

    void saveModifiedQuestion() {
        CEncryptedDocument* doc = NewDoc();
        QVERIFY(doc);
        Type(doc, "draft");

        // Modified and untitled: the question names the title with the extension. Cancel keeps it
        // open; No lets it go.
        auto cancelled = std::make_shared<Seen>();
        Answer(cancelled, {Question(cancelled, IDC_SAVE_CHANGES_TEXT, IDCANCEL)});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(cancelled->texts, QStringList({"Save changes to Untitled" + Ext() + "?"}));
        auto dropped = std::make_shared<Seen>();
        Answer(dropped, {Question(dropped, IDC_SAVE_CHANGES_TEXT, IDNO)});
        QVERIFY(doc->SaveModified());

        // Yes whose Save As or password is abandoned answers no and writes nothing; Yes that writes
        // answers yes.
        auto abandoned = std::make_shared<Seen>();
        Answer(abandoned, {Question(abandoned, IDC_SAVE_CHANGES_TEXT, IDYES), ChooseFile(abandoned, QString())});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(abandoned->answered, 2);
        auto noPassword = std::make_shared<Seen>();
        Answer(noPassword, {Question(noPassword, IDC_SAVE_CHANGES_TEXT, IDYES),
                            ChooseFile(noPassword, m_env.FilePath("u")), SetPassword(noPassword, "x", true)});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(noPassword->answered, 3);
        QVERIFY(!QFileInfo::exists(FileOfKind("u")));
        QVERIFY(doc->IsModified());
        auto written = std::make_shared<Seen>();
        Answer(written, {Question(written, IDC_SAVE_CHANGES_TEXT, IDYES), ChooseFile(written, FileOfKind("d")),
                         SetPassword(written, "pw")});
        QVERIFY(doc->SaveModified());
        QVERIFY(Clear(doc).contains("draft"));
        QCOMPARE(CoreRead(FileOfKind("d"), "pw"), Clear(doc));

        // With a file, the question names it.
        Type(doc, "more");
        auto named = std::make_shared<Seen>();
        Answer(named, {Question(named, IDC_SAVE_CHANGES_TEXT, IDCANCEL)});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(named->texts, QStringList({"Save changes to d" + Ext() + "?"}));
    }

    void closingWhileLockedAsksForTheScreenPasswordFirst() {
        GuiTestEnv::WriteLockSettings("unlock me");
        CEncryptedDocument* doc = NewDoc();
        QVERIFY(doc);
        Type(doc, "secret");
        m_env.LockByIdleness(Frame());

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
        QCOMPARE(unlocked->texts, QStringList({"Save changes to Untitled" + Ext() + "?"}));
        QVERIFY(!Frame()->m_bLocked);
    }

    // A save that fails says which file and why, leaves every file as it was and the document
    // modified under its old name, and the close that wanted it is refused.
    void failedSaveLosesNothing() {
        QVERIFY(QDir(m_env.FilesDir()).mkdir(QStringLiteral("stick")));
        const QString path = FileOfKind("stick/keep");
        QVERIFY(!MakeFile(path, "kept", "pw").isEmpty());
        QByteArray before = GuiTestEnv::Bytes(path);
        CEncryptedDocument* doc = Open(path, "pw");
        QVERIFY(doc);
        Type(doc, "changed");
        const int recent = m_app->GetRecentFileList()->GetSize();

        const QString missingFolder = FileOfKind("no/such/folder/x");
        for (const QString& target : {missingFolder, "/proc/lw-test" + Ext()}) {
            MessageBox::setNextAnswer(IDOK);
            auto seen = std::make_shared<Seen>();
            Answer(seen, {ChooseFile(seen, target), SetPassword(seen, QString())});
            QVERIFY(!doc->OnFileSaveAs());
            QVERIFY(MessageBox::last().text.contains(target));
            if (target == missingFolder)
                QVERIFY(MessageBox::last().text.contains(QStringLiteral("No such file or directory")));
            QCOMPARE(MessageBox::last().type, MB_ICONEXCLAMATION);
            QVERIFY(!QFileInfo::exists(target));
            QVERIFY(doc->IsModified());
            QCOMPARE(doc->GetTitle(), "keep" + Ext());
            QCOMPARE(doc->m_strFilePath, path);
            QCOMPARE(m_app->GetRecentFileList()->GetSize(), recent);
            QCOMPARE(GuiTestEnv::Bytes(path), before);
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
        QCOMPARE(GuiTestEnv::Bytes(path), before);
        QVERIFY(doc->IsModified());

        // Once writing works again, the same Save goes through.
        auto retried = std::make_shared<Seen>();
        Answer(retried, {SetPassword(retried, QString())});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(CoreRead(path, "pw"), Clear(doc));
        before = GuiTestEnv::Bytes(path);

        // The document's own folder goes away (a stick pulled out, a folder renamed): closing it
        // with Yes tries the save, which fails, so the document stays open with its changes.
        Type(doc, "again");
        QVERIFY(QDir(m_env.FilesDir()).rename(QStringLiteral("stick"), QStringLiteral("elsewhere")));
        MessageBox::setNextAnswer(IDOK);
        auto closing = std::make_shared<Seen>();
        Answer(closing, {Question(closing, IDC_SAVE_CHANGES_TEXT, IDYES), SetPassword(closing, QString())});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(closing->answered, 2);
        QVERIFY(MessageBox::last().text.contains("keep" + Ext()));
        QVERIFY(doc->IsModified());
        QCOMPARE(GuiTestEnv::Bytes(FileOfKind("elsewhere/keep")), before);
    }

    // Save As and Open of a document closed by the lock come back after the unlock, once.
    void fileDialogsClosedByTheLockComeBack() {
        CEncryptedDocument* doc = NewDoc();
        QVERIFY(doc);
        Type(doc, "later");
        QCOMPARE(Frame()->GetActiveDocument(), doc);
        const auto lockNow = [this](QWidget*) { m_env.LockByIdleness(Frame()); };

        AnswerNextModal(lockNow);
        QVERIFY(!doc->OnFileSaveAs());
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(!QFileInfo::exists(FileOfKind("later")));

        // Any command while locked unlocks (no screen password here) and replays Save As.
        auto seen = std::make_shared<Seen>();
        Answer(seen, {ChooseFile(seen, m_env.FilePath("later")), SetPassword(seen, "pw")});
        Frame()->OnUserCommand(ID_EDIT_COPY);
        QVERIFY(!Frame()->m_bLocked);
        QCOMPARE(seen->titles, QStringList({"Save As", "Set Password"}));
        QCOMPARE(CoreRead(FileOfKind("later"), "pw"), Clear(doc));
        QCOMPARE(doc->GetTitle(), "later" + Ext());

        // The document's Open command, the same way.
        AnswerNextModal(lockNow);
        Frame()->SendCommand(ID_FILE_OPEN);
        QVERIFY(Frame()->m_bLocked);
        auto reopen = std::make_shared<Seen>();
        Answer(reopen, {ChooseFile(reopen, QString())});
        Frame()->OnUserCommand(ID_EDIT_COPY);
        QCOMPARE(reopen->titles, QStringList({"Open"}));

        // Each comes back once: the next lock's unlock runs nothing.
        m_env.LockByIdleness(Frame());
        auto none = std::make_shared<Seen>();
        Answer(none, {ChooseFile(none, QString())});
        Frame()->OnUserCommand(ID_EDIT_COPY);
        QVERIFY(!Frame()->m_bLocked);
        QCOMPARE(none->answered, 0);
        CancelModalAnswers();
    }

    // Switch a document to strong, save, close, reopen, change, save again (it stays strong), then
    // switch it back: the compatible file is exactly what the compatible writer makes.
    void toStrongAndBack() {
        CEncryptedDocument::SetNewDocumentsStrong(false);
        CEncryptedDocument* doc = NewDoc();
        QVERIFY(doc);
        QCOMPARE(FormatPane(), QStringLiteral("Compatible"));
        Type(doc, QStringLiteral("Grüße\nline two"));
        const QByteArray clear = Clear(doc);
        const QString path = FileOfKind("note");
        QVERIFY(SaveWithPassword(doc, path, "pw"));
        QVERIFY(!IsStrong(GuiTestEnv::Bytes(path)));
        QVERIFY(!doc->IsModified());

        auto seen = std::make_shared<Seen>();
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_STRONG}));
        QCOMPARE(seen->texts.value(0), QStringLiteral("compatible=1 strong=0 new=0 enabled=1"));
        QVERIFY(doc->IsModified()); // the file on disk is still compatible until the next save
        QVERIFY(!IsStrong(GuiTestEnv::Bytes(path)));
        QCOMPARE(FormatPane(), QStringLiteral("Strong"));
        QVERIFY(SaveWithPassword(doc, path, QString()));
        const QByteArray strong = GuiTestEnv::Bytes(path);
        QVERIFY(IsStrong(strong));
        CloseAll();
        QCOMPARE(FormatPane(), QString());

        doc = Open(path, "pw");
        QVERIFY(doc);
        QCOMPARE(doc->m_nFormat, cipher::DocFormat::Strong);
        QCOMPARE(FormatPane(), QStringLiteral("Strong"));
        QCOMPARE(Clear(doc), clear);
        Type(doc, QStringLiteral("!"));
        QVERIFY(SaveWithPassword(doc, path, QString()));
        QVERIFY(IsStrong(GuiTestEnv::Bytes(path)));
        QVERIFY(GuiTestEnv::Bytes(path) != strong);

        seen = std::make_shared<Seen>();
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_COMPATIBLE}));
        QCOMPARE(seen->texts.value(0), QStringLiteral("compatible=0 strong=1 new=0 enabled=1"));
        QVERIFY(SaveWithPassword(doc, path, QString()));
        const QByteArray text = Clear(doc);
        platform::SecureBytes expected;
        QCOMPARE(cipher::EncodeDocument(std::string_view(text.constData(), size_t(text.size())), "pw", expected),
                 cipher::DocResult::Ok);
        QCOMPARE(GuiTestEnv::Bytes(path),
                 QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())));
    }

    // Cancel changes nothing; choosing the format a document already has does not modify it.
    void cancelOrSameFormatLeavesTheDocumentAlone() {
        CEncryptedDocument::SetNewDocumentsStrong(false);
        CEncryptedDocument* doc = NewDoc();
        QVERIFY(doc);
        auto seen = std::make_shared<Seen>();
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_STRONG, IDC_ENCRYPTION_NEW_STRONG}, IDCANCEL));
        QCOMPARE(doc->m_nFormat, cipher::DocFormat::Compatible);
        QVERIFY(!doc->IsModified());
        QVERIFY(!CEncryptedDocument::GetNewDocumentsStrong());
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_COMPATIBLE}));
        QVERIFY(!doc->IsModified());
    }

    // With nothing chosen, a new document is strong, and Set Password says what that means; a file
    // opened keeps its format, and says so too. A stored choice of compatible stands.
    void newDocumentsAreStrongByDefaultAndSetPasswordSaysWhichFormat() {
        const auto formatLine = [](std::shared_ptr<Seen> seen, const QString& password) -> Step {
            return [seen, password](QWidget* modal) {
                seen->texts << AsDialog(modal)->GetDlgItemText(IDC_PASSWORD_FORMAT);
                SetPassword(seen, password)(modal);
            };
        };
        const QString strongLine = QStringLiteral("Strong: opens in Lockwarden Editor 2.5 and later.");
        const QString compatibleLine = QStringLiteral("Compatible: opens in older editors too, but is quick to guess.");

        CEncryptedDocument* doc = NewDoc();
        QVERIFY(doc);
        Type(doc, QStringLiteral("new"));
        auto seen = std::make_shared<Seen>();
        Answer(seen, {ChooseFile(seen, FileOfKind("new")), formatLine(seen, "pw")});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(seen->texts.value(1), strongLine);
        QVERIFY(IsStrong(GuiTestEnv::Bytes(FileOfKind("new"))));
        CloseAll();

        // A compatible file stays compatible.
        const QString old = FileOfKind("old");
        CEncryptedDocument::SetNewDocumentsStrong(false);
        QVERIFY(!MakeFile(old, QStringLiteral("old"), "pw").isEmpty());
        CEncryptedDocument::SetNewDocumentsStrong(true);
        QVERIFY(!IsStrong(GuiTestEnv::Bytes(old)));
        doc = Open(old, "pw");
        QVERIFY(doc);
        Type(doc, QStringLiteral("!"));
        seen = std::make_shared<Seen>();
        Answer(seen, {formatLine(seen, QString())});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(seen->texts.value(0), compatibleLine);
        QVERIFY(!IsStrong(GuiTestEnv::Bytes(old)));
        CloseAll();

        CEncryptedDocument::SetNewDocumentsStrong(false);
        doc = NewDoc();
        QVERIFY(doc);
        QCOMPARE(doc->m_nFormat, cipher::DocFormat::Compatible);
    }

    // A new document starts strong when the user chose that for new documents (with no document
    // open, only that choice is offered), and opens again as strong.
    void newDocumentStartsStrongWhenChosen() {
        CEncryptedDocument::SetNewDocumentsStrong(false);
        auto seen = std::make_shared<Seen>();
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_NEW_STRONG}));
        QCOMPARE(seen->texts.value(0), QStringLiteral("compatible=0 strong=0 new=0 enabled=0"));
        QVERIFY(CEncryptedDocument::GetNewDocumentsStrong());

        CEncryptedDocument* doc = NewDoc();
        QVERIFY(doc);
        QCOMPARE(doc->m_nFormat, cipher::DocFormat::Strong);
        Type(doc, "Bank s3cret");
        const QByteArray clear = Clear(doc);
        const QString path = FileOfKind("vault");
        QVERIFY(SaveWithPassword(doc, path, "pw"));
        const QByteArray bytes = GuiTestEnv::Bytes(path);
        QVERIFY(IsStrong(bytes));
        QCOMPARE(QByteArray(bytes.constData() + 12, 8), QByteArray("\x01\0\0\0\x40\0\0\0", 8));
        CloseAll();

        QCOMPARE(CoreRead(path, "pw"), clear);
        doc = Open(path, "pw");
        QVERIFY(doc);
        QCOMPARE(doc->m_nFormat, cipher::DocFormat::Strong);
        QCOMPARE(Clear(doc), clear);
    }
};

QTEST_MAIN(TestEncryptedDocument)
#include "test_encrypted_document.moc"
