#pragma once

#include <QBrush>
#include <QColor>
#include <QPlainTextEdit>

class QMenu;

// The notes field of the account forms: several lines (Enter starts a new one, Ctrl+Tab types a tab,
// Tab leaves the field), with the colours,
// font and context menu of the forms' one-line fields. Lines are not wrapped: long ones scroll.
//
// The field gives a record's text back exactly as it was shown: every line break keeps its kind
// (CR LF, LF, lone CR, U+2029), and U+2028, U+00A0 and every other character stay as they are. A
// break the user types or pastes is CR LF, the break the notes of passwords files have always had.
class CNotesEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CNotesEdit(QWidget* parent = nullptr);

    // The text of a record field, shown with a fresh undo history; and the field's text for the record.
    void SetRecordText(const QString& text);
    QString GetRecordText() const;

    QColor SetBackColor(const QColor& colour);
    QColor SetForeColor(const QColor& colour);
    QColor GetBackColor() const { return m_crBackColor; }
    QColor GetForeColor() const { return m_crForeColor; }
    void ApplyFont(int nHeight, int nWeight, int nPitchAndFamily, const QString& faceName);

    // The first line, as a link is read from it.
    QString FirstLine() const;
    QMenu* BuildContextMenu();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Tab and Shift+Tab move on to the next or previous control, as in any dialog; Ctrl+Tab types
    // a tab character, and so is kept from the window's own Ctrl+Tab.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void ApplyColours();
    // Inserts text at the caret with each of its line breaks made a CR LF.
    void InsertTypedText(const QString& text);

    QColor m_crBackColor;
    QColor m_crForeColor;
};
