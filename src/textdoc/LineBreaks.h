#pragma once

#include <QString>
#include <QStringView>
#include <utility>
#include <vector>

// The line breaks of a text file, kept so that a file comes back from the editor with the very breaks
// it was opened with. The editor control splits text into lines at "\r\n", "\n", "\r", U+2029 and the
// two frame marks U+FDD0 and U+FDD1, and gives every split back as U+2029; each kind is remembered
// so that it can be written again as it was read.
namespace textdoc {

enum class LineBreak : int { CrLf = 1, Lf, Cr, ParagraphSeparator, FrameStart, FrameEnd };

// The characters of a break of that kind.
QStringView LineBreakText(LineBreak kind);

struct LineBreakScan {
    // The most frequent kind (the first one found on a tie); CRLF, the break of new files, when
    // the text has none.
    LineBreak dominant = LineBreak::CrLf;
    int count = 0;
    // Every break of another kind: the number of the line it starts (the first line is 0) and its kind.
    std::vector<std::pair<int, LineBreak>> exceptions;
};

// Finds the breaks exactly as the editor control will split the text.
LineBreakScan ScanLineBreaks(QStringView text);

} // namespace textdoc
