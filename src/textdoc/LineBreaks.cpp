#include "textdoc/LineBreaks.h"

#include <array>

namespace textdoc {

namespace {

constexpr char16_t kParagraphSeparator = 0x2029;
constexpr char16_t kFrameStart = 0xFDD0;
constexpr char16_t kFrameEnd = 0xFDD1;

// The break at text[i], if one starts there; `length` gets its number of characters.
inline bool BreakAt(const char16_t* text, qsizetype i, qsizetype size, LineBreak& kind, int& length) {
    const char16_t ch = text[i];
    if (ch > u'\r' && ch < kParagraphSeparator)
        return false;
    length = 1;
    switch (ch) {
    case u'\r':
        if (i + 1 < size && text[i + 1] == u'\n') {
            kind = LineBreak::CrLf;
            length = 2;
        } else {
            kind = LineBreak::Cr;
        }
        return true;
    case u'\n':
        kind = LineBreak::Lf;
        return true;
    case kParagraphSeparator:
        kind = LineBreak::ParagraphSeparator;
        return true;
    case kFrameStart:
        kind = LineBreak::FrameStart;
        return true;
    case kFrameEnd:
        kind = LineBreak::FrameEnd;
        return true;
    default:
        return false;
    }
}

} // namespace

QStringView LineBreakText(LineBreak kind) {
    static const char16_t crlf[] = u"\r\n";
    static const char16_t lf[] = u"\n";
    static const char16_t cr[] = u"\r";
    static const char16_t ps[] = {kParagraphSeparator, 0};
    static const char16_t fs[] = {kFrameStart, 0};
    static const char16_t fe[] = {kFrameEnd, 0};
    switch (kind) {
    case LineBreak::CrLf:
        return QStringView(crlf, 2);
    case LineBreak::Lf:
        return QStringView(lf, 1);
    case LineBreak::Cr:
        return QStringView(cr, 1);
    case LineBreak::ParagraphSeparator:
        return QStringView(ps, 1);
    case LineBreak::FrameStart:
        return QStringView(fs, 1);
    case LineBreak::FrameEnd:
        return QStringView(fe, 1);
    }
    return QStringView(crlf, 2);
}

LineBreakScan ScanLineBreaks(QStringView text) {
    const char16_t* data = text.utf16();
    const qsizetype size = text.size();
    constexpr int kKinds = static_cast<int>(LineBreak::FrameEnd) + 1;
    std::array<int, kKinds> counts{};
    std::array<qsizetype, kKinds> first{};
    first.fill(-1);

    LineBreakScan scan;
    LineBreak kind = LineBreak::CrLf;
    int length = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (!BreakAt(data, i, size, kind, length))
            continue;
        const int k = static_cast<int>(kind);
        if (counts[k]++ == 0)
            first[k] = i;
        ++scan.count;
        i += length - 1;
    }
    int kindsFound = 0;
    int best = static_cast<int>(LineBreak::CrLf);
    for (int k = 1; k < kKinds; ++k) {
        if (counts[k] == 0)
            continue;
        ++kindsFound;
        if (counts[best] == 0 || counts[k] > counts[best] || (counts[k] == counts[best] && first[k] < first[best]))
            best = k;
    }
    scan.dominant = static_cast<LineBreak>(best);
    if (kindsFound <= 1)
        return scan;

    // A mixed file: note the lines whose break differs from the usual one.
    int line = 0;
    for (qsizetype i = 0; i < size; ++i) {
        if (!BreakAt(data, i, size, kind, length))
            continue;
        ++line;
        if (kind != scan.dominant)
            scan.exceptions.emplace_back(line, kind);
        i += length - 1;
    }
    return scan;
}

} // namespace textdoc
