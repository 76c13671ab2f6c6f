#pragma once

#include <QList>
#include <QWidget>

class CEditorView;

// The margin at the left of a text view that numbers the text's lines: the lines of the file, so a
// line that word wrap spreads over several rows of the screen gets its number on its first row only.
// It is decoration: it takes no focus and offers a screen reader no text (the numbers are only
// painted), so it adds nothing to what the text view itself exposes.
//
// Kept cheap for large texts: only the lines in view are painted, the margin follows the view's own
// update requests (scrolling its pixels with the text), and its width changes only when the line
// count gains or loses a digit.
class CLineNumberArea : public QWidget {
    Q_OBJECT
public:
    explicit CLineNumberArea(CEditorView* view);

    // Shows the margin and makes room for it, or takes it away and gives the room back to the text.
    void SetShown(bool bShown);
    bool IsShown() const { return m_bShown; }

    // The margin's width for the current line count and the view's current font.
    int AreaWidth() const;

    // A number as the margin paints it: the line (from 1), and the top and height of its first row in
    // the margin's coordinates, whose rows are the viewport's.
    struct Number {
        int line = 0;
        int top = 0;
        int height = 0;
    };
    // The numbers of the lines whose first row reaches into the rows `top` to `bottom`; what the
    // margin paints.
    QList<Number> VisibleNumbers(int top, int bottom) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnBlockCountChanged(int count);
    void OnUpdateRequest(const QRect& rect, int dy);
    void UpdateWidth();
    void PlaceOverMargin();
    static int DigitsOf(int count);

    CEditorView* m_pView;
    QWidget* m_pViewport;
    bool m_bShown = false;
    int m_nDigits = 1;
    int m_nWidth = 0;
};
