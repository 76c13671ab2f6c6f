#include "cipher/ParallelDecrypt.h"
#include "cipher/Container.h"
#include "cipher/DocumentFile.h"
#include "cipher/PasswordToKey.h"
#include "cipher/StrongFile.h"
#include "common/TestRegistry.h"
#include "framework/Utf8Text.h"
#include "platform/TextCodec.h"

#include <QTest>
#include <random>

using namespace cipher;

namespace {

DesKey Key(const char* password) {
    DesKey key{};
    PasswordToKey(key, password);
    return key;
}

// The file bytes of a plaintext, the serial way.
platform::SecureBytes Encode(const DesKey& key, const platform::SecureBytes& plain) {
    platform::SecureBytes file = plain;
    if (!EncryptInPlace(key, file))
        return {};
    RotateWordsLeft(file.data(), file.size());
    return file;
}

platform::SecureBytes Units(const std::u16string& units) {
    platform::SecureBytes bytes;
    for (char16_t u : units) {
        bytes.push_back(static_cast<uint8_t>(u));
        bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return bytes;
}

// The text the UTF-8 route makes of a document's UTF-16 units, as the editor shows it.
QString TextThroughUtf8(const platform::SecureBytes& units) {
    platform::SecureString utf8;
    platform::Utf16LeToUtf8(units.data(), units.size() / 2, utf8);
    size_t size = utf8.size();
    while (size > 0 && utf8[size - 1] == 0)
        --size;
    return TextFromUtf8(utf8.data(), static_cast<qsizetype>(size));
}

// Decodes a document into a UTF-16 string of the size the decoder asks for; `units` is the length
// of the text in it.
DocStatus DecodeToString(const platform::SecureBytes& file, const char* password, std::u16string& out, size_t& units) {
    return DecodeAnyDocumentUtf16(
        file, password,
        [&out](size_t most) {
            out.assign(most, u'?');
            return out.data();
        },
        units);
}

} // namespace

class ParallelDecryptTest : public QObject {
    Q_OBJECT

private slots:
    // Deciphered on several threads, any size gives the bytes the serial route gives: under one
    // chunk, exactly one, one block past a boundary, several.
    void matchesTheSerialRead() {
        const DesKey key = Key("pw");
        std::mt19937 random(18);
        // Small chunks, so that there are many boundaries to cross; and the real size once.
        const size_t chunk = 4096;
        std::vector<std::pair<size_t, size_t>> cases; // plaintext size, chunk size
        for (size_t size : {size_t(2), size_t(6), size_t(8), size_t(1000), chunk - 10, chunk - 8, chunk - 2, chunk,
                            chunk + 2, 2 * chunk + 6, 7 * chunk + 8 + 2 * (random() % 5000)})
            cases.emplace_back(size, chunk);
        for (int i = 0; i < 20; ++i)
            cases.emplace_back(2 * (1 + random() % 40000), chunk);
        cases.emplace_back(kDecryptChunkBytes + 2, kDecryptChunkBytes);
        // Chunks chosen from the size: smallest chunk and one block past it, a size split into
        // uneven chunks, and one over the largest chunk.
        for (size_t size : {kDecryptMinChunkBytes, 2 * kDecryptMinChunkBytes + 8, size_t(1000002),
                            2 * kDecryptChunkBytes + 4 * kDecryptMinChunkBytes + 6})
            cases.emplace_back(size, kAutoChunkBytes);
        for (const auto& [size, chunkBytes] : cases) {
            platform::SecureBytes plain(size);
            for (uint8_t& b : plain)
                b = static_cast<uint8_t>(random());
            const platform::SecureBytes file = Encode(key, plain);
            QVERIFY(!file.empty());
            for (unsigned threads : {1u, 2u, 3u}) {
                platform::SecureBytes work = file;
                bool ok = false;
                const size_t length = DecryptDocumentInPlace(key, work.data(), work.size(), ok, threads, chunkBytes);
                QVERIFY2(ok, qPrintable(QString::number(size)));
                QCOMPARE(length, size);
                QVERIFY(std::equal(plain.begin(), plain.end(), work.begin()));
            }
            // A wrong key fails on the padding, leaving nothing of the file behind.
            platform::SecureBytes work = file;
            bool ok = true;
            if (!DocumentPaddingFits(Key("wrong"), work.data(), work.size())) {
                QCOMPARE(DecryptDocumentInPlace(Key("wrong"), work.data(), work.size(), ok, 2, chunkBytes), size_t(0));
                QVERIFY(!ok);
                QVERIFY(std::all_of(work.begin(), work.end(), [](uint8_t b) { return b == 0; }));
            }
        }
    }

