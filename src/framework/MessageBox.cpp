#include "framework/MessageBox.h"

#include "framework/WinApp.h"
#include "res/Resources.h"
#include "res/resource.h"

#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

std::deque<int>& MessageBox::answers() {
    static std::deque<int> queue;
    return queue;
}

MessageBox::Shown& MessageBox::lastShown() {
    static Shown shown;
    return shown;
}

int& MessageBox::shownCount() {
    static int n = 0;
    return n;
}

void MessageBox::setNextAnswer(int code) {
    answers().push_back(code);
}
void MessageBox::clearAnswers() {
    answers().clear();
}
int MessageBox::pendingAnswers() {
    return static_cast<int>(answers().size());
}
const MessageBox::Shown& MessageBox::last() {
    return lastShown();
}
int MessageBox::count() {
    return shownCount();
}

int AfxMessageBox(const QString& text, unsigned nType, const QString& caption) {
    const QString title = caption.isEmpty() ? LoadResString(AFX_IDS_APP_TITLE) : caption;
    MessageBox::lastShown() = {text, title, nType};
    ++MessageBox::shownCount();
    if (!MessageBox::answers().empty()) {
        const int code = MessageBox::answers().front();
        MessageBox::answers().pop_front();
        return code;
    }

    QMessageBox box(AfxGetMainWnd());
    box.setWindowTitle(title);
    box.setText(text);
    switch (nType & 0xF0) {
    case MB_ICONHAND:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONEXCLAMATION:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONASTERISK:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }

    std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;
    switch (nType & 0x0F) {
    case MB_OKCANCEL:
        buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        break;
    case MB_RETRYCANCEL:
        buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    default:
        buttons = {{QMessageBox::Ok, IDOK}};
        break;
    }
    for (const auto& [button, code] : buttons) {
        QPushButton* pushButton = box.addButton(button);
        pushButton->setProperty("lw_id", code);
    }
    box.setDefaultButton(buttons.front().first);
    box.exec();
    // Closing the box without a button (Esc, close box) counts as Cancel, or as the only button.
    QAbstractButton* clicked = box.clickedButton();
    if (clicked)
        return clicked->property("lw_id").toInt();
    for (const auto& [button, code] : buttons) {
        if (code == IDCANCEL)
            return IDCANCEL;
    }
    return buttons.size() == 1 ? buttons.front().second : IDCANCEL;
}
