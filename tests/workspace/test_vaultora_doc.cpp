// What only the passwords document does: its template, its accounts through save and open, import,
// and the bytes of a file saved unchanged; with real enciphered files, the real application, main
// frame and passwords window, and every dialog answered by the test. What it shares with the text
// document: test_encrypted_document.

#include "common/DocumentAnswers.h"
#include "common/GuiTestEnv.h"

#include "cipher/DocumentFile.h"
#include "framework/DocTemplate.h"
#include "framework/MessageBox.h"
#include "passwords/PasswordsSchema.h"
#include "passwords/VaultoraDoc.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/ImportAccounts.h"
#include "shell/MainFrame.h"
#include "workspace/LeftView.h"
#include "workspace/NotesEdit.h"
#include "workspace/SwitchSplitterWnd.h"
#include "workspace/VaultoraChildFrame.h"

#include <QFile>
#include <QMenu>
#include <QtTest>
#include <memory>

using namespace docanswers;

namespace {

std::string Field(const platform::SecureString& text) {
    return std::string(text.view());
}

// The accounts of a list as "name|field|field..." lines, so two documents' accounts can be compared.
QStringList Describe(const AccountLists& lists) {
    QStringList lines;
    for (int i = 0; i < lists.m_aWebAccounts.Size(); ++i) {
        if (const WebAccount* r = lists.m_aWebAccounts.At(i))
            lines << QString::fromStdString("web|" + Field(r->strName) + "|" + Field(r->strAddress) + "|" +
                                            Field(r->strUserId) + "|" + Field(r->strPassword) + "|" +
                                            Field(r->strNotes));
    }
    for (int i = 0; i < lists.m_aMailAccounts.Size(); ++i) {
        if (const MailAccount* r = lists.m_aMailAccounts.At(i))
            lines << QString::fromStdString("mail|" + Field(r->strName) + "|" + Field(r->strAddress) + "|" +
                                            Field(r->strWebInterface) + "|" + Field(r->strSmtpServer) + "|" +
                                            Field(r->strPopServer) + "|" + Field(r->strUserId) + "|" +
                                            Field(r->strPassword) + "|" + Field(r->strNotes));
    }
    for (int i = 0; i < lists.m_aOtherAccounts.Size(); ++i) {
        if (const OtherAccount* r = lists.m_aOtherAccounts.At(i))
            lines << QString::fromStdString("other|" + Field(r->strName) + "|" + Field(r->strUserId) + "|" +
                                            Field(r->strPassword) + "|" + Field(r->strNotes));
    }
    return lines;
}

// The accounts of a file as the core reads them; a failure shows as one "<...>" line.
QStringList CoreAccounts(const QString& path, const char* password) {
    platform::SecureString text;
    const cipher::DocStatus status = cipher::ReadDocumentFile(QFile::encodeName(path).toStdString(), password, text);
    if (!status.ok())
        return {QStringLiteral("<status %1>").arg(static_cast<int>(status.result))};
    AccountLists lists;
    if (!ReadPasswordsText(text.view(), lists))
        return {QStringLiteral("<no root>")};
    return Describe(lists);
}

void AddAccounts(CVaultoraDoc& doc) {
    auto web = std::make_unique<WebAccount>();
    web->strName = "Bank";
    web->strAddress = "https://bank.example/login?a=1&b=<2>";
    web->strUserId = "jane";
    web->strPassword = "p\"ss'wörd";
    web->strNotes = "line one\r\nline two";
    doc.m_lists.m_aWebAccounts.Append(std::move(web));
    auto mail = std::make_unique<MailAccount>();
    mail->strName = "Mail";
    mail->strAddress = "jane@example.org";
    mail->strSmtpServer = "smtp.example.org";
    mail->strPassword = "m41l";
    doc.m_lists.m_aMailAccounts.Append(std::move(mail));
    auto other = std::make_unique<OtherAccount>();
    other->strName = "Card";
    other->strUserId = "4111 1111 1111 1111";
    other->strPassword = "1234";
    doc.m_lists.m_aOtherAccounts.Append(std::move(other));
    // An emptied slot is not saved.
    auto gone = std::make_unique<OtherAccount>();
    gone->strName = "Gone";
    doc.m_lists.m_aOtherAccounts.Remove(doc.m_lists.m_aOtherAccounts.Append(std::move(gone)));
    doc.SetModifiedFlag(true);
}

// One account of a hand-written passwords text: the fields as "<NAME>value</NAME>" lines.
std::string Account(std::initializer_list<std::pair<const char*, std::string>> fields) {
    std::string text = "<ACCOUNT>\r\n";
    // Not "<" + std::string(name): GCC 12 wrongly sees overlapping copies in it (-Wrestrict) when optimising.
    for (const auto& [name, value] : fields)
        text += value.empty() ? std::string("<").append(name) + "/>\r\n"
                              : std::string("<").append(name) + ">" + value + "</" + name + ">\r\n";
    return text + "</ACCOUNT>\r\n";
}

// A passwords text as another program writes it, with fields holding every kind of line break,
// U+2028, U+2029, U+00A0, a leading U+FEFF and a line of 40,000 characters, in all three kinds
// of account; one web account is named like the web folder.
std::string AwkwardPasswordsText() {
    const std::string nbsp = "\u00A0", ls = "\u2028", ps = "\u2029", bom = "\uFEFF";
    std::string longLine;
    for (int i = 0; i < 4000; ++i)
        longLine += i % 7 ? "xxxxxxxxx " : "\u00E9xxxxxxxx ";
    return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<DOC>\r\n<WEB_ACCOUNTS>\r\n" +
           Account({{"NAME", "Shop"},
                    {"ADDRESS", "https://shop.example/" + nbsp + "a"},
                    {"USERID", longLine},
                    {"PASSWORD", "p" + ls + "w" + nbsp},
                    {"NOTES", "crlf\r\nlone cr\rlone lf\nls" + ls + "nbsp" + nbsp + "ps" + ps + "last"}}) +
           Account({{"NAME", "Web Accounts"},
                    {"ADDRESS", ""},
                    {"USERID", bom + "id"},
                    {"PASSWORD", "pw"},
                    {"NOTES", bom + "starts with a BOM\n\n\r\n"}}) +
           "</WEB_ACCOUNTS>\r\n<MAIL_ACCOUNTS>\r\n" +
           Account({{"NAME", "Mail"},
                    {"ADDRESS", "jane@example.org"},
                    {"WEBINTERFACE", "\twebmail\t"},
                    {"USERID", "jane" + nbsp},
                    {"PASSWORD", "two\r\nlines"},
                    {"SMTPSERVER", "smtp\rhost"},
                    {"POPSERVER", "pop\nhost"},
                    {"NOTES", "\r\r\n\n" + longLine + "\r\n" + ls}}) +
           "</MAIL_ACCOUNTS>\r\n<OTHER_ACCOUNTS>\r\n" +
           Account(
               {{"NAME", "Card"}, {"USERID", nbsp + nbsp}, {"PASSWORD", longLine}, {"NOTES", "only lf\nonly lf\n"}}) +
           "</OTHER_ACCOUNTS>\r\n</DOC>\r\n";
}

} // namespace

