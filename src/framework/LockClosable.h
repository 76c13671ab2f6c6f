#pragma once

class QWidget;

// A window of the program that knows how to go away when the screen locks. Dialogs and file dialogs
// are such windows; those that belong to a user command mark it for replay before they end.
class CLockClosable {
public:
    virtual ~CLockClosable() = default;

    // False for the few windows that must stay over the lock (the screen-password prompt).
    virtual bool ClosesOnLock() const { return true; }
    // Ends the window as cancelled.
    virtual void CloseForLock() = 0;
};

// The one rule for everything the program shows over its main window while the screen is locked:
// dialogs, file dialogs, print and preview dialogs, Find and Replace, open menus and tool tips go away
// as cancelled. Message boxes stay (they only ask or tell, and show nothing of a document), and so
// do windows that say ClosesOnLock() is false. mainWnd itself and its tool bars are left alone.
void CloseWindowsForLock(QWidget* mainWnd);
