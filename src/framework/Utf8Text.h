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

// Wipes a text's characters where this is their only copy (wiping a shared one would only copy it
// first), and empties it.
inline void WipeString(QString& text) {
    if (!text.isEmpty() && text.isDetached())
        platform::WipeMemory(text.data(), static_cast<size_t>(text.size()) * sizeof(QChar));
    text.clear();
}

// The same for bytes.
inline void WipeBytes(QByteArray& bytes) {
    if (!bytes.isEmpty() && bytes.isDetached())
        platform::WipeMemory(bytes.data(), static_cast<size_t>(bytes.size()));
    bytes.clear();
}

// A secret as its field hands it out: the one short-lived QString, cut to nMaxLength characters,
// converted at once and wiped.
inline platform::SecureString TakeSecureUtf8(QString text, qsizetype nMaxLength) {
    text.truncate(nMaxLength);
    platform::SecureString utf8 = SecureUtf8(text);
    WipeString(text);
    return utf8;
}
