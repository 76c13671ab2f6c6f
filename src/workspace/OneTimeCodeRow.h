#pragma once

#include "passwords/Accounts.h"
#include "passwords/OneTimeCode.h"
#include "platform/SecureMemory.h"

#include <QBasicTimer>
#include <QObject>
#include <QPointer>

class CFormLayout;
class CFormView;
class CNotesEdit;
class QLabel;
class QLineEdit;
class QMenu;

// The "One-time code:" row under an account form's notes: the current code of the secret the notes
// hold, with the seconds it has left, or why there is none. It shows only while the notes hold a
// secret, follows every change of the notes field (an account shown, an edit, the form emptied), ticks
// on a timer of its own - no input, so no activity for the screen lock - and is empty while the screen
// is locked.
class COneTimeCodeRow : public QObject {
    Q_OBJECT
public:
    // Finds the row and the notes field of the form of that kind in its template.
    COneTimeCodeRow(CFormView* form, AccountKind kind, CFormLayout& layout);
    ~COneTimeCodeRow() override;

    // A code can be copied now: the notes hold a valid secret and the screen is unlocked.
    bool HasCode() const;
    // Copy One-Time Code: the digits alone go to the clipboard guard, which takes them off again as
    // it does a copied password.
    void CopyCode();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void OnNotesChanged();
    // The row as the notes and the clock give it now.
    void Show();
    bool IsLocked() const;

    QPointer<CNotesEdit> m_pNotes;
    QPointer<QLabel> m_pLabel;
    QPointer<QLineEdit> m_pCode;
    // The secret of the notes, found once per change of the notes rather than once per tick.
    passwords::OneTimeSecret m_secret;
    QBasicTimer m_timer;
};

namespace workspace {

// "Copy One-Time Code" after Copy in an account field's context menu.
void AddCopyOneTimeCodeItem(QMenu* menu);

} // namespace workspace