    // A padding the PKCS rule accepts but a document cannot have (an odd count) is a wrong
    // password; so are lengths that are no whole blocks and the empty password's weak key.
    void refusesWhatADocumentCannotBe() {
        const DesKey key = Key("pw");
        platform::SecureBytes odd(16 + 7, 'x'); // one byte of value 1 completes it
        platform::SecureBytes file = Encode(key, odd);
        QCOMPARE(file.size(), size_t(24));
        QVERIFY(!DocumentPaddingFits(key, file.data(), file.size()));
        bool ok = true;
        QCOMPARE(DecryptDocumentInPlace(key, file.data(), file.size(), ok), size_t(0));
        QVERIFY(!ok);
        platform::SecureString text;
        QCOMPARE(DecodeDocument(Encode(key, odd), "pw", text), DocResult::WrongPassword);

        platform::SecureBytes even(16 + 6, 'x');
        file = Encode(key, even);
        QVERIFY(DocumentPaddingFits(key, file.data(), file.size()));
        QVERIFY(!DocumentPaddingFits(key, file.data(), file.size() - 4));
        QVERIFY(!DocumentPaddingFits(key, file.data(), 0));
        QVERIFY(!DocumentPaddingFits(Key(""), file.data(), file.size()));
    }

    // The parallel conversion gives the serial conversion's text, surrogate pairs split across a
    // chunk boundary and lone halves included; zero units at the end go, those inside stay, and a
    // leading byte-order mark is text.
    void convertsLikeTheSerialConversion() {
        std::mt19937 random(7);
        const size_t chunkBytes = 8192;
        const size_t chunkUnits = chunkBytes / 2;
        std::u16string units(2 * chunkUnits + 1234, u'a');
        const char16_t kinds[] = {u'a', u'\r', u'\n', 0xE9, 0x20AC, 0xD83D, 0xDE00, 0x0000, 0xFEFF, 0x7FF, 0x800};
        for (size_t i = 0; i < units.size(); i += 1 + random() % 7)
            units[i] = kinds[random() % std::size(kinds)];
        units[chunkUnits - 1] = 0xD83D; // a pair across the first boundary
        units[chunkUnits] = 0xDE00;
        units[2 * chunkUnits - 1] = 0xD83D; // a lone first half before the second
        units[2 * chunkUnits] = u'b';
        units[3] = 0;
        units.back() = u'z';
        const platform::SecureBytes bytes = Units(units);
        platform::SecureString serial;
        platform::Utf16LeToUtf8(bytes.data(), units.size(), serial);
        for (unsigned threads : {1u, 2u, 3u}) {
            platform::SecureString parallel;
            Utf16LeToUtf8Parallel(bytes.data(), units.size(), parallel, threads, chunkBytes);
            QCOMPARE(parallel.size(), serial.size());
            QVERIFY(parallel.view() == serial.view());
        }

        const platform::SecureBytes edged = Units(std::u16string(u"\uFEFFa\0b\0\0", 6));
        platform::SecureString text;
        Utf16LeToUtf8Parallel(edged.data(), 6, text, 2);
        QCOMPARE(std::string(text.view()), std::string("\xEF\xBB\xBF"
                                                       "a\0b",
                                                       6));
        Utf16LeToUtf8Parallel(edged.data(), 0, text);
        QVERIFY(text.empty());

        // Through the whole read: the mark and the inner zero stay, the trailing zeros go.
        platform::SecureString read;
        QCOMPARE(DecodeDocument(Encode(Key("pw"), edged), "pw", read), DocResult::Ok);
        QCOMPARE(std::string(read.view()), std::string("\xEF\xBB\xBF"
                                                       "a\0b",
                                                       6));
    }

