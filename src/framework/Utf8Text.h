#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

// Text from UTF-8 exactly as it is. QString::fromUtf8 drops a leading U+FEFF as if it were a
// byte-order mark; in a document's text or an account's field it is a character like any other,
// and dropping it would change what the user never touched.
inline QString TextFromUtf8(const char* data, qsizetype size) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(data, size));
}
