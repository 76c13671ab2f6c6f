#pragma once

// What every test of the whole editor needs around it: settings and the screen-lock file in a
// throwaway folder, never the user's, and a clock the test moves by hand.

#include "framework/MessageBox.h"
#include "platform/TickCount.h"
#include "shell/MainFrame.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class EditorTestEnv {
public:
    // From initTestCase.
    void Begin() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        platform::SetTickCountSource([this] { return m_now; });
    }

    // From cleanupTestCase.
    void End() { platform::SetTickCountSource({}); }

    // From init: no settings file, no Welcome at start-up, the clock at 5 s, no queued answers.
    void Reset() {
        QDir(m_config.path() + "/Lockwarden").removeRecursively();
        QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Lockwarden"),
                  QStringLiteral("Lockwarden Editor"))
            .setValue(QStringLiteral("Settings/wzrd"), 0);
        m_now = 5000;
        MessageBox::clearAnswers();
    }

    // The user stays idle past a minute's timeout and the frame notices: the screen locks.
    void LockByIdleness(CMainFrame* frame) {
        m_now += 61000;
        frame->OnTimer();
        QVERIFY(frame->m_bLocked);
    }

    uint32_t m_now = 0;

private:
    QTemporaryDir m_config;
};
