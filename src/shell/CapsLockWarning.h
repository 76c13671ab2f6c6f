#pragma once

#include <QObject>

class CDialog;

// Shows a password dialog's "Caps Lock is on." label (IDC_CAPS_LOCK_WARNING) while Caps Lock is on,
// checked as the dialog appears or comes back to the front and at every key typed in it. Where the
// system does not tell the key's state the label stays hidden.
class CCapsLockWarning : public QObject {
    Q_OBJECT
public:
    // Once per dialog; called again (the next DoModal) it only brings the label up to date.
    static void Attach(CDialog* dialog);

    void Update();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CCapsLockWarning(CDialog* dialog);

    CDialog* m_pDialog;
};
