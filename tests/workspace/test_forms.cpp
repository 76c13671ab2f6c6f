#include "PasswordsWindow.h"

#include "cipher/DocumentFile.h"
#include "common/DocumentAnswers.h"
#include "controls/Label.h"
#include "controls/StrengthMeter.h"
#include "framework/DocTemplate.h"
#include "framework/MDIFrameWnd.h"
#include "framework/MessageBox.h"
#include "framework/ShellOpen.h"
#include "framework/WinApp.h"
#include "passwords/PasswordsSchema.h"
#include "passwords/VaultoraDoc.h"
#include "passwords/VaultoraView.h"
#include "res/resource.h"
#include "textdoc/CommandMenu.h"
#include "textdoc/EditEx.h"
#include "workspace/BlankRootView.h"
#include "workspace/EMailAccountsRootView.h"
#include "workspace/FormLayout.h"
#include "workspace/LeftView.h"
#include "workspace/MailAccView.h"
#include "workspace/NotesEdit.h"
#include "workspace/OtherAccView.h"
#include "workspace/OtherAccountsRootView.h"
#include "workspace/SecretFields.h"
#include "workspace/SwitchSplitterWnd.h"
#include "workspace/VaultoraChildFrame.h"
#include "workspace/WebAccView.h"
#include "workspace/WebAccountsRootView.h"

#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

namespace {

std::unique_ptr<WebAccount> Web(const char* name, const char* password, const char* address = "") {
    auto record = std::make_unique<WebAccount>();
    record->strName = platform::SecureString(name);
    record->strPassword = platform::SecureString(password);
    record->strAddress = platform::SecureString(address);
    return record;
}

std::string Str(const platform::SecureString& field) {
    return std::string(field.data(), field.size());
}

QWidget* Item(CFormView* form, int nID) {
    QWidget* control = form->GetDlgItem(nID);
    if (!control)
        qWarning("control %d missing", nID);
    return control;
}

// Puts the keyboard focus into a control the way a click does, then types.
void TypeInto(CFormView* form, int nID, const QString& text) {
    QWidget* control = Item(form, nID);
    control->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(control, text);
}

} // namespace

class TestForms : public PasswordsWindowTest {
    Q_OBJECT

private:
    QList<QUrl> m_opened;

    static QTreeWidgetItem* Child(QTreeWidgetItem* folder, const QString& label) {
        for (int i = 0; i < folder->childCount(); ++i) {
            if (folder->child(i)->text(0) == label)
                return folder->child(i);
        }
        return nullptr;
    }

    void Click(CFormView* form, int nID) {
        auto* button = qobject_cast<QAbstractButton*>(Item(form, nID));
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        m_env.Begin(false);
        SetShellOpenHandler([this](const QUrl& url) {
            m_opened << url;
            return true;
        });
    }
    void cleanupTestCase() { SetShellOpenHandler({}); }

    void init() {
        m_opened.clear();
        StartHost(QSize(1000, 800), true);
    }

    void cleanup() { StopHost(); }