class TestVaultoraDoc : public QObject {
    Q_OBJECT

    std::unique_ptr<CEditorApp> m_app;
    GuiTestEnv m_env;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    QString FilePath(const QString& name) const { return m_env.FilePath(name); }
    static QByteArray Bytes(const QString& path) { return GuiTestEnv::Bytes(path); }

    CVaultoraDoc* NewDoc() {
        return dynamic_cast<CVaultoraDoc*>(m_app->GetPasswordsTemplate()->OpenDocumentFile(QString()));
    }

    CVaultoraDoc* Open(const QString& path, const QString& password) {
        return dynamic_cast<CVaultoraDoc*>(OpenWithPassword(*m_app, path, password));
    }

    // A passwords file written by the program itself.
    void MakeFile(const QString& path, const QString& password) {
        CVaultoraDoc* doc = NewDoc();
        QVERIFY(doc);
        AddAccounts(*doc);
        QVERIFY(SaveWithPassword(doc, path, password));
        doc->OnCloseDocument();
        GuiTestEnv::FlushDeletes();
    }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }

    void init() { QVERIFY(m_env.StartFresh(m_app)); }

    void cleanup() { m_env.Stop(m_app); }

    void passwordsTemplateComesSecond() {
        QCOMPARE(m_app->GetDocTemplates().size(), size_t(2));
        QCOMPARE(m_app->GetDocTemplates().back().get(), m_app->GetPasswordsTemplate());
        QCOMPARE(m_app->GetPasswordsTemplate()->GetDocString(CMultiDocTemplate::filterName),
                 QStringLiteral("Lockwarden Encrypted Data Files (*.kvd)"));
        CVaultoraDoc* doc = NewDoc();
        QVERIFY(doc && dynamic_cast<CVaultoraChildFrame*>(doc->GetFrames().front()));
    }

    // A new document with no account is the 232-byte container of the empty document's text.
    void saveEmptyNewDocument() {
        CEncryptedDocument::SetNewDocumentsStrong(false);
        CVaultoraDoc* doc = NewDoc();
        QVERIFY(doc);
        auto seen = std::make_shared<Seen>();
        Answer(seen, {ChooseFile(seen, FilePath("vault")), SetPassword(seen, "pw")});
        Frame()->SendCommand(ID_FILE_SAVE);
        QCOMPARE(seen->answered, 2);
        const QString path = FilePath("vault.kvd");
        QCOMPARE(Bytes(path).size(), 232);
        QCOMPARE(CoreAccounts(path, "pw"), QStringList());
        QVERIFY(!doc->IsModified());
    }

    // Every file the editor saves reads back to the same accounts, in the core and in the editor.
    void accountsSurviveSaveAndOpen() {
        const QString path = FilePath("accounts.kvd");
        MakeFile(path, "s3cret");
        CVaultoraDoc reference;
        AddAccounts(reference);
        const QStringList expected = Describe(reference.m_lists);
        QCOMPARE(expected.size(), 3);
        QCOMPARE(CoreAccounts(path, "s3cret"), expected);

        CVaultoraDoc* doc = Open(path, "s3cret");
        QVERIFY(doc);
        QCOMPARE(Describe(doc->m_lists), expected);
        QVERIFY(!doc->IsModified());
        QCOMPARE(doc->m_strFilePath, path);
        // The tree is built from the lists and names the file at its root.
        auto* frame = dynamic_cast<CVaultoraChildFrame*>(doc->GetFrames().front());
        QVERIFY(frame && frame->GetLeftView());
        QCOMPARE(frame->GetLeftView()->topLevelItem(0)->text(0), path);

        // Save writes back to the same file, the password offered as it was.
        auto added = std::make_unique<OtherAccount>();
        added->strName = "PIN";
        added->strPassword = "0000";
        doc->m_lists.m_aOtherAccounts.Append(std::move(added));
        doc->SetModifiedFlag(true);
        auto seen = std::make_shared<Seen>();
        Answer(seen, {SetPassword(seen, QString())});
        Frame()->SendCommand(ID_FILE_SAVE);
        QCOMPARE(seen->texts, QStringList({"s3cret"}));
        QCOMPARE(CoreAccounts(path, "s3cret"), Describe(doc->m_lists));
        QCOMPARE(CoreAccounts(path, "s3cret").size(), 4);
        QVERIFY(!doc->IsModified());
    }

    // A file that deciphers but holds no passwords text is refused, not opened empty.
    void fileWithoutPasswordsTextIsRefused() {
        const QString plain = FilePath("plain.kvd");
        QVERIFY(cipher::WriteDocumentFile(QFile::encodeName(plain).toStdString(), "right", "just a note").ok());
        const QByteArray plainBefore = Bytes(plain);
        auto refused = std::make_shared<Seen>();
        Answer(refused,
               {EnterPassword("right"), Question(refused, IDC_DECRYPT_FAILED_TEXT, IDOK), EnterPassword(QString())});
        QVERIFY(!m_app->OpenDocumentFile(plain));
        QCOMPARE(refused->texts, QStringList({"Failed to decrypt the file: plain.kvd"}));
        QCOMPARE(Bytes(plain), plainBefore);
        GuiTestEnv::FlushDeletes();
        QVERIFY(m_app->GetPasswordsTemplate()->GetDocuments().empty());
    }

    // A file written elsewhere, every account looked at in its form, saved unchanged: byte for byte
    // the file it was. Then Enter typed into notes is saved as CR LF, and nothing else changes.
    void viewingEveryAccountChangesNoByte() {
        const QString path = FilePath("elsewhere.kvd");
        const std::string original = AwkwardPasswordsText();
        QVERIFY(cipher::WriteDocumentFile(QFile::encodeName(path).toStdString(), "pw", original).ok());
        const QByteArray before = Bytes(path);

        CVaultoraDoc* doc = Open(path, "pw");
        QVERIFY(doc);
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        auto* frame = dynamic_cast<CVaultoraChildFrame*>(doc->GetFrames().front());
        QVERIFY(frame);
        CLeftView* tree = frame->GetLeftView();
        const auto shownView = [frame] {
            const auto& current = frame->GetSplitter()->GetCurrentViewMap();
            auto it = current.find(CSwitchSplitterWnd::PaneKey(0, 1));
            return it == current.end() ? -1 : it->second;
        };
        const auto clickItem = [tree](QTreeWidgetItem* item) {
            tree->scrollToItem(item);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
        };
        struct Expected {
            QTreeWidgetItem* folder;
            int nView;
        };
        for (const Expected& kind : {Expected{tree->GetWebFolder(), frame->m_nWebAccView},
                                     Expected{tree->GetMailFolder(), frame->m_nMailAccView},
                                     Expected{tree->GetOtherFolder(), frame->m_nOtherAccView}}) {
            QVERIFY(kind.folder->childCount() > 0);
            for (int i = 0; i < kind.folder->childCount(); ++i) {
                QTreeWidgetItem* item = kind.folder->child(i);
                clickItem(item);
                QCOMPARE(tree->GetSelectedItem(), item);
                // The account named "Web Accounts" opens its own form, not the folder's.
                QCOMPARE(shownView(), kind.nView);
                // Ctrl+click on the selected account keeps it selected.
                QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::ControlModifier,
                                  tree->visualItemRect(item).center());
                QCOMPARE(tree->GetSelectedItem(), item);
            }
        }
        QVERIFY(!doc->IsModified());
        auto seen = std::make_shared<Seen>();
        Answer(seen, {SetPassword(seen, QString())});
        Frame()->SendCommand(ID_FILE_SAVE);
        QCOMPARE(seen->answered, 1);
        QCOMPARE(Bytes(path), before);

        // Enter at the end of the first account's notes: a CR LF there, and only there.
        clickItem(tree->GetWebFolder()->child(0));
        CNotesEdit* notes = nullptr;
        for (CNotesEdit* edit : frame->findChildren<CNotesEdit*>()) {
            if (edit->isVisible())
                notes = edit;
        }
        QVERIFY(notes);
        // The password question took the activation with it.
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QTest::mouseClick(notes->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(QApplication::focusWidget(), notes);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), "new");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ShiftModifier);
        QVERIFY(doc->IsModified());
        auto again = std::make_shared<Seen>();
        Answer(again, {SetPassword(again, QString())});
        Frame()->SendCommand(ID_FILE_SAVE);
        platform::SecureString text;
        QVERIFY(cipher::ReadDocumentFile(QFile::encodeName(path).toStdString(), "pw", text).ok());
        std::string expected = original;
        const std::string end = "ps\u2029last</NOTES>";
        expected.replace(expected.find(end), end.size(), "ps\u2029last\r\nnew\r\n</NOTES>");
        QCOMPARE(std::string(text.view()), expected);
    }

    // File, Import by keys: the file typed into the file dialog becomes a new, unsaved passwords
    // document whose window shows the accounts, and Save asks for a name and a password.
    void importByKeysMakesANewDocument() {
        MakeFile(FilePath("other.kvd"), "pw"); // the documents' File menu, not the frame's
        QVERIFY(Open(FilePath("other.kvd"), "pw"));
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        const QString input = QString(LW_TEST_DATA_DIR) + "/bitwarden.csv";
        QString title;
        AnswerNextModal([&](QWidget* modal) {
            title = modal->windowTitle();
            QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == modal);
            QTest::keyClicks(QApplication::focusWidget(), input);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        });
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_I);
        QCOMPARE(title, QStringLiteral("Import"));
        QTRY_COMPARE(m_app->GetPasswordsTemplate()->GetDocuments().size(), size_t(2));

        auto* doc = dynamic_cast<CVaultoraDoc*>(m_app->GetPasswordsTemplate()->GetDocuments().back());
        QVERIFY(doc);
        const QStringList expected = {
            "web|Straße|https://social.example|anna|p,w\"1|Folder: Social\r\nNotes with \"quotes\", commas\r\n"
            "and a second line",
            "web|VPN|https://vpn.example|bob|s3cret|Folder: Work\r\nTOTP: JBSWY3DPEHPK3PXP\r\nPIN: 1234\r\nRegion: EU",
            "other|Wi-Fi at home|||SSID: Home\r\nKey: abc"};
        QCOMPARE(Describe(doc->m_lists), expected);
        QVERIFY(doc->IsModified());
        QVERIFY(doc->m_strFilePath.isEmpty());
        QCOMPARE(doc->GetTitle(), QStringLiteral("bitwarden"));
        auto* frame = dynamic_cast<CVaultoraChildFrame*>(doc->GetFrames().front());
        QVERIFY(frame && frame->GetLeftView());
        QCOMPARE(frame->GetLeftView()->GetWebFolder()->childCount(), 2);
        QCOMPARE(frame->GetLeftView()->GetOtherFolder()->childCount(), 1);

        auto seen = std::make_shared<Seen>();
        Answer(seen, {ChooseFile(seen, FilePath("imported")), SetPassword(seen, "new")});
        Frame()->SendCommand(ID_FILE_SAVE);
        QCOMPARE(seen->titles, QStringList({"Save As", "Set Password"}));
        QCOMPARE(seen->texts.front(), QStringLiteral("bitwarden.kvd"));
        QCOMPARE(CoreAccounts(FilePath("imported.kvd"), "new"), expected);
        QVERIFY(!doc->IsModified());
    }

    // A file that can't be imported says which file, which line and why, and makes no document.
    void importFailureSaysWhereAndMakesNothing() {
        const QString bad = FilePath("bad.csv");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kind,NAME,ADDRESS\nweb,Shop,https://shop.example\n\"Bank,x,\n");
        file.close();
        MessageBox::setNextAnswer(IDOK);
        QVERIFY(!ImportAccountsFile(bad));
        QCOMPARE(MessageBox::last().text, QStringLiteral("Cannot import \"%1\", line 3: a quoted field of the record "
                                                         "that starts here is never closed. No document was made.")
                                              .arg(bad));
        MessageBox::setNextAnswer(IDOK);
        QVERIFY(!ImportAccountsFile(FilePath("missing.csv")));
        QCOMPARE(MessageBox::last().text,
                 QStringLiteral("Cannot import \"%1\": the file does not exist. No document was "
                                "made.")
                     .arg(FilePath("missing.csv")));
        MessageBox::setNextAnswer(IDOK);
        QVERIFY(!ImportAccountsFile(m_env.FilesDir()));
        QVERIFY(MessageBox::last().text.endsWith(QStringLiteral("not a file. No document was made.")));
        QCOMPARE(m_app->GetPasswordsTemplate()->GetDocuments().size(), size_t(0));
    }

    // Groups in an unusual order lose no account through an open and a save.
    void groupsInAnyOrderSurviveASave() {
        const QString path = FilePath("order.kvd");
        const std::string text =
            "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n<DOC>\r\n<MAIL_ACCOUNTS>\r\n" +
            Account({{"NAME", "Mail"}, {"ADDRESS", "a@b"}}) + "</MAIL_ACCOUNTS>\r\n<WEB_ACCOUNTS>\r\n" +
            Account({{"NAME", "Web"}, {"ADDRESS", "w"}}) + "</WEB_ACCOUNTS>\r\n<OTHER_ACCOUNTS/>\r\n</DOC>\r\n";
        QVERIFY(cipher::WriteDocumentFile(QFile::encodeName(path).toStdString(), "pw", text).ok());
        const QStringList accounts = CoreAccounts(path, "pw");
        QCOMPARE(accounts.size(), 2);
        CVaultoraDoc* doc = Open(path, "pw");
        QVERIFY(doc);
        auto seen = std::make_shared<Seen>();
        Answer(seen, {SetPassword(seen, QString())});
        Frame()->SendCommand(ID_FILE_SAVE);
        QCOMPARE(seen->answered, 1);
        QCOMPARE(CoreAccounts(path, "pw"), accounts);
    }
};

QTEST_MAIN(TestVaultoraDoc)
#include "test_vaultora_doc.moc"
