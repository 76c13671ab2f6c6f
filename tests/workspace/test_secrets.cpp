// Secrets in the account forms: a copied field leaves the clipboard after the delay, on lock and on
// exit (unless something else is there by then), and the generator fills a field as if typed. The
// whole editor runs, with a real passwords file and the fake clock.

#include "common/DocumentAnswers.h"
#include "common/GuiTestEnv.h"
#include "controls/StrengthMeter.h"

#include "cipher/DocumentFile.h"
#include "framework/ClipboardGuard.h"
#include "framework/DocTemplate.h"
#include "framework/ModalAnswer.h"
#include "framework/StatusBar.h"
#include "passwords/PasswordsSchema.h"
#include "passwords/VaultoraDoc.h"
#include "shell/EditorApp.h"
#include "textdoc/CommandMenu.h"
#include "textdoc/EditEx.h"
#include "textdoc/EditorView.h"
#include "workspace/LeftView.h"
#include "workspace/PasswordGeneratorDlg.h"
#include "workspace/SecretFields.h"
#include "workspace/VaultoraChildFrame.h"
#include "workspace/WebAccView.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

using namespace docanswers;

class TestSecrets : public QObject {
    Q_OBJECT

    std::unique_ptr<CEditorApp> m_app;
    GuiTestEnv m_env;
    CVaultoraDoc* m_doc = nullptr;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    CClipboardGuard* Guard() const { return CClipboardGuard::Get(); }
    static QString ClipboardText() { return QApplication::clipboard()->text(); }

    QString ClipboardPane() const {
        CStatusBar* bar = Frame()->GetStatusBar();
        return bar->GetPaneText(bar->CommandToIndex(ID_INDICATOR_CLIPBOARD)).trimmed();
    }

    // A passwords file of one web account, opened, with its account shown.
    CWebAccView* OpenAccount(const QString& fileName = QStringLiteral("vault.kvd")) {
        AccountLists lists;
        auto web = std::make_unique<WebAccount>();
        web->strName = "Bank";
        web->strPassword = "s3cret";
        lists.m_aWebAccounts.Append(std::move(web));
        platform::SecureString text;
        if (!BuildPasswordsText(lists, text))
            return nullptr;
        const QString path = m_env.FilePath(fileName);
        if (!cipher::WriteDocumentFile(path.toStdString(), "pw", text.view(), cipher::DocFormat::Compatible).ok())
            return nullptr;
        m_doc = dynamic_cast<CVaultoraDoc*>(OpenWithPassword(*m_app, path, "pw"));
        auto* window = dynamic_cast<CVaultoraChildFrame*>(Frame()->MDIGetActive());
        CLeftView* tree = window ? window->GetLeftView() : nullptr;
        if (!m_doc || !tree)
            return nullptr;
        tree->setCurrentItem(tree->GetWebFolder()->child(0));
        // Back to the main window once the password prompt has gone.
        Frame()->activateWindow();
        if (!QTest::qWaitForWindowActive(Frame()))
            return nullptr;
        return dynamic_cast<CWebAccView*>(window->GetView(window->m_nWebAccView));
    }

    static QLineEdit* PasswordField(CWebAccView* form) {
        return qobject_cast<QLineEdit*>(form->GetDlgItem(IDC_WEB_PASSWORD));
    }

