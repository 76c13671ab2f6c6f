// The screen lock of the main frame: idle check, lock and unlock, the password prompt, the replay of
// commands, the settings dialog and the lock at start-up. Time comes from a fake clock.

#include "ShellFixtures.h"
#include "common/DocumentAnswers.h"
#include "controls/StrengthMeter.h"

#include "docs/EnterPasswordDlg.h"
#include "framework/MessageBox.h"
#include "framework/ModalAnswer.h"
#include "platform/DataFolder.h"
#include "platform/TickCount.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/LockScreenWnd.h"
#include "shell/LockSettings.h"
#include "shell/MainFrame.h"
#include "shell/ScreenLockSettingsDlg.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <memory>

using namespace docanswers;

namespace {

LockSettingsRecord Settings(int lockWhenIdle, int lockAtStartup, int timeoutIndex = 0, const char* password = "",
                            int passwordOn = 0, const char* prompt = "Gone fishing") {
    LockSettingsRecord record;
    record.bLockWhenIdle = lockWhenIdle;
    record.bLockAtStartup = lockAtStartup;
    record.nTimeoutIndex = timeoutIndex;
    record.SetScreenPassword(password);
    record.bScreenPasswordOn = passwordOn;
    record.SetPromptText(prompt);
    return record;
}

} // namespace

class TestScreenLock : public QObject {
    Q_OBJECT

    std::unique_ptr<RecordingEditorApp> m_app;
    GuiTestEnv m_env;
    uint32_t& m_now = m_env.m_now;
    QStringList m_modalsSeen;
    QStringList m_promptLabels;

    bool Start(const QStringList& arguments = {QStringLiteral("lockwarden-editor")}) {
        return m_env.Start(m_app, arguments, &m_modalsSeen);
    }
    CMainFrame* Frame() const { return m_app->GetMainFrame(); }
    void Advance(uint32_t ms) { m_now += ms; }

    // Answers the next password prompt with text (a null text: Cancel). `next` runs first, while the
    // prompt is still up, so that it can queue the answer to whatever comes after it.
    void AnswerPrompt(const QString& text, std::function<void()> next = {}) {
        AnswerNextModal([this, text, next](QWidget* modal) {
            CDialog* prompt = AsDialog(modal);
            m_promptLabels.push_back(prompt->GetDlgItemText(IDC_PASSWORD_LABEL));
            QVERIFY(Edit(prompt, IDC_PASSWORD)->text().isEmpty());
            if (next)
                next();
            if (text.isNull()) {
                Click(prompt, IDCANCEL);
                return;
            }
            // Typed as one insertion: the test's key simulation knows only ASCII keys.
            Edit(prompt, IDC_PASSWORD)->insert(text);
            Click(prompt, IDOK);
        });
    }

