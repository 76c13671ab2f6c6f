#include "shell/LockScreenCharset.h"

#include "platform/TextCodec.h"

#include <QString>
#include <array>
#include <string>

namespace {

using Table = std::array<QChar, 256>;

Table BuildTable(std::string (*toUtf8)(std::string_view)) {
    Table table{};
    for (int code = 0; code < 256; ++code) {
        const std::string byte(1, static_cast<char>(code));
        const QString text = QString::fromStdString(toUtf8(byte));
        const bool defined = text.size() == 1 && text.at(0) != QChar(QChar::ReplacementCharacter);
        table[static_cast<size_t>(code)] = defined ? text.at(0) : QChar(u' ');
    }
    return table;
}

QChar Lookup(const Table& table, int code) {
    return code >= 0 && code < 256 ? table[static_cast<size_t>(code)] : QChar(u' ');
}

} // namespace

QChar LockTextChar(int code) {
    static const Table table = BuildTable(&platform::Windows1252ToUtf8);
    return Lookup(table, code);
}

QChar LockRainChar(int code) {
    static const Table table = BuildTable(&platform::Windows1253ToUtf8);
    return Lookup(table, code);
}
