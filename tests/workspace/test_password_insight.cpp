// What the editor tells about an account's secrets: the one-time code under the notes (RFC 6238's own
// vectors through the form, the secret's forms and faults, typing, the lock, Ctrl+T through the
// clipboard guard) and the Password Health list (its rows, going to an account, the lock). The whole
// editor runs, with the fake clocks.

#include "common/DocumentAnswers.h"
#include "common/GuiTestEnv.h"

#include "framework/ClipboardGuard.h"
#include "framework/DocTemplate.h"
#include "framework/ModalAnswer.h"
#include "passwords/VaultoraDoc.h"
#include "platform/TickCount.h"
#include "shell/EditorApp.h"
#include "shell/LockScreenWnd.h"
#include "textdoc/CommandMenu.h"
#include "workspace/AccountSearch.h"
#include "workspace/LeftView.h"
#include "workspace/MailAccView.h"
#include "workspace/NotesEdit.h"
#include "workspace/OtherAccView.h"
#include "workspace/PasswordHealthDlg.h"
#include "workspace/VaultoraChildFrame.h"
#include "workspace/WebAccView.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace docanswers;

class TestPasswordInsight : public QObject {
    Q_OBJECT

    std::unique_ptr<CEditorApp> m_app;
    GuiTestEnv m_env;
    int64_t m_unixTime = 59;
    CVaultoraChildFrame* m_window = nullptr;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    CLeftView* Tree() const { return m_window->GetLeftView(); }
    CVaultoraDoc* Doc() const { return Tree()->GetDocument(); }
    CWebAccView* WebForm() const { return dynamic_cast<CWebAccView*>(m_window->GetView(m_window->m_nWebAccView)); }
    QLineEdit* Code() const { return qobject_cast<QLineEdit*>(WebForm()->GetDlgItem(IDC_WEB_OTP)); }
    QWidget* CodeLabel() const { return WebForm()->GetDlgItem(IDC_WEB_OTP_LABEL); }

    // A new passwords window, made the active one.
    bool OpenPasswords() {
        if (!m_app->GetPasswordsTemplate()->OpenDocumentFile(QString()))
            return false;
        m_window = dynamic_cast<CVaultoraChildFrame*>(Frame()->MDIGetActive());
        return m_window != nullptr;
    }

    // An account with those fields in the record; returns its slot.
    int AddAccount(AccountKind kind, const char* name, const char* password, const char* notes = "") {
        Tree()->AddAccount(kind, QString::fromUtf8(name));
        const int nSlot = CLeftView::GetItemData(Tree()->GetSelectedItem());
        *Doc()->m_lists.Field(kind, nSlot, "PASSWORD") = platform::SecureString(password);
        *Doc()->m_lists.Field(kind, nSlot, "NOTES") = platform::SecureString(notes);
        return nSlot;
    }

    // Selects the account's item in the tree, as a click does: its form reads the record.
    void ShowAccount(AccountKind kind, int nSlot) {
        Tree()->SelectRoot();
        QTreeWidgetItem* folder = Tree()->GetFolder(kind);
        for (int i = 0; i < folder->childCount(); ++i) {
            if (CLeftView::GetItemData(folder->child(i)) == nSlot)
                Tree()->setCurrentItem(folder->child(i));
        }
    }

    // A web account with those notes, shown.
    void ShowWebNotes(const char* notes) {
        ShowAccount(AccountKind::Web, AddAccount(AccountKind::Web, "Site", "pw", notes));
    }

