#pragma once

#include <QObject>

class CDialog;

// Shows a password dialog's "Caps Lock is on." label while Caps Lock is on, checked as the dialog
// appears or comes back to the front and at every key typed in it. Where the system does not tell
// the key's state the label stays hidden.
class CCapsLockWarning : public QObject {
    Q_OBJECT
public:
    // Once per dialog, with the id of its label; called again (the next DoModal) it only brings the
    // label up to date.
    static void Attach(CDialog* dialog, int nIDLabel);

    void Update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CCapsLockWarning(CDialog* dialog, int nIDLabel);

    CDialog* m_pDialog;
    int m_nIDLabel;
};
