// Unsaved work survives the editor's end: a copy is written a minute after a change and when the
// screen locks, offered at the next start, recovered byte for byte under the file's password, and
// gone once the work is saved or given up. Each test runs for both kinds of document.

#include "DocumentKinds.h"

#include "cipher/DocumentFile.h"
#include "cipher/RecoveryFile.h"
#include "cipher/StrongFile.h"
#include "docs/DiskWatch.h"
#include "framework/MessageBox.h"
#include "res/resource.h"

#include <QtTest>
#include <cstdio>

using namespace docanswers;

class TestRecovery : public QObject, public DocumentKinds {
    Q_OBJECT

    std::vector<cipher::RecoveryCopy> Copies() const {
        return cipher::ListRecoveryCopies(CEncryptedDocument::RecoveryFolder());
    }
    QString OpenedFile(const QString& name, const QString& change, const char* password) {
        const QString path = FileOfKind(name);
        return MakeFile(path, change, password).isEmpty() ? QString() : path;
    }
    // The editor ends without closing anything, as a crash or a kill leaves it: the copies stay.
    void Crash() {
        const QString folder = QString::fromStdString(CEncryptedDocument::RecoveryFolder());
        const QString kept = folder + ".kept";
        QVERIFY(QDir().rename(folder, kept));
        m_env.Stop(m_app);
        QVERIFY(QDir().rename(kept, folder));
    }

private slots:
    void initTestCase_data() { KindRows(); }

    void initTestCase() { BeginKinds(); }
    void cleanupTestCase() { EndKinds(); }

    void init() {
        CDiskWatch::SetSettleTime(100);
        StartKind();
    }

    void cleanup() { m_env.Stop(m_app); }

    // Written a minute after the change, offered at the next start, recovered exactly, gone after the save.
    void workLeftBehindIsRecovered() {
        const QString path = OpenedFile("work", "saved", "pw");
        QVERIFY(!path.isEmpty());
        CEncryptedDocument* doc = Open(path, "pw");
        QVERIFY(doc);
        Type(doc, "unsaved ünïcode");
        const QByteArray mine = Clear(doc);
        QTest::qWait(1200);
        QVERIFY(Copies().empty()); // not a minute yet
        m_env.m_now += 60000;
        QTRY_COMPARE(Copies().size(), size_t(1));
        const cipher::RecoveryCopy copy = Copies().front();
        QCOMPARE(QString::fromStdString(copy.info.path), doc->GetPathName());
        QVERIFY(!GuiTestEnv::Bytes(QString::fromStdString(copy.file)).contains("unsaved")); // enciphered
        QCOMPARE(copy.info.base, doc->GetDiskVersion()->identity);

        Crash();
        QStringList modals;
        QVERIFY(m_env.Start(m_app, {"lockwarden-editor"}, &modals));
        QCOMPARE(modals, QStringList({QString("dlg%1").arg(IDD_RECOVER)})); // offered, Later: nothing open
        QVERIFY(!m_app->HasOpenDocuments());
        QCOMPARE(Copies().size(), size_t(1));

        auto seen = std::make_shared<Seen>();
        Answer(seen, {Press(IDOK), EnterPassword("wrong"), EnterPassword("pw")});
        QVERIFY(Frame()->SendCommand(ID_FILE_RECOVER));
        QCOMPARE(seen->titles, QStringList({"Recover Unsaved Work", "Enter Password", "Enter Password"}));
        auto* recovered = dynamic_cast<CEncryptedDocument*>(Frame()->GetActiveDocument());
        QVERIFY(recovered);
        QCOMPARE(Clear(recovered), mine);
        QVERIFY(recovered->IsModified());
        QCOMPARE(recovered->GetPathName(), QString::fromStdString(copy.info.path));

        auto saving = std::make_shared<Seen>();
        Answer(saving, {SetPassword(saving, "")});
        QVERIFY(recovered->OnFileSave());
        QCOMPARE(saving->texts, QStringList({"pw"}));
        QCOMPARE(CoreRead(path, "pw"), mine);
        QVERIFY(Copies().empty());
    }

    // The lock writes at once; the recovered work still knows the version it started from, so a file
    // changed since is asked about before anything is written. Discard removes what is left.
    void lockWritesAtOnceAndTheBaseStillHolds() {
        const QString path = OpenedFile("locked", "saved", "pw");
        CEncryptedDocument* doc = Open(path, "pw");
        QVERIFY(doc);
        Type(doc, "mine");
        const QByteArray mine = Clear(doc);
        Frame()->Lock();
        QCOMPARE(Copies().size(), size_t(1));
        QVERIFY(Frame()->PromptUnlock());
        Crash();
        QVERIFY(m_env.Start(m_app));
        // Another program's version meanwhile, renamed over the file as sync tools do.
        const QString elsewhere = m_env.FilePath("theirs" + Ext());
        QVERIFY(MakeFile(elsewhere, "theirs", "pw").size() > 0);
        QVERIFY(::rename(QFile::encodeName(elsewhere).constData(), QFile::encodeName(path).constData()) == 0);
        const QByteArray theirs = GuiTestEnv::Bytes(path);

        auto seen = std::make_shared<Seen>();
        Answer(seen, {Press(IDOK), EnterPassword("pw"), Press(IDC_DISK_KEEP_MINE)});
        QVERIFY(Frame()->SendCommand(ID_FILE_RECOVER));
        QTRY_COMPARE(seen->answered, 3);
        QCOMPARE(seen->titles, QStringList({"Recover Unsaved Work", "Enter Password", "Lockwarden Editor"}));
        QCOMPARE(GuiTestEnv::Bytes(path), theirs);
        auto* recovered = dynamic_cast<CEncryptedDocument*>(Frame()->GetActiveDocument());
        QCOMPARE(Clear(recovered), mine);

        // Given up: closing without saving removes the copy.
        Answer(seen, {Press(IDNO)});
        QVERIFY(Frame()->SendCommand(ID_FILE_CLOSE));
        GuiTestEnv::FlushDeletes();
        QVERIFY(Copies().empty());
        QCOMPARE(GuiTestEnv::Bytes(path), theirs);

        // Discard: the copies go without a document.
        doc = Open(path, "pw");
        Type(doc, "more");
        Frame()->Lock();
        QVERIFY(Frame()->PromptUnlock());
        Crash();
        QVERIFY(m_env.Start(m_app));
        Answer(seen, {Press(IDC_RECOVER_DISCARD)});
        QVERIFY(Frame()->SendCommand(ID_FILE_RECOVER));
        QVERIFY(Copies().empty());
        QVERIFY(!m_app->HasOpenDocuments());
        MessageBox::setNextAnswer(IDOK);
        const int before = MessageBox::count();
        QVERIFY(Frame()->SendCommand(ID_FILE_RECOVER));
        QCOMPARE(MessageBox::count(), before + 1);
        QCOMPARE(MessageBox::last().text, QStringLiteral("There is no unsaved work to recover."));
    }
};

QTEST_MAIN(TestRecovery)
#include "test_recovery.moc"