    // A key press on the lock window: the usual way a user starts the unlock.
    void PressKey() { QTest::keyClick(Frame()->GetLockWnd(), Qt::Key_Space); }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }

    void init() {
        m_env.Reset();
        m_modalsSeen.clear();
        m_promptLabels.clear();
        CommandLog().clear();
        RecordingView::s_handledIds.clear();
        CLockScreenWnd::SetRandomStart(7);
    }

    void cleanup() { m_env.Stop(m_app); }

    // The idle check.
    void idleLongerThanTimeoutLocks_data() {
        QTest::addColumn<uint32_t>("start");
        QTest::newRow("plain") << uint32_t(5000);
        QTest::newRow("tick counter wraps") << uint32_t(0xFFFFFFFFu - 30000);
    }
    void idleLongerThanTimeoutLocks() {
        QFETCH(uint32_t, start);
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0)));
        m_now = start;
        QVERIFY(Start());
        QCOMPARE(Frame()->m_nLockTimeout, 60u);
        QCOMPARE(Frame()->m_strPromptText, QStringLiteral("Gone fishing"));
        QCOMPARE(Frame()->m_dwLastActivity, start);

        Advance(60000); // idle exactly the timeout
        Frame()->OnTimer();
        QVERIFY(!Frame()->m_bLocked);
        Advance(999); // still 60 whole seconds
        Frame()->OnTimer();
        QVERIFY(!Frame()->m_bLocked);
        Advance(1); // 61 seconds
        Frame()->OnTimer();
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(Frame()->GetLockWnd());
        QCOMPARE(Frame()->GetLockWnd()->Model().Script().first(), QStringLiteral("Gone fishing"));
        // What a screen reader announces: the lock window has the focus, and a name that says so.
        QCOMPARE(Frame()->focusWidget(), Frame()->GetLockWnd());
        QAccessibleInterface* lock = QAccessible::queryAccessibleInterface(Frame()->GetLockWnd());
        QVERIFY(lock);
        QCOMPARE(lock->text(QAccessible::Name), QStringLiteral("Lockwarden Editor is locked"));
        QVERIFY(lock->text(QAccessible::Description).contains(QStringLiteral("unlock")));
    }

    void activityPostponesTheLock() {
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0)));
        QVERIFY(Start());
        Advance(59000);
        Frame()->ScreenLock().StampActivity();
        Advance(59000);
        Frame()->OnTimer();
        QVERIFY(!Frame()->m_bLocked);

        // A menu merely left open is no activity, and the lock closes it.
        QMenu* file = Frame()->GetMenus(IDR_MAINFRAME).at(0);
        file->popup(Frame()->mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(file->isVisible());
        Advance(61000);
        Frame()->OnTimer();
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(!file->isVisible());
    }

    // Typing in a dialog is activity like typing in a document: the settings dialog stays open under
    // the user's hands, and goes only once they stop.
    void typingInADialogIsActivity() {
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0)));
        QVERIFY(Start());
        bool openWhileTyping = false;
        AnswerNextModal([&](QWidget* modal) {
            QTRY_VERIFY(QApplication::focusWidget() && QApplication::focusWidget()->window() == modal);
            for (int i = 0; i < 3; ++i) {
                Advance(50000);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                Frame()->OnTimer();
            }
            openWhileTyping = modal->isVisible() && !Frame()->m_bLocked;
            Advance(61000);
            Frame()->OnTimer();
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        QVERIFY(openWhileTyping);
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_SETTINGS_SCREEN_LOCK));
        CloseNextModal();
        PressKey();
    }

    void minimisedFrameLocksOnlyWhenRestored() {
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0)));
        QVERIFY(Start());
        Frame()->showMinimized();
        QTRY_VERIFY(Frame()->isMinimized());
        Advance(3600 * 1000);
        Frame()->OnTimer();
        QVERIFY(!Frame()->m_bLocked);
        Frame()->showNormal();
        QTRY_VERIFY(!Frame()->isMinimized());
        Frame()->OnTimer();
        QVERIFY(Frame()->m_bLocked);
    }

    void noIdleLockWhenOnlyStartupLockIsOn() {
        QVERIFY(WriteLockSettingsFile(Settings(0, 1, 0)));
        QVERIFY(Start());
        QVERIFY(Frame()->m_bLocked); // at start-up
        PressKey();
        QVERIFY(!Frame()->m_bLocked);
        Advance(3600 * 1000);
        Frame()->OnTimer();
        QVERIFY(!Frame()->m_bLocked);
        // The Lock command still locks.
        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QVERIFY(Frame()->m_bLocked);
    }

    void withoutSettingsFileTheFrameKeepsItsDefaults() {
        QVERIFY(Start());
        QCOMPARE(Frame()->m_nLockTimeout, 10u);
        Advance(3600 * 1000);
        Frame()->OnTimer();
        QVERIFY(!Frame()->m_bLocked);
        QCOMPARE(m_app->GetLockSettings().bLockWhenIdle, 0);
    }

    // Lock and its window.
    void lockCoversEverythingBelowTheMenuBar() {
        QVERIFY(WriteLockSettingsFile(Settings(0, 0)));
        RecordingView::s_handledIds = {ID_FILE_SAVE};
        QVERIFY(Start());
        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        const QSize before = Frame()->size();

        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QVERIFY(Frame()->m_bLocked);
        CLockScreenWnd* lockWnd = Frame()->GetLockWnd();
        QVERIFY(lockWnd);
        QVERIFY(lockWnd->isVisible());
        QCOMPARE(lockWnd->parentWidget(), Frame());
        for (QWidget* covered :
             {static_cast<QWidget*>(Frame()->MDIClient()), static_cast<QWidget*>(Frame()->GetToolBar()),
              static_cast<QWidget*>(Frame()->statusBar())}) {
            const QRect area(covered->mapTo(Frame(), QPoint(0, 0)), covered->size());
            QVERIFY2(lockWnd->geometry().contains(area), covered->metaObject()->className());
        }
        QCOMPARE(lockWnd->geometry().top(), Frame()->menuBar()->geometry().bottom() + 1);
        // Above every other child of the frame.
        QCOMPARE(Frame()->children().last(), lockWnd);

        // The script: the prompt text, a 2-second pause, an empty line, a 10-second pause; block cursor.
        QCOMPARE(lockWnd->Model().Script(), QStringList({QStringLiteral("Gone fishing"), QChar(1) + QString(" 2"),
                                                         QString(), QChar(1) + QString(" 10")}));
        QVERIFY(lockWnd->Model().CursorOn());
        QCOMPARE(lockWnd->Model().CursorCode(), 1);

        // Files dropped on the locked frame are refused.
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/dropped.kvd"))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Frame(), &enter);
        QVERIFY(!enter.isAccepted());

        // Locked, the frame keeps its size.
        QCOMPARE(Frame()->m_sizeLocked, before);
        Frame()->resize(before + QSize(60, 40));
        QCOMPARE(Frame()->size(), before);
        Frame()->resize(before - QSize(60, 40));
        QCOMPARE(Frame()->size(), before);

        Advance(1000);
        PressKey();
        QVERIFY(!Frame()->m_bLocked);
        QVERIFY(!Frame()->GetLockWnd());
        QCOMPARE(Frame()->m_dwLastActivity, m_now);
        Frame()->resize(before + QSize(60, 40));
        QCOMPARE(Frame()->size(), before + QSize(60, 40));
        Frame()->resize(before - QSize(60, 40));
        QCOMPARE(Frame()->size(), before - QSize(60, 40));
    }

    void lockWithFixedTextKeepsTheSettings() {
        QVERIFY(Start());
        // Written after start-up: New Window locks without reading it, Lock reads it.
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 2, "", 0, "From the file")));
        Frame()->OnUserCommand(ID_WINDOW_NEW);
        QVERIFY(Frame()->m_bLocked);
        QCOMPARE(Frame()->GetLockWnd()->Model().Script().first(),
                 QStringLiteral("Press any key to unlock the screen..."));
        QCOMPARE(Frame()->m_nLockTimeout, 10u);
        PressKey();
        Frame()->OnUserCommand(ID_VIEW_LOCK);
        QCOMPARE(Frame()->GetLockWnd()->Model().Script().first(), QStringLiteral("From the file"));
        QCOMPARE(Frame()->m_nLockTimeout, 180u);
    }

    // The unlock trigger.
    void commandsWhileLockedAreSwallowedAndAskForThePassword() {
        QVERIFY(WriteLockSettingsFile(Settings(0, 0, 0, "pw", 1)));
        RecordingView::s_handledIds = {ID_FILE_SAVE, ID_EDIT_COPY};
        QVERIFY(Start());
        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        const QString title = Frame()->windowTitle();
        QVERIFY(title.contains(QStringLiteral("Untitled")));
        Frame()->Lock();
        // The title names no document while locked, and names it again once unlocked.
        QCOMPARE(Frame()->windowTitle(), QStringLiteral("Lockwarden Editor"));

        // A menu item: no command, a prompt; Cancel keeps the lock.
        QMenu* file = Frame()->GetMenus(IDR_ETXTYPE).at(0);
        QAction* save = nullptr;
        for (QAction* action : file->actions()) {
            if (action->data().toInt() == ID_FILE_SAVE)
                save = action;
        }
        QVERIFY(save);
        AnswerPrompt(QString());
        save->trigger();
        QCOMPARE(m_promptLabels, QStringList({QStringLiteral("Screen Password:")}));
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(Frame()->GetLockWnd()->isVisible());

        // An accelerator: the same.
        AnswerPrompt(QString());
        Frame()->GetAccelAction(ID_EDIT_COPY)->trigger();
        QCOMPARE(m_promptLabels.size(), 2);
        QVERIFY(Frame()->m_bLocked);

        // A tool bar button, answered correctly: unlocked, and the command itself is not carried out.
        AnswerPrompt(QStringLiteral("pw"));
        Frame()->GetToolBar()->actions().at(2)->trigger();
        QVERIFY(!Frame()->m_bLocked);
        QVERIFY(CommandLog().isEmpty());
        QCOMPARE(Frame()->windowTitle(), title);

        // Unlocked, commands work again.
        save->trigger();
        QCOMPARE(CommandLog(), QStringList({"view:57603"}));
    }

    void wrongPasswordOffersRetry() {
        QVERIFY(WriteLockSettingsFile(Settings(0, 0, 0, "Secret", 1)));
        QVERIFY(Start());
        Frame()->Lock();

        // Wrong (the case counts), Retry, right.
        MessageBox::setNextAnswer(IDRETRY);
        AnswerPrompt(QStringLiteral("secret"), [this] { AnswerPrompt(QStringLiteral("Secret")); });
        PressKey();
        QCOMPARE(m_promptLabels.size(), 2);
        QCOMPARE(MessageBox::last().text, QStringLiteral("You have entered an incrorrect screen password. Retry? "));
        QCOMPARE(MessageBox::last().type, MB_RETRYCANCEL | MB_ICONHAND);
        QVERIFY(!Frame()->m_bLocked);

        // Wrong, Cancel: still locked; the next trigger asks again.
        Frame()->Lock();
        MessageBox::setNextAnswer(IDCANCEL);
        AnswerPrompt(QStringLiteral("nope"));
        PressKey();
        QVERIFY(Frame()->m_bLocked);
        AnswerPrompt(QStringLiteral("Secret"));
        PressKey();
        QVERIFY(!Frame()->m_bLocked);
        QCOMPARE(m_promptLabels.size(), 4);
    }

    // What unlocks is decided when the lock comes: a settings file rewritten meanwhile (any process of
    // the user can write it) may ask for a password where there was none, never drop one.
    void settingsRewrittenWhileLockedCannotWeakenTheLock() {
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0, "pw", 1)));
        QVERIFY(Start());
        Frame()->Lock();
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 5, "", 0)));
        AnswerPrompt(QString());
        PressKey();
        QCOMPARE(m_promptLabels.size(), 1);
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 5, "other", 1)));
        MessageBox::setNextAnswer(IDCANCEL);
        AnswerPrompt(QStringLiteral("other"));
        PressKey();
        QVERIFY(Frame()->m_bLocked);
        AnswerPrompt(QStringLiteral("pw"));
        PressKey();
        QVERIFY(!Frame()->m_bLocked);

        // Unlocked, the file counts again: this lock has no password...
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0, "", 0)));
        Frame()->Lock();
        // ...until a file read while locked asks for one: stricter is allowed.
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0, "new", 1)));
        AnswerPrompt(QStringLiteral("new"));
        PressKey();
        QCOMPARE(m_promptLabels.size(), 4);
        QVERIFY(!Frame()->m_bLocked);
    }

    void passwordOffOrEmptyUnlocksAtOnce() {
        // Enabled but empty, and set but disabled: no prompt either way.
        for (const LockSettingsRecord& settings : {Settings(0, 0, 0, "", 1), Settings(0, 0, 0, "pw", 0)}) {
            QVERIFY(WriteLockSettingsFile(settings));
            QVERIFY(Start());
            Frame()->Lock();
            PressKey();
            QVERIFY(!Frame()->m_bLocked);
            QVERIFY(m_promptLabels.isEmpty());
            cleanup();
        }
    }

    void longPasswordsCompareByTheirStoredForm() {
        // 259 characters typed, of which only whole characters within 259 bytes were stored.
        const QString typed = QString(100, QChar(0xE9)) + QString(159, QLatin1Char('x'));
        LockSettingsRecord settings = Settings(0, 0, 0, "", 1);
        settings.SetScreenPassword(typed.toUtf8().toStdString());
        QCOMPARE(settings.ScreenPassword().size(), size_t(259));
        QVERIFY(WriteLockSettingsFile(settings));
        QVERIFY(Start());
        Frame()->Lock();
        AnswerPrompt(typed);
        PressKey();
        QVERIFY(!Frame()->m_bLocked);
    }

    // Replay after unlocking.
    // Locked again while a replayed command's dialog is up: that dialog goes (and marks itself again),
    // the commands not yet replayed wait, and the next unlock runs them all in order.
    void replayStopsWhenTheScreenLocksAgain() {
        QVERIFY(Start());
        Frame()->Lock();
        Frame()->ScreenLock().MarkForReplay(ID_SETTINGS_SCREEN_LOCK);
        Frame()->ScreenLock().MarkForReplay(ID_APP_ABOUT);
        QStringList shown;
        AnswerNextModal([&](QWidget* modal) {
            shown.push_back(modal->objectName());
            Frame()->Lock();
        });
        PressKey();
        QVERIFY(Frame()->m_bLocked);
        QCOMPARE(shown, QStringList({"dlg166"}));
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_SETTINGS_SCREEN_LOCK));
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_APP_ABOUT));

        auto cancel = [&](QWidget* modal) {
            shown.push_back(modal->objectName());
            Click(AsDialog(modal), modal->objectName() == "dlg166" ? IDCANCEL : IDOK);
        };
        AnswerNextModal([&, cancel](QWidget* modal) {
            cancel(modal);
            AnswerNextModal(cancel);
        });
        PressKey();
        QVERIFY(!Frame()->m_bLocked);
        QCOMPARE(shown, QStringList({"dlg166", "dlg166", "dlg100"}));
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_SETTINGS_SCREEN_LOCK));
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_APP_ABOUT));
    }

    // Nothing of the documents can be reached while locked, and the unlock puts the user back where
    // they were, although a dialog, not the frame, was the active window when the lock came.
    void lockShutsOutTheDocumentsAndGivesThemBack() {
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0)));
        QVERIFY(Start());
        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        QVERIFY(m_app->GetTextTemplate()->OpenDocumentFile(QString()));
        QMdiArea* area = Frame()->MDIClient();
        QMdiSubWindow* first = area->subWindowList().at(0);
        area->setActiveSubWindow(first);
        QTRY_VERIFY(Frame()->focusWidget() && first->isAncestorOf(Frame()->focusWidget()));
        QWidget* focus = Frame()->focusWidget();

        CDialog loose(IDD_ABOUTBOX, Frame());
        loose.show();
        loose.activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == &loose);
        Advance(61000);
        Frame()->OnTimer();
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(!loose.isVisible());
        for (QWidget* shut : {static_cast<QWidget*>(area), static_cast<QWidget*>(Frame()->GetToolBar()),
                              static_cast<QWidget*>(area->subWindowList().at(1))})
            QVERIFY(!shut->isEnabled());

        // A file dropped before the lock and landing after it opens nothing.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("dropped.etx"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(path)});
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Frame(), &drop);
        QCOMPARE(area->subWindowList().size(), 2);

        PressKey();
        QVERIFY(!Frame()->m_bLocked);
        QVERIFY(area->isEnabled() && Frame()->GetToolBar()->isEnabled());
        QCOMPARE(area->activeSubWindow(), first);
        QCOMPARE(Frame()->focusWidget(), focus);
    }

    // Start-up.
    void startupLockHoldsTheWelcomeDialogBack() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 1);
        QVERIFY(WriteLockSettingsFile(Settings(0, 1)));
        QVERIFY(Start());
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(m_modalsSeen.isEmpty());
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_WIZARD));
        QString shown;
        AnswerNextModal([&shown](QWidget* modal) {
            shown = modal->objectName();
            modal->close();
        });
        PressKey();
        QCOMPARE(shown, QStringLiteral("dlg135"));
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_WIZARD));
    }

    void startupLockWithoutWelcome() {
        QVERIFY(WriteLockSettingsFile(Settings(0, 1)));
        QVERIFY(Start());
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_VIEW_WIZARD));
        bool anyModal = false;
        AnswerNextModal([&anyModal](QWidget* modal) {
            anyModal = true;
            modal->close();
        });
        PressKey();
        QCoreApplication::processEvents();
        QVERIFY(!anyModal);
        CancelModalAnswers();
    }

    void fileOnCommandLineSkipsTheStartupLock() {
        Profile().setValue(QStringLiteral("Settings/wzrd"), 1);
        QVERIFY(WriteLockSettingsFile(Settings(1, 1)));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.kvd"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(Start({QStringLiteral("lockwarden-editor"), path}));
        QVERIFY(!Frame()->m_bLocked);
        QVERIFY(m_modalsSeen.isEmpty());
    }

    // The password prompt.
    void enterPasswordDialog() {
        QVERIFY(Start());
        CEnterPasswordDlg prompt;
        bool okAtFirst = true, okAfterTyping = false;
        int maxLength = 0;
        QString label, caption;
        uint32_t stamp = 0;
        AnswerNextModal([&](QWidget* modal) {
            CDialog* dialog = AsDialog(modal);
            caption = dialog->windowTitle();
            label = dialog->GetDlgItemText(IDC_PASSWORD_LABEL);
            okAtFirst = dialog->GetDlgItem(IDOK)->isEnabled();
            QLineEdit* edit = Edit(dialog, IDC_PASSWORD);
            maxLength = edit->maxLength();
            QVERIFY(edit->echoMode() == QLineEdit::Password);
            Advance(5000);
            QTest::keyClicks(edit, QStringLiteral("abc"));
            stamp = Frame()->m_dwLastActivity;
            okAfterTyping = dialog->GetDlgItem(IDOK)->isEnabled();
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QCOMPARE(prompt.DoModal(), IDOK);
        QCOMPARE(caption, QStringLiteral("Enter Password"));
        QCOMPARE(label, QStringLiteral("File Password:"));
        QVERIFY(!okAtFirst);
        QVERIFY(okAfterTyping);
        QCOMPARE(maxLength, 259);
        QCOMPARE(stamp, m_now);
        QCOMPARE(prompt.GetPassword().view(), std::string_view("abc"));
        // Taken once: the dialog keeps no copy.
        QCOMPARE(prompt.TakePassword().view(), std::string_view("abc"));
        QVERIFY(prompt.GetPassword().empty());

        // Shown again: the field is empty, Enter on it does nothing, Cancel gives 2.
        bool emptyAgain = false;
        AnswerNextModal([&](QWidget* modal) {
            CDialog* dialog = AsDialog(modal);
            emptyAgain = Edit(dialog, IDC_PASSWORD)->text().isEmpty();
            QTest::keyClick(Edit(dialog, IDC_PASSWORD), Qt::Key_Return);
            QVERIFY(dialog->isVisible());
            Click(dialog, IDCANCEL);
        });
        QCOMPARE(prompt.DoModal(), IDCANCEL);
        QVERIFY(emptyAgain);
    }

    void promptWithTimerEndsOnceLocked() {
        QVERIFY(Start());
        CEnterPasswordDlg prompt;
        prompt.m_bScreenMode = 1;
        AnswerNextModal([this](QWidget*) {
            Frame()->LockWithFixedText();
            Advance(11000);
        });
        QCOMPARE(prompt.DoModal(), IDCANCEL);
        QVERIFY(Frame()->m_bLocked);
    }

    void promptWithoutTimerStaysUp() {
        QVERIFY(Start());
        CEnterPasswordDlg prompt;
        prompt.m_bScreenMode = 1;
        prompt.m_bTimerOn = 0;
        bool stillUp = false;
        AnswerNextModal([&](QWidget* modal) {
            Frame()->LockWithFixedText();
            Advance(3600 * 1000);
            // Long enough for a 100 ms timer to have ended it several times over.
            QTest::qWait(400);
            stillUp = modal->isVisible();
            QTest::keyClicks(Edit(AsDialog(modal), IDC_PASSWORD), QStringLiteral("x"));
            Click(AsDialog(modal), IDOK);
        });
        QCOMPARE(prompt.DoModal(), IDOK);
        QVERIFY(stillUp);
    }

    // Screen Lock Options.
    void settingsDialogOpensWithTheStoredOptions_data() {
        QTest::addColumn<int>("idle");
        QTest::addColumn<int>("startup");
        QTest::addColumn<int>("passwordOn");
        // Enabled state of 1093 (timeout), 1094 (password on), 1096 (prompt), 1097/1098 (passwords).
        QTest::addColumn<QList<bool>>("enabled");
        // The screen password guards the Lock command and the desktop's lock too: it can be set with no
        // automatic lock on.
        QTest::newRow("all off") << 0 << 0 << 1 << QList<bool>{false, true, true, true};
        QTest::newRow("idle, no password") << 1 << 0 << 0 << QList<bool>{true, true, true, false};
        QTest::newRow("idle, password") << 1 << 0 << 1 << QList<bool>{true, true, true, true};
        // The timeout list keeps the state it has in the template (enabled) when only the start-up lock is on.
        QTest::newRow("startup, password") << 0 << 1 << 1 << QList<bool>{true, true, true, true};
    }
    void settingsDialogOpensWithTheStoredOptions() {
        QFETCH(int, idle);
        QFETCH(int, startup);
        QFETCH(int, passwordOn);
        QFETCH(QList<bool>, enabled);
        QVERIFY(WriteLockSettingsFile(Settings(idle, startup, 4, "", passwordOn, "Back soon")));
        QVERIFY(Start());
        if (startup)
            QVERIFY(Frame()->PromptUnlock());
        // With the password empty, the command goes straight to the dialog.
        QList<bool> state;
        QString caption, prompt, timeout;
        QStringList entries;
        bool idleChecked = false, startupChecked = false, passwordChecked = false;
        AnswerNextModal([&](QWidget* modal) {
            CDialog* dialog = AsDialog(modal);
            caption = dialog->windowTitle();
            for (int id : {IDC_LOCK_TIMEOUT, IDC_LOCK_PASSWORD_ON, IDC_LOCK_PROMPT_TEXT, IDC_LOCK_PASSWORD})
                state.push_back(dialog->GetDlgItem(id)->isEnabled());
            QCOMPARE(dialog->GetDlgItem(IDC_LOCK_CONFIRM)->isEnabled(), state.last());
            auto* combo = qobject_cast<QComboBox*>(dialog->GetDlgItem(IDC_LOCK_TIMEOUT));
            for (int i = 0; i < combo->count(); ++i)
                entries.push_back(combo->itemText(i));
            timeout = combo->currentText();
            prompt = dialog->GetDlgItemText(IDC_LOCK_PROMPT_TEXT);
            idleChecked = dialog->IsDlgButtonChecked(IDC_LOCK_WHEN_IDLE);
            startupChecked = dialog->IsDlgButtonChecked(IDC_LOCK_AT_STARTUP);
            passwordChecked = dialog->IsDlgButtonChecked(IDC_LOCK_PASSWORD_ON);
            Click(dialog, IDCANCEL);
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        QCOMPARE(caption, QStringLiteral("Screen Lock Settings"));
        QCOMPARE(state, enabled);
        QCOMPARE(entries, QStringList({"1 minute", "2 minutes", "3 minutes", "5 minutes", "10 minutes", "15 minutes",
                                       "30 minutes", "60 minutes"}));
        QCOMPARE(timeout, QStringLiteral("10 minutes"));
        QCOMPARE(prompt, QStringLiteral("Back soon"));
        QCOMPARE(idleChecked, idle != 0);
        QCOMPARE(startupChecked, startup != 0);
        QCOMPARE(passwordChecked, passwordOn != 0);
    }

    void settingsDialogCheckBoxesEnableTheirFields() {
        QVERIFY(Start());
        CScreenLockSettingsDlg dialog;
        auto enabled = [&dialog](int id) { return dialog.GetDlgItem(id)->isEnabled(); };
        AnswerNextModal([&](QWidget*) {
            // All off at first: the password option and the prompt text can be set all the same.
            QVERIFY(!enabled(IDC_LOCK_TIMEOUT));
            QVERIFY(enabled(IDC_LOCK_PASSWORD_ON));
            QVERIFY(enabled(IDC_LOCK_PROMPT_TEXT));
            QVERIFY(!enabled(IDC_LOCK_PASSWORD));
            Click(&dialog, IDC_LOCK_AT_STARTUP);
            QVERIFY(!enabled(IDC_LOCK_TIMEOUT)); // 1102 leaves the timeout alone
            Click(&dialog, IDC_LOCK_PASSWORD_ON);
            QVERIFY(enabled(IDC_LOCK_PASSWORD));
            QVERIFY(enabled(IDC_LOCK_CONFIRM));
            Click(&dialog, IDC_LOCK_WHEN_IDLE);
            QVERIFY(enabled(IDC_LOCK_TIMEOUT));
            Click(&dialog, IDC_LOCK_AT_STARTUP);
            Click(&dialog, IDC_LOCK_WHEN_IDLE);
            // No automatic lock left: the password fields still follow their check box alone.
            QVERIFY(!enabled(IDC_LOCK_TIMEOUT));
            QVERIFY(enabled(IDC_LOCK_PASSWORD_ON));
            QVERIFY(enabled(IDC_LOCK_PROMPT_TEXT));
            QVERIFY(enabled(IDC_LOCK_PASSWORD));
            QVERIFY(enabled(IDC_LOCK_CONFIRM));
            Click(&dialog, IDC_LOCK_PASSWORD_ON);
            QVERIFY(!enabled(IDC_LOCK_PASSWORD));
            QVERIFY(!enabled(IDC_LOCK_CONFIRM));
            Click(&dialog, IDCANCEL);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
    }

    // The screen password is rated as it is typed, and the meter is empty while the field is.
    void settingsDialogRatesTheScreenPassword() {
        QVERIFY(Start());
        CScreenLockSettingsDlg dialog;
        QStringList words;
        bool typedIntoPassword = false;
        AnswerNextModal([&](QWidget* modal) {
            auto* meter = qobject_cast<CStrengthMeter*>(dialog.GetDlgItem(IDC_LOCK_STRENGTH));
            auto note = [&] { words << (meter ? meter->text() : QStringLiteral("no meter")); };
            note();
            (void)QTest::qWaitForWindowActive(modal);
            Click(&dialog, IDC_LOCK_PASSWORD_ON);
            QTest::mouseClick(Edit(&dialog, IDC_LOCK_PASSWORD), Qt::LeftButton);
            typedIntoPassword = QApplication::focusWidget() == Edit(&dialog, IDC_LOCK_PASSWORD);
            QTest::keyClicks(QApplication::focusWidget(), "summer");
            note();
            QTest::keyClicks(QApplication::focusWidget(), "#Vx9rT2!mQ7@pL4$wZ8&");
            note();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
            note();
            Click(&dialog, IDCANCEL);
        });
        QCOMPARE(dialog.DoModal(), IDCANCEL);
        QVERIFY(typedIntoPassword);
        QCOMPARE(words, QStringList({QString(), "Poor", "Excellent", QString()}));
    }

    // Settings that are there but can't be used are told at each start, with the options offered at once.
    void unreadableSettingsAreToldAtStart() {
        QDir().mkpath(QString::fromStdString(platform::GetDataFolder()));
        QVERIFY(GuiTestEnv::WriteBytes(QString::fromStdString(LockSettingsPath()), QByteArray(1080, 'x')));
        const int messages = MessageBox::count();
        MessageBox::setNextAnswer(IDOK);
        QVERIFY(Start());
        QCOMPARE(MessageBox::count(), messages + 1);
        QVERIFY(MessageBox::last().text.contains(QString::fromStdString(LockSettingsPath())));
        QVERIFY(MessageBox::last().text.endsWith(
            QStringLiteral("The screen lock is off until its options are set again.")));
        QCOMPARE(m_modalsSeen.last(), QStringLiteral("dlg%1").arg(IDD_SCREEN_LOCK_SETTINGS));
        QVERIFY(!Frame()->m_bLocked);
    }

    // With no automatic lock on, the screen password is still asked for (an empty one refused) and
    // guards the Lock command.
    void screenPasswordGuardsTheLockCommandAlone() {
        QVERIFY(Start());
        CScreenLockSettingsDlg dialog;
        const int messages = MessageBox::count();
        bool stayed = false;
        AnswerNextModal([&](QWidget*) {
            Click(&dialog, IDC_LOCK_PASSWORD_ON);
            MessageBox::setNextAnswer(IDOK);
            Click(&dialog, IDOK);
            stayed = dialog.isVisible();
            dialog.SetDlgItemText(IDC_LOCK_PASSWORD, QStringLiteral("pw"));
            dialog.SetDlgItemText(IDC_LOCK_CONFIRM, QStringLiteral("pw"));
            Click(&dialog, IDOK);
        });
        QCOMPARE(dialog.DoModal(), IDOK);
        QVERIFY(stayed);
        QCOMPARE(MessageBox::count(), messages + 1);

        Frame()->Lock();
        AnswerPrompt(QString());
        PressKey();
        QCOMPARE(m_promptLabels, QStringList({QStringLiteral("Screen Password:")}));
        QVERIFY(Frame()->m_bLocked);
        AnswerPrompt(QStringLiteral("pw"));
        PressKey();
        QVERIFY(!Frame()->m_bLocked);
    }

    void settingsDialogOkStoresAndCancelDoesNot() {
        LockSettingsRecord stored = Settings(1, 0, 1, "old", 1, "Old prompt");
        stored.reserved1[10] = 0x5A;
        stored.reserved2[0] = 0xA5;
        QVERIFY(WriteLockSettingsFile(stored));
        QVERIFY(Start());

        // The stored password is asked first; a cancel ends the command.
        bool dialogShown = false;
        AnswerPrompt(QString());
        AnswerNextModal([&dialogShown](QWidget* modal) {
            dialogShown = dynamic_cast<CScreenLockSettingsDlg*>(modal) != nullptr;
            modal->close();
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        QVERIFY(!dialogShown);
        CancelModalAnswers();

        // Cancel: nothing changes.
        AnswerPrompt(QStringLiteral("old"), [] {
            AnswerNextModal([](QWidget* modal) {
                CDialog* dialog = AsDialog(modal);
                dialog->SetDlgItemText(IDC_LOCK_PROMPT_TEXT, QStringLiteral("Never stored"));
                Click(dialog, IDCANCEL);
            });
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        LockSettingsRecord read;
        QVERIFY(ReadLockSettingsFile(read));
        QCOMPARE(read.PromptText(), std::string_view("Old prompt"));

        // Passwords that differ: the message, and the dialog stays with both fields as typed.
        QString afterMismatch;
        AnswerPrompt(QStringLiteral("old"), [&afterMismatch] {
            AnswerNextModal([&afterMismatch](QWidget* modal) {
                auto* dialog = AsDialog(modal);
                Edit(dialog, IDC_LOCK_PASSWORD)->setText(QStringLiteral("new1"));
                Edit(dialog, IDC_LOCK_CONFIRM)->setText(QStringLiteral("new2"));
                MessageBox::setNextAnswer(IDOK);
                Click(dialog, IDOK);
                QVERIFY(dialog->isVisible());
                afterMismatch = Edit(dialog, IDC_LOCK_PASSWORD)->text() + "/" + Edit(dialog, IDC_LOCK_CONFIRM)->text();
                Edit(dialog, IDC_LOCK_CONFIRM)->setText(QStringLiteral("new1"));
                dialog->SetDlgItemText(IDC_LOCK_PROMPT_TEXT, QStringLiteral("New prompt"));
                Click(dialog, IDC_LOCK_AT_STARTUP);
                Click(dialog, IDC_LOCK_PASSWORD_ON); // off: the password is still stored
                qobject_cast<QComboBox*>(dialog->GetDlgItem(IDC_LOCK_TIMEOUT))->setCurrentIndex(6);
                Click(dialog, IDOK);
            });
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        QCOMPARE(afterMismatch, QStringLiteral("new1/new2"));
        QCOMPARE(MessageBox::last().text, QStringLiteral("Passwords don't match"));
        QCOMPARE(MessageBox::last().caption, QStringLiteral("Lockwarden Editor"));
        QCOMPARE(MessageBox::last().type, MB_OK);

        QVERIFY(ReadLockSettingsFile(read));
        // Kept as a verifier only: the password itself is nowhere in the record.
        QVERIFY(read.HoldsVerifier());
        QVERIFY(read.ScreenPassword().find("new1") == std::string_view::npos);
        QVERIFY(ScreenPasswordMatches(read.ScreenPassword(), "new1"));
        QVERIFY(!ScreenPasswordMatches(read.ScreenPassword(), "new2"));
        QCOMPARE(read.PromptText(), std::string_view("New prompt"));
        QCOMPARE(read.bLockWhenIdle, 1);
        QCOMPARE(read.bLockAtStartup, 1);
        QCOMPARE(read.bScreenPasswordOn, 0);
        QCOMPARE(read.nTimeoutIndex, 6);
        QCOMPARE(read.reserved1[10], uint8_t(0x5A));
        QCOMPARE(read.reserved2[0], uint8_t(0xA5));
        QCOMPARE(Frame()->m_nLockTimeout, 30u * 60u);
        // The prompt text reaches the frame at the next lock.
        QCOMPARE(Frame()->m_strPromptText, QStringLiteral("Old prompt"));
        Frame()->Lock();
        QCOMPARE(Frame()->m_strPromptText, QStringLiteral("New prompt"));
    }

    // An older record holds the password itself: it still unlocks, the dialog opens with empty fields,
    // and OK with them empty keeps that password, now stored as a verifier that checks it.
    void oldRecordsPasswordBecomesAVerifier() {
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 1, "old", 1)));
        QVERIFY(Start());
        bool emptyAtFirst = false;
        AnswerPrompt(QStringLiteral("old"), [&emptyAtFirst] {
            AnswerNextModal([&emptyAtFirst](QWidget* modal) {
                CDialog* dialog = AsDialog(modal);
                emptyAtFirst = Edit(dialog, IDC_LOCK_PASSWORD)->text().isEmpty() &&
                               Edit(dialog, IDC_LOCK_CONFIRM)->text().isEmpty();
                Click(dialog, IDOK);
            });
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        QVERIFY(emptyAtFirst);
        LockSettingsRecord read;
        QVERIFY(ReadLockSettingsFile(read)); // still one record of the same size
        QVERIFY(read.HoldsVerifier());
        QVERIFY(ScreenPasswordMatches(read.ScreenPassword(), "old"));
        QVERIFY(!ScreenPasswordMatches(read.ScreenPassword(), "Old"));

        Frame()->Lock();
        AnswerPrompt(QStringLiteral("old"));
        PressKey();
        QVERIFY(!Frame()->m_bLocked);
    }

    // A save that fails says which file and why, keeps the dialog open, and memory keeps what the disk
    // holds, so no later load brings back anything else.
    void failedSettingsSaveIsReportedAndChangesNothing() {
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0, "", 0, "Old prompt")));
        QVERIFY(Start());
        const QString path = m_env.ConfigDir() + "/Lockwarden/csptx.eda";
        // A folder where the file should be: nobody, root included, can write the file then.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        bool stayed = false;
        AnswerNextModal([&](QWidget* modal) {
            CDialog* dialog = AsDialog(modal);
            dialog->SetDlgItemText(IDC_LOCK_PROMPT_TEXT, QStringLiteral("New prompt"));
            MessageBox::setNextAnswer(IDOK);
            Click(dialog, IDOK);
            stayed = dialog->isVisible();
            Click(dialog, IDCANCEL);
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        QVERIFY(stayed);
        QVERIFY2(MessageBox::last().text.contains(path), qPrintable(MessageBox::last().text));
        QCOMPARE(MessageBox::last().type & MB_ICONEXCLAMATION, MB_ICONEXCLAMATION);
        QCOMPARE(m_app->GetLockSettings().PromptText(), std::string_view("Old prompt"));
        QVERIFY(QDir(path).removeRecursively());
    }

    // "Enable Screen Password" with no password would let any key unlock: refused.
    void settingsDialogRefusesAnEmptyScreenPassword() {
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 0)));
        QVERIFY(Start());
        bool stayed = false;
        AnswerNextModal([&](QWidget* modal) {
            CDialog* dialog = AsDialog(modal);
            Click(dialog, IDC_LOCK_PASSWORD_ON);
            MessageBox::setNextAnswer(IDOK);
            Click(dialog, IDOK);
            stayed = dialog->isVisible();
            Click(dialog, IDC_LOCK_PASSWORD_ON);
            Click(dialog, IDOK);
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        QVERIFY(stayed);
        QVERIFY(MessageBox::last().text.contains(QStringLiteral("Enable Screen Password")));
        LockSettingsRecord read;
        QVERIFY(ReadLockSettingsFile(read));
        QCOMPARE(read.bScreenPasswordOn, 0);
    }

    void typedTimeoutKeepsAValidIndex_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("index");
        QTest::newRow("an entry's text") << QStringLiteral("15 minutes") << 5;
        QTest::newRow("no entry") << QStringLiteral("7 minutes") << 2;
        QTest::newRow("empty") << QString() << 2;
    }
    void typedTimeoutKeepsAValidIndex() {
        QFETCH(QString, typed);
        QFETCH(int, index);
        QVERIFY(WriteLockSettingsFile(Settings(1, 0, 2)));
        QVERIFY(Start());
        AnswerNextModal([typed](QWidget* modal) {
            auto* combo = qobject_cast<QComboBox*>(AsDialog(modal)->GetDlgItem(IDC_LOCK_TIMEOUT));
            combo->clearEditText();
            QTest::keyClicks(combo->lineEdit(), typed);
            Click(AsDialog(modal), IDOK);
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        LockSettingsRecord read;
        QVERIFY(ReadLockSettingsFile(read));
        QCOMPARE(read.nTimeoutIndex, index);
    }

    void settingsDialogClosedByTheLockComesBack() {
        QVERIFY(Start());
        int shown = 0;
        AnswerNextModal([&](QWidget*) {
            ++shown;
            Frame()->Lock();
            Advance(11000);
        });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        QCOMPARE(shown, 1);
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_SETTINGS_SCREEN_LOCK));
        AnswerNextModal([&](QWidget* modal) {
            ++shown;
            Click(AsDialog(modal), IDCANCEL);
        });
        PressKey();
        QCOMPARE(shown, 2);
        QVERIFY(!Frame()->ScreenLock().IsMarkedForReplay(ID_SETTINGS_SCREEN_LOCK));

        // The same when the lock ends the screen-password question that comes before the dialog.
        QVERIFY(WriteLockSettingsFile(Settings(0, 0, 0, "pw", 1)));
        AnswerNextModal([this](QWidget*) { Frame()->Lock(); });
        Frame()->OnUserCommand(ID_SETTINGS_SCREEN_LOCK);
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_SETTINGS_SCREEN_LOCK));
        AnswerPrompt(QStringLiteral("pw"), [this] { AnswerPrompt(QString()); });
        PressKey();
        QVERIFY(!Frame()->m_bLocked);
        QCOMPARE(m_promptLabels.size(), 2);
    }
};

QTEST_MAIN(TestScreenLock)
#include "test_screen_lock.moc"
