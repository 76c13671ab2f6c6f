#pragma once

#include <QMdiArea>

// The document area of the main window.
//
// The toolkit's area watches every key of the program for Ctrl+Tab and switches windows itself when Ctrl
// is let go; here Ctrl+Tab is an accelerator like Ctrl+F6, and a notes field that types a tab on Ctrl+Tab
// must get the key.
//
// The area can also be shut out: hidden, and with no document window in the accessibility tree. Hiding
// alone is not enough there, since the toolkit still lists a hidden widget, text and all, to anything
// that walks the tree (a screen reader, or any other program on the accessibility bus).
class CMDIClientArea : public QMdiArea {
    Q_OBJECT
public:
    explicit CMDIClientArea(QWidget* parent = nullptr);

    // Hides the area and its windows, or shows them again as they were (active window, maximised state,
    // and everything inside them, which hiding leaves alone).
    void ShutOut(bool bShut);
    bool IsShutOut() const { return m_bShutOut; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool m_bShutOut = false;
};
