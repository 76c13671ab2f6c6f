#include "textdoc/LineNumberArea.h"

#include "textdoc/EditorView.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>
#include <QtMath>

namespace {

// Quieter than the text: the numbers are there to be found, not read.
const QColor kNumberColour(128, 128, 128);

} // namespace

CLineNumberArea::CLineNumberArea(CEditorView* view) : QWidget(view), m_pView(view), m_pViewport(view->viewport()) {
    setObjectName(QStringLiteral("lineNumbers"));
    setFocusPolicy(Qt::NoFocus);
    // A move over the margin is a move over the document, as over the text beside it.
    setMouseTracking(true);
    hide();
    connect(view, &QPlainTextEdit::blockCountChanged, this, &CLineNumberArea::OnBlockCountChanged);
    connect(view, &QPlainTextEdit::updateRequest, this, &CLineNumberArea::OnUpdateRequest);
    // The font sets the width (the view may be zoomed or given another font); the viewport's size
    // sets the margin's height.
    view->installEventFilter(this);
    m_pViewport->installEventFilter(this);
}

void CLineNumberArea::SetShown(bool bShown) {
    if (bShown == m_bShown)
        return;
    m_bShown = bShown;
    m_nDigits = DigitsOf(m_pView->blockCount());
    m_nWidth = AreaWidth();
    m_pView->setViewportMargins(m_bShown ? m_nWidth : 0, 0, 0, 0);
    PlaceOverMargin();
    setVisible(m_bShown);
}

int CLineNumberArea::AreaWidth() const {
    // Digits are equally wide in the fixed-pitch fonts the view offers, and nearly so in any other;
    // half a digit before the number and half after it.
    const int digit = QFontMetrics(m_pView->font()).horizontalAdvance(QLatin1Char('9'));
    return (DigitsOf(m_pView->blockCount()) + 1) * digit;
}

int CLineNumberArea::DigitsOf(int count) {
    int digits = 1;
    for (; count >= 10; count /= 10)
        ++digits;
    return digits;
}

void CLineNumberArea::UpdateWidth() {
    const int width = AreaWidth();
    if (width == m_nWidth)
        return;
    m_nWidth = width;
    if (!m_bShown)
        return;
    // A new margin narrows the viewport, and with word wrap on that lays the whole text out again:
    // done only when the width really changes.
    m_pView->setViewportMargins(m_nWidth, 0, 0, 0);
    PlaceOverMargin();
    update();
}

void CLineNumberArea::PlaceOverMargin() {
    const QRect viewport = m_pViewport->geometry();
    setGeometry(viewport.left() - m_nWidth, viewport.top(), m_nWidth, viewport.height());
}

void CLineNumberArea::OnBlockCountChanged(int count) {
    // Typing within a line, or adding lines without a new digit, leaves the width alone.
    const int digits = DigitsOf(count);
    if (digits == m_nDigits)
        return;
    m_nDigits = digits;
    UpdateWidth();
}

void CLineNumberArea::OnUpdateRequest(const QRect& rect, int dy) {
    if (!m_bShown)
        return;
    // The view tells what of its text changed or moved; the numbers beside it follow, pixels and all.
    if (dy)
        scroll(0, dy);
    else
        update(0, rect.y(), width(), rect.height());
}

bool CLineNumberArea::eventFilter(QObject* watched, QEvent* event) {
    // Events come here while the view is being taken apart, too: only pointers are compared.
    if (watched == m_pView && event->type() == QEvent::FontChange)
        UpdateWidth();
    else if (watched == m_pViewport && event->type() == QEvent::Resize && m_bShown)
        PlaceOverMargin();
    return QWidget::eventFilter(watched, event);
}

QList<CLineNumberArea::Number> CLineNumberArea::VisibleNumbers(int top, int bottom) const {
    QList<Number> numbers;
    QTextBlock block = m_pView->firstVisibleBlock();
    if (!block.isValid())
        return numbers;
    const int rowHeight = QFontMetrics(m_pView->font()).height();
    int line = block.blockNumber() + 1;
    qreal blockTop = m_pView->blockBoundingGeometry(block).translated(m_pView->contentOffset()).top();
    // From the first line in view down to the first that starts below the rows asked for: the
    // numbering is the file's, a block being one line of the file however many rows it wraps into.
    while (block.isValid() && blockTop <= bottom) {
        const qreal blockHeight = m_pView->blockBoundingRect(block).height();
        if (block.isVisible()) {
            const QTextLayout* layout = block.layout();
            const bool bLaidOut = layout && layout->lineCount() > 0;
            const qreal rowTop = blockTop + (bLaidOut ? layout->lineAt(0).y() : 0);
            const int height = bLaidOut ? qCeil(layout->lineAt(0).height()) : rowHeight;
            if (rowTop + height > top)
                numbers.append({line, qRound(rowTop), height});
        }
        blockTop += blockHeight;
        block = block.next();
        ++line;
    }
    return numbers;
}

void CLineNumberArea::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect rect = event->rect();
    painter.fillRect(rect, m_pView->palette().color(QPalette::Base));
    painter.setFont(m_pView->font());
    painter.setPen(kNumberColour);
    const int right = width() - QFontMetrics(m_pView->font()).horizontalAdvance(QLatin1Char('9')) / 2;
    for (const Number& number : VisibleNumbers(rect.top(), rect.bottom()))
        painter.drawText(0, number.top, right, number.height, Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(number.line));
}

void CLineNumberArea::wheelEvent(QWheelEvent* event) {
    // The wheel over the margin scrolls (or zooms) the text, as it does over the text.
    m_pView->wheelEvent(event);
}
