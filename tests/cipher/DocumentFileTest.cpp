#define OPENSSL_SUPPRESS_DEPRECATED
#include "cipher/DocumentFile.h"
#include "ReferenceLayout.h"
#include "cipher/Container.h"
#include "cipher/PasswordToKey.h"
#include "cipher/RawFile.h"
#include "common/TestRegistry.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <openssl/des.h>
#include <random>

using namespace cipher;

namespace {

std::u16string Utf16(const std::string& utf8) {
    return QString::fromStdString(utf8).toStdU16String();
}

platform::SecureBytes FileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return {all.begin(), all.end()};
}

struct Golden {
    const char* file;
    const char* password;
    const char* text;
};

// Files whose bytes the format fixes: a plain ASCII text; Western text under a password with
// Windows-1252 characters; text beyond Windows-1252 under a password that has no Windows-1252 form.
const Golden kGolden[] = {
    {"hello.etx", "secret", "Hello, World!\r\n"},
    {"western.etx", "pässwörd", "Grüße, €100 — café\r\nZeile 2\r\n"},
    {"unicode.etx", "пароль", "日本語 😀\nΑθήνα\rend"},
};

const char* const kTexts[] = {
    "a",
    "abc",
    "abcd",
    "CR LF\r\nLF\nCR\rmixed\r\n\n\r\r\n",
    "\xC2\xA0non-breaking\xC2\xA0spaces and\ttabs",
    "emoji 😀👍🏽 flags 🇩🇪, CJK 漢字, combining e\xCC\x81, Greek Ωμέγα, Hebrew שלום",
};

} // namespace

class DocumentFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::string Path(const char* name) const { return (m_dir.path() + "/" + name).toStdString(); }

