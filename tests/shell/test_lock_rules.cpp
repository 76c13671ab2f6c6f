// The screen lock on its own, against a small host instead of the whole editor: what counts as
// activity, what unlocks, and the order in which the commands the lock interrupted run again.

#include "framework/Dialog.h"
#include "framework/ModalAnswer.h"
#include "framework/View.h"
#include "platform/TickCount.h"
#include "res/resource.h"
#include "shell/LockSettings.h"
#include "shell/ScreenLock.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A widget that is a document's view, as the text view, the tree and the forms are.
class DocumentWidget : public QWidget, public CView {
public:
    QWidget* GetWnd() override { return this; }
};

class FakeHost : public CScreenLock::Host {
public:
    FakeHost() {
        auto* layout = new QVBoxLayout(&m_window);
        m_pDocument = new DocumentWidget;
        m_pField = new QLineEdit(m_pDocument);
        m_pOther = new QWidget;
        layout->addWidget(m_pDocument);
        layout->addWidget(m_pOther);
    }

    QWidget* LockedWindow() override { return &m_window; }
    const LockSettingsRecord& LoadSettings() override {
        if (m_pLock)
            m_pLock->ApplySettings(m_settings);
        return m_settings;
    }
    const LockSettingsRecord& Settings() override { return m_settings; }
    void Cover(const QString& firstLine) override { m_log << "cover:" + firstLine; }
    void Uncover() override { m_log << QStringLiteral("uncover"); }
    void RunCommand(int nID) override {
        m_log << QString::number(nID);
        if (m_onCommand)
            m_onCommand(nID);
    }

    QWidget m_window;
    DocumentWidget* m_pDocument;
    QLineEdit* m_pField;
    QWidget* m_pOther;
    LockSettingsRecord m_settings;
    CScreenLock* m_pLock = nullptr;
    QStringList m_log;
    std::function<void(int)> m_onCommand;
};

void MoveMouse(QWidget* widget) {
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), widget->mapToGlobal(QPointF(3, 3)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

} // namespace

class TestLockRules : public QObject {
    Q_OBJECT

    uint32_t m_now = 0;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<CScreenLock> m_lock;

private slots:
    void initTestCase() {
        platform::SetTickCountSource([this] { return m_now; });
    }
    void cleanupTestCase() { platform::SetTickCountSource({}); }

