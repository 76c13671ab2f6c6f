// Another program writes the file of an open document: a clean document follows it, a modified one
// asks, a password rotated outside is asked for and kept, nothing is saved over a version the user has
// not seen, and a deleted file is written again. Each test runs for both kinds of document, with the
// file rewritten on disk the way other programs do it.

#include "DocumentKinds.h"

#include "cipher/DocumentFile.h"
#include "cipher/StrongFile.h"
#include "docs/DiskWatch.h"
#include "framework/MDIChildWnd.h"
#include "framework/StatusBar.h"
#include "res/resource.h"
#include "workspace/LeftView.h"
#include "workspace/VaultoraChildFrame.h"

#include <QPushButton>
#include <QtTest>

using namespace docanswers;

namespace {

// The question about a file changed on disk: records its text and which buttons it offers, then clicks
// one (IDCANCEL: presses Escape).
Step DiskQuestion(std::shared_ptr<Seen> seen, int nButton) {
    return [seen, nButton](QWidget* modal) {
        if (CDialog* dialog = AsDialog(modal)) {
            seen->texts << dialog->GetDlgItemText(IDC_DISK_CHANGED_TEXT);
            QStringList buttons;
            for (int nID : {IDC_DISK_MERGE, IDC_DISK_SAVE_MINE_AS, IDC_DISK_RELOAD, IDC_DISK_KEEP_MINE}) {
                if (auto* button = qobject_cast<QAbstractButton*>(dialog->GetDlgItem(nID)))
                    buttons << button->text() + (qobject_cast<QPushButton*>(button)->isDefault() ? "*" : "");
            }
            seen->texts << buttons.join('|');
        }
        if (nButton == IDCANCEL)
            QTest::keyClick(modal, Qt::Key_Escape);
        else
            Click(modal, nButton);
    };
}

} // namespace

class TestDiskChanges : public QObject, public DocumentKinds {
    Q_OBJECT

    // What another program writes: a text of these lines, or a passwords file of other accounts of
    // these names (as Type adds them).
    QByteArray ClearOf(const QStringList& names) const {
        if (m_bText)
            return names.join("\r\n").toUtf8();
        AccountLists lists;
        for (const QString& name : names)
            lists.AppendNamed(AccountKind::Other, platform::SecureString(name.toUtf8().constData()));
        platform::SecureString text;
        BuildPasswordsText(lists, text);
        return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    }
    // Written the way editors and sync tools do it: a new file renamed over the old one.
    bool WriteOutside(const QString& path, const QStringList& names, const char* password) const {
        const QByteArray clear = ClearOf(names);
        return cipher::WriteDocumentFile(QFile::encodeName(path).toStdString(), password,
                                         std::string_view(clear.constData(), size_t(clear.size())))
            .ok();
    }
    CEncryptedDocument* OpenWritten(const QString& path, const QStringList& names, const char* password) {
        if (!WriteOutside(path, names, password))
            return nullptr;
        return Open(path, password);
    }
    QString StatusText() const { return Frame()->GetStatusBar()->GetPaneText(0); }
    QString Name(const QString& path) const { return QFileInfo(path).fileName(); }
    QString QuestionText(const QString& path) const { return Name(path) + " was changed on disk by another program."; }
    QString Buttons() const { return m_bText ? "Save Mine &As...*|&Reload|&Keep Mine" : "&Merge*|&Reload|&Keep Mine"; }

private slots:
    void initTestCase_data() { KindRows(); }

    void initTestCase() { BeginKinds(); }
    void cleanupTestCase() { EndKinds(); }

    void init() {
        CDiskWatch::SetSettleTime(100);
        StartKind();
    }

    void cleanup() { m_env.Stop(m_app); }

    void cleanDocumentFollowsTheFile() {
        const QString path = FileOfKind("follows");
        CEncryptedDocument* doc = OpenWritten(path, {"one", "two"}, "pw");
        QVERIFY(doc);
        CLeftView* tree = m_bText ? nullptr : dynamic_cast<CVaultoraChildFrame*>(doc->GetFrames().at(0))->GetLeftView();
        if (m_bText) {
            QTextCursor caret = dynamic_cast<CEditorDoc*>(doc)->GetEditorView()->textCursor();
            caret.setPosition(5);
            dynamic_cast<CEditorDoc*>(doc)->GetEditorView()->setTextCursor(caret);
        } else {
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualItemRect(tree->GetOtherFolder()->child(1)).center());
            QCOMPARE(tree->GetSelectedItem()->text(0), QStringLiteral("two"));
        }
        QVERIFY(WriteOutside(path, {"one", "two", "three"}, "pw"));
        QTRY_COMPARE(Clear(doc), ClearOf({"one", "two", "three"}));
        QVERIFY(!doc->IsModified());
        QCOMPARE(StatusText(), CEncryptedDocument::kReloadedMessage);
        if (m_bText)
            QCOMPARE(dynamic_cast<CEditorDoc*>(doc)->GetEditorView()->textCursor().position(), 5);
        else
            QCOMPARE(tree->GetSelectedItem()->text(0), QStringLiteral("two")); // the same account, a new item

