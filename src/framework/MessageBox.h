#pragma once

#include <QString>
#include <deque>

class QWidget;

// Button sets and icons of a message box, combined with |.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_RETRYCANCEL = 0x5;
constexpr unsigned MB_ICONHAND = 0x10;
constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONASTERISK = 0x40;
constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;

// Shows a modal message box over the main window and returns the standard code of the button
// pressed (IDOK, IDCANCEL, IDYES, ...). The caption defaults to the application's title.
int AfxMessageBox(const QString& text, unsigned nType = MB_OK, const QString& caption = {});

// Lets a test answer the next message boxes without showing them, and see what they said.
class MessageBox {
public:
    // Queues the answer of the next message box; it is then not shown.
    static void setNextAnswer(int code);
    static void clearAnswers();
    static int pendingAnswers();

    struct Shown {
        QString text;
        QString caption;
        unsigned type = 0;
    };
    // The last message box asked (shown or answered by the queue), and how many were asked so far.
    static const Shown& last();
    static int count();

private:
    friend int AfxMessageBox(const QString&, unsigned, const QString&);
    static std::deque<int>& answers();
    static Shown& lastShown();
    static int& shownCount();
};