private slots:
    void goldenFilesReadAndWriteExactly() {
        for (const Golden& g : kGolden) {
            const QString path = QString(LW_TEST_DATA_DIR) + "/" + g.file;
            platform::SecureString text;
            const DocStatus status = ReadDocumentFile(path.toStdString(), g.password, text);
            QVERIFY2(status.ok(), g.file);
            QCOMPARE(std::string(text.view()), std::string(g.text));
            platform::SecureBytes encoded;
            QCOMPARE(EncodeDocument(g.text, g.password, encoded), DocResult::Ok);
            QVERIFY(encoded == FileBytes(path));
            QCOMPARE(encoded.size(), ((Utf16(g.text).size() * 2) / 8 + 1) * 8);
        }
    }

    void matchesReferenceLayout() {
        std::mt19937 rng(5);
        const char32_t pool[] = {U'a', U'Z', U' ', U'\r', U'\n', U'\t', U'é', U'€', U'—', U'日', U'😀', U'Ω', U'\u00A0'};
        for (int round = 0; round < 100; ++round) {
            std::u32string chars;
            const size_t length = 1 + rng() % 60;
            for (size_t i = 0; i < length; ++i)
                chars += pool[rng() % std::size(pool)];
            const std::string text = QString::fromStdU32String(chars).toStdString();
            const std::string password = round % 2 ? "Grüße" : "пароль";
            platform::SecureBytes encoded;
            QCOMPARE(EncodeDocument(text, password, encoded), DocResult::Ok);
            const std::string keyBytes = std::string(PasswordBytes(password).view());
            const std::vector<uint8_t> expected = reference::EncodeDocument(Utf16(text), keyBytes);
            QVERIFY(std::equal(encoded.begin(), encoded.end(), expected.begin(), expected.end()));
            platform::SecureString back;
            QCOMPARE(DecodeDocument(encoded, password, back), DocResult::Ok);
            QCOMPARE(std::string(back.view()), text);
        }
    }

    void roundTripsThroughFiles() {
        for (const char* literal : kTexts) {
            const std::string text = literal;
            const std::string path = Path("round.etx");
            QVERIFY(WriteDocumentFile(path, "pw", text).ok());
            platform::SecureString back;
            QVERIFY(ReadDocumentFile(path, "pw", back).ok());
            QCOMPARE(std::string(back.view()), text);
        }
        const std::string withNul("nul\0inside", 10);
        QVERIFY(WriteDocumentFile(Path("nul.etx"), "pw", withNul).ok());
        platform::SecureString back;
        QVERIFY(ReadDocumentFile(Path("nul.etx"), "pw", back).ok());
        QCOMPARE(std::string(back.view()), withNul);
        // Zero code units at the end are filler, not text; a leading U+FEFF is text.
        const std::string padded("\xEF\xBB\xBFzero\0filled\0\0\0", 17);
        QVERIFY(WriteDocumentFile(Path("filled.etx"), "pw", padded).ok());
        QVERIFY(ReadDocumentFile(Path("filled.etx"), "pw", back).ok());
        QCOMPARE(std::string(back.view()), std::string("\xEF\xBB\xBFzero\0filled", 14));
        QVERIFY(WriteDocumentFile(Path("zeros.etx"), "pw", std::string(3, '\0')).ok());
        QVERIFY(ReadDocumentFile(Path("zeros.etx"), "pw", back).ok());
        QVERIFY(back.empty());
    }

    void sizesOfShortTexts() {
        platform::SecureBytes bytes;
        // An empty text is a single block of padding, and reads back empty.
        QCOMPARE(EncodeDocument("", "pw", bytes), DocResult::Ok);
        QCOMPARE(bytes.size(), size_t(8));
        DesKey key{};
        PasswordToKey(key, "pw");
        platform::SecureBytes plain(bytes);
        RotateWordsRight(plain.data(), plain.size());
        DesSchedule ks;
        QCOMPARE(DesSetKeyChecked(key, ks), 0);
        const uint8_t zero[8] = {};
        DesCbcCrypt(plain.data(), plain.data(), 8, ks, zero, 0);
        QVERIFY(plain == platform::SecureBytes(8, 8));
        platform::SecureString text = "not empty";
        QCOMPARE(DecodeDocument(bytes, "pw", text), DocResult::Ok);
        QVERIFY(text.empty());
        QCOMPARE(EncodeDocument("abc", "pw", bytes), DocResult::Ok);
        QCOMPARE(bytes.size(), size_t(8)); // 6 bytes of UTF-16 + 2 of padding
        QCOMPARE(EncodeDocument("abcd", "pw", bytes), DocResult::Ok);
        QCOMPARE(bytes.size(), size_t(16)); // 8 bytes + a whole block of padding
    }

    void refusals() {
        platform::SecureBytes bytes = {1};
        QCOMPARE(EncodeDocument("text", "", bytes), DocResult::UnusablePassword);
        QCOMPARE(EncodeDocument("bad \xFF", "pw", bytes), DocResult::InvalidText);
        QVERIFY(bytes == platform::SecureBytes{1});

        const std::string path = Path("kept.etx");
        QVERIFY(WriteDocumentFile(path, "pw", "kept").ok());
        const platform::SecureBytes before = FileBytes(QString::fromStdString(path));
        QCOMPARE(WriteDocumentFile(path, "", "new").result, DocResult::UnusablePassword);
        QVERIFY(FileBytes(QString::fromStdString(path)) == before);

        platform::SecureString text;
        QCOMPARE(ReadDocumentFile(path, "wrong", text).result, DocResult::WrongPassword);
        QCOMPARE(ReadDocumentFile(path, "", text).result, DocResult::WrongPassword);
        const DocStatus missing = ReadDocumentFile(Path("missing.etx"), "pw", text);
        QCOMPARE(missing.result, DocResult::CannotRead);
        QCOMPARE(missing.systemError, uint32_t(ENOENT));
        QVERIFY(DescribeFailure(missing, "missing.etx").find("missing.etx") != std::string::npos);

        QCOMPARE(DecodeDocument({}, "pw", text), DocResult::WrongPassword);
        QCOMPARE(DecodeDocument(platform::SecureBytes(12, 0), "pw", text), DocResult::WrongPassword);
    }

    void oddPaddingIsAWrongPassword() {
        // A block whose plaintext ends in a single 0x01 passes the padding test but cannot be a
        // document: its plaintext would be an odd number of bytes.
        DesKey key{};
        PasswordToKey(key, "pw");
        DesSchedule ks;
        QCOMPARE(DesSetKeyChecked(key, ks), 0);
        const uint8_t plain[8] = {'a', 0, 'b', 0, 'c', 0, 'd', 1};
        const uint8_t zero[8] = {};
        platform::SecureBytes file(8);
        DesCbcCrypt(plain, file.data(), 8, ks, zero, 1);
        platform::SecureBytes raw;
        QCOMPARE(DecryptBuffer(key, file.data(), 8, raw), 1);
        RotateWordsLeft(file.data(), file.size());
        platform::SecureString text;
        QCOMPARE(DecodeDocument(file, "pw", text), DocResult::WrongPassword);
    }

    void wrongPasswordsAreCaught() {
        // Over many wrong passwords, garbage must essentially never come back as text. Padding alone
        // lets about 1 in 256 keys through (a last byte of 1), some 8 of these 2000; a document's
        // padding is even, which leaves about 1 in 65,536.
        platform::SecureBytes file;
        QCOMPARE(EncodeDocument("The quick brown fox", "right", file), DocResult::Ok);
        int accepted = 0;
        for (int i = 0; i < 2000; ++i) {
            platform::SecureString text;
            if (DecodeDocument(file, "wrong" + std::to_string(i), text) == DocResult::Ok)
                ++accepted;
        }
        QVERIFY2(accepted <= 1, qPrintable(QString::number(accepted)));
    }

    void passwordEncodings() {
        platform::SecureString bytes = PasswordBytes("pässwörd€");
        QCOMPARE(std::string(bytes.view()), std::string("p\xE4ssw\xF6rd\x80"));
        bytes = PasswordBytes("пароль");
        QCOMPARE(std::string(bytes.view()), std::string("пароль"));
        // A file keyed with the UTF-8 bytes of a Western password (as a UTF-8 system would write
        // it) still opens.
        DesKey key{};
        PasswordToKey(key, "pässwörd");
        const std::u16string text = u"hi";
        platform::SecureBytes file;
        QCOMPARE(EncryptBuffer(key, reinterpret_cast<const uint8_t*>(text.data()), 4, file), 1);
        RotateWordsLeft(file.data(), file.size());
        platform::SecureString back;
        QCOMPARE(DecodeDocument(file, "pässwörd", back), DocResult::Ok);
        QCOMPARE(std::string(back.view()), std::string("hi"));
    }

    void loneSurrogatesInFilesRead() {
        // Files written elsewhere may hold lone surrogates; they read as U+FFFD.
        DesKey key{};
        PasswordToKey(key, "pw");
        const uint8_t units[] = {'o', 0, 0x00, 0xD8, 'k', 0};
        platform::SecureBytes file;
        QCOMPARE(EncryptBuffer(key, units, sizeof units, file), 1);
        RotateWordsLeft(file.data(), file.size());
        platform::SecureString text;
        QCOMPARE(DecodeDocument(file, "pw", text), DocResult::Ok);
        QCOMPARE(std::string(text.view()), std::string("o\xEF\xBF\xBDk"));
    }

    void plainContainer() {
        std::vector<uint8_t> record(1080);
        for (size_t i = 0; i < record.size(); ++i)
            record[i] = static_cast<uint8_t>(i);
        const std::string path = Path("csptx.eda");
        QVERIFY(WritePlainFile(path, "volume text", record.data(), record.size()).ok());
        QCOMPARE(FileBytes(QString::fromStdString(path)).size(), size_t(1088));
        // No rotation in this layout: the file is plain DES-CBC of the padded record.
        DesKey key{};
        PasswordToKey(key, "volume text");
        platform::SecureBytes plain;
        const platform::SecureBytes raw = FileBytes(QString::fromStdString(path));
        QCOMPARE(DecryptBuffer(key, raw.data(), raw.size(), plain), 1);
        QVERIFY(std::equal(plain.begin(), plain.end(), record.begin(), record.end()));
        platform::SecureBytes back;
        QVERIFY(ReadPlainFile(path, "volume text", back).ok());
        QVERIFY(std::equal(back.begin(), back.end(), record.begin(), record.end()));
        QCOMPARE(ReadPlainFile(path, "other text", back).result, DocResult::WrongPassword);
    }
};

LW_REGISTER_TEST(DocumentFileTest);
#include "DocumentFileTest.moc"