    // Clicks into the password field, then Ctrl+Shift+H from there.
    static void ToggleHiddenByKey(CWebAccView* form) {
        QTest::mouseClick(PasswordField(form), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), PasswordField(form));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier);
    }

    // What the password field shows: its text, or as many dots.
    static bool ShowsDots(QLineEdit* field) {
        return !field->text().isEmpty() && field->displayText() != field->text() &&
               field->displayText().size() == field->text().size();
    }

    // The password as the last save wrote it.
    std::string SavedPassword() const {
        platform::SecureString text;
        if (!cipher::ReadDocumentFile(m_env.FilePath("vault.kvd").toStdString(), "pw", text).ok())
            return "(unreadable)";
        AccountLists lists;
        if (!ReadPasswordsText(text.view(), lists) || !lists.m_aWebAccounts.At(0))
            return "(unparsed)";
        return std::string(lists.m_aWebAccounts.At(0)->strPassword.view());
    }

    // Clicks into the password field and copies it all by keyboard, as a user does.
    void CopyPassword(CWebAccView* form) {
        QWidget* field = form->GetDlgItem(IDC_WEB_PASSWORD);
        QTest::mouseClick(field, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(ClipboardText(), QStringLiteral("s3cret"));
    }

    void Tick(uint32_t ms) {
        m_env.m_now += ms;
        // Input, not a clock, keeps the screen unlocked: the idle check would lock it otherwise.
        Frame()->m_dwLastActivity = m_env.m_now;
        Guard()->OnTimer();
    }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }

    void init() {
        m_env.Reset();
        QVERIFY(m_env.Start(m_app));
        CClipboardGuard::SetClearDelay(CClipboardGuard::kDefaultDelay);
        QApplication::clipboard()->clear();
        Frame()->show();
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
    }

    void cleanup() {
        m_doc = nullptr;
        m_env.Stop(m_app);
    }

    // Copied with the hint clipboard managers honour, counted down in the status bar, and gone once the
    // delay is over; cut by the Edit command goes the same way.
    void copiedPasswordLeavesAfterTheDelay() {
        CWebAccView* form = OpenAccount();
        QVERIFY(form);
        CopyPassword(form);
        const QMimeData* data = QApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->data(QString::fromLatin1(CClipboardGuard::kHintFormat)), QByteArray("secret"));
        QCOMPARE(ClipboardPane(), QStringLiteral("Clipboard: 30 s"));
        Tick(29500);
        QCOMPARE(ClipboardText(), QStringLiteral("s3cret"));
        QCOMPARE(ClipboardPane(), QStringLiteral("Clipboard: 1 s"));
        Tick(500);
        QCOMPARE(ClipboardText(), QString());
        QCOMPARE(ClipboardPane(), QString());

        Frame()->OnUserCommand(ID_EDIT_CUT);
        QCOMPARE(ClipboardText(), QStringLiteral("s3cret"));
        QCOMPARE(form->GetDlgItemText(IDC_WEB_PASSWORD), QString());
        QVERIFY(m_doc->IsModified());
        Tick(30000);
        QCOMPARE(ClipboardText(), QString());
    }

    void lockAndExitClearAtOnce() {
        CWebAccView* form = OpenAccount();
        QVERIFY(form);
        CopyPassword(form);
        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QVERIFY(Frame()->m_bLocked);
        QCOMPARE(ClipboardText(), QString());
        QVERIFY(Frame()->PromptUnlock());

        CopyPassword(form);
        m_doc->SetModifiedFlag(false);
        Frame()->close();
        QCOMPARE(ClipboardText(), QString());
    }

    // A note copied from a text document is guarded like a password: the hint, and gone at the lock;
    // cut by the Edit command the same way.
    void copiedNoteLeavesOnLock() {
        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        QTRY_VERIFY(qobject_cast<CEditorView*>(QApplication::focusWidget()));
        QTest::keyClicks(QApplication::focusWidget(), "private note");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(ClipboardText(), QStringLiteral("private note"));
        QCOMPARE(QApplication::clipboard()->mimeData()->data(QString::fromLatin1(CClipboardGuard::kHintFormat)),
                 QByteArray("secret"));
        QCOMPARE(ClipboardPane(), QStringLiteral("Clipboard: 30 s"));
        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QCOMPARE(ClipboardText(), QString());
        QVERIFY(Frame()->PromptUnlock());

        Frame()->OnUserCommand(ID_EDIT_CUT);
        QCOMPARE(ClipboardText(), QStringLiteral("private note"));
        QCOMPARE(ClipboardPane(), QStringLiteral("Clipboard: 30 s"));
        dynamic_cast<CDocument*>(Frame()->GetActiveDocument())->SetModifiedFlag(false);
    }

    // Whatever the user or another program put on the clipboard since is theirs: neither the delay,
    // nor the lock, nor the exit takes it away.
    void somethingElseOnTheClipboardStays() {
        CWebAccView* form = OpenAccount();
        QVERIFY(form);
        CopyPassword(form);
        QApplication::clipboard()->setText(QStringLiteral("shopping list"));
        Tick(31000);
        QCOMPARE(ClipboardText(), QStringLiteral("shopping list"));
        QCOMPARE(ClipboardPane(), QString());
        CopyPassword(form);
        QApplication::clipboard()->setText(QStringLiteral("shopping list"));
        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QCOMPARE(ClipboardText(), QStringLiteral("shopping list"));
        QVERIFY(Frame()->PromptUnlock());
        m_doc->SetModifiedFlag(false);
        Frame()->close();
        QCOMPARE(ClipboardText(), QStringLiteral("shopping list"));
    }

    // The Clipboard dialog: a wrong number is refused with a message, 0 keeps the secret until the lock.
    void delayFromTheSettingsDialog() {
        auto seen = std::make_shared<Seen>();
        MessageBox::setNextAnswer(IDOK);
        Answer(seen, {[](QWidget* modal) {
                   Edit(modal, IDC_CLIPBOARD_CLEAR_SECONDS)->setText(QStringLiteral("-5"));
                   Click(modal, IDOK);
                   QVERIFY(modal->isVisible());
                   Edit(modal, IDC_CLIPBOARD_CLEAR_SECONDS)->setText(QStringLiteral("0"));
                   Click(modal, IDOK);
               }});
        Frame()->OnUserCommand(ID_SETTINGS_CLIPBOARD);
        QCOMPARE(seen->answered, 1);
        QCOMPARE(CClipboardGuard::ClearDelay(), 0);

        CWebAccView* form = OpenAccount();
        QVERIFY(form);
        CopyPassword(form);
        Tick(3600 * 1000);
        QCOMPARE(ClipboardText(), QStringLiteral("s3cret"));
        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QCOMPARE(ClipboardText(), QString());
    }

    // The generator on a field: the dialog's candidate lands in the field and the record, the
    // document is modified, and Undo brings the old password back.
    void generatedPasswordLandsInTheField() {
        CWebAccView* form = OpenAccount();
        QVERIFY(form);
        auto* field = qobject_cast<CEditEx*>(form->GetDlgItem(IDC_WEB_PASSWORD));
        QTest::mouseClick(field, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), field);
        QVERIFY(!m_doc->IsModified());

        auto seen = std::make_shared<Seen>();
        QString shown;
        QStringList meterWords;
        // The field's context menu offers the generator, enabled; its item sends this command.
        QMenu* menu = workspace::BuildSecretFieldMenu(field);
        textdoc::UpdateCommandMenu(menu, nullptr);
        bool bOffered = false;
        for (QAction* action : menu->actions())
            bOffered = bOffered || (textdoc::CommandId(action) == ID_EDIT_GENERATE_PASSWORD && action->isEnabled());
        delete menu;
        Answer(seen, {[&shown, &meterWords](QWidget* modal) {
                   auto* dialog = dynamic_cast<CPasswordGeneratorDlg*>(modal);
                   if (!dialog) {
                       modal->close();
                       return;
                   }
                   auto* length = qobject_cast<QSpinBox*>(dialog->GetDlgItem(IDC_GENERATOR_LENGTH));
                   auto* meter = qobject_cast<CStrengthMeter*>(dialog->GetDlgItem(IDC_GENERATOR_METER));
                   QVERIFY(meter);
                   // The meter rates each candidate shown: four characters are guessed at once.
                   length->setValue(4);
                   meterWords << meter->text();
                   length->setValue(32);
                   Click(modal, IDC_GENERATOR_SYMBOLS);
                   meterWords << meter->text();
                   shown = dialog->GetPassword();
                   Click(modal, IDOK);
               }});
        Frame()->OnUserCommand(ID_EDIT_GENERATE_PASSWORD);
        QVERIFY(bOffered);
        QCOMPARE(seen->titles, QStringList{QStringLiteral("Generate Password")});
        QCOMPARE(shown.size(), 32);
        QCOMPARE(meterWords, QStringList({"Poor", "Excellent"}));
        QVERIFY(!shown.contains(QRegularExpression("[^A-Za-z0-9]")));
        QCOMPARE(field->text(), shown);
        QCOMPARE(std::string(m_doc->m_lists.m_aWebAccounts.At(0)->strPassword.view()), shown.toStdString());
        QVERIFY(m_doc->IsModified());
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("s3cret"));
    }
    // Ctrl+Shift+H in a passwords window: dots instead of the password, kept in the profile, a
    // reveal button reached by Tab right after the field that Space toggles, and the field exposed to
    // assistive tools as a password (its value only stars); the button stays beside the field as the
    // window widens. Ctrl+Shift+H again shows the text, without the button, at the field's width.
    void hidePasswordsByKey() {
        CWebAccView* form = OpenAccount();
        QVERIFY(form);
        QLineEdit* field = PasswordField(form);
        QVERIFY(!Frame()->QueryCommandUI(ID_VIEW_HIDE_PASSWORDS).IsChecked());
        QCOMPARE(field->displayText(), QStringLiteral("s3cret"));
        const QRect before = field->geometry();
        QVERIFY(before.width() > 0);

        ToggleHiddenByKey(form);
        QVERIFY(ShowsDots(field));
        QVERIFY(Frame()->QueryCommandUI(ID_VIEW_HIDE_PASSWORDS).IsChecked());
        QCOMPARE(GuiTestEnv::Profile().value("Settings/HidePasswords").toInt(), 1);
        QAccessibleInterface* access = QAccessible::queryAccessibleInterface(field);
        QVERIFY(access);
        QCOMPARE(access->role(), QAccessible::EditableText);
        QVERIFY(access->state().passwordEdit);
        QCOMPARE(access->text(QAccessible::Value), QStringLiteral("******"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        auto* reveal = qobject_cast<QToolButton*>(QApplication::focusWidget());
        QVERIFY(reveal);
        QCOMPARE(reveal->accessibleName(), QStringLiteral("Show password"));
        QVERIFY(reveal->geometry().left() > field->geometry().right());
        QCOMPARE(reveal->geometry().right(), before.right());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QCOMPARE(field->displayText(), QStringLiteral("s3cret"));
        QVERIFY(!QAccessible::queryAccessibleInterface(field)->state().passwordEdit);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(ShowsDots(field));

        Frame()->resize(900, 700);
        QCoreApplication::processEvents();
        const int nWidth = field->width();
        Frame()->resize(1400, 900);
        QTRY_VERIFY(field->width() > nWidth);
        QCOMPARE(reveal->geometry().left(), field->geometry().right() + 1 + 2);
        QVERIFY(reveal->geometry().right() < form->GetPage()->width());

        ToggleHiddenByKey(form);
        QCOMPARE(field->displayText(), QStringLiteral("s3cret"));
        QVERIFY(reveal->isHidden());
        QCOMPARE(field->geometry().right(), reveal->geometry().right());
        QCOMPARE(GuiTestEnv::Profile().value("Settings/HidePasswords").toInt(), 0);
    }

    // A hidden password still copies and cuts, through the guard: the clipboard has it and counts down;
    // the cut is a change the save writes and Undo takes back once the field shows its text.
    void copyAndCutWhileHidden() {
        CWebAccView* form = OpenAccount();
        QVERIFY(form);
        QLineEdit* field = PasswordField(form);
        ToggleHiddenByKey(form);
        QVERIFY(ShowsDots(field));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(ClipboardText(), QStringLiteral("s3cret"));
        QCOMPARE(ClipboardPane(), QStringLiteral("Clipboard: 30 s"));
        Tick(30000);
        QCOMPARE(ClipboardText(), QString());

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ShiftModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::ShiftModifier);
        Frame()->OnUserCommand(ID_EDIT_CUT);
        QCOMPARE(ClipboardText(), QStringLiteral("3cre"));
        QCOMPARE(ClipboardPane(), QStringLiteral("Clipboard: 30 s"));
        QCOMPARE(field->text(), QStringLiteral("st"));
        QVERIFY(m_doc->IsModified());
        QVERIFY(SaveWithPassword(m_doc, m_env.FilePath("vault.kvd"), "pw"));
        QCOMPARE(SavedPassword(), std::string("st"));
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QCOMPARE(QApplication::focusWidget(), field);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("st"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), field);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("s3cret"));
        QCOMPARE(std::string(m_doc->m_lists.m_aWebAccounts.At(0)->strPassword.view()), std::string("s3cret"));
        m_doc->SetModifiedFlag(false);
    }

    // The setting reaches every passwords window at once and those opened later; text windows and the
    // frame with no document have nothing to hide, so the command is disabled there.
    void hiddenEverywhereAndKept() {
        QVERIFY(!Frame()->IsCommandEnabled(ID_VIEW_HIDE_PASSWORDS));
        CWebAccView* first = OpenAccount();
        QVERIFY(first);
        CVaultoraDoc* firstDoc = m_doc;
        CWebAccView* second = OpenAccount(QStringLiteral("other.kvd"));
        QVERIFY(second && second != first);
        QVERIFY(Frame()->IsCommandEnabled(ID_VIEW_HIDE_PASSWORDS));
        ToggleHiddenByKey(second);
        QVERIFY(ShowsDots(PasswordField(first)));
        QVERIFY(ShowsDots(PasswordField(second)));

        firstDoc->OnCloseDocument();
        m_doc->OnCloseDocument();
        GuiTestEnv::FlushDeletes();
        QVERIFY(!Frame()->IsCommandEnabled(ID_VIEW_HIDE_PASSWORDS));
        CWebAccView* later = OpenAccount();
        QVERIFY(later);
        QVERIFY(ShowsDots(PasswordField(later)));

        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        QTRY_VERIFY(qobject_cast<CEditorView*>(QApplication::focusWidget()));
        QVERIFY(!Frame()->IsCommandEnabled(ID_VIEW_HIDE_PASSWORDS));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(ShowsDots(PasswordField(later)));
    }
};

QTEST_MAIN(TestSecrets)
#include "test_secrets.moc"
