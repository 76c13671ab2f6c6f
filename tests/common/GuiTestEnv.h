#pragma once

// What every GUI test needs around it: HOME, the settings, the profile and the screen-lock file in a
// throwaway folder, never the user's; a clock the test moves by hand; a fresh folder of files for
// each test; and the editor started and stopped without a human.
//
// A test class holds one as a member and calls Begin, Reset, Stop and End from initTestCase, init,
// cleanup and cleanupTestCase.

#include "cipher/StrongFile.h"
#include "framework/MessageBox.h"
#include "framework/ModalAnswer.h"
#include "platform/TickCount.h"
#include "shell/LockSettings.h"
#include "shell/MainFrame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class GuiTestEnv {
public:
    enum class Welcome { Skipped, AsOnFirstRun };

    // From initTestCase, before anything reads the settings: they find their folder once per process.
    // With fakeClock, time stands still unless the test moves m_now.
    void Begin(bool fakeClock = true) {
        QVERIFY(m_home.isValid());
        QStandardPaths::setTestModeEnabled(true);
        qputenv("HOME", m_home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", ConfigDir().toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toLocal8Bit());
        qputenv("XDG_CACHE_HOME", m_home.filePath(QStringLiteral("cache")).toLocal8Bit());
        qputenv("XDG_STATE_HOME", StateDir().toLocal8Bit());
        // Test programs running side by side never share a profile.
        QVERIFY(Profile().fileName().startsWith(m_home.path()));
        if (fakeClock)
            platform::SetTickCountSource([this] { return m_now; });
        // Screen password verifiers at libsodium's least cost: tests store and check many. New documents
        // are strong by default: their key derivation at a small cost too.
        SetVerifierCostForTests(true);
        cipher::SetNewStrongCost({1, 64});
    }

    // From cleanupTestCase.
    void End() {
        platform::SetTickCountSource({});
        cipher::SetNewStrongCost({});
    }

    // From init: no profile, no screen-lock settings file, the clock at 5 s, no queued answers, an
    // empty folder for the test's files.
    void Reset(Welcome welcome = Welcome::Skipped) {
        QDir(ConfigDir() + "/Lockwarden").removeRecursively();
        QDir(StateDir()).removeRecursively();
        Profile().clear();
        if (welcome == Welcome::Skipped)
            Profile().setValue(QStringLiteral("Settings/wzrd"), 0);
        m_now = 5000;
        MessageBox::clearAnswers();
        m_files = std::make_unique<QTemporaryDir>();
        QVERIFY(m_files->isValid());
    }

    // The editor's settings (in the throwaway folder).
    static QSettings Profile() {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Lockwarden"),
                         QStringLiteral("Lockwarden Editor"));
    }

    QString ConfigDir() const { return m_home.filePath(QStringLiteral("config")); }
    // Where the recovery copies go.
    QString StateDir() const { return m_home.filePath(QStringLiteral("state")); }
    QString FilesDir() const { return m_files->path(); }
    QString FilePath(const QString& name) const { return m_files->filePath(name); }

    // The screen-lock settings: lock after a minute idle, with this screen password (none when empty).
    static void WriteLockSettings(const char* screenPassword = "") {
        LockSettingsRecord record;
        record.bLockWhenIdle = 1;
        record.nTimeoutIndex = 0;
        record.SetScreenPassword(screenPassword);
        record.bScreenPasswordOn = screenPassword[0] ? 1 : 0;
        QVERIFY(WriteLockSettingsFile(record));
    }

    // Starts the editor (TApp: CEditorApp or a test's own kind of it). Every modal window that comes
    // up during start-up is closed, its object name noted in modalsSeen.
    template <class TApp>
    bool Start(std::unique_ptr<TApp>& app, const QStringList& arguments = {QStringLiteral("lockwarden-editor")},
               QStringList* modalsSeen = nullptr) {
        app = std::make_unique<TApp>();
        AnswerNextModal([modalsSeen](QWidget* modal) {
            if (modalsSeen)
                modalsSeen->push_back(modal->objectName());
            modal->close();
        });
        const bool started = app->InitInstance(arguments);
        CancelModalAnswers();
        return started;
    }

    // The usual init: everything reset, the lock after a minute idle without a screen password, and the
    // editor started.
    template <class TApp> bool StartFresh(std::unique_ptr<TApp>& app) {
        Reset();
        WriteLockSettings();
        return Start(app);
    }

    // From cleanup: ends whatever a test left behind. The lock goes where no screen password guards it
    // (a lock a failed test left with one stays, its prompt closed); every document is closed with its
    // changes dropped; then the frame and the editor go.
    template <class TApp> void Stop(std::unique_ptr<TApp>& app) {
        CancelModalAnswers();
        MessageBox::clearAnswers();
        if (app && app->GetMainFrame()) {
            CMainFrame* frame = app->GetMainFrame();
            if (frame->m_bLocked) {
                QDir(ConfigDir() + "/Lockwarden").removeRecursively();
                app->GetLockSettings().bScreenPasswordOn = 0;
                AnswerNextModal([](QWidget* modal) { modal->close(); });
                frame->PromptUnlock();
                CancelModalAnswers();
            }
            app->CloseAllDocuments();
            frame->close();
        }
        app.reset();
        FlushDeletes();
    }

    // The user stays idle past a minute's timeout and the frame notices: the screen locks.
    void LockByIdleness(CMainFrame* frame) {
        m_now += 61000;
        frame->OnTimer();
        QVERIFY(frame->m_bLocked);
    }

    static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    static QByteArray Bytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static bool WriteBytes(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    uint32_t m_now = 5000;

private:
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_files;
};