    // A new account of each kind by the keyboard alone, every key sent to whatever has the focus:
    // the caret follows the buttons, Tab walks the template order and leaves the notes (Ctrl+Tab types
    // a tab there), and the tree keeps the focus while the user moves in it.
    void keyboardOnlyAccountOfEachKind() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("keys.kvd");
        Window w = Open();
        auto focusId = [] { return GetDlgCtrlID(QApplication::focusWidget()); };
        auto key = [](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), k, mods);
        };
        auto type = [](const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); };
        // Types into the focused field, then Tab: the caret must be in the expected field each time.
        auto fill = [&](const std::vector<std::pair<int, QString>>& fields) {
            for (const auto& [nID, text] : fields) {
                QCOMPARE(focusId(), nID);
                type(text);
                key(Qt::Key_Tab);
            }
        };

        QCOMPARE(QApplication::focusWidget(), w.tree);
        key(Qt::Key_Tab);
        QCOMPARE(focusId(), IDC_BLANK_ADD_WEB);
        key(Qt::Key_Space);
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccountsRootView);
        QCOMPARE(focusId(), IDC_WEB_ROOT_NAME);
        type("Bank");
        key(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccView);
        fill({{IDC_WEB_ADDRESS, "https://bank.example.org"}, {IDC_WEB_USERID, "me"}, {IDC_WEB_PASSWORD, "p@ss word"}});
        QCOMPARE(focusId(), IDC_WEB_NOTES);
        type("first");
        key(Qt::Key_Tab, Qt::ControlModifier);
        type("second");
        key(Qt::Key_Tab);
        QCOMPARE(focusId(), IDC_WEB_ADD_MORE);
        key(Qt::Key_Tab);
        QCOMPARE(focusId(), IDC_WEB_DELETE);
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(focusId(), IDC_WEB_NOTES);
        key(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccountsRootView);
        QCOMPARE(focusId(), IDC_WEB_ROOT_NAME);

        // Back in the tree, the arrows choose the folder and the focus stays; Tab enters its form.
        key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), w.tree);
        key(Qt::Key_Down);
        key(Qt::Key_Down);
        QCOMPARE(w.tree->currentItem(), w.tree->GetMailFolder());
        QCOMPARE(QApplication::focusWidget(), w.tree);
        key(Qt::Key_Tab);
        QCOMPARE(focusId(), IDC_MAIL_ROOT_NAME);
        type("Mail");
        key(Qt::Key_Tab);
        QCOMPARE(focusId(), IDC_MAIL_ROOT_ADD);
        key(Qt::Key_Space);
        QCOMPARE(w.ShownView(), w.frame->m_nMailAccView);
        fill({{IDC_MAIL_ADDRESS, "me@example.org"},
              {IDC_MAIL_USERID, "me2"},
              {IDC_MAIL_PASSWORD, "m41l"},
              {IDC_MAIL_NOTES, "mail notes"},
              {IDC_MAIL_SMTP, "smtp.example.org"},
              {IDC_MAIL_POP, "pop.example.org"},
              {IDC_MAIL_WEBMAIL, "https://mail.example.org"}});
        QCOMPARE(focusId(), IDC_MAIL_ADD_MORE);

        // Cancel on a folder form returns to the tree, showing the blank form.
        key(Qt::Key_Space);
        QCOMPARE(focusId(), IDC_MAIL_ROOT_NAME);
        key(Qt::Key_C, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), w.tree);
        QCOMPARE(w.ShownView(), w.frame->m_nBlankRootView);
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        QCOMPARE(focusId(), IDC_BLANK_ADD_OTHER);
        key(Qt::Key_Space);
        QCOMPARE(focusId(), IDC_OTHER_ROOT_NAME);
        type("Visa");
        key(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(w.ShownView(), w.frame->m_nOtherAccView);
        fill({{IDC_OTHER_USERID, "4111 1111 1111 1111"}, {IDC_OTHER_PASSWORD, "1234"}, {IDC_OTHER_NOTES, "card"}});
        QCOMPARE(focusId(), IDC_OTHER_ADD_MORE);

        auto seen = std::make_shared<docanswers::Seen>();
        docanswers::Answer(seen, {docanswers::SetPassword(seen, QStringLiteral("Tr0ub4dor"))});
        QVERIFY(w.doc->OnSaveDocument(path));

        AccountLists expected;
        auto web = Web("Bank", "p@ss word", "https://bank.example.org");
        web->strUserId = platform::SecureString("me");
        web->strNotes = platform::SecureString("first\tsecond");
        expected.m_aWebAccounts.Append(std::move(web));
        auto mail = std::make_unique<MailAccount>();
        mail->strName = platform::SecureString("Mail");
        mail->strAddress = platform::SecureString("me@example.org");
        mail->strWebInterface = platform::SecureString("https://mail.example.org");
        mail->strUserId = platform::SecureString("me2");
        mail->strPassword = platform::SecureString("m41l");
        mail->strSmtpServer = platform::SecureString("smtp.example.org");
        mail->strPopServer = platform::SecureString("pop.example.org");
        mail->strNotes = platform::SecureString("mail notes");
        expected.m_aMailAccounts.Append(std::move(mail));
        auto other = std::make_unique<OtherAccount>();
        other->strName = platform::SecureString("Visa");
        other->strUserId = platform::SecureString("4111 1111 1111 1111");
        other->strPassword = platform::SecureString("1234");
        other->strNotes = platform::SecureString("card");
        expected.m_aOtherAccounts.Append(std::move(other));

        platform::SecureString saved;
        QVERIFY(cipher::ReadDocumentFile(path.toStdString(), "Tr0ub4dor", saved).ok());
        platform::SecureString built;
        QVERIFY(BuildPasswordsText(expected, built));
        QCOMPARE(QString::fromStdString(Str(saved)), QString::fromStdString(Str(built)));
    }

    // Every keystroke goes into the record of the account shown; switching accounts reloads the form
    // and leaves the modified flag as the keystrokes left it.
    void typingWritesIntoTheRecord() {
        Window w = Open([](CVaultoraDoc& doc) {
            doc.m_lists.m_aWebAccounts.Append(Web("First", "one"));
            doc.m_lists.m_aWebAccounts.Append(Web("Second", "two"));
        });
        CWebAccView* form = w.WebForm();
        w.tree->setCurrentItem(Child(w.tree->GetWebFolder(), "First"));
        QVERIFY(!w.doc->IsModified());
        ForgetActivity();
        TypeInto(form, IDC_WEB_PASSWORD, "X");
        QVERIFY(ActivityStamped());
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strPassword), std::string("oneX"));
        QVERIFY(w.doc->IsModified());

        w.tree->setCurrentItem(Child(w.tree->GetWebFolder(), "Second"));
        QCOMPARE(form->m_nIndex, 1);
        QCOMPARE(form->GetDlgItemText(IDC_WEB_NAME), QStringLiteral("Second"));
        QCOMPARE(form->GetDlgItemText(IDC_WEB_PASSWORD), QStringLiteral("two"));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strPassword), std::string("oneX"));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(1)->strPassword), std::string("two"));
        QVERIFY(w.doc->IsModified());

        // Notes take several lines; a typed break is a CR LF in the record.
        TypeInto(form, IDC_WEB_NOTES, "a");
        QTest::keyClick(Item(form, IDC_WEB_NOTES), Qt::Key_Return);
        QTest::keyClicks(Item(form, IDC_WEB_NOTES), "b");
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(1)->strNotes), std::string("a\r\nb"));

        // A slot emptied under the form takes nothing, but the keystroke still counts as activity.
        w.doc->m_lists.m_aWebAccounts.Remove(1);
        ForgetActivity();
        TypeInto(form, IDC_WEB_USERID, "u");
        QVERIFY(ActivityStamped());
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strUserId), std::string());
    }

    void selectingWithoutTypingKeepsTheFlag() {
        Window w = Open([](CVaultoraDoc& doc) {
            doc.m_lists.m_aWebAccounts.Append(Web("A", "1"));
            auto mail = std::make_unique<MailAccount>();
            mail->strName = platform::SecureString("M");
            mail->strPopServer = platform::SecureString("pop.example.org");
            doc.m_lists.m_aMailAccounts.Append(std::move(mail));
            auto other = std::make_unique<OtherAccount>();
            other->strName = platform::SecureString("O");
            other->strNotes = platform::SecureString("n1\nn2");
            doc.m_lists.m_aOtherAccounts.Append(std::move(other));
        });
        for (bool bModified : {false, true}) {
            w.doc->SetModifiedFlag(bModified);
            w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
            w.tree->setCurrentItem(w.tree->GetMailFolder()->child(0));
            QCOMPARE(w.MailForm()->GetDlgItemText(IDC_MAIL_POP), QStringLiteral("pop.example.org"));
            w.tree->setCurrentItem(w.tree->GetOtherFolder()->child(0));
            QCOMPARE(w.OtherForm()->GetDlgItemText(IDC_OTHER_NOTES), QStringLiteral("n1\nn2"));
            QCOMPARE(w.doc->IsModified(), bModified);
        }
        // Typing on the e-mail and other forms writes their own records.
        w.tree->setCurrentItem(w.tree->GetMailFolder()->child(0));
        TypeInto(w.MailForm(), IDC_MAIL_SMTP, "s");
        QCOMPARE(Str(w.doc->m_lists.m_aMailAccounts.At(0)->strSmtpServer), std::string("s"));
        w.tree->setCurrentItem(w.tree->GetOtherFolder()->child(0));
        TypeInto(w.OtherForm(), IDC_OTHER_PASSWORD, "9");
        QCOMPARE(Str(w.doc->m_lists.m_aOtherAccounts.At(0)->strPassword), std::string("9"));
    }

    // Delete asks; "No" keeps the account. Only the web form marks the document modified anyway.
    void deleteAnsweredNo() {
        Window w = Open([](CVaultoraDoc& doc) {
            doc.m_lists.m_aWebAccounts.Append(Web("W", ""));
            auto mail = std::make_unique<MailAccount>();
            mail->strName = platform::SecureString("M");
            doc.m_lists.m_aMailAccounts.Append(std::move(mail));
            auto other = std::make_unique<OtherAccount>();
            other->strName = platform::SecureString("O");
            doc.m_lists.m_aOtherAccounts.Append(std::move(other));
        });
        struct Case {
            QTreeWidgetItem* folder;
            CFormView* form;
            int nDelete;
            bool bModifiedAfterNo;
            QString question;
        } cases[] = {
            {w.tree->GetWebFolder(), w.WebForm(), IDC_WEB_DELETE, true,
             "Are you sure you want to delete \"W\" Web Account?"},
            {w.tree->GetMailFolder(), w.MailForm(), IDC_MAIL_DELETE, false,
             "Are you sure you want to delete \"M\" Email Account?"},
            {w.tree->GetOtherFolder(), w.OtherForm(), IDC_OTHER_DELETE, false,
             "Are you sure you want to delete \"O\" Other Account?"},
        };
        for (const Case& c : cases) {
            w.tree->setCurrentItem(c.folder->child(0));
            w.doc->SetModifiedFlag(false);
            MessageBox::setNextAnswer(IDNO);
            ForgetActivity();
            Click(c.form, c.nDelete);
            QCOMPARE(MessageBox::last().text, c.question);
            QCOMPARE(c.folder->childCount(), 1);
            QCOMPARE(w.doc->IsModified(), c.bModifiedAfterNo);
            QVERIFY(ActivityStamped());
        }
        // "Yes" on the e-mail form deletes the record.
        w.tree->setCurrentItem(w.tree->GetMailFolder()->child(0));
        MessageBox::setNextAnswer(IDYES);
        Click(w.MailForm(), IDC_MAIL_DELETE);
        QCOMPARE(w.tree->GetMailFolder()->childCount(), 0);
        QVERIFY(!w.doc->m_lists.m_aMailAccounts.At(0));
        QVERIFY(w.doc->IsModified());

        // "Add More..." leads to the folder form of the form's kind.
        w.tree->setCurrentItem(w.tree->GetOtherFolder()->child(0));
        Click(w.OtherForm(), IDC_OTHER_ADD_MORE);
        QCOMPARE(w.ShownView(), w.frame->m_nOtherAccountsRootView);
        w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
        Click(w.WebForm(), IDC_WEB_ADD_MORE);
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccountsRootView);
    }

    // "Go to the URL" is offered, in the field's own menu and as the form's command, exactly when
    // Ctrl+G opens something, in a one-line field and in the notes alike; and only web addresses
    // open: the first line up to its first blank.
    void goToUrlOfferedExactlyWhenItOpens() {
        Window w = Open([](CVaultoraDoc& doc) {
            doc.m_lists.m_aWebAccounts.Append(Web("W", "", ""));
            auto other = std::make_unique<OtherAccount>();
            other->strName = platform::SecureString("O");
            other->strUserId = platform::SecureString("https://example.org");
            doc.m_lists.m_aOtherAccounts.Append(std::move(other));
        });
        QVERIFY(m_mainFrame->LoadAccelTable(IDR_MAINFRAME));
        w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
        CWebAccView* form = w.WebForm();
        auto* address = qobject_cast<CEditEx*>(Item(form, IDC_WEB_ADDRESS));
        auto* notes = qobject_cast<CNotesEdit*>(Item(form, IDC_WEB_NOTES));
        auto key = [](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), k, mods);
        };

        const struct {
            const char* text;
            const char* opened; // nullptr: nothing may be opened, nor offered
        } cases[] = {
            {"www.x", "https://www.x"},
            {"HTTPS://x", "https://x"},
            {"see http://x", nullptr},
            {"/usr/bin/x", nullptr},
            {"file:///etc/passwd", nullptr},
            {"https://example.org/login?next=1 my bank", "https://example.org/login?next=1"},
            {"HTTP://EXAMPLE.ORG/", "http://example.org/"},
            {"www.example.org/a b", "https://www.example.org/a"},
            {"", nullptr},
            {" https://example.org", nullptr},
            {"/usr/bin/xterm", nullptr},
            {"/tmp/run.sh -e rm", nullptr},
            {"javascript:alert(1)", nullptr},
            {"http://", nullptr},
        };
        for (const auto& c : cases) {
            for (QWidget* field : {static_cast<QWidget*>(address), static_cast<QWidget*>(notes)}) {
                const QByteArray where = QByteArray(c.text) + (field == notes ? " (notes)" : " (address)");
                QTest::mouseClick(field == notes ? notes->viewport() : field, Qt::LeftButton);
                QCOMPARE(QApplication::focusWidget(), field);
                key(Qt::Key_A, Qt::ControlModifier);
                key(Qt::Key_Delete);
                QTest::keyClicks(field, QString::fromUtf8(c.text));
                if (field == notes) {
                    // The notes' first line counts, not the line the caret is on.
                    key(Qt::Key_Return);
                    QTest::keyClicks(field, "https://second.example.org");
                }
                std::unique_ptr<QMenu> menu(field == notes ? notes->BuildContextMenu() : address->BuildContextMenu());
                textdoc::UpdateCommandMenu(menu.get(), nullptr);
                const QAction* link = menu->actions().last();
                const bool bOffered = textdoc::CommandId(link) == ID_GO_TO_URL && link->isEnabled();
                QVERIFY2(bOffered == (c.opened != nullptr), where);
                QVERIFY2(m_mainFrame->IsCommandEnabled(ID_GO_TO_URL) == (c.opened != nullptr), where);

                m_opened.clear();
                key(Qt::Key_G, Qt::ControlModifier);
                const QList<QUrl> expected = c.opened ? QList<QUrl>{QUrl(QString::fromUtf8(c.opened))} : QList<QUrl>{};
                QVERIFY2(m_opened == expected, where);
                // Even sent directly, the command opens nothing that is no web address.
                m_opened.clear();
                QVERIFY(m_mainFrame->SendCommand(ID_GO_TO_URL));
                QVERIFY2(m_opened == expected, where);
            }
        }

        // The other form has no link command.
        w.tree->setCurrentItem(w.tree->GetOtherFolder()->child(0));
        QTest::mouseClick(Item(w.OtherForm(), IDC_OTHER_USERID), Qt::LeftButton);
        QCOMPARE(m_mainFrame->GetActiveView(), static_cast<CView*>(w.OtherForm()));
        QVERIFY(!m_mainFrame->IsCommandEnabled(ID_GO_TO_URL));
        m_opened.clear();
        key(Qt::Key_G, Qt::ControlModifier);
        QVERIFY(!m_mainFrame->SendCommand(ID_GO_TO_URL));
        QVERIFY(m_opened.isEmpty());
    }

    // Copy and Cut need a selection, Paste text on the clipboard; all act on the focused field.
    void editCommands() {
        Window w = Open([](CVaultoraDoc& doc) { doc.m_lists.m_aWebAccounts.Append(Web("W", "secret")); });
        w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
        CWebAccView* form = w.WebForm();
        auto* password = qobject_cast<QLineEdit*>(Item(form, IDC_WEB_PASSWORD));
        password->setFocus(Qt::MouseFocusReason);
        password->deselect();
        QApplication::clipboard()->clear();
        QVERIFY(!m_mainFrame->IsCommandEnabled(ID_EDIT_COPY));
        QVERIFY(!m_mainFrame->IsCommandEnabled(ID_EDIT_CUT));
        QVERIFY(!m_mainFrame->IsCommandEnabled(ID_EDIT_PASTE));
        QVERIFY(m_mainFrame->IsCommandEnabled(ID_EDIT_SELECT_ALL));
        QVERIFY(m_mainFrame->IsCommandEnabled(ID_EDIT_UNDO));
        QVERIFY(m_mainFrame->IsCommandEnabled(ID_EDIT_CLEAR));

        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_SELECT_ALL));
        QCOMPARE(password->selectedText(), QStringLiteral("secret"));
        QVERIFY(m_mainFrame->IsCommandEnabled(ID_EDIT_COPY));
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_CUT));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("secret"));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strPassword), std::string());
        QVERIFY(m_mainFrame->IsCommandEnabled(ID_EDIT_PASTE));
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_PASTE));
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_PASTE));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strPassword), std::string("secretsecret"));
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_UNDO));
        QCOMPARE(password->text(), QStringLiteral("secret"));

        // Clear removes the selection only.
        password->setSelection(0, 3);
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_CLEAR));
        QCOMPARE(password->text(), QStringLiteral("ret"));
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_CLEAR));
        QCOMPARE(password->text(), QStringLiteral("ret"));

        // Copy in the notes; with the focus on a button Copy and Paste have no field to act on.
        auto* notes = qobject_cast<QPlainTextEdit*>(Item(form, IDC_WEB_NOTES));
        notes->setFocus(Qt::MouseFocusReason);
        QTest::keyClicks(notes, "note");
        QVERIFY(!m_mainFrame->IsCommandEnabled(ID_EDIT_COPY));
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_SELECT_ALL));
        QVERIFY(m_mainFrame->IsCommandEnabled(ID_EDIT_COPY));
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_COPY));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("note"));
        Item(form, IDC_WEB_DELETE)->setFocus(Qt::TabFocusReason);
        QVERIFY(!m_mainFrame->IsCommandEnabled(ID_EDIT_COPY));
        QVERIFY(!m_mainFrame->IsCommandEnabled(ID_EDIT_PASTE));

        // The folder forms have the same commands.
        w.tree->setCurrentItem(w.tree->GetMailFolder());
        auto* mailRoot = w.Form<EMailAccountsRootView>(w.frame->m_nEMailAccountsRootView);
        Item(mailRoot, IDC_MAIL_ROOT_NAME)->setFocus(Qt::MouseFocusReason);
        QVERIFY(m_mainFrame->IsCommandEnabled(ID_EDIT_PASTE));
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_PASTE));
        QCOMPARE(mailRoot->GetDlgItemText(IDC_MAIL_ROOT_NAME), QStringLiteral("note"));
        QVERIFY(Item(mailRoot, IDC_MAIL_ROOT_ADD)->isEnabled());
    }

    // Hide Passwords reaches the password field of each account form and no other field; each field's
    // reveal button follows it in the Tab order, and showing another account puts the dots back.
    // Alt with a letter no menu takes types nothing: the record, the modified flag and the undo
    // history stay as they were, so Undo then takes back what the user typed before. AltGr types.
    void altLetterNeverTypesAltGrDoes() {
        Window w = Open([](CVaultoraDoc& doc) { doc.m_lists.m_aWebAccounts.Append(Web("W", "secret")); });
        QVERIFY(m_mainFrame->LoadAccelTable(IDR_MAINFRAME));
        w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
        auto* password = qobject_cast<QLineEdit*>(Item(w.WebForm(), IDC_WEB_PASSWORD));
        QTest::mouseClick(password, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), password);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier | Qt::ShiftModifier);
        QCOMPARE(password->text(), QStringLiteral("secret"));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strPassword), std::string("secret"));
        QVERIFY(!w.doc->IsModified());
        QVERIFY(!password->isUndoAvailable());

        // AltGr as the toolkit reports it, as X11 sends it with Mod5, and as Ctrl+Alt.
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_At, QStringLiteral("@"),
                            Qt::GroupSwitchModifier);
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_E, QString(QChar(0x20AC)),
                            Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(password->text(), QStringLiteral("secret@") + QChar(0x20AC));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strPassword), std::string("secret@\xE2\x82\xAC"));
        QVERIFY(w.doc->IsModified());
    }

    // Ctrl+Y and Ctrl+Shift+Z redo in the focused field; Redo is enabled only when there is something
    // to redo.
    void redoInFields() {
        Window w = Open([](CVaultoraDoc& doc) { doc.m_lists.m_aWebAccounts.Append(Web("W", "pw")); });
        QVERIFY(m_mainFrame->LoadAccelTable(IDR_MAINFRAME));
        w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
        auto* password = qobject_cast<QLineEdit*>(Item(w.WebForm(), IDC_WEB_PASSWORD));
        QTest::mouseClick(password, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), password);
        const auto key = [](Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), k, mods);
        };
        key(Qt::Key_End);
        key(Qt::Key_X);
        QVERIFY(!m_mainFrame->IsCommandEnabled(ID_EDIT_REDO));
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(password->text(), QStringLiteral("pw"));
        QVERIFY(m_mainFrame->IsCommandEnabled(ID_EDIT_REDO));
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(password->text(), QStringLiteral("pwx"));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strPassword), std::string("pwx"));
        key(Qt::Key_Z, Qt::ControlModifier);
        key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(password->text(), QStringLiteral("pwx"));
        // Edit > Redo goes to the field as well.
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_UNDO));
        QVERIFY(m_mainFrame->SendCommand(ID_EDIT_REDO));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strPassword), std::string("pwx"));

        auto* notes = qobject_cast<QPlainTextEdit*>(Item(w.WebForm(), IDC_WEB_NOTES));
        QTest::mouseClick(notes->viewport(), Qt::LeftButton);
        key(Qt::Key_A);
        key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(notes->toPlainText(), QString());
        key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(notes->toPlainText(), QStringLiteral("a"));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strNotes), std::string("a"));
    }

    // Edit > Copy reached by Alt+E, C copies the selection the field had before the menu opened.
    void copyFromTheMenuKeepsTheSelection() {
        Window w = Open([](CVaultoraDoc& doc) {
            auto web = Web("W", "pw");
            web->strUserId = platform::SecureString("someone");
            doc.m_lists.m_aWebAccounts.Append(std::move(web));
        });
        QVERIFY(m_mainFrame->LoadMenu(IDR_ETXTYPE));
        m_mainFrame->ShowMenu(IDR_ETXTYPE);
        // Made after the frame was shown, the menu bar shows once asked (the program makes it before).
        m_mainFrame->menuBar()->show();
        w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
        auto* user = qobject_cast<QLineEdit*>(Item(w.WebForm(), IDC_WEB_USERID));
        QTest::mouseClick(user, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), user);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left, Qt::ShiftModifier);
        QApplication::clipboard()->clear();

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_E, Qt::AltModifier);
        QTRY_VERIFY(qobject_cast<QMenu*>(QApplication::activePopupWidget()));
        QCOMPARE(user->selectedText(), QStringLiteral("one"));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_C);
        QTRY_COMPARE(QApplication::clipboard()->text(), QStringLiteral("one"));
        QTRY_COMPARE(QApplication::focusWidget(), user);
        QCOMPARE(user->selectedText(), QStringLiteral("one"));
    }

    void hiddenPasswordInEveryAccountForm() {
        Window w = Open([](CVaultoraDoc& doc) {
            doc.m_lists.m_aWebAccounts.Append(Web("W", "webpw"));
            doc.m_lists.m_aWebAccounts.Append(Web("W2", "webpw2"));
            auto mail = std::make_unique<MailAccount>();
            mail->strName = "M";
            mail->strUserId = "mailuser";
            mail->strPassword = "mailpw";
            doc.m_lists.m_aMailAccounts.Append(std::move(mail));
            auto other = std::make_unique<OtherAccount>();
            other->strName = "O";
            other->strUserId = "card";
            other->strPassword = "1234";
            doc.m_lists.m_aOtherAccounts.Append(std::move(other));
        });
        struct Case {
            CAccountForm* form;
            int nPassword;
            int nUserId;
        };
        const Case cases[] = {{w.WebForm(), IDC_WEB_PASSWORD, IDC_WEB_USERID},
                              {w.MailForm(), IDC_MAIL_PASSWORD, IDC_MAIL_USERID},
                              {w.OtherForm(), IDC_OTHER_PASSWORD, IDC_OTHER_USERID}};
        for (const Case& c : cases)
            c.form->LoadAccount(0);
        workspace::SetPasswordsHidden(true);
        for (const Case& c : cases) {
            auto* password = qobject_cast<QLineEdit*>(Item(c.form, c.nPassword));
            auto* userId = qobject_cast<QLineEdit*>(Item(c.form, c.nUserId));
            QVERIFY(password && userId);
            QCOMPARE(password->echoMode(), QLineEdit::Password);
            QCOMPARE(userId->echoMode(), QLineEdit::Normal);
            auto* reveal = qobject_cast<QToolButton*>(password->nextInFocusChain());
            QVERIFY(reveal);
            QVERIFY(!reveal->isHidden());
            QVERIFY(reveal->geometry().left() > password->geometry().right());
        }
        auto* webPassword = qobject_cast<QLineEdit*>(Item(w.WebForm(), IDC_WEB_PASSWORD));
        auto* reveal = qobject_cast<QToolButton*>(webPassword->nextInFocusChain());
        reveal->setChecked(true);
        QCOMPARE(webPassword->echoMode(), QLineEdit::Normal);
        w.WebForm()->LoadAccount(1);
        QCOMPARE(webPassword->text(), QStringLiteral("webpw2"));
        QCOMPARE(webPassword->echoMode(), QLineEdit::Password);
        QVERIFY(!w.doc->IsModified());

        workspace::SetPasswordsHidden(false);
        for (const Case& c : cases)
            QCOMPARE(qobject_cast<QLineEdit*>(Item(c.form, c.nPassword))->echoMode(), QLineEdit::Normal);
    }

    // The meter under the password field rates what is typed there, with the account's name, user ID
    // and address counting for nothing; it follows the user ID as it is edited and the account shown,
    // and shows nothing for an empty field or a form the pane left.
    void strengthAsItIsTyped() {
        Window w = Open([](CVaultoraDoc& doc) {
            auto shop = Web("Shop", "", "https://shop.example.com");
            shop->strUserId = "xq7vbk92mzt";
            doc.m_lists.m_aWebAccounts.Append(std::move(shop));
            doc.m_lists.m_aWebAccounts.Append(Web("Bank", "vW8#qL2!zR9@mT4$kP7&yB3^"));
            auto mail = std::make_unique<MailAccount>();
            mail->strName = "Mail";
            mail->strPassword = "vW8#qL2!zR9@mT4$kP7&yB3^";
            doc.m_lists.m_aMailAccounts.Append(std::move(mail));
            auto other = std::make_unique<OtherAccount>();
            other->strName = "Card";
            other->strPassword = "summer";
            doc.m_lists.m_aOtherAccounts.Append(std::move(other));
        });
        w.tree->setCurrentItem(Child(w.tree->GetWebFolder(), "Shop"));
        CWebAccView* form = w.WebForm();
        auto* meter = qobject_cast<CStrengthMeter*>(Item(form, IDC_WEB_STRENGTH));
        QVERIFY(meter);
        QCOMPARE(meter->text(), QString());
        QCOMPARE(meter->toolTip(), QString());
        auto click = [&](int nID) {
            QTest::mouseClick(Item(form, nID), Qt::LeftButton);
            QCOMPARE(GetDlgCtrlID(QApplication::focusWidget()), nID);
        };
        auto retype = [](const QString& text) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
            QTest::keyClicks(QApplication::focusWidget(), text);
        };
        click(IDC_WEB_PASSWORD);
        QTest::keyClicks(QApplication::focusWidget(), "summer");
        QCOMPARE(meter->text(), QStringLiteral("Poor"));
        QVERIFY(QRegularExpression("^[0-9]+ bits$").match(meter->toolTip()).hasMatch());
        QCOMPARE(meter->accessibleDescription(), meter->toolTip());
        retype("k#9Lq!2vZ@x7pR4&mW8$tB3^");
        QCOMPARE(meter->text(), QStringLiteral("Excellent"));

        // Random by itself, the user ID is no password for this account.
        retype("xq7vbk92mzt");
        QCOMPARE(meter->text(), QStringLiteral("Poor"));
        click(IDC_WEB_USERID);
        retype("jane");
        QVERIFY(meter->text() != QStringLiteral("Poor"));
        QCOMPARE(Str(w.doc->m_lists.m_aWebAccounts.At(0)->strPassword), std::string("xq7vbk92mzt"));

        w.tree->setCurrentItem(Child(w.tree->GetWebFolder(), "Bank"));
        QCOMPARE(meter->text(), QStringLiteral("Excellent"));
        click(IDC_WEB_PASSWORD);
        retype(QString());
        QCOMPARE(meter->text(), QString());
        QCOMPARE(meter->accessibleDescription(), QString());

        // The other two forms rate their own password field; leaving a form empties its meter.
        w.tree->setCurrentItem(w.tree->GetMailFolder()->child(0));
        QCOMPARE(qobject_cast<CStrengthMeter*>(Item(w.MailForm(), IDC_MAIL_STRENGTH))->text(), "Excellent");
        w.tree->setCurrentItem(w.tree->GetOtherFolder()->child(0));
        auto* otherMeter = qobject_cast<CStrengthMeter*>(Item(w.OtherForm(), IDC_OTHER_STRENGTH));
        QCOMPARE(otherMeter->text(), QStringLiteral("Poor"));
        w.tree->setCurrentItem(w.tree->GetWebFolder());
        QCOMPARE(otherMeter->text(), QString());
    }

    // Wider pane, wider name label and fields, all by the same amount; never narrower than the template.
    void layoutFollowsThePaneWidth() {
        Window w = Open([](CVaultoraDoc& doc) { doc.m_lists.m_aWebAccounts.Append(Web("W", "")); });
        w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
        CWebAccView* form = w.WebForm();
        const int registered[] = {IDC_WEB_NAME,     IDC_WEB_ADDRESS, IDC_WEB_USERID, IDC_WEB_PASSWORD,
                                  IDC_WEB_STRENGTH, IDC_WEB_NOTES,   IDC_WEB_OTP};
        // The fields, the password's strength meter, the one-time code, and the password's reveal button,
        // which moves with the field's right edge.
        QCOMPARE(form->GetLayout().GetCount(), 8);
        QCOMPARE(form->GetLayout().GetDesignSize(), form->GetTemplateSize());

        auto widths = [&] {
            std::vector<int> result;
            for (int nID : registered)
                result.push_back(Item(form, nID)->width());
            return result;
        };
        m_mainFrame->resize(300, 300);
        QCoreApplication::processEvents();
        QVERIFY(form->viewport()->width() < form->GetTemplateSize().width());
        const std::vector<int> narrow = widths();
        const int buttonX = Item(form, IDC_WEB_DELETE)->x();
        const int headingWidth = Item(form, IDC_WEB_HEADING)->width();

        m_mainFrame->resize(1400, 900);
        QCoreApplication::processEvents();
        const int grown = form->viewport()->width() - form->GetTemplateSize().width();
        QVERIFY(grown > 0);
        const std::vector<int> wide = widths();
        for (size_t i = 0; i < wide.size(); ++i)
            QCOMPARE(wide[i] - narrow[i], grown);
        QCOMPARE(Item(form, IDC_WEB_DELETE)->x(), buttonX);
        QCOMPARE(Item(form, IDC_WEB_HEADING)->width(), headingWidth);

        m_mainFrame->resize(200, 200);
        QCoreApplication::processEvents();
        QCOMPARE(widths(), narrow);

        // The folder forms widen their name field the same way.
        w.tree->setCurrentItem(w.tree->GetOtherFolder());
        auto* otherRoot = w.Form<OtherAccountsRootView>(w.frame->m_nOtherAccountsRootView);
        const int fieldNarrow = Item(otherRoot, IDC_OTHER_ROOT_NAME)->width();
        m_mainFrame->resize(1400, 900);
        QCoreApplication::processEvents();
        QCOMPARE(Item(otherRoot, IDC_OTHER_ROOT_NAME)->width() - fieldNarrow,
                 otherRoot->viewport()->width() - otherRoot->GetTemplateSize().width());

        // Ids the form lacks are not registered, nor anything before the form is attached.
        CFormLayout layout;
        QVERIFY(!layout.AddControl(IDC_WEB_NAME, CFormLayout::LAYOUT_SIZE_X));
        layout.Layout();
        layout.Attach(form);
        QVERIFY(!layout.AddControl(IDC_MAIL_NAME, CFormLayout::LAYOUT_SIZE_X));
        QVERIFY(layout.AddControl(IDC_WEB_DELETE, CFormLayout::LAYOUT_MOVE_X | CFormLayout::LAYOUT_MOVE_Y));
        QCOMPARE(layout.GetCount(), 1);
    }

    void formsLook() {
        Window w = Open([](CVaultoraDoc& doc) { doc.m_lists.m_aWebAccounts.Append(Web("W", "")); });
        CWebAccView* form = w.WebForm();
        auto* address = qobject_cast<CEditEx*>(Item(form, IDC_WEB_ADDRESS));
        QVERIFY(address);
        QCOMPARE(address->GetBackColor(), QColor(255, 255, 200));
        QCOMPARE(address->GetForeColor(), QColor(Qt::black));
        QCOMPARE(address->font().pixelSize(), 15);
        auto* notes = qobject_cast<CNotesEdit*>(Item(form, IDC_WEB_NOTES));
        QVERIFY(notes);
        QCOMPARE(notes->GetBackColor(), QColor(255, 255, 200));
        QCOMPARE(notes->font().pixelSize(), 12);
        auto* heading = qobject_cast<CLabel*>(Item(form, IDC_WEB_HEADING));
        QCOMPARE(heading->GetTextColor(), QColor(0, 0, 192));
        QCOMPARE(heading->font().pixelSize(), 17);
        QCOMPARE(qobject_cast<CLabel*>(Item(form, IDC_WEB_NAME))->font().pixelSize(), 16);
        QCOMPARE(qobject_cast<CLabel*>(Item(form, IDC_WEB_NOTES_LABEL))->font().pixelSize(), 12);

        // Mouse moves over a form count as activity.
        w.tree->setCurrentItem(w.tree->GetWebFolder()->child(0));
        ForgetActivity();
        QTest::mouseMove(Item(form, IDC_WEB_ADDRESS), QPoint(5, 5));
        QTest::mouseMove(Item(form, IDC_WEB_ADDRESS), QPoint(9, 6));
        QVERIFY(ActivityStamped());
    }

    // Add waits for a character; Add creates and shows the account; Cancel goes back to the blank form.
    void folderForms() {
        Window w = Open();
        w.tree->setCurrentItem(w.tree->GetMailFolder());
        auto* mailRoot = w.Form<EMailAccountsRootView>(w.frame->m_nEMailAccountsRootView);
        QWidget* add = Item(mailRoot, IDC_MAIL_ROOT_ADD);
        QVERIFY(!add->isEnabled());
        TypeInto(mailRoot, IDC_MAIL_ROOT_NAME, "x");
        QVERIFY(add->isEnabled());
        QVERIFY(w.doc->IsModified());
        QTest::keyClick(Item(mailRoot, IDC_MAIL_ROOT_NAME), Qt::Key_Backspace);
        QVERIFY(!add->isEnabled());

        w.doc->SetModifiedFlag(false);
        QTest::keyClicks(Item(mailRoot, IDC_MAIL_ROOT_NAME), "Q");
        Click(mailRoot, IDC_MAIL_ROOT_ADD);
        QCOMPARE(w.tree->GetMailFolder()->childCount(), 1);
        QCOMPARE(w.tree->GetSelectedItem(), w.tree->GetMailFolder()->child(0));
        QCOMPARE(w.tree->GetSelectedItem()->text(0), QStringLiteral("Q"));
        QCOMPARE(Str(w.doc->m_lists.m_aMailAccounts.At(0)->strName), std::string("Q"));
        QCOMPARE(w.ShownView(), w.frame->m_nMailAccView);
        QCOMPARE(w.MailForm()->GetDlgItemText(IDC_MAIL_NAME), QStringLiteral("Q"));
        QCOMPARE(w.MailForm()->GetDlgItemText(IDC_MAIL_ADDRESS), QString());
        QCOMPARE(mailRoot->GetDlgItemText(IDC_MAIL_ROOT_NAME), QString());
        QVERIFY(!add->isEnabled());
        QVERIFY(w.doc->IsModified());

        // A half-typed name stays while the form is hidden; Cancel empties it and shows the blank form.
        w.tree->setCurrentItem(w.tree->GetWebFolder());
        auto* webRoot = w.Form<WebAccountsRootView>(w.frame->m_nWebAccountsRootView);
        TypeInto(webRoot, IDC_WEB_ROOT_NAME, "  ");
        QVERIFY(Item(webRoot, IDC_WEB_ROOT_ADD)->isEnabled());
        w.tree->setCurrentItem(w.tree->GetOtherFolder());
        w.tree->setCurrentItem(w.tree->GetWebFolder());
        QCOMPARE(webRoot->GetDlgItemText(IDC_WEB_ROOT_NAME), QStringLiteral("  "));
        ForgetActivity();
        Click(webRoot, IDC_WEB_ROOT_CANCEL);
        QCOMPARE(webRoot->GetDlgItemText(IDC_WEB_ROOT_NAME), QString());
        QVERIFY(!Item(webRoot, IDC_WEB_ROOT_ADD)->isEnabled());
        QCOMPARE(w.tree->GetSelectedItem(), w.tree->GetRootItem());
        QCOMPARE(w.ShownView(), w.frame->m_nBlankRootView);
        QVERIFY(ActivityStamped());
        QCOMPARE(w.tree->GetWebFolder()->childCount(), 0);
    }

    void blankFormButtons() {
        Window w = Open();
        auto* blank = w.Form<BlankRootView>(w.frame->m_nBlankRootView);
        QCOMPARE(w.ShownView(), w.frame->m_nBlankRootView);
        QCOMPARE(Item(blank, IDC_BLANK_ADD_WEB)->toolTip(), QStringLiteral("Add new Web Account..."));
        QCOMPARE(Item(blank, IDC_BLANK_ADD_MAIL)->toolTip(), QStringLiteral("Add new Mail Account..."));
        QCOMPARE(Item(blank, IDC_BLANK_ADD_OTHER)->toolTip(), QStringLiteral("Add Other Account..."));
        QVERIFY(!qobject_cast<QPushButton*>(Item(blank, IDC_BLANK_ADD_MAIL))->icon().isNull());
        QCOMPARE(qobject_cast<CLabel*>(Item(blank, IDC_BLANK_TITLE))->GetTextColor(), QColor(0, 0, 192));
        const std::pair<int, int> buttons[] = {
            {IDC_BLANK_ADD_MAIL, w.frame->m_nEMailAccountsRootView},
            {IDC_BLANK_ADD_WEB, w.frame->m_nWebAccountsRootView},
            {IDC_BLANK_ADD_OTHER, w.frame->m_nOtherAccountsRootView},
        };
        for (const auto& [nID, nView] : buttons) {
            w.tree->setCurrentItem(w.tree->GetRootItem());
            QCOMPARE(w.ShownView(), w.frame->m_nBlankRootView);
            ForgetActivity();
            Click(blank, nID);
            QCOMPARE(w.ShownView(), nView);
            QVERIFY(ActivityStamped());
        }
        // The blank form has no Edit commands.
        QVERIFY(!blank->HasCommand(ID_EDIT_COPY));
    }

    // A new user's evening: three accounts added by keyboard, every field typed, the document saved
    // under a password and opened again, and the command-line companion sees the same accounts.
    void newUserEndToEnd() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("mine.kvd");
        Window w = Open();
        QVERIFY(!w.doc->IsModified());

        auto addByKeyboard = [&](QTreeWidgetItem* folder, CFormView* root, int nName, const QString& name) {
            w.tree->setCurrentItem(folder);
            QWidget* field = Item(root, nName);
            field->setFocus(Qt::MouseFocusReason);
            QTest::keyClicks(field, name);
            // Tab moves to Add (the labels take no focus), Space presses it.
            QTest::keyClick(field, Qt::Key_Tab);
            QWidget* focused = QApplication::focusWidget();
            QVERIFY(focused);
            QCOMPARE(GetDlgCtrlID(focused), nName == IDC_WEB_ROOT_NAME    ? IDC_WEB_ROOT_ADD
                                            : nName == IDC_MAIL_ROOT_NAME ? IDC_MAIL_ROOT_ADD
                                                                          : IDC_OTHER_ROOT_ADD);
            QTest::keyClick(focused, Qt::Key_Space);
        };
        auto typeFields = [&](CFormView* form, const std::vector<std::pair<int, QString>>& fields) {
            for (const auto& [nID, text] : fields) {
                QWidget* field = Item(form, nID);
                field->setFocus(Qt::TabFocusReason);
                const QStringList lines = text.split('\n');
                for (qsizetype i = 0; i < lines.size(); ++i) {
                    if (i > 0)
                        QTest::keyClick(field, Qt::Key_Return);
                    QTest::keyClicks(field, lines[i]);
                }
            }
        };

        const std::vector<std::pair<int, QString>> web = {{IDC_WEB_ADDRESS, "https://bank.example.org"},
                                                          {IDC_WEB_USERID, "me"},
                                                          {IDC_WEB_PASSWORD, "p@ss word"},
                                                          {IDC_WEB_NOTES, "first\nsecond"}};
        const std::vector<std::pair<int, QString>> mail = {{IDC_MAIL_ADDRESS, "me@example.org"},
                                                           {IDC_MAIL_WEBMAIL, "https://mail.example.org"},
                                                           {IDC_MAIL_USERID, "me2"},
                                                           {IDC_MAIL_PASSWORD, "m41l"},
                                                           {IDC_MAIL_SMTP, "smtp.example.org"},
                                                           {IDC_MAIL_POP, "pop.example.org"},
                                                           {IDC_MAIL_NOTES, "notes: 3 lines"}};
        const std::vector<std::pair<int, QString>> other = {
            {IDC_OTHER_USERID, "4111 1111 1111 1111"}, {IDC_OTHER_PASSWORD, "1234"}, {IDC_OTHER_NOTES, "card"}};

        addByKeyboard(w.tree->GetWebFolder(), w.Form<CFormView>(w.frame->m_nWebAccountsRootView), IDC_WEB_ROOT_NAME,
                      "Bank");
        QCOMPARE(w.ShownView(), w.frame->m_nWebAccView);
        typeFields(w.WebForm(), web);
        addByKeyboard(w.tree->GetMailFolder(), w.Form<CFormView>(w.frame->m_nEMailAccountsRootView), IDC_MAIL_ROOT_NAME,
                      "Mail");
        QCOMPARE(w.ShownView(), w.frame->m_nMailAccView);
        typeFields(w.MailForm(), mail);
        addByKeyboard(w.tree->GetOtherFolder(), w.Form<CFormView>(w.frame->m_nOtherAccountsRootView),
                      IDC_OTHER_ROOT_NAME, "Visa");
        QCOMPARE(w.ShownView(), w.frame->m_nOtherAccView);
        typeFields(w.OtherForm(), other);
        QVERIFY(w.doc->IsModified());

        // Saved by the document itself under a confirmed password, then opened by a new window.
        auto seen = std::make_shared<docanswers::Seen>();
        docanswers::Answer(seen, {docanswers::SetPassword(seen, QStringLiteral("Tr0ub4dor"))});
        QVERIFY(w.doc->OnSaveDocument(path));
        QCOMPARE(seen->answered, 1);
        Window again = Open([&](CVaultoraDoc& doc) {
            docanswers::Answer(seen, {docanswers::EnterPassword(QStringLiteral("Tr0ub4dor"))});
            QVERIFY(doc.OnOpenDocument(path));
        });
        QCOMPARE(seen->answered, 2);
        QCOMPARE(again.tree->GetWebFolder()->childCount(), 1);
        QCOMPARE(again.tree->GetMailFolder()->childCount(), 1);
        QCOMPARE(again.tree->GetOtherFolder()->childCount(), 1);
        again.tree->setCurrentItem(again.tree->GetWebFolder()->child(0));
        QCOMPARE(again.WebForm()->GetDlgItemText(IDC_WEB_NAME), QStringLiteral("Bank"));
        for (const auto& [nID, value] : web)
            QCOMPARE(again.WebForm()->GetDlgItemText(nID), value);
        again.tree->setCurrentItem(again.tree->GetMailFolder()->child(0));
        QCOMPARE(again.MailForm()->GetDlgItemText(IDC_MAIL_NAME), QStringLiteral("Mail"));
        for (const auto& [nID, value] : mail)
            QCOMPARE(again.MailForm()->GetDlgItemText(nID), value);
        again.tree->setCurrentItem(again.tree->GetOtherFolder()->child(0));
        QCOMPARE(again.OtherForm()->GetDlgItemText(IDC_OTHER_NAME), QStringLiteral("Visa"));
        for (const auto& [nID, value] : other)
            QCOMPARE(again.OtherForm()->GetDlgItemText(nID), value);
        QVERIFY(!again.doc->IsModified());

        QProcess cli;
        cli.start(LW_CLI_PATH, {"export", path});
        QVERIFY(cli.waitForStarted());
        cli.write("Tr0ub4dor\n");
        cli.closeWriteChannel();
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        const QJsonDocument exported = QJsonDocument::fromJson(cli.readAllStandardOutput());
        QVERIFY(!exported.isNull());
        const QString json = QString::fromUtf8(exported.toJson());
        for (const QString& expected :
             {QStringLiteral("Bank"), QStringLiteral("p@ss word"), QStringLiteral("pop.example.org"),
              QStringLiteral("notes: 3 lines"), QStringLiteral("4111 1111 1111 1111"), QStringLiteral("Visa")})
            QVERIFY2(json.contains(expected), qPrintable(expected));
    }
};

QTEST_MAIN(TestForms)
#include "test_forms.moc"
