#pragma once

#include "platform/SecureMemory.h"

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

inline QString TextFromUtf8(const platform::SecureString& text) {
    return TextFromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The UTF-8 of a text that may be a secret (a password, an account's field), held in memory that is
// wiped when released; the converter's own buffer is wiped at once, so no copy of it is left behind.
inline platform::SecureString SecureUtf8(const QString& text) {
    QByteArray bytes = text.toUtf8();
    platform::SecureString utf8(bytes.constData(), static_cast<size_t>(bytes.size()));
    platform::WipeMemory(bytes.data(), static_cast<size_t>(bytes.size()));
    return utf8;
}
