#pragma once

#include "framework/CmdTarget.h"

#include <QBrush>
#include <QColor>
#include <QLineEdit>
#include <QUrl>

class QMenu;

// The edit field of the account and folder forms: an edit field with its own background and text
// colours and font, and a context menu with the clipboard commands, Delete, Select All and
// "Go to the URL..." when the field holds a web address. The menu's commands go to the active form
// along the main window's command route.
class CEditEx : public QLineEdit {
    Q_OBJECT
public:
    explicit CEditEx(QWidget* parent = nullptr);
    ~CEditEx() override;

    // Both return the previous colour and repaint the field at once.
    QColor SetBackColor(const QColor& colour);
    QColor SetForeColor(const QColor& colour);
    QColor GetBackColor() const { return m_crBackColor; }
    QColor GetForeColor() const { return m_crForeColor; }
    const QBrush& GetBackBrush() const { return m_brBackground; }

    // A font of the given height (negative: the character height in pixels; positive: the cell
    // height), always of normal weight, with the pitch and family bits and face given.
    void ApplyFont(int nHeight, int nWeight, int nPitchAndFamily, const QString& faceName);

    // The context menu as it would be shown now: its entries and their commands depend on the text
    // and the selection.
    QMenu* BuildContextMenu();

    // The same menu for any field: its first line, the length of the line the caret is on, and
    // whether text is selected. The multi-line notes fields use it too.
    static QMenu* BuildContextMenuFor(QWidget* owner, const QString& firstLine, int nLineLength, bool bSelection);
    // What "Go to the URL..." opens for a field with this first line (the rule of WebAddress.h, on
    // at most 255 characters); an invalid address when it is none, and then the command is not
    // offered. The menu and the command both ask this, so they always agree.
    static QUrl WebAddressOf(const QString& firstLine);
    // The font ApplyFont gives a field.
    static QFont MakeFieldFont(int nHeight, int nPitchAndFamily, const QString& faceName);

    // Lets dialog templates build this field for the class name "EditEx".
    static void RegisterControlClass();

protected:
    // Makes the background brush from the background colour.
    virtual void CreateBackBrush();
    // The colour request: gives the field its text and background colours.
    virtual void OnCtlColor();

    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QBrush m_brBackground;
    QColor m_crBackColor;
    QColor m_crForeColor;
};
