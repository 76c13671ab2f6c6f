// What only the text document does: its template, its text through save and open, printing, and the
// windows the lock ends; with real enciphered files, the real application and main frame, and every
// dialog answered by the test. What it shares with the passwords document: test_encrypted_document.

#include "common/DocumentAnswers.h"
#include "common/GuiTestEnv.h"

#include "cipher/DocumentFile.h"
#include "framework/DocTemplate.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "textdoc/EditorDoc.h"
#include "textdoc/EditorView.h"
#include "textdoc/FindReplaceDlg.h"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace docanswers;

class TestEditorDoc : public QObject {
    Q_OBJECT

    std::unique_ptr<CEditorApp> m_app;
    GuiTestEnv m_env;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    QString FilePath(const QString& name) const { return m_env.FilePath(name); }
    static QByteArray Bytes(const QString& path) { return GuiTestEnv::Bytes(path); }

    CEditorDoc* NewDoc() { return dynamic_cast<CEditorDoc*>(m_app->GetTextTemplate()->OpenDocumentFile(QString())); }

    CEditorDoc* Open(const QString& path, const QString& password, std::shared_ptr<Seen> seen = {}) {
        return dynamic_cast<CEditorDoc*>(OpenWithPassword(*m_app, path, password, seen));
    }

    void LockNow() { m_env.LockByIdleness(Frame()); }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }

    void init() { QVERIFY(m_env.StartFresh(m_app)); }

    void cleanup() { m_env.Stop(m_app); }

    void textTemplateComesFirst() {
        QCOMPARE(m_app->GetDocTemplates().front().get(), m_app->GetTextTemplate());
        QCOMPARE(m_app->GetTextTemplate()->GetDocString(CMultiDocTemplate::filterExt), QStringLiteral(".etx"));
        CEditorDoc* doc = NewDoc();
        QVERIFY(doc && doc->GetEditorView());
    }

    // An empty text is stored as a block of padding alone, which opens as an empty text again.
    void emptyDocumentIsSavedAndOpens() {
        CEncryptedDocument::SetNewDocumentsStrong(false);
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
        QCOMPARE(CoreRead(path, "pw"), QByteArray());
        doc->OnCloseDocument();

        CEditorDoc* again = Open(path, "pw");
        QVERIFY(again);
        QVERIFY(again->GetEditorView()->GetText().isEmpty());
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

    // The Find dialog floats above every window, the lock window too: it goes away with the lock, so
    // that nobody can search or replace in a document the lock hides.
    void findDialogClosesOnTheLock() {
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
};

QTEST_MAIN(TestEditorDoc)
#include "test_editor_doc.moc"
