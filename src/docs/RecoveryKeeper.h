#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

// Keeps the unsaved work of every open document in the recovery folder: each modified document is
// copied at most a minute after it changed (a round every minute of the tick count), and at once
// when asked (the screen locks, the session ends).
class CRecoveryKeeper : public QObject {
    Q_OBJECT
public:
    explicit CRecoveryKeeper(QObject* parent = nullptr);

    static constexpr uint32_t kRoundMs = 60000;

    // Writes the copies of every document with unsaved work now.
    void WriteAll();

private:
    void OnTick();

    QTimer m_timer;
    uint32_t m_dwLastRound;
};