    // Deciphered straight into UTF-16, a text is what the UTF-8 route makes of it: lone halves (at
    // chunk edges too) become U+FFFD, pairs across an edge stay whole, zeros inside stay, zeros at
    // the end go, a leading mark stays. A wrong password asks for no room at all.
    void decodesToUtf16LikeTheUtf8Route() {
        std::mt19937 random(16);
        const DesKey key = Key("pw");
        const char16_t kinds[] = {u'a', u'\r', u'\n', 0xE9, 0xD83D, 0xDE00, 0xDBFF, 0xDC00, 0, 0xFEFF, 0xFFFF};
        const size_t chunk = 64; // 32 units a chunk: many edges
        for (int round = 0; round < 80; ++round) {
            std::u16string units(round == 0 ? 3 * kDecryptMinChunkBytes / 2 + 5 : 1 + random() % 300, u'a');
            for (char16_t& unit : units) {
                if (random() % 3 == 0)
                    unit = kinds[random() % std::size(kinds)];
            }
            if (round % 3 == 0)
                units[0] = 0xFEFF;
            if (round % 4 == 0)
                units.append(1 + random() % 5, u'\0');
            if (round % 5 == 0)
                units.back() = 0xD83D;
            const platform::SecureBytes plain = Units(units);
            const platform::SecureBytes file = Encode(key, plain);
            const QString expected = TextThroughUtf8(plain);
            for (unsigned threads : {1u, 2u, 3u}) {
                std::u16string out(file.size() / 2, u'?');
                bool ok = false;
                const size_t bytes = DecryptDocument(key, file.data(), reinterpret_cast<uint8_t*>(out.data()),
                                                     file.size(), ok, threads, chunk, true);
                QVERIFY(ok);
                QCOMPARE(bytes, plain.size());
                size_t size = bytes / 2;
                while (size > 0 && out[size - 1] == 0)
                    --size;
                QCOMPARE(QStringView(out.data(), static_cast<qsizetype>(size)).toString(), expected);
            }
            std::u16string whole;
            size_t count = 99;
            const DocStatus status = DecodeToString(file, "pw", whole, count);
            QVERIFY(status.ok());
            QCOMPARE(QStringView(whole.data(), static_cast<qsizetype>(count)).toString(), expected);

            if (!DocumentPaddingFits(Key("wrong"), file.data(), file.size())) {
                bool asked = false;
                QCOMPARE(DecodeAnyDocumentUtf16(
                             file, "wrong",
                             [&](size_t) {
                                 asked = true;
                                 return whole.data();
                             },
                             count)
                             .result,
                         DocResult::WrongPassword);
                QVERIFY(!asked);
                QCOMPARE(count, size_t(0));
            }
        }

        // A strong file's text comes as it was written, a leading mark and zeros at the end included.
        SetNewStrongCost(StrongCost{2, 64});
        const std::string text("\xEF\xBB\xBF"
                               "a\0\xF0\x9F\x98\x80\0",
                               10);
        platform::SecureBytes strong;
        QCOMPARE(EncodeStrongDocument(text, "pw", NewStrongCost(), strong), DocResult::Ok);
        SetNewStrongCost(StrongCost{});
        std::u16string out;
        size_t count = 0;
        const DocStatus status = DecodeToString(strong, "pw", out, count);
        QVERIFY(status.ok());
        QCOMPARE(status.format, DocFormat::Strong);
        QCOMPARE(QStringView(out.data(), static_cast<qsizetype>(count)).toString(),
                 TextFromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        QCOMPARE(DecodeAnyDocumentUtf16(
                     strong, "wrong", [&out](size_t) { return out.data(); }, count)
                     .result,
                 DocResult::WrongPassword);
    }
};

LW_REGISTER_TEST(ParallelDecryptTest);
#include "ParallelDecryptTest.moc"
