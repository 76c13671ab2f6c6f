#pragma once

#include <QBrush>
#include <QColor>
#include <QPlainTextEdit>

class QMenu;

// The notes field of the account forms: several lines (Enter starts a new one, Ctrl+Tab types a tab,
// Tab leaves the field), with the colours,
// font and context menu of the forms' one-line fields.
class CNotesEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CNotesEdit(QWidget* parent = nullptr);

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

private:
    void ApplyColours();

    QColor m_crBackColor;
    QColor m_crForeColor;
};
