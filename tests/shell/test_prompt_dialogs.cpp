// The password and prompt dialogs, and how every lock-aware dialog ends itself once the screen has
// locked. Time comes from a fake clock; the dialogs are answered by the test.

#include "../framework/FrameworkFixtures.h"
#include "common/DocumentAnswers.h"
#include "common/GuiTestEnv.h"
#include "controls/StrengthMeter.h"

#include "docs/EnterPasswordDlg.h"
#include "docs/SaveChangesDlg.h"
#include "docs/SetPasswordDlg.h"
#include "docs/TimedFileDialog.h"
#include "framework/KeyboardLocks.h"
#include "framework/MessageBox.h"
#include "framework/ModalAnswer.h"
#include "platform/TickCount.h"
#include "res/resource.h"
#include "shell/AboutDlg.h"
#include "shell/EditorApp.h"
#include "shell/LockScreenWnd.h"
#include "shell/LockSettings.h"
#include "shell/MainFrame.h"
#include "shell/NewDocumentDlg.h"
#include "shell/ScreenLockSettingsDlg.h"
#include "shell/WelcomeDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <memory>

using namespace docanswers;

namespace {

class TestEditorApp : public CEditorApp {
protected:
    void RegisterDocTemplates() override {}
};

QAbstractButton* Button(CDialog* dialog, int nID) {
    return qobject_cast<QAbstractButton*>(dialog->GetDlgItem(nID));
}

} // namespace

class TestPromptDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEditorApp> m_app;
    GuiTestEnv m_env;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }

    // Lets the user go idle past the timeout and the frame notice: the screen locks.
    void LockByIdleness() { m_env.LockByIdleness(Frame()); }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }

    void init() {
        m_env.Reset();
        GuiTestEnv::WriteLockSettings(); // lock when idle for a minute, no screen password
        CLockScreenWnd::SetRandomStart(3);
        QVERIFY(m_env.Start(m_app));
    }

    void cleanup() {
        SetLockKeySource({});
        m_env.Stop(m_app);
    }

    // A password with a NUL in it (pasted from a pipe) would be cut there by the compatible format:
    // refused with a message, and the dialog stays.
    void setPasswordRefusesANul() {
        CSetPasswordDlg dlg;
        const int messages = MessageBox::count();
        bool stayed = false;
        AnswerNextModal([&](QWidget* modal) {
            CDialog* d = AsDialog(modal);
            const QString withNul = QStringLiteral("abc") + QChar(0) + QStringLiteral("def");
            Edit(d, IDC_PASSWORD)->insert(withNul);
            Edit(d, IDC_CONFIRM_PASSWORD)->insert(withNul);
            MessageBox::setNextAnswer(IDOK);
            Button(d, IDOK)->click();
            stayed = d->isVisible();
            Button(d, IDCANCEL)->click();
        });
        QCOMPARE(dlg.DoModal(), IDCANCEL);
        QVERIFY(stayed);
        QCOMPARE(MessageBox::count(), messages + 1);
        QCOMPARE(MessageBox::last().text, QStringLiteral("A password cannot contain a NUL character (a zero byte)."));
    }

    void setPasswordForANewDocument() {
        CSetPasswordDlg dlg;
        AnswerNextModal([](QWidget* modal) {
            CDialog* d = AsDialog(modal);
            QCOMPARE(d->windowTitle(), QStringLiteral("Set Password"));
            QCOMPARE(Button(d, IDOK)->text(), QStringLiteral("Save"));
            QVERIFY(!Button(d, IDOK)->isEnabled()); // nothing typed yet
            QCOMPARE(Edit(d, IDC_PASSWORD)->echoMode(), QLineEdit::Password);
            QCOMPARE(Edit(d, IDC_CONFIRM_PASSWORD)->echoMode(), QLineEdit::Password);
            // A confirmation typed first is lost when the password is typed.
            QTest::keyClicks(Edit(d, IDC_CONFIRM_PASSWORD), "early");
            // (insert() types text that has no key of its own on a test keyboard.)
            Edit(d, IDC_PASSWORD)->insert(QStringLiteral("pässwort"));
            QVERIFY(Edit(d, IDC_CONFIRM_PASSWORD)->text().isEmpty());
            // OK waits for the confirmation, also when it was empty already as the password changed.
            QVERIFY(!Button(d, IDOK)->isEnabled());
            Edit(d, IDC_PASSWORD)->insert(QStringLiteral("!"));
            QVERIFY(!Button(d, IDOK)->isEnabled());
            Edit(d, IDC_PASSWORD)->backspace();
            Edit(d, IDC_CONFIRM_PASSWORD)->insert(QStringLiteral("pässwort"));
            QVERIFY(Button(d, IDOK)->isEnabled());
            Button(d, IDOK)->click();
        });
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(std::string(dlg.TakePassword().view()), std::string("pässwort"));
        QVERIFY(dlg.GetPassword().empty()); // the dialog's copy is wiped once taken
    }

    void mismatchedPasswordsAreTypedAgain() {
        CSetPasswordDlg dlg;
        MessageBox::setNextAnswer(IDOK);
        AnswerNextModal([](QWidget* modal) {
            CDialog* d = AsDialog(modal);
            QTest::keyClicks(Edit(d, IDC_PASSWORD), "one");
            QTest::keyClicks(Edit(d, IDC_CONFIRM_PASSWORD), "One");
            Button(d, IDOK)->click();
            // Still open, both fields emptied, after the message.
            QCOMPARE(MessageBox::last().text,
                     QStringLiteral("The passwords you typed do not match. Type the password in both text boxes."));
            QCOMPARE(MessageBox::last().caption, QStringLiteral("Set Password"));
            QCOMPARE(MessageBox::last().type, MB_ICONEXCLAMATION);
            QVERIFY(Edit(d, IDC_PASSWORD)->text().isEmpty());
            QVERIFY(Edit(d, IDC_CONFIRM_PASSWORD)->text().isEmpty());
            QVERIFY(d->isVisible());
            // Too long a password is cut at 259 characters in both fields.
            const QString longOne(300, QLatin1Char('x'));
            Edit(d, IDC_PASSWORD)->setText(longOne);
            Edit(d, IDC_CONFIRM_PASSWORD)->setText(longOne);
            Button(d, IDOK)->click();
        });
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(dlg.GetPassword().size(), size_t(259));
    }

    // The file password is rated as it is typed, the file's own name counting for nothing in it.
    void setPasswordRatesTheFilePassword() {
        CSetPasswordDlg dlg;
        dlg.SetDocumentPath(QStringLiteral("/home/jane/xq7vbk92mzt.kvd"));
        QStringList seen;
        bool typedIntoPassword = false;
        AnswerNextModal([&](QWidget* modal) {
            CDialog* d = AsDialog(modal);
            auto* meter = qobject_cast<CStrengthMeter*>(d->GetDlgItem(IDC_SET_PASSWORD_STRENGTH));
            auto note = [&] {
                seen << (meter ? meter->text() + QLatin1Char('|') + meter->accessibleDescription() : "no meter");
            };
            note();
            (void)QTest::qWaitForWindowActive(modal);
            typedIntoPassword = QApplication::focusWidget() == Edit(d, IDC_PASSWORD);
            QTest::keyClicks(QApplication::focusWidget(), "summer");
            note();
            for (int i = 0; i < 6; ++i)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
            note();
            QTest::keyClicks(QApplication::focusWidget(), "vW8#qL2!zR9@mT4$kP7&yB3^");
            note();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClicks(QApplication::focusWidget(), "xq7vbk92mzt");
            note();
            Button(d, IDCANCEL)->click();
        });
        QCOMPARE(dlg.DoModal(), IDCANCEL);
        QVERIFY(typedIntoPassword);
        QCOMPARE(seen.size(), 5);
        QCOMPARE(seen[0], QStringLiteral("|"));
        QVERIFY2(QRegularExpression("^Poor\\|[0-9]+ bits$").match(seen[1]).hasMatch(), qPrintable(seen[1]));
        QCOMPARE(seen[2], QStringLiteral("|"));
        QVERIFY2(seen[3].startsWith("Excellent|"), qPrintable(seen[3]));
        QVERIFY2(seen[4].startsWith("Poor|"), qPrintable(seen[4]));
    }

    void setModeStartsWithTheCurrentPassword() {
        CSetPasswordDlg dlg;
        dlg.m_bSetMode = 1;
        dlg.SetPassword(platform::SecureString("current"));
        AnswerNextModal([](QWidget* modal) {
            CDialog* d = AsDialog(modal);
            QCOMPARE(Button(d, IDOK)->text(), QStringLiteral("Set"));
            QCOMPARE(Edit(d, IDC_PASSWORD)->text(), QStringLiteral("current"));
            QCOMPARE(Edit(d, IDC_CONFIRM_PASSWORD)->text(), QStringLiteral("current"));
            QVERIFY(Button(d, IDOK)->isEnabled());
            Button(d, IDOK)->click();
        });
        QCOMPARE(dlg.DoModal(), IDOK);
        QCOMPARE(std::string(dlg.GetPassword().view()), std::string("current"));
    }

    void saveChangesQuestion_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("path") << "/home/me/notes.etx"
                              << "notes.etx";
        QTest::newRow("title") << "Untitled"
                               << "Untitled";
        QTest::newRow("leading separator only") << "/notes.etx"
                                                << "/notes.etx";
        QTest::newRow("trailing separator") << "notes/"
                                            << "notes/";
    }
    void saveChangesQuestion() {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        for (const int answer : {IDYES, IDNO, IDCANCEL}) {
            CSaveChangesDlg dlg;
            dlg.m_strDocumentName = name;
            QString label;
            AnswerNextModal([&label, answer](QWidget* modal) {
                CDialog* d = AsDialog(modal);
                QCOMPARE(d->windowTitle(), QStringLiteral("Lockwarden Editor"));
                label = d->GetDlgItemText(IDC_SAVE_CHANGES_TEXT);
                Button(d, answer)->click();
            });
            QCOMPARE(dlg.DoModal(), answer);
            QCOMPARE(label, QStringLiteral("Save changes to %1?").arg(shown));
        }
    }

    // Y and N answer the save question and the Yes/No message boxes without Alt, Escape cancels, and
    // no box is narrower than its caption.
    void lettersAnswerQuestions() {
        auto pressOnFocus = [](Qt::Key key) {
            return [key](QWidget* modal) {
                QVERIFY(QTest::qWaitForWindowActive(modal));
                QTest::keyClick(QApplication::focusWidget(), key);
            };
        };
        for (const auto& [key, answer] : {std::pair{Qt::Key_Y, IDYES}, std::pair{Qt::Key_N, IDNO}}) {
            CSaveChangesDlg dlg;
            dlg.m_strDocumentName = QStringLiteral("notes.etx");
            AnswerNextModal(pressOnFocus(key));
            QCOMPARE(dlg.DoModal(), answer);
            AnswerNextModal(pressOnFocus(key));
            QCOMPARE(AfxMessageBox(QStringLiteral("Delete?"), MB_YESNO | MB_ICONQUESTION), answer);
        }
        AnswerNextModal(pressOnFocus(Qt::Key_Escape));
        QCOMPARE(AfxMessageBox(QStringLiteral("Go on?"), MB_YESNOCANCEL), IDCANCEL);

        const QString caption = QStringLiteral("A caption much longer than the two words of the text below it");
        int width = 0;
        int captionWidth = 0;
        AnswerNextModal([&](QWidget* modal) {
            QVERIFY(QTest::qWaitForWindowExposed(modal));
            width = modal->width();
            captionWidth = modal->fontMetrics().horizontalAdvance(caption);
            modal->close();
        });
        AfxMessageBox(QStringLiteral("Short."), MB_OK, caption);
        QVERIFY(captionWidth > 0);
        QVERIFY(width > captionWidth);
    }

    void decryptFailedAndReplace() {
        CDecryptFailedDlg failed;
        failed.m_strFileName = QStringLiteral("accounts.kvd");
        QString label;
        AnswerNextModal([&label](QWidget* modal) {
            CDialog* d = AsDialog(modal);
            label = d->GetDlgItemText(IDC_DECRYPT_FAILED_TEXT);
            Button(d, IDOK)->click();
        });
        QCOMPARE(failed.DoModal(), IDOK);
        QCOMPARE(label, QStringLiteral("Failed to decrypt the file: accounts.kvd"));

        for (const int answer : {IDOK, IDCANCEL}) {
            CReplaceFileDlg replace;
            AnswerNextModal([answer](QWidget* modal) {
                CDialog* d = AsDialog(modal);
                QCOMPARE(Button(d, IDOK)->text(), QStringLiteral("&Yes"));
                QCOMPARE(Button(d, IDCANCEL)->text(), QStringLiteral("&No"));
                Button(d, answer)->click();
            });
            QCOMPARE(replace.DoModal(), answer);
        }
    }

    // Each dialog ends itself with its own code once the screen has locked, and stays while it hasn't.
    void dialogsCloseThemselvesOnTheLock() {
        struct Case {
            std::function<int()> show;
            int endCode;
        };
        const Case cases[] = {
            {[] { return CSetPasswordDlg().DoModal(); }, IDCANCEL},
            {[] { return CSaveChangesDlg().DoModal(); }, IDCANCEL},
            {[] { return CDecryptFailedDlg().DoModal(); }, 0},
            {[] { return CReplaceFileDlg().DoModal(); }, IDCANCEL},
        };
        for (const Case& c : cases) {
            bool stayedWhileUnlocked = false;
            AnswerNextModal([this, &stayedWhileUnlocked](QWidget* modal) {
                // While the screen is unlocked the dialog stays, however long it is left alone...
                QTest::qWait(250);
                stayedWhileUnlocked = modal->isVisible();
                // ...and once the user has been idle past the timeout, the frame's own timer locks
                // the screen and the dialog's next tick ends it.
                m_env.m_now += 61000;
            });
            QCOMPARE(c.show(), c.endCode);
            QVERIFY(stayedWhileUnlocked);
            QVERIFY(Frame()->m_bLocked);
            // None of them marks a command for replay.
            QVERIFY(!Frame()->ScreenLock().IsAnyMarkedForReplay());
            QVERIFY(Frame()->PromptUnlock());
            Frame()->ScreenLock().StampActivity();
        }
    }

    // The dialogs of user commands mark their command, so that it runs again after the unlock.
    void commandDialogsMarkTheirCommandForReplay() {
        struct Case {
            std::function<int()> show;
            int flag;
            int endCode;
        };
        const Case cases[] = {
            {[] { return CAboutDlg().DoModal(); }, ID_APP_ABOUT, 0},
            {[this] { return CWelcomeDlg(Frame()).DoModal(); }, ID_VIEW_WIZARD, 0},
            {[] { return CNewDocumentDlg().DoModal(); }, ID_FILE_NEW, 0},
            {[] { return CScreenLockSettingsDlg().DoModal(); }, ID_SETTINGS_SCREEN_LOCK, IDCANCEL},
        };
        for (const Case& c : cases) {
            AnswerNextModal([this](QWidget*) { LockByIdleness(); });
            QCOMPARE(c.show(), c.endCode);
            QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(c.flag));
            Frame()->ScreenLock().ForgetReplay(c.flag);
            QVERIFY(Frame()->PromptUnlock());
            Frame()->ScreenLock().StampActivity();
        }
    }

    // Both password dialogs say so while Caps Lock is on, on opening and as keys are typed, in the
    // free room beside the buttons; where the state is not known they say nothing.
    void capsLockWarning() {
        auto capsLock = std::make_shared<std::optional<bool>>(true);
        SetLockKeySource([capsLock](LockKey key) { return key == LockKey::Caps ? *capsLock : std::nullopt; });
        auto check = [capsLock](QWidget* modal) {
            CDialog* d = AsDialog(modal);
            QVERIFY(QTest::qWaitForWindowActive(d));
            QWidget* warning = d->GetDlgItem(IDC_CAPS_LOCK_WARNING);
            QVERIFY(warning);
            QCOMPARE(d->GetDlgItemText(IDC_CAPS_LOCK_WARNING), QStringLiteral("Caps Lock is on."));
            QVERIFY(warning->isVisible());
            for (QWidget* other : d->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (other != warning && other->isVisible())
                    QVERIFY2(!other->geometry().intersects(warning->geometry()), qPrintable(other->objectName()));
            }
            QVERIFY(d->rect().contains(warning->geometry()));
            // The key comes up with Caps Lock off: the next key event tells.
            *capsLock = false;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
            QVERIFY(!warning->isVisible());
            *capsLock = true;
            QTest::keyPress(QApplication::focusWidget(), Qt::Key_CapsLock);
            QVERIFY(warning->isVisible());
            *capsLock = std::nullopt;
            QTest::keyRelease(QApplication::focusWidget(), Qt::Key_CapsLock);
            QVERIFY(!warning->isVisible());
            Button(d, IDCANCEL)->click();
        };
        CEnterPasswordDlg prompt;
        AnswerNextModal(check);
        QCOMPARE(prompt.DoModal(), IDCANCEL);
        CSetPasswordDlg setPassword;
        *capsLock = true;
        AnswerNextModal(check);
        QCOMPARE(setPassword.DoModal(), IDCANCEL);
        // Shown again with Caps Lock off, the dialog does not keep the last warning.
        *capsLock = false;
        AnswerNextModal([](QWidget* modal) {
            QVERIFY(!AsDialog(modal)->GetDlgItem(IDC_CAPS_LOCK_WARNING)->isVisible());
            Button(AsDialog(modal), IDCANCEL)->click();
        });
        QCOMPARE(prompt.DoModal(), IDCANCEL);
    }

    // The file-password prompt closes on the lock; the prompt on the locked screen itself does not.
    void passwordPromptWithAndWithoutTimer() {
        CEnterPasswordDlg withTimer;
        AnswerNextModal([this](QWidget*) { LockByIdleness(); });
        QCOMPARE(withTimer.DoModal(), IDCANCEL);
        QVERIFY(Frame()->PromptUnlock());
        Frame()->ScreenLock().StampActivity();

        CEnterPasswordDlg withoutTimer;
        withoutTimer.m_bTimerOn = 0;
        withoutTimer.m_bScreenMode = 1;
        bool stayed = false;
        AnswerNextModal([this, &stayed](QWidget* modal) {
            LockByIdleness();
            QTest::qWait(300);
            stayed = modal->isVisible();
            QCOMPARE(AsDialog(modal)->GetDlgItemText(IDC_PASSWORD_LABEL), QStringLiteral("Screen Password:"));
            Button(AsDialog(modal), IDCANCEL)->click();
        });
        QCOMPARE(withoutTimer.DoModal(), IDCANCEL);
        QVERIFY(stayed);
    }

    // The whole road: Open's dialog closed by the lock, then a key unlocks and Open runs again.
    // Welcome with the New chooser opened from it: one lock closes both, and after the unlock the
    // two commands run again in the replay order, the second once the first has finished.
    void nestedDialogsCloseTogetherAndComeBackInOrder() {
        QStringList shown;
        AnswerNextModal([this, &shown](QWidget* welcome) {
            shown << QString::fromLatin1(welcome->metaObject()->className());
            AnswerNextModal([this, &shown](QWidget* chooser) {
                shown << QString::fromLatin1(chooser->metaObject()->className());
                LockByIdleness();
            });
            QCOMPARE(CNewDocumentDlg(Frame()).DoModal(), 0);
        });
        Frame()->SendCommand(ID_VIEW_WIZARD);
        QCOMPARE(shown, (QStringList{"CWelcomeDlg", "CNewDocumentDlg"}));
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_WIZARD));
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_NEW));

        shown.clear();
        bool welcomeGoneWhenNewCame = false;
        AnswerNextModal([&shown, &welcomeGoneWhenNewCame](QWidget* first) {
            shown << QString::fromLatin1(first->metaObject()->className());
            AnswerNextModal([&shown, &welcomeGoneWhenNewCame](QWidget* second) {
                shown << QString::fromLatin1(second->metaObject()->className());
                const QWidgetList windows = QApplication::topLevelWidgets();
                welcomeGoneWhenNewCame = std::none_of(windows.begin(), windows.end(), [](QWidget* w) {
                    return w->isVisible() && qobject_cast<CWelcomeDlg*>(w) != nullptr;
                });
                second->close();
            });
            first->close();
        });
        QTest::keyClick(Frame()->GetLockWnd(), Qt::Key_Space);
        QTRY_COMPARE(shown.size(), 2);
        QCOMPARE(shown, (QStringList{"CWelcomeDlg", "CNewDocumentDlg"}));
        QVERIFY(welcomeGoneWhenNewCame);
        QVERIFY(!Frame()->m_bLocked);
    }

    // Typing into a password dialog is activity: the screen does not lock while the user types.
    void typingIntoAPasswordDialogKeepsTheScreenUnlocked() {
        CEnterPasswordDlg prompt;
        bool lockedWhileTyping = true;
        AnswerNextModal([this, &lockedWhileTyping](QWidget* modal) {
            for (int i = 0; i < 4; ++i) {
                m_env.m_now += 40000; // 160 s in all, never 60 s without a keystroke
                QTest::keyClick(Edit(AsDialog(modal), IDC_PASSWORD), Qt::Key_A);
                Frame()->OnTimer();
            }
            lockedWhileTyping = Frame()->m_bLocked;
            Button(AsDialog(modal), IDOK)->click();
        });
        QCOMPARE(prompt.DoModal(), IDOK);
        QVERIFY(!lockedWhileTyping);
        QCOMPARE(std::string(prompt.GetPassword().view()), std::string("aaaa"));
    }

    void openClosedByTheLockRunsAgainAfterUnlock() {
        QStringList shown;
        AnswerNextModal([this, &shown](QWidget* modal) {
            shown << QString::fromLatin1(modal->metaObject()->className());
            LockByIdleness();
        });
        Frame()->SendCommand(ID_FILE_OPEN);
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_OPEN));
        AnswerNextModal([&shown](QWidget* modal) {
            shown << QString::fromLatin1(modal->metaObject()->className());
            modal->close();
        });
        QTest::keyClick(Frame()->GetLockWnd(), Qt::Key_Space);
        QTRY_COMPARE(shown.size(), 2);
        QCOMPARE(shown, (QStringList{"CTimedFileDialog", "CTimedFileDialog"}));
        QVERIFY(!Frame()->m_bLocked);
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_OPEN));
    }

    // Import's file dialog closed by the lock brings back Import, not Open.
    void importClosedByTheLockRunsAgainAfterUnlock() {
        QStringList shown;
        AnswerNextModal([this, &shown](QWidget* modal) {
            shown << modal->windowTitle();
            LockByIdleness();
        });
        Frame()->SendCommand(ID_FILE_IMPORT);
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_IMPORT));
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_OPEN));
        QStringList filters;
        AnswerNextModal([&](QWidget* modal) {
            filters = qobject_cast<QFileDialog*>(modal)->nameFilters();
            modal->close();
        });
        QTest::keyClick(Frame()->GetLockWnd(), Qt::Key_Space);
        QTRY_COMPARE(filters, CFileDialog::ConvertFilter(QString::fromLatin1(CMainFrame::kImportFilter)));
        QCOMPARE(shown, QStringList({"Import"}));
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_IMPORT));
    }

    void fileDialogsMarkTheirCommandForReplay() {
        for (const bool open : {true, false}) {
            CTimedFileDialog dlg(open, QStringLiteral("etx"), QString(), 0, QStringLiteral("Text (*.etx)|*.etx|"));
            QCOMPARE(dlg.m_bOpenMode, open ? 1 : 0);
            AnswerNextModal([this](QWidget*) { LockByIdleness(); });
            QCOMPARE(dlg.DoModal(), IDCANCEL);
            QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(open ? ID_FILE_OPEN : ID_FILE_SAVE_AS));
            QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(open ? ID_FILE_SAVE_AS : ID_FILE_OPEN));
            Frame()->ScreenLock().ForgetReplay(open ? ID_FILE_OPEN : ID_FILE_SAVE_AS);
            QVERIFY(Frame()->PromptUnlock());
            Frame()->ScreenLock().StampActivity();
        }
    }
};

QTEST_MAIN(TestPromptDialogs)
#include "test_prompt_dialogs.moc"
