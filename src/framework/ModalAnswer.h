#pragma once

#include <QWidget>
#include <functional>

// Answers the next modal window without a human: once it is up, the action runs on it from the event
// loop. Meant for tests, which must never block on a dialog. The action is tried again on later
// turns of the event loop until a modal window appears (up to a limit of turns).
void AnswerNextModal(std::function<void(QWidget* modal)> action);

// Clicks the control with the numeric id in the next modal window (a dialog built from a template,
// or a message box's button with that standard code).
void ClickInNextModal(int nID);

// Closes the next modal window with its close box.
void CloseNextModal();

// Drops every answer that has not found its modal window yet.
void CancelModalAnswers();
