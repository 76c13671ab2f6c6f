#include "framework/MessageBox.h"

#include "framework/ResourceRegistry.h"
#include "framework/StandardIds.h"
#include "framework/WinApp.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QSpacerItem>
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

namespace {

// Room for the title bar's icon and buttons beside the caption.
constexpr int kTitleBarExtra = 120;

QChar ButtonLetter(int code) {
    switch (code) {
    case IDYES:
        return QLatin1Char('y');
    case IDNO:
        return QLatin1Char('n');
    case IDRETRY:
        return QLatin1Char('r');
    case IDABORT:
        return QLatin1Char('a');
    case IDIGNORE:
        return QLatin1Char('i');
    default:
        return QChar();
    }
}

} // namespace

int AfxMessageBox(const QString& text, unsigned nType, const QString& caption) {
    const QString title = caption.isEmpty() ? AfxLoadString(AFX_IDS_APP_TITLE) : caption;
    MessageBox::lastShown() = {text, title, nType};
    ++MessageBox::shownCount();
    if (!MessageBox::answers().empty()) {
        const int code = MessageBox::answers().front();
        MessageBox::answers().pop_front();
        return code;
    }

    QMessageBox box(AfxGetMainWnd());
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
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
        // The letter of a button answers without Alt, as in the system's message boxes.
        const QChar letter = ButtonLetter(code);
        if (!letter.isNull()) {
            QString text = pushButton->text().remove(QLatin1Char('&'));
            const qsizetype at = text.indexOf(letter, 0, Qt::CaseInsensitive);
            if (at >= 0)
                pushButton->setText(text.insert(at, QLatin1Char('&')));
            auto* key = new QShortcut(QKeySequence(letter.toUpper().unicode()), &box);
            QObject::connect(key, &QShortcut::activated, pushButton, &QPushButton::click);
        }
        if (code == IDCANCEL)
            box.setEscapeButton(pushButton);
    }
    box.setDefaultButton(buttons.front().first);
    // Wide enough for its caption, which the title bar would otherwise cut.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const int captionWidth = box.fontMetrics().horizontalAdvance(title) + kTitleBarExtra;
        grid->addItem(new QSpacerItem(captionWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0,
                      1, grid->columnCount());
    }
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
