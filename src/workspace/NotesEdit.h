#pragma once

#include <QBrush>
#include <QColor>
#include <QPlainTextEdit>

class QMenu;

// The notes field of the account forms: several lines (Enter starts a new one), with the colours,
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

private:
    void ApplyColours();

    QColor m_crBackColor;
    QColor m_crForeColor;
};