        // The version reloaded is the one a save may replace: no question.
        Type(doc, "four");
        auto seen = std::make_shared<Seen>();
        Answer(seen, {SetPassword(seen, "")});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(seen->titles, QStringList({"Set Password"}));
        QCOMPARE(CoreRead(path, "pw"), Clear(doc));
    }

    // The question waits for the unlock; Keep Mine lets the next save replace that version, once.
    void modifiedDocumentAsksOnceUnlocked() {
        const QString path = FileOfKind("asks");
        CEncryptedDocument* doc = OpenWritten(path, {"one"}, "pw");
        QVERIFY(doc);
        Type(doc, "mine");
        const QByteArray mine = Clear(doc);
        Frame()->Lock();
        QVERIFY(WriteOutside(path, {"one", "theirs"}, "pw"));
        auto seen = std::make_shared<Seen>();
        Answer(seen, {DiskQuestion(seen, IDC_DISK_KEEP_MINE)});
        QTest::qWait(600); // settled several times over behind the lock
        QCOMPARE(seen->answered, 0);
        QVERIFY(Frame()->PromptUnlock());
        QTRY_COMPARE(seen->answered, 1);
        QCOMPARE(seen->titles, QStringList({"Lockwarden Editor"}));
        QCOMPARE(seen->texts, QStringList({QuestionText(path), Buttons()}));
        QCOMPARE(Clear(doc), mine);

        auto saving = std::make_shared<Seen>();
        Answer(saving, {SetPassword(saving, "")});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(saving->titles, QStringList({"Set Password"}));
        QCOMPARE(CoreRead(path, "pw"), mine);
    }

    // Escape decides nothing and the next save asks again; Reload there takes the file and writes nothing.
    void escapeLeavesItForTheSave() {
        const QString path = FileOfKind("escape");
        CEncryptedDocument* doc = OpenWritten(path, {"one"}, "pw");
        QVERIFY(doc);
        Type(doc, "mine");
        const QByteArray mine = Clear(doc);
        auto seen = std::make_shared<Seen>();
        Answer(seen, {DiskQuestion(seen, IDCANCEL)});
        QVERIFY(WriteOutside(path, {"one", "theirs"}, "pw"));
        QTRY_COMPARE(seen->answered, 1);
        QVERIFY(doc->IsModified());
        QCOMPARE(Clear(doc), mine);
        QTest::qWait(300);
        QCOMPARE(seen->answered, 1); // undecided is not asked again until the save

        const QByteArray theirs = GuiTestEnv::Bytes(path);
        auto saving = std::make_shared<Seen>();
        Answer(saving, {DiskQuestion(saving, IDC_DISK_RELOAD)});
        QVERIFY(!doc->OnFileSave());
        QCOMPARE(saving->titles, QStringList({"Lockwarden Editor"}));
        QCOMPARE(GuiTestEnv::Bytes(path), theirs);
        QCOMPARE(Clear(doc), ClearOf({"one", "theirs"}));
        QVERIFY(!doc->IsModified());
        QCOMPARE(StatusText(), CEncryptedDocument::kReloadedMessage);
    }

    // A change the watch never reports in time (a network share) is caught right before the save,
    // also when closing: Reload there keeps the document open; Keep Mine goes on with the save.
    void saveCatchesWhatTheWatchMissed() {
        CDiskWatch::SetSettleTime(600000);
        const QString path = FileOfKind("missed");
        CEncryptedDocument* doc = OpenWritten(path, {"one"}, "pw");
        QVERIFY(doc);
        Type(doc, "mine");
        QVERIFY(WriteOutside(path, {"one", "theirs"}, "pw"));
        const QByteArray theirs = GuiTestEnv::Bytes(path);

        auto closing = std::make_shared<Seen>();
        Answer(closing, {Press(IDYES), DiskQuestion(closing, IDC_DISK_RELOAD)});
        QVERIFY(!doc->SaveModified());
        QCOMPARE(closing->answered, 2);
        QCOMPARE(GuiTestEnv::Bytes(path), theirs);
        QCOMPARE(Clear(doc), ClearOf({"one", "theirs"}));

        Type(doc, "mine");
        const QByteArray mine = Clear(doc);
        QVERIFY(WriteOutside(path, {"one", "theirs", "again"}, "pw"));
        auto keeping = std::make_shared<Seen>();
        Answer(keeping, {Press(IDYES), DiskQuestion(keeping, IDC_DISK_KEEP_MINE), SetPassword(keeping, "")});
        QVERIFY(doc->SaveModified());
        QCOMPARE(keeping->titles, QStringList({"Lockwarden Editor", "Lockwarden Editor", "Set Password"}));
        QCOMPARE(CoreRead(path, "pw"), mine);
    }

    // A password rotated outside: the document asks for it, takes the new version (merged for passwords)
    // and keeps that password, which the next save offers.
    void passwordChangedOutsideStands() {
        const QString path = FileOfKind("rotated");
        CEncryptedDocument* doc = OpenWritten(path, {"one"}, "old");
        QVERIFY(doc);
        Type(doc, "mine");
        auto seen = std::make_shared<Seen>();
        const Step nameOfFile = [seen](QWidget* modal) {
            seen->texts << AsDialog(modal)->GetDlgItemText(IDC_PASSWORD_FILE);
        };
        Answer(seen, {[=](QWidget* modal) {
                          nameOfFile(modal);
                          EnterPassword("wrong")(modal);
                      },
                      EnterPassword("new"), DiskQuestion(seen, m_bText ? IDC_DISK_RELOAD : IDC_DISK_MERGE)});
        QVERIFY(WriteOutside(path, {"one", "theirs"}, "new"));
        QTRY_COMPARE(seen->answered, 3);
        QCOMPARE(seen->titles, QStringList({"Enter Password", "Enter Password", "Lockwarden Editor"}));
        QCOMPARE(seen->texts.value(0), path);
        QCOMPARE(Clear(doc), m_bText ? ClearOf({"one", "theirs"}) : ClearOf({"one", "mine", "theirs"}));
        QCOMPARE(doc->IsModified(), !m_bText);
        QCOMPARE(StatusText(), m_bText ? CEncryptedDocument::kReloadedMessage : CEncryptedDocument::kMergedMessage);

        Type(doc, "more");
        auto saving = std::make_shared<Seen>();
        Answer(saving, {SetPassword(saving, "")});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(saving->texts, QStringList({"new"}));
        QCOMPARE(CoreRead(path, "new"), Clear(doc));
    }

    // Written in place in two steps: acted on once, when the file is whole.
    void fileWrittenInTwoStepsIsTakenOnce() {
        CDiskWatch::SetSettleTime(700);
        const QString path = FileOfKind("steps");
        CEncryptedDocument* doc = OpenWritten(path, {"one"}, "pw");
        QVERIFY(doc);
        Type(doc, "mine");
        const QString elsewhere = m_env.FilePath("theirs");
        QVERIFY(WriteOutside(elsewhere, {"one", "theirs", "and more"}, "pw"));
        const QByteArray theirs = GuiTestEnv::Bytes(elsewhere);
        auto seen = std::make_shared<Seen>();
        Answer(seen, {DiskQuestion(seen, IDC_DISK_RELOAD), DiskQuestion(seen, IDC_DISK_RELOAD)});
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QVERIFY(file.write(theirs.left(8)) == 8 && file.flush());
        QTest::qWait(350);
        QVERIFY(file.write(theirs.mid(8)) == theirs.size() - 8);
        file.close();
        QTRY_COMPARE(seen->answered, 1);
        QTest::qWait(1000);
        QCOMPARE(seen->answered, 1);
        QCOMPARE(seen->titles, QStringList({"Lockwarden Editor"}));
        QCOMPARE(Clear(doc), ClearOf({"one", "theirs", "and more"}));
    }

    void deletedFileIsWrittenAgain() {
        const QString path = FileOfKind("gone");
        CEncryptedDocument* doc = OpenWritten(path, {"one"}, "pw");
        QVERIFY(doc);
        QVERIFY(QFile::remove(path));
        QTRY_VERIFY(doc->IsDeletedOnDisk());
        QVERIFY(doc->IsModified());
        QCOMPARE(doc->GetFrames().at(0)->windowTitle(), Name(path) + "* (deleted on disk)");
        QCOMPARE(StatusText(), CEncryptedDocument::kDeletedMessage);

        auto seen = std::make_shared<Seen>();
        Answer(seen, {SetPassword(seen, "")});
        QVERIFY(doc->OnFileSave());
        QCOMPARE(seen->titles, QStringList({"Set Password"}));
        QCOMPARE(CoreRead(path, "pw"), ClearOf({"one"}));
        QVERIFY(!doc->IsDeletedOnDisk());
        QCOMPARE(doc->GetFrames().at(0)->windowTitle(), Name(path));
    }
};

QTEST_MAIN(TestDiskChanges)
#include "test_disk_changes.moc"
