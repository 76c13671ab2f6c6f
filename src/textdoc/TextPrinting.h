#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <memory>

class QFont;
class QPrinter;
class QTextDocument;

namespace textdoc {

// A copy of the text laid out on the printer's pages, within the page margins the printer has: long
// lines wrap at the printable width, at a blank where one fits and anywhere otherwise, so that paper,
// which cannot scroll sideways, gets every character. Tabs and empty lines stay the text's; the font is
// `font` at its own point size, whatever size the text is shown at on screen.
std::unique_ptr<QTextDocument> LayOutPrintedPages(const QTextDocument& text, QPrinter* printer, const QFont& font);

// One line as a laid-out copy draws it: the page it is on (from 0), its characters, and where it
// lies on that page, in the printer's pixels from the top left corner of the printable area.
struct PrintedLine {
    int page = 0;
    QString text;
    QRectF rect;
};

// Every line of a laid-out copy, page by page and top to bottom.
QList<PrintedLine> PrintedLines(const QTextDocument& pages);

// Prints a laid-out copy: each line on its own page only, so that no line is drawn (clipped, yet in
// the PDF's text) on the page before or after it. Honours the printer's page range and copies.
void PrintPages(const QTextDocument& pages, QPrinter* printer);

} // namespace textdoc
