// Choosing a document's format: the Document Encryption dialog, the status pane, and both document
// kinds saved, closed and reopened in the strong format and back, with real files.

#include "common/DocumentAnswers.h"
#include "common/EditorTestEnv.h"

#include "cipher/StrongFile.h"
#include "framework/DocTemplate.h"
#include "framework/ModalAnswer.h"
#include "framework/StatusBar.h"
#include "passwords/PasswordsSchema.h"
#include "passwords/VaultoraDoc.h"
#include "shell/EditorApp.h"
#include "textdoc/EditorDoc.h"
#include "textdoc/EditorView.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace docanswers;

namespace {

constexpr cipher::StrongCost kQuick{1, 64};

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool IsStrong(const QByteArray& bytes) {
    return cipher::IsStrongFile(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
}

// Answers the Document Encryption dialog: clicks the given controls in turn, then OK. Records
// which radio button and check box it found checked.
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

class TestDocumentEncryption : public QObject {
    Q_OBJECT

    std::unique_ptr<CEditorApp> m_app;
    EditorTestEnv m_env;
    std::unique_ptr<QTemporaryDir> m_files;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    QString FilePath(const QString& name) const { return m_files->filePath(name); }

    QString FormatPane() {
        Frame()->UpdateStatusPanes();
        CStatusBar* bar = Frame()->GetStatusBar();
        return bar->GetPaneText(bar->CommandToIndex(ID_INDICATOR_ENCRYPTION));
    }

    // The Document Encryption command as the menu gives it, answered by `step`.
    void ChooseEncryption(const Step& step) {
        auto seen = std::make_shared<Seen>();
        Answer(seen, {step});
        Frame()->OnUserCommand(ID_SETTINGS_DOCUMENT_ENCRYPTION);
        QCOMPARE(seen->answered, 1);
        QCOMPARE(seen->titles.value(0), QStringLiteral("Document Encryption"));
    }

    bool Save(CEncryptedDocument* doc, const QString& path, const QString& password) {
        auto seen = std::make_shared<Seen>();
        if (doc->m_strFilePath.isEmpty())
            Answer(seen, {ChooseFile(seen, path), SetPassword(seen, password)});
        else
            Answer(seen, {SetPassword(seen, password)});
        return doc->OnFileSave();
    }

    CDocument* Open(const QString& path, const QString& password) {
        auto seen = std::make_shared<Seen>();
        Answer(seen, {EnterPassword(password)});
        return m_app->OpenDocumentFile(path);
    }

    void CloseAll() {
        m_app->CloseAllDocuments();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private slots:
    void initTestCase() {
        m_env.Begin();
        cipher::SetNewStrongCost(kQuick);
    }
    void cleanupTestCase() {
        cipher::SetNewStrongCost({});
        m_env.End();
    }

    void init() {
        m_env.Reset();
        m_files = std::make_unique<QTemporaryDir>();
        m_app = std::make_unique<CEditorApp>();
        QVERIFY(m_app->InitInstance({QStringLiteral("lockwarden-editor")}));
        // The profile outlives a test (and a run): every test starts from the default.
        CEncryptedDocument::SetNewDocumentsStrong(false);
    }

    void cleanup() {
        CancelModalAnswers();
        MessageBox::clearAnswers();
        m_app->CloseAllDocuments();
        if (Frame())
            Frame()->close();
        m_app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_files.reset();
    }

    // Switch a text document to strong, save, close, reopen, change, save again (it stays strong),
    // then switch it back: the compatible file is exactly what the compatible writer makes.
    void textDocumentToStrongAndBack() {
        auto* doc = dynamic_cast<CEditorDoc*>(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        QVERIFY(doc);
        QCOMPARE(FormatPane(), QStringLiteral("Compatible"));
        doc->GetEditorView()->insertPlainText(QStringLiteral("Grüße\nline two"));
        const QString path = FilePath("note.etx");
        QVERIFY(Save(doc, path, "pw"));
        QVERIFY(!IsStrong(Bytes(path)));
        QVERIFY(!doc->IsModified());

        auto seen = std::make_shared<Seen>();
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_STRONG}));
        QCOMPARE(seen->texts.value(0), QStringLiteral("compatible=1 strong=0 new=0 enabled=1"));
        QVERIFY(doc->IsModified()); // the file on disk is still compatible until the next save
        QVERIFY(!IsStrong(Bytes(path)));
        QCOMPARE(FormatPane(), QStringLiteral("Strong"));
        QVERIFY(Save(doc, path, QString()));
        const QByteArray strong = Bytes(path);
        QVERIFY(IsStrong(strong));
        CloseAll();
        QCOMPARE(FormatPane(), QString());

        doc = dynamic_cast<CEditorDoc*>(Open(path, "pw"));
        QVERIFY(doc);
        QCOMPARE(doc->m_nFormat, cipher::DocFormat::Strong);
        QCOMPARE(FormatPane(), QStringLiteral("Strong"));
        QCOMPARE(doc->GetEditorView()->GetTextUtf8(), QByteArray("Grüße\r\nline two"));
        doc->GetEditorView()->insertPlainText(QStringLiteral("!"));
        QVERIFY(Save(doc, path, QString()));
        QVERIFY(IsStrong(Bytes(path)));
        QVERIFY(Bytes(path) != strong);

        seen = std::make_shared<Seen>();
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_COMPATIBLE}));
        QCOMPARE(seen->texts.value(0), QStringLiteral("compatible=0 strong=1 new=0 enabled=1"));
        QVERIFY(Save(doc, path, QString()));
        const QByteArray text = doc->GetEditorView()->GetTextUtf8();
        platform::SecureBytes expected;
        QCOMPARE(cipher::EncodeDocument(std::string_view(text.constData(), size_t(text.size())), "pw", expected),
                 cipher::DocResult::Ok);
        QCOMPARE(Bytes(path), QByteArray(reinterpret_cast<const char*>(expected.data()), qsizetype(expected.size())));
    }

    // Cancel changes nothing; choosing the format a document already has does not modify it.
    void cancelOrSameFormatLeavesTheDocumentAlone() {
        auto* doc = dynamic_cast<CEditorDoc*>(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        QVERIFY(doc);
        auto seen = std::make_shared<Seen>();
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_STRONG, IDC_ENCRYPTION_NEW_STRONG}, IDCANCEL));
        QCOMPARE(doc->m_nFormat, cipher::DocFormat::Compatible);
        QVERIFY(!doc->IsModified());
        QVERIFY(!CEncryptedDocument::GetNewDocumentsStrong());
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_COMPATIBLE}));
        QVERIFY(!doc->IsModified());
    }

    // A passwords document, started strong because the user chose that for new documents (with no
    // document open, only that choice is offered).
    void newPasswordsDocumentStartsStrongWhenChosen() {
        auto seen = std::make_shared<Seen>();
        ChooseEncryption(Encryption(seen, {IDC_ENCRYPTION_NEW_STRONG}));
        QCOMPARE(seen->texts.value(0), QStringLiteral("compatible=0 strong=0 new=0 enabled=0"));
        QVERIFY(CEncryptedDocument::GetNewDocumentsStrong());

        auto* doc = dynamic_cast<CVaultoraDoc*>(m_app->GetPasswordsTemplate()->OpenDocumentFile(QString()));
        QVERIFY(doc);
        QCOMPARE(doc->m_nFormat, cipher::DocFormat::Strong);
        auto web = std::make_unique<WebAccount>();
        web->strName = "Bank";
        web->strPassword = "s3cret";
        doc->m_lists.m_aWebAccounts.Append(std::move(web));
        doc->SetModifiedFlag(true);
        const QString path = FilePath("vault.kvd");
        QVERIFY(Save(doc, path, "pw"));
        const QByteArray bytes = Bytes(path);
        QVERIFY(IsStrong(bytes));
        QCOMPARE(QByteArray(bytes.constData() + 12, 8), QByteArray("\x01\0\0\0\x40\0\0\0", 8));
        platform::SecureString expected;
        QVERIFY(BuildPasswordsText(doc->m_lists, expected));
        CloseAll();

        platform::SecureString text;
        const cipher::DocStatus status = cipher::ReadDocumentFile(path.toStdString(), "pw", text);
        QVERIFY(status.ok());
        QCOMPARE(std::string(text.view()), std::string(expected.view()));
        doc = dynamic_cast<CVaultoraDoc*>(Open(path, "pw"));
        QVERIFY(doc);
        QCOMPARE(doc->m_nFormat, cipher::DocFormat::Strong);
        QCOMPARE(std::string(doc->m_lists.m_aWebAccounts.At(0)->strPassword.view()), std::string("s3cret"));
    }

    // A wrong password says the file could not be deciphered, naming it; a header this version does
    // not know says so, naming the file; neither opens anything.
    void refusedStrongFilesNameTheFile() {
        const QString path = FilePath("locked.etx");
        QVERIFY(cipher::WriteDocumentFile(path.toStdString(), "right", "text", cipher::DocFormat::Strong).ok());
        auto seen = std::make_shared<Seen>();
        Answer(seen, {EnterPassword("wrong"), Question(seen, IDC_DECRYPT_FAILED_TEXT, IDOK)});
        QVERIFY(!m_app->OpenDocumentFile(path));
        QCOMPARE(seen->texts.value(0), QStringLiteral("Failed to decrypt the file: locked.etx"));

        QByteArray newer = Bytes(path);
        newer[8] = 2;
        QFile file(FilePath("newer.etx"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(newer);
        file.close();
        MessageBox::setNextAnswer(IDOK);
        QVERIFY(!Open(FilePath("newer.etx"), "right"));
        QVERIFY(MessageBox::last().text.contains(QStringLiteral("newer.etx")));
        QVERIFY(MessageBox::last().text.contains(QStringLiteral("newer version")));
        QVERIFY(m_app->GetTextTemplate()->GetDocuments().empty());
    }
};

QTEST_MAIN(TestDocumentEncryption)
#include "test_document_encryption.moc"
