// The Recover Unsaved Work dialog, as the user meets it: its rows, its keys, and the screen lock.

#include "common/DocumentAnswers.h"
#include "common/GuiTestEnv.h"

#include "framework/ModalAnswer.h"
#include "res/resource.h"
#include "shell/EditorApp.h"
#include "shell/MainFrame.h"
#include "shell/RecoverDlg.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

using namespace docanswers;

namespace {

class TestEditorApp : public CEditorApp {
protected:
    void RegisterDocTemplates() override {}
};

cipher::RecoveryCopy Copy(const char* path, int64_t time) {
    cipher::RecoveryCopy copy;
    copy.file = std::string("/state/") + path;
    copy.info.path = path;
    copy.info.timeWritten = time;
    return copy;
}

} // namespace

class TestRecoverDlg : public QObject {
    Q_OBJECT

    std::unique_ptr<TestEditorApp> m_app;
    GuiTestEnv m_env;

    CMainFrame* Frame() const { return m_app->GetMainFrame(); }

    // Shows the dialog with two copies and has the user press a key where the focus is.
    int AnswerWithKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        CRecoverDlg dlg;
        dlg.m_copies = {Copy("/home/ann/notes.etx", 1767225600), Copy("/home/ann/accounts.kvd", 1767229200)};
        AnswerNextModal([key, modifiers](QWidget* modal) {
            QVERIFY(QTest::qWaitForWindowActive(modal));
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        });
        return dlg.DoModal();
    }

private slots:
    void initTestCase() { m_env.Begin(); }
    void cleanupTestCase() { m_env.End(); }

    void init() { QVERIFY(m_env.StartFresh(m_app)); }

    void cleanup() { m_env.Stop(m_app); }

    // What is on screen: the caption, one row per copy with its file and time, in the order given,
    // and controls a screen reader can name, starting in the list.
    void showsEveryCopy() {
        CRecoverDlg dlg;
        dlg.m_copies = {Copy("/home/ann/notes.etx", 1767225600), Copy("/home/ann/Grüße.kvd", 1767229200)};
        QStringList rows;
        QString caption, focused, buttonsText, listName;
        bool labelled = false;
        AnswerNextModal([&](QWidget* modal) {
            QVERIFY(QTest::qWaitForWindowActive(modal));
            CDialog* d = AsDialog(modal);
            caption = d->windowTitle();
            auto* list = qobject_cast<QTreeWidget*>(d->GetDlgItem(IDC_RECOVER_LIST));
            QVERIFY(list);
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                rows << list->topLevelItem(i)->text(0) + " | " + list->topLevelItem(i)->text(1);
            auto* label = qobject_cast<QLabel*>(d->GetDlgItem(IDC_RECOVER_LIST_LABEL));
            labelled = label && label->buddy() == list;
            focused = QApplication::focusWidget() == list ? QStringLiteral("list") : QStringLiteral("other");
            listName = QAccessible::queryAccessibleInterface(list)->text(QAccessible::Name);
            for (const int nID : {IDOK, IDC_RECOVER_DISCARD, IDCANCEL})
                buttonsText += qobject_cast<QAbstractButton*>(d->GetDlgItem(nID))->text() + ";";
            QVERIFY(!d->GetDlgItemText(IDC_RECOVER_TEXT).isEmpty());
            Click(modal, IDCANCEL);
        });
        QCOMPARE(dlg.DoModal(), int(CRecoverDlg::kLater));
        QCOMPARE(caption, QStringLiteral("Recover Unsaved Work"));
        QCOMPARE(rows, QStringList({QStringLiteral("/home/ann/notes.etx | ") + CRecoverDlg::TimeText(1767225600),
                                    QStringLiteral("/home/ann/Grüße.kvd | ") + CRecoverDlg::TimeText(1767229200)}));
        QVERIFY(CRecoverDlg::TimeText(1767225600) != CRecoverDlg::TimeText(1767229200));
        QCOMPARE(focused, QStringLiteral("list"));
        QVERIFY(labelled);
        QCOMPARE(listName, QStringLiteral("Unsaved copies"));
        QCOMPARE(buttonsText, QStringLiteral("&Recover;&Discard;&Later;"));
    }

    // Enter recovers, from the list the dialog opens in; the buttons answer to their letters with
    // Alt; Escape decides nothing.
    void keysAnswer() {
        QCOMPARE(AnswerWithKey(Qt::Key_Return), int(CRecoverDlg::kRecover));
        QCOMPARE(AnswerWithKey(Qt::Key_Enter), int(CRecoverDlg::kRecover));
        QCOMPARE(AnswerWithKey(Qt::Key_R, Qt::AltModifier), int(CRecoverDlg::kRecover));
        QCOMPARE(AnswerWithKey(Qt::Key_D, Qt::AltModifier), int(CRecoverDlg::kDiscard));
        QCOMPARE(AnswerWithKey(Qt::Key_L, Qt::AltModifier), int(CRecoverDlg::kLater));
        QCOMPARE(AnswerWithKey(Qt::Key_Escape), int(CRecoverDlg::kLater));
        // Tab from the list reaches Recover first, and Space on it recovers.
        CRecoverDlg dlg;
        dlg.m_copies = {Copy("/home/ann/notes.etx", 1767225600)};
        AnswerNextModal([](QWidget* modal) {
            QVERIFY(QTest::qWaitForWindowActive(modal));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(GetDlgCtrlID(QApplication::focusWidget()), IDOK);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(GetDlgCtrlID(QApplication::focusWidget()), IDC_RECOVER_DISCARD);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        });
        QCOMPARE(dlg.DoModal(), int(CRecoverDlg::kDiscard));
    }

    // The lock closes it as Later and offers it again after the unlock; unlocked, it stays however long.
    void screenLockEndsItAsLater() {
        CRecoverDlg dlg;
        dlg.m_copies = {Copy("/home/ann/notes.etx", 1767225600)};
        bool stayedWhileUnlocked = false;
        AnswerNextModal([this, &stayedWhileUnlocked](QWidget* modal) {
            QTest::qWait(250);
            stayedWhileUnlocked = modal->isVisible();
            m_env.LockByIdleness(Frame());
        });
        QCOMPARE(dlg.DoModal(), int(CRecoverDlg::kLater));
        QVERIFY(stayedWhileUnlocked);
        QVERIFY(Frame()->m_bLocked);
        QVERIFY(Frame()->ScreenLock().IsMarkedForReplay(ID_FILE_RECOVER));
        Frame()->ScreenLock().ForgetReplay(ID_FILE_RECOVER);
        QVERIFY(Frame()->PromptUnlock());
    }
};

QTEST_MAIN(TestRecoverDlg)
#include "test_recover_dlg.moc"
