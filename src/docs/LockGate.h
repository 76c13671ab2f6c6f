#pragma once

#include <QObject>

// What a document or a dialog may ask of the screen lock, and no more: whether the screen is locked,
// the unlock prompt, and the command to run again once the screen is unlocked. The lock itself lives
// with the main window; it implements this and sits as a direct child of the main frame, where
// Get() finds it.
class CLockGate : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual bool IsLocked() const = 0;
    // Asks for the screen password (when one is set and on) and removes the lock; false when the user
    // cancelled. Commands marked for replay are left for the next unlock by a key or a click.
    virtual bool PromptUnlock() = 0;
    // The command (its id) whose dialog the lock closed: it runs again after the next unlock.
    virtual void MarkForReplay(int nCommandID) = 0;

    // The program's lock, or null while there is no main window (a lone document in a test).
    static CLockGate* Get();

signals:
    void locked();
    void unlocked();
};
