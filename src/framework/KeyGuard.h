#pragma once

#include <QObject>

class QKeyEvent;

// Application-wide rules for keys and focus that every field of the program follows:
// - Alt with a letter (or any printable key) that no menu, button or label took is not typing: the
//   text fields would otherwise insert the letter, as the toolkit lets Alt through on X11. AltGr,
//   which types the third level of a layout, still types.
// - A one-line field keeps its selection while the menu bar has the keyboard, so that Edit > Copy
//   reached with Alt+E, C copies what the user selected.
class CKeyGuard : public QObject {
    Q_OBJECT
public:
    explicit CKeyGuard(QObject* parent = nullptr);

    // True for a key press that would type a character only because Alt is held.
    static bool IsAltLetter(const QKeyEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
