#pragma once

// Answers for the dialogs that the documents' open, save and close steps show, so that a test can
// walk a whole flow without a human. A flow is a list of steps, one per modal window in the order
// they come up; each step looks at its window and answers it.

#include "cipher/DocumentFile.h"
#include "framework/Dialog.h"
#include "framework/ModalAnswer.h"
#include "res/resource.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QFile>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace docanswers {

using Step = std::function<void(QWidget* modal)>;

// What the steps saw, for the test to check afterwards.
struct Seen {
    QStringList titles; // window titles, in order
    QStringList texts;  // the label of a question, the proposal of a file dialog, a pre-filled password
    int answered = 0;
};

inline CDialog* AsDialog(QWidget* modal) {
    return dynamic_cast<CDialog*>(modal);
}

inline void Click(QWidget* modal, int nID) {
    if (CDialog* dialog = AsDialog(modal)) {
        if (auto* button = qobject_cast<QAbstractButton*>(dialog->GetDlgItem(nID)))
            button->click();
    }
}

inline QLineEdit* Edit(QWidget* modal, int nID) {
    CDialog* dialog = AsDialog(modal);
    return dialog ? qobject_cast<QLineEdit*>(dialog->GetDlgItem(nID)) : nullptr;
}

// Runs the steps on the next modal windows, one each, in order.
inline void Answer(std::shared_ptr<Seen> seen, std::vector<Step> steps) {
    if (steps.empty())
        return;
    Step first = steps.front();
    std::vector<Step> rest(steps.begin() + 1, steps.end());
    AnswerNextModal([seen, first, rest](QWidget* modal) {
        seen->titles << modal->windowTitle();
        ++seen->answered;
        // The next answer waits for a window other than this one.
        Answer(seen, rest);
        first(modal);
    });
}

// "Enter Password": types the password and presses OK, or cancels when it is empty.
inline Step EnterPassword(const QString& password) {
    return [password](QWidget* modal) {
        if (password.isEmpty()) {
            Click(modal, IDCANCEL);
            return;
        }
        if (QLineEdit* edit = Edit(modal, IDC_PASSWORD))
            edit->setText(password);
        Click(modal, IDOK);
    };
}

// "Set Password": records what the first field starts with, types the password into both fields
// (keeps the pre-filled one when empty) and presses OK; cancels when cancel is set.
inline Step SetPassword(std::shared_ptr<Seen> seen, const QString& password, bool cancel = false) {
    return [seen, password, cancel](QWidget* modal) {
        QLineEdit* first = Edit(modal, IDC_PASSWORD);
        QLineEdit* second = Edit(modal, IDC_CONFIRM_PASSWORD);
        seen->texts << (first ? first->text() : QString());
        if (cancel) {
            Click(modal, IDCANCEL);
            return;
        }
        if (!password.isEmpty() && first && second) {
            first->setText(password);
            second->setText(password);
        }
        Click(modal, IDOK);
    };
}

// Presses a button of the window.
inline Step Press(int nButton) {
    return [nButton](QWidget* modal) { Click(modal, nButton); };
}

// A question or notice: records the text of its label and clicks the button.
inline Step Question(std::shared_ptr<Seen> seen, int nLabelID, int nButton) {
    return [seen, nLabelID, nButton](QWidget* modal) {
        if (CDialog* dialog = AsDialog(modal))
            seen->texts << dialog->GetDlgItemText(nLabelID);
        Click(modal, nButton);
    };
}

// The file dialog: records the proposed file name, then chooses path (cancels when it is empty).
inline Step ChooseFile(std::shared_ptr<Seen> seen, const QString& path) {
    return [seen, path](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return;
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        seen->texts << (nameEdit ? nameEdit->text() : QString());
        if (path.isEmpty() || !nameEdit) {
            dialog->reject();
            return;
        }
        // An absolute path typed as the name is taken as it is, folder and all. A file still selected
        // in the list would win over the typed name, so nothing stays selected.
        nameEdit->setText(path);
        for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>()) {
            if (view->selectionModel())
                view->selectionModel()->clearSelection();
        }
        static_cast<QDialog*>(dialog)->accept();
    };
}

// The clear text of a file as the core reads it, or "<status n>" when it doesn't.
inline QByteArray CoreRead(const QString& path, const char* password) {
    platform::SecureString text;
    const cipher::DocStatus status = cipher::ReadDocumentFile(QFile::encodeName(path).toStdString(), password, text);
    if (!status.ok())
        return "<status " + QByteArray::number(static_cast<int>(status.result)) + ">";
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// Opens path in the editor (app: the application), answering its password prompt.
template <class TApp>
auto OpenWithPassword(TApp& app, const QString& path, const QString& password, std::shared_ptr<Seen> seen = {}) {
    if (!seen)
        seen = std::make_shared<Seen>();
    Answer(seen, {EnterPassword(password)});
    return app.OpenDocumentFile(path);
}

// Save: into path through Save As when the document has no file yet, under password (the offered one
// when empty). True when the file was written.
template <class TDoc> bool SaveWithPassword(TDoc* doc, const QString& path, const QString& password) {
    auto seen = std::make_shared<Seen>();
    if (doc->m_strFilePath.isEmpty())
        Answer(seen, {ChooseFile(seen, path), SetPassword(seen, password)});
    else
        Answer(seen, {SetPassword(seen, password)});
    return doc->OnFileSave();
}

} // namespace docanswers