    void ClickIntoNotes() {
        auto* notes = qobject_cast<CNotesEdit*>(WebForm()->GetDlgItem(IDC_WEB_NOTES));
        QTest::mouseClick(notes->viewport(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(notes));
    }

    void LockByIdleness() { m_env.LockByIdleness(Frame()); }

    static QStringList Rows(QWidget* modal) {
        QStringList rows;
        auto* list = qobject_cast<QTreeWidget*>(AsDialog(modal)->GetDlgItem(IDC_HEALTH_LIST));
        for (int i = 0; list && i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = list->topLevelItem(i);
            rows << row->text(0) + u'|' + row->text(1) + u'|' + row->text(2);
        }
        return rows;
    }

private slots:
    void initTestCase() {
        m_env.Begin();
        platform::SetUnixTimeSource([this] { return m_unixTime; });
    }
    void cleanupTestCase() {
        platform::SetUnixTimeSource({});
        m_env.End();
    }

    void init() {
        m_unixTime = 59;
        QVERIFY(m_env.StartFresh(m_app));
        CClipboardGuard::SetClearDelay(CClipboardGuard::kDefaultDelay);
        QApplication::clipboard()->clear();
        Frame()->show();
        Frame()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Frame()));
        QVERIFY(OpenPasswords());
    }

    void cleanup() {
        m_window = nullptr;
        m_env.Stop(m_app);
    }

    // RFC 6238's vectors (SHA-1, SHA-256 and SHA-512 with 8 digits) in an address in the notes: the
    // form shows the code in groups of three and the seconds left, and follows the clock on its own.
    void rfcVectorsThroughTheForm() {
        struct Case {
            const char* uri;
            const char* at59;
            const char* at1111111109;
            const char* at20000000000;
        };
        const Case cases[] = {
            {"otpauth://totp/RFC:sha1?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ&digits=8", "942 870 82 (1 s)",
             "070 818 04 (1 s)", "653 531 30 (10 s)"},
            {"otpauth://totp/RFC:sha256?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZA&"
             "algorithm=SHA256&digits=8",
             "461 192 46 (1 s)", "680 847 74 (1 s)", "777 377 06 (10 s)"},
            {"otpauth://totp/RFC:sha512?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ"
             "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNA&algorithm=SHA512&digits=8",
             "906 939 36 (1 s)", "250 912 01 (1 s)", "478 638 26 (10 s)"},
        };
        for (const Case& c : cases) {
            m_unixTime = 59;
            const QByteArray notes = QByteArray("Sign-in codes:\r\n") + c.uri + "\r\nkeep safe";
            ShowWebNotes(notes.constData());
            QVERIFY(CodeLabel()->isVisible());
            QVERIFY(Code()->isVisible());
            QCOMPARE(Code()->text(), QString::fromLatin1(c.at59));
            m_unixTime = 1111111109;
            QTRY_COMPARE(Code()->text(), QString::fromLatin1(c.at1111111109));
            m_unixTime = 20000000000;
            QTRY_COMPARE(Code()->text(), QString::fromLatin1(c.at20000000000));
        }
    }

    // The other ways notes hold a secret, or fail to: the import's bare "TOTP: " line, a secret that
    // can't be read, another kind of code, and none at all (no row). The row follows typing.
    void secretForms() {
        m_unixTime = 1111111111;
        ShowWebNotes("TOTP: JBSW Y3DP EHPK 3PXP");
        QCOMPARE(Code()->text(), QStringLiteral("358 462 (29 s)"));
        ShowWebNotes("TOTP: JBSWY3DPEHPK3PX1");
        QCOMPARE(Code()->text(), QStringLiteral("Invalid one-time secret"));
        QVERIFY(Code()->isVisible());
        ShowWebNotes("otpauth://hotp/Old?secret=JBSWY3DPEHPK3PXP&counter=3");
        QCOMPARE(Code()->text(), QStringLiteral("Unsupported one-time code"));
        ShowWebNotes("just a note");
        QVERIFY(!Code()->isVisible());
        QVERIFY(!CodeLabel()->isVisible());
        QVERIFY(!Frame()->IsCommandEnabled(ID_EDIT_COPY_ONE_TIME_CODE));

        // Typed into the notes of the account shown, the secret makes the row; deleted, it goes.
        ClickIntoNotes();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("TOTP: JBSWY3DPEHPK3PXP"));
        QVERIFY(Code()->isVisible());
        QCOMPARE(Code()->text(), QStringLiteral("358 462 (29 s)"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_1);
        QCOMPARE(Code()->text(), QStringLiteral("Invalid one-time secret"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QVERIFY(!Code()->isVisible());

        // Tab reaches the code, named by its label.
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("TOTP: JBSWY3DPEHPK3PXP"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(Code()));
        QCOMPARE(qobject_cast<QLabel*>(CodeLabel())->buddy(), static_cast<QWidget*>(Code()));

        // Another form emptied: the row goes with the account.
        Tree()->SelectRoot();
        QCOMPARE(Code()->text(), QString());
        QVERIFY(Code()->isHidden());
    }

    // The code ticks without counting as activity, is empty while the screen is locked, and comes back
    // after the unlock.
    void lockedAndIdle() {
        m_unixTime = 1111111111;
        ShowWebNotes("TOTP: JBSWY3DPEHPK3PXP");
        Frame()->m_dwLastActivity = m_env.m_now;
        m_env.m_now += 5000;
        m_unixTime += 30;
        QTRY_COMPARE(Code()->text(), QStringLiteral("490 635 (29 s)"));
        QTest::qWait(600);
        QCOMPARE(Frame()->m_dwLastActivity, m_env.m_now - 5000);

        LockByIdleness();
        QCOMPARE(Code()->text(), QString());
        QTest::qWait(600);
        QCOMPARE(Code()->text(), QString());
        QVERIFY(!Frame()->IsCommandEnabled(ID_EDIT_COPY_ONE_TIME_CODE));
        QVERIFY(Frame()->PromptUnlock());
        QCOMPARE(Code()->text(), QStringLiteral("490 635 (29 s)"));
    }

    // Ctrl+T from any field of the form, and the context menus' item: the digits alone, guarded like a
    // password (the hint, the countdown, gone at the lock).
    void copyCode() {
        m_unixTime = 1111111111;
        ShowWebNotes("TOTP: JBSWY3DPEHPK3PXP");
        ClickIntoNotes();
        std::unique_ptr<QMenu> menu(qobject_cast<CNotesEdit*>(QApplication::focusWidget())->BuildContextMenu());
        textdoc::UpdateCommandMenu(menu.get(), nullptr);
        bool bOffered = false;
        for (QAction* action : menu->actions())
            bOffered = bOffered || (textdoc::CommandId(action) == ID_EDIT_COPY_ONE_TIME_CODE && action->isEnabled());
        QVERIFY(bOffered);

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("358462"));
        QCOMPARE(QApplication::clipboard()->mimeData()->data(QString::fromLatin1(CClipboardGuard::kHintFormat)),
                 QByteArray("secret"));
        QCOMPARE(CClipboardGuard::Get()->SecondsLeft(), 30);
        // Typing in the notes left them as they were.
        QCOMPARE(QString::fromUtf8(Doc()->m_lists.Field(AccountKind::Web, 0, "NOTES")->c_str()),
                 QStringLiteral("TOTP: JBSWY3DPEHPK3PXP"));
        LockByIdleness();
        QCOMPARE(QApplication::clipboard()->text(), QString());
        QVERIFY(Frame()->PromptUnlock());

        // From the password field too.
        QTest::mouseClick(WebForm()->GetDlgItem(IDC_WEB_PASSWORD), Qt::LeftButton);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("358462"));
    }

    // Empty, weak and shared passwords, the sharers together; Enter goes to the chosen account, past
    // the search's filter. Only a passwords window has the command.
    void healthListsAndGoesToAccount() {
        AddAccount(AccountKind::Web, "Bank", "Vq7#pLm2!xR9@tZe");
        AddAccount(AccountKind::Web, "Shop", "");
        AddAccount(AccountKind::Web, "Forum", "t9$Hq2!vLw8#Zr5k");
        AddAccount(AccountKind::Mail, "Home mail", "summer");
        AddAccount(AccountKind::Other, "Router", "t9$Hq2!vLw8#Zr5k");
        AddAccount(AccountKind::Other, "Safe", "Vq7#pLm2!xR9@tZe");
        AddAccount(AccountKind::Other, "Door", "8#kTw!2zQp$4mN7v");
        QTest::keyClicks(Tree()->GetSearch()->GetField(), QStringLiteral("Door"));
        QVERIFY(Tree()->GetSearch()->IsFiltering());

        QStringList rows;
        QString summary;
        bool bListFocused = false;
        AnswerNextModal([&](QWidget* modal) {
            rows = Rows(modal);
            summary = AsDialog(modal)->GetDlgItemText(IDC_HEALTH_SUMMARY);
            (void)QTest::qWaitFor([modal] { return QApplication::activeWindow() == modal; });
            // The list has the keys: down to the last row, Router's, then Enter.
            bListFocused = QApplication::focusWidget() == AsDialog(modal)->GetDlgItem(IDC_HEALTH_LIST);
            for (int i = 0; i < 5 && bListFocused; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            if (modal->isVisible())
                modal->close();
        });
        Frame()->OnUserCommand(ID_VIEW_PASSWORD_HEALTH);
        QCOMPARE(rows, (QStringList{"Shop|Web|empty", "Home mail|Email|weak", "Bank|Web|reused (group 1, 2 accounts)",
                                    "Safe|Other|reused (group 1, 2 accounts)", "Forum|Web|reused (group 2, 2 accounts)",
                                    "Router|Other|reused (group 2, 2 accounts)"}));
        QCOMPARE(summary, QStringLiteral("6 accounts have an empty, weak or shared password."));
        QVERIFY(bListFocused);
        QVERIFY(!Tree()->GetSearch()->IsFiltering());
        QCOMPARE(Tree()->GetSelectedItem()->text(0), QStringLiteral("Router"));
        auto* other = dynamic_cast<COtherAccView*>(m_window->GetView(m_window->m_nOtherAccView));
        QCOMPARE(other->GetDlgItemText(IDC_OTHER_NAME), QStringLiteral("Router"));

        // A double click goes too.
        AnswerNextModal([](QWidget* modal) {
            (void)QTest::qWaitFor([modal] { return QApplication::activeWindow() == modal; });
            auto* list = qobject_cast<QTreeWidget*>(AsDialog(modal)->GetDlgItem(IDC_HEALTH_LIST));
            const QRect row = list->visualItemRect(list->topLevelItem(1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
            if (modal->isVisible())
                modal->close();
        });
        Frame()->OnUserCommand(ID_VIEW_PASSWORD_HEALTH);
        QCOMPARE(Tree()->GetSelectedItem()->text(0), QStringLiteral("Home mail"));

        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        QVERIFY(!Frame()->IsCommandEnabled(ID_VIEW_PASSWORD_HEALTH));
    }

    // Nothing to report says so; the lock closes the list and it comes back after the unlock.
    void healthNothingAndTheLock() {
        AddAccount(AccountKind::Web, "Bank", "Vq7#pLm2!xR9@tZe");
        QString summary;
        int rowCount = -1;
        AnswerNextModal([&](QWidget* modal) {
            summary = AsDialog(modal)->GetDlgItemText(IDC_HEALTH_SUMMARY);
            rowCount = static_cast<int>(Rows(modal).size());
            LockByIdleness();
        });
        Frame()->OnUserCommand(ID_VIEW_PASSWORD_HEALTH);
        QCOMPARE(summary, QStringLiteral("No account has an empty, weak or shared password."));
        QCOMPARE(rowCount, 0);
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_PASSWORD_HEALTH));

        QString shownAgain;
        AnswerNextModal([&shownAgain](QWidget* modal) {
            shownAgain = modal->windowTitle();
            modal->close();
        });
        QTest::keyClick(Frame()->GetLockWnd(), Qt::Key_Space);
        QTRY_COMPARE(shownAgain, QStringLiteral("Password Health"));
        QVERIFY(!Frame()->m_bLocked);
    }

    // A large file's check shows its progress; Cancel stops it with no list, the lock stops it and
    // leaves the command for after the unlock.
    void largeCheckShowsProgress() {
        for (int i = 0; i < 20000; ++i) {
            auto web = std::make_unique<WebAccount>();
            web->strName = "Shop";
            web->strPassword = platform::SecureString(std::to_string(i));
            Doc()->m_lists.m_aWebAccounts.Append(std::move(web));
        }
        for (const bool bLock : {false, true}) {
            QStringList titles;
            AnswerNextModal([&](QWidget* modal) {
                titles << AsDialog(modal)->GetDlgItemText(IDC_HEALTH_PROGRESS_TEXT);
                // Anything after it is a list that should not have come.
                AnswerNextModal([&titles](QWidget* next) {
                    titles << next->windowTitle();
                    next->close();
                });
                if (bLock) {
                    LockByIdleness();
                } else {
                    (void)QTest::qWaitFor([modal] { return QApplication::activeWindow() == modal; });
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                }
            });
            Frame()->OnUserCommand(ID_VIEW_PASSWORD_HEALTH);
            QTest::qWait(200);
            QCOMPARE(titles.size(), 1);
            QVERIFY(titles.front().startsWith(QStringLiteral("Rating the passwords")));
            QCOMPARE(Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_PASSWORD_HEALTH), bLock);
        }
        Frame()->ScreenLock().ForgetReplay(ID_VIEW_PASSWORD_HEALTH);
    }
};

QTEST_MAIN(TestPasswordInsight)
#include "test_password_insight.moc"
