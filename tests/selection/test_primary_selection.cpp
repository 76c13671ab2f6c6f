// The X primary selection, on a real X server: a password selected in a form never stays there; text
// selected in a document leaves it when the screen locks, when its document closes and when the editor
// exits; another program's selection is never taken. What other programs see is read by a second
// process, this same executable run as a plain X client.

#include "common/DocumentAnswers.h"
#include "common/GuiTestEnv.h"

#include "cipher/DocumentFile.h"
#include "framework/DocTemplate.h"
#include "passwords/PasswordsSchema.h"
#include "passwords/VaultoraDoc.h"
#include "shell/EditorApp.h"
#include "textdoc/EditorView.h"
#include "workspace/LeftView.h"
#include "workspace/VaultoraChildFrame.h"
#include "workspace/WebAccView.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

const char* const kPrintSelection = "--print-selection";
const char* const kOwnSelection = "--own-selection";

// The helper's two jobs: print the primary selection as any X client gets it, or own it with a text
// until it is killed.
int RunHelper(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (std::strcmp(argv[1], kPrintSelection) == 0) {
        const QByteArray text = QGuiApplication::clipboard()->text(QClipboard::Selection).toUtf8();
        std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
        return 0;
    }
    QGuiApplication::clipboard()->setText(QString::fromUtf8(argv[2]), QClipboard::Selection);
    std::puts("ready");
    std::fflush(stdout);
    // Never outlives a test that forgot it.
    QTimer::singleShot(30000, &app, &QCoreApplication::quit);
    return app.exec();
}

} // namespace

class TestPrimarySelection : public QObject {
    Q_OBJECT

    std::unique_ptr<CEditorApp> m_app;
    GuiTestEnv m_env;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    static QClipboard* Clipboard() { return QApplication::clipboard(); }

    // The primary selection as another program reads it. The editor's event loop keeps running
    // meanwhile: it is the editor that answers the request when the selection is its own.
    static QString SelectionSeenOutside() {
        QProcess reader;
        reader.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kPrintSelection)});
        if (!reader.waitForStarted())
            return QStringLiteral("(not started)");
        if (!QTest::qWaitFor([&reader] { return reader.state() == QProcess::NotRunning; }, 10000))
            return QStringLiteral("(no answer)");
        return QString::fromUtf8(reader.readAllStandardOutput());
    }

    // A passwords file of one web account, opened, with that account shown.
    CWebAccView* OpenAccount() {
        AccountLists lists;
        auto web = std::make_unique<WebAccount>();
        web->strName = "Bank";
        web->strUserId = "alice";
        web->strPassword = "s3cret";
        lists.m_aWebAccounts.Append(std::move(web));
        platform::SecureString text;
        if (!BuildPasswordsText(lists, text))
            return nullptr;
        const QString path = m_env.FilePath("vault.kvd");
        if (!cipher::WriteDocumentFile(path.toStdString(), "pw", text.view(), cipher::DocFormat::Compatible).ok())
            return nullptr;
        if (!docanswers::OpenWithPassword(*m_app, path, "pw"))
            return nullptr;
        auto* window = dynamic_cast<CVaultoraChildFrame*>(Frame()->MDIGetActive());
        if (!window || !window->GetLeftView())
            return nullptr;
        window->GetLeftView()->setCurrentItem(window->GetLeftView()->GetWebFolder()->child(0));
        Frame()->activateWindow();
        if (!QTest::qWaitForWindowActive(Frame()))
            return nullptr;
        return dynamic_cast<CWebAccView*>(window->GetView(window->m_nWebAccView));
    }

    // Clicks into a field of the form and selects all of it by keyboard.
    static void SelectAllIn(QWidget* field) {
        QTest::mouseClick(field, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    }

    // A new text document with the text typed in and then all of it selected.
    CDocument* SelectedNote(const char* text) {
        CDocument* doc = m_app->GetTextTemplate()->OpenDocumentFile(QString());
        if (!doc || !QTest::qWaitFor([] { return qobject_cast<CEditorView*>(QApplication::focusWidget()); }))
            return nullptr;
        QTest::keyClicks(QApplication::focusWidget(), text);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        return doc;
    }

private slots:
    void initTestCase() {
        m_env.Begin();
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        QVERIFY(Clipboard()->supportsSelection());
    }
    void cleanupTestCase() { m_env.End(); }

    void init() {
        m_env.Reset();
        QVERIFY(m_env.Start(m_app));
        Frame()->show();
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
    }

    void cleanup() { m_env.Stop(m_app); }

    // Ctrl+A in the password field: the selection is taken back before anyone can read it. The user ID
    // beside it is the user's to paste elsewhere, until its document closes.
    void selectedPasswordIsTakenBack() {
        CWebAccView* form = OpenAccount();
        QVERIFY(form);
        SelectAllIn(form->GetDlgItem(IDC_WEB_PASSWORD));
        QCOMPARE(Clipboard()->text(QClipboard::Selection), QString());
        QVERIFY(!Clipboard()->ownsSelection());
        QCOMPARE(SelectionSeenOutside(), QString());

        SelectAllIn(form->GetDlgItem(IDC_WEB_USERID));
        QCOMPARE(SelectionSeenOutside(), QStringLiteral("alice"));
        CDocument* doc = Frame()->GetActiveDocument();
        QVERIFY(doc && !doc->IsModified());
        doc->OnCloseDocument();
        QCOMPARE(Clipboard()->text(QClipboard::Selection), QString());
        QCOMPARE(SelectionSeenOutside(), QString());
    }

    // A note's selection is there for a middle click, and gone once the screen locks; selected again,
    // gone when the editor exits.
    void noteSelectionLeavesOnLockAndExit() {
        CDocument* doc = SelectedNote("private note");
        QVERIFY(doc);
        QCOMPARE(SelectionSeenOutside(), QStringLiteral("private note"));
        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QVERIFY(Frame()->m_bLocked);
        QCOMPARE(SelectionSeenOutside(), QString());
        QVERIFY(Frame()->PromptUnlock());

        QTRY_VERIFY(qobject_cast<CEditorView*>(QApplication::focusWidget()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::ShiftModifier);
        QCOMPARE(Clipboard()->text(QClipboard::Selection), QStringLiteral("private note"));
        doc->SetModifiedFlag(false);
        QVERIFY(Frame()->close());
        QCOMPARE(Clipboard()->text(QClipboard::Selection), QString());
    }

    // Once another program has selected something, the lock and the close leave its selection alone.
    void anotherProgramsSelectionStays() {
        CDocument* doc = SelectedNote("private note");
        QVERIFY(doc);
        QVERIFY(Clipboard()->ownsSelection());
        QProcess owner;
        owner.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kOwnSelection), "theirs"});
        QVERIFY(owner.waitForStarted());
        QVERIFY(QTest::qWaitFor([&owner] { return owner.canReadLine(); }, 10000));
        QTRY_VERIFY(!Clipboard()->ownsSelection());

        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QCOMPARE(SelectionSeenOutside(), QStringLiteral("theirs"));
        QVERIFY(Frame()->PromptUnlock());
        doc->SetModifiedFlag(false);
        doc->OnCloseDocument();
        QCOMPARE(SelectionSeenOutside(), QStringLiteral("theirs"));
        owner.kill();
        owner.waitForFinished();
    }
};

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], kPrintSelection) == 0)
        return RunHelper(argc, argv);
    if (argc >= 3 && std::strcmp(argv[1], kOwnSelection) == 0)
        return RunHelper(argc, argv);
    QApplication app(argc, argv);
    TestPrimarySelection test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_primary_selection.moc"
