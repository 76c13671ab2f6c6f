#include "textdoc/TextPrinting.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace textdoc {

std::unique_ptr<QTextDocument> LayOutPrintedPages(const QTextDocument& text, QPrinter* printer, const QFont& font) {
    std::unique_ptr<QTextDocument> pages(text.clone());
    // The copy would keep the zoom of the screen.
    pages->setDefaultFont(font);
    // Measured on the printer itself, so that the breaks fall where the printer's glyphs end. The text
    // document's own margin would add 2 cm inside the page margins, and a document without a page size
    // would get a page number at the foot of every page.
    pages->documentLayout()->setPaintDevice(printer);
    pages->setDocumentMargin(0);
    QTextOption option = pages->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    pages->setDefaultTextOption(option);
    pages->setPageSize(printer->pageRect(QPrinter::DevicePixel).size());
    return pages;
}

namespace {

// Calls `visit(line, page, origin)` for every line of a laid-out copy in order, `origin` being where
// the line's layout is drawn from on its page.
template <typename Visit> void ForEachPrintedLine(const QTextDocument& pages, Visit visit) {
    const qreal pageHeight = pages.pageSize().height();
    QAbstractTextDocumentLayout* layout = pages.documentLayout();
    for (QTextBlock block = pages.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* blockLayout = block.layout();
        const QPointF origin = layout->blockBoundingRect(block).topLeft();
        for (int i = 0; i < blockLayout->lineCount(); ++i) {
            const QTextLine line = blockLayout->lineAt(i);
            const qreal top = line.naturalTextRect().top() + origin.y();
            const int page = pageHeight > 0 ? int(std::floor(top / pageHeight)) : 0;
            visit(block, line, page, origin - QPointF(0, page * pageHeight));
        }
    }
}

} // namespace

QList<PrintedLine> PrintedLines(const QTextDocument& pages) {
    QList<PrintedLine> lines;
    ForEachPrintedLine(pages, [&lines](const QTextBlock& block, const QTextLine& line, int page, QPointF origin) {
        lines.append(
            {page, block.text().mid(line.textStart(), line.textLength()), line.naturalTextRect().translated(origin)});
    });
    return lines;
}

void PrintPages(const QTextDocument& pages, QPrinter* printer) {
    const int lastPage = std::max(1, pages.pageCount());
    int from = printer->fromPage() > 0 ? printer->fromPage() : 1;
    int to = printer->toPage() > 0 ? std::min(printer->toPage(), lastPage) : lastPage;
    if (from > to)
        return;
    // A printer that can't make copies itself gets each copy printed in full, one after another.
    const int copies = printer->supportsMultipleCopies() ? 1 : std::max(1, printer->copyCount());
    QPainter painter(printer);
    if (!painter.isActive())
        return;
    painter.setFont(pages.defaultFont());
    bool first = true;
    for (int copy = 0; copy < copies; ++copy) {
        for (int page = from - 1; page < to; ++page) {
            if (!first && !printer->newPage())
                return;
            first = false;
            ForEachPrintedLine(pages, [&](const QTextBlock&, const QTextLine& line, int linePage, QPointF origin) {
                if (linePage == page)
                    line.draw(&painter, origin);
            });
        }
    }
}

} // namespace textdoc
