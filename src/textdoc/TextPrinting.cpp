#include "textdoc/TextPrinting.h"

#include <QAbstractTextDocumentLayout>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>
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

QList<PrintedLine> PrintedLines(const QTextDocument& pages) {
    QList<PrintedLine> lines;
    const qreal pageHeight = pages.pageSize().height();
    QAbstractTextDocumentLayout* layout = pages.documentLayout();
    for (QTextBlock block = pages.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* blockLayout = block.layout();
        const QPointF origin = layout->blockBoundingRect(block).topLeft();
        for (int i = 0; i < blockLayout->lineCount(); ++i) {
            const QTextLine line = blockLayout->lineAt(i);
            QRectF rect = line.naturalTextRect().translated(origin);
            const int page = pageHeight > 0 ? int(std::floor(rect.top() / pageHeight)) : 0;
            rect.translate(0, -page * pageHeight);
            lines.append({page, block.text().mid(line.textStart(), line.textLength()), rect});
        }
    }
    return lines;
}

} // namespace textdoc
