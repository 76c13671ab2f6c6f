#include "framework/ModalAnswer.h"

#include "framework/DialogTemplate.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QTimer>

namespace {

int g_generation = 0;

void TryAnswer(std::function<void(QWidget*)> action, QPointer<QWidget> previous, int turnsLeft, int generation) {
    if (generation != g_generation)
        return;
    QWidget* modal = QApplication::activeModalWidget();
    // Wait for a modal window that was not already up when the answer was asked for.
    if (modal && modal != previous) {
        action(modal);
        return;
    }
    if (turnsLeft <= 0)
        return;
    QTimer::singleShot(turnsLeft > 900 ? 0 : 5, qApp, [action = std::move(action), previous, turnsLeft, generation] {
        TryAnswer(action, previous, turnsLeft - 1, generation);
    });
}

} // namespace

void AnswerNextModal(std::function<void(QWidget* modal)> action) {
    QPointer<QWidget> previous = QApplication::activeModalWidget();
    const int generation = g_generation;
    QTimer::singleShot(
        0, qApp, [action = std::move(action), previous, generation] { TryAnswer(action, previous, 1000, generation); });
}

void ClickInNextModal(int nID) {
    AnswerNextModal([nID](QWidget* modal) {
        if (auto* button = qobject_cast<QAbstractButton*>(FindDlgItem(modal, nID)))
            button->click();
    });
}

void CloseNextModal() {
    AnswerNextModal([](QWidget* modal) { modal->close(); });
}

void CancelModalAnswers() {
    ++g_generation;
}