    void init() {
        m_now = 100000;
        m_host = std::make_unique<FakeHost>();
        m_lock = std::make_unique<CScreenLock>(*m_host);
        m_host->m_pLock = m_lock.get();
        m_host->m_settings.bLockWhenIdle = 1;
        m_host->m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_host->m_window));
    }

    void cleanup() {
        m_lock.reset();
        m_host.reset();
    }

    void activityIsInputAnywhereAndMovesOverDocuments() {
        const auto stampedBy = [this](const std::function<void()>& input) {
            m_lock->m_dwLastActivity = 0;
            input();
            return m_lock->m_dwLastActivity == m_now;
        };
        QVERIFY(stampedBy([this] { MoveMouse(m_host->m_pDocument); }));
        QVERIFY(stampedBy([this] { MoveMouse(m_host->m_pField); }));
        QVERIFY(!stampedBy([this] { MoveMouse(m_host->m_pOther); }));
        QVERIFY(stampedBy([this] { QTest::mouseClick(m_host->m_pOther, Qt::LeftButton); }));
        // Typing in a dialog of the program counts as much as typing in a document.
        QDialog dialog(&m_host->m_window);
        auto* field = new QLineEdit(&dialog);
        dialog.show();
        QVERIFY(stampedBy([field] { QTest::keyClick(field, Qt::Key_A); }));
    }

    // Mouse moves, key releases, middle clicks, Alt and its combinations, and anything aimed at
    // another window leave the lock; a key or a left or right click (or double click) at the window
    // unlocks.
    void onlyKeysAndLeftOrRightClicksAtTheWindowUnlock() {
        m_lock->LockWithFixedText();
        QCOMPARE(m_host->m_log, QStringList({"cover:Press any key to unlock the screen..."}));
        QWidget* target = m_host->m_pOther;
        QTest::mouseMove(target, QPoint(5, 5));
        QTest::mouseClick(target, Qt::MiddleButton);
        QTest::keyRelease(target, Qt::Key_A);
        QTest::keyClick(m_host->m_pField, Qt::Key_F, Qt::AltModifier);
        QTest::keyClick(target, Qt::Key_Alt);
        QDialog dialog(&m_host->m_window);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_A);
        QTest::mouseClick(&dialog, Qt::LeftButton);
        QVERIFY(m_lock->IsLocked());

        const std::function<void()> triggers[] = {
            [target] { QTest::mouseClick(target, Qt::LeftButton); },
            [target] { QTest::mouseClick(target, Qt::RightButton); },
            [target] { QTest::mouseDClick(target, Qt::LeftButton); },
            [target] { QTest::keyClick(target, Qt::Key_Shift); },
        };
        for (const auto& trigger : triggers) {
            m_lock->LockWithFixedText();
            trigger();
            QVERIFY(!m_lock->IsLocked());
            QCOMPARE(m_host->m_log.last(), QStringLiteral("uncover"));
        }
    }

    // The commands interrupted by the lock run in one fixed order, whatever order their dialogs closed
    // in, each once; a command that locks again leaves the rest for the next unlock.
    void replayRunsInItsOrderAndStopsAtANewLock() {
        const int order[] = {ID_VIEW_WIZARD, ID_FILE_NEW, ID_SETTINGS_SCREEN_LOCK, ID_FILE_SAVE_AS, ID_FILE_OPEN,
                             ID_FILE_IMPORT, ID_APP_ABOUT};
        m_lock->Lock();
        for (auto it = std::rbegin(order); it != std::rend(order); ++it)
            m_lock->MarkForReplay(*it);
        m_lock->MarkForReplay(ID_VIEW_WIZARD);
        m_host->m_onCommand = [this](int nID) {
            if (nID == ID_SETTINGS_SCREEN_LOCK)
                m_lock->Lock();
        };
        m_host->m_log.clear();
        QTest::keyClick(&m_host->m_window, Qt::Key_Space);
        QCOMPARE(m_host->m_log.mid(1, 3), QStringList({"32795", "57600", "32790"}));
        QVERIFY(m_lock->IsLocked());
        QVERIFY(m_lock->IsMarkedForReplay(ID_FILE_SAVE_AS));

        m_host->m_onCommand = {};
        m_host->m_log.clear();
        QTest::keyClick(&m_host->m_window, Qt::Key_Space);
        QCOMPARE(m_host->m_log, QStringList({"uncover", "57604", "57601", "32880", "57664"}));
        QVERIFY(!m_lock->IsAnyMarkedForReplay());
    }

    // With a screen password: Cancel keeps the lock and the commands waiting; a document's close
    // check unlocks without running them.
    void cancelledOrDocumentUnlocksRunNothing() {
        m_host->m_settings.bScreenPasswordOn = 1;
        m_host->m_settings.SetScreenPassword("pw");
        m_lock->Lock();
        m_lock->MarkForReplay(ID_FILE_OPEN);
        m_host->m_log.clear();
        ClickInNextModal(IDCANCEL);
        QTest::keyClick(&m_host->m_window, Qt::Key_Space);
        QVERIFY(m_lock->IsLocked());
        QVERIFY(m_host->m_log.isEmpty());

        AnswerNextModal([](QWidget* modal) {
            auto* prompt = dynamic_cast<CDialog*>(modal);
            qobject_cast<QLineEdit*>(prompt->GetDlgItem(IDC_PASSWORD))->insert(QStringLiteral("pw"));
            qobject_cast<QAbstractButton*>(prompt->GetDlgItem(IDOK))->click();
        });
        QVERIFY(m_lock->PromptUnlock());
        QCOMPARE(m_host->m_log, QStringList({"uncover"}));
        QVERIFY(m_lock->IsMarkedForReplay(ID_FILE_OPEN));
    }
};

QTEST_MAIN(TestLockRules)
#include "test_lock_rules.moc"
