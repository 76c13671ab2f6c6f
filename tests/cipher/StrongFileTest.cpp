#include "cipher/StrongFile.h"
#include "common/TestRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <sodium.h>

using namespace cipher;

namespace {

// Small figures: the header carries them, so the reader runs exactly what the writer chose.
constexpr StrongCost kQuick{2, 64};

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

platform::SecureBytes Encoded(std::string_view text, std::string_view password, StrongCost cost = kQuick) {
    platform::SecureBytes bytes;
    if (EncodeStrongDocument(text, password, cost, bytes) != DocResult::Ok)
        return {};
    return bytes;
}

DocResult Decode(const platform::SecureBytes& bytes, std::string_view password) {
    platform::SecureString text;
    return DecodeStrongDocument(bytes.data(), bytes.size(), password, text);
}

} // namespace

class StrongFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void init() { SetNewStrongCost(kQuick); }
    void cleanupTestCase() { SetNewStrongCost(StrongCost{}); }

    // The file taken apart by hand, with libsodium called directly, holds what the writer was given.
    void writerFollowsTheLayout() {
        QVERIFY(sodium_init() >= 0);
        const std::string text = "Grüße\r\n<passwords/>😀";
        const std::string password = "pässwörd";
        const platform::SecureBytes file = Encoded(text, password);
        QCOMPARE(file.size(), 64 + text.size() + 16);
        const uint8_t magic[8] = {0x4C, 0x57, 0x45, 0x4E, 0x43, 0x0D, 0x0A, 0x1A};
        QVERIFY(std::memcmp(file.data(), magic, 8) == 0);
        QCOMPARE(file[8], uint8_t(1));
        QCOMPARE(file[9], uint8_t(1));
        QCOMPARE(file[10], uint8_t(0));
        QCOMPARE(file[11], uint8_t(0));
        QCOMPARE(Le32(&file[12]), kQuick.passes);
        QCOMPARE(Le32(&file[16]), kQuick.memoryKiB);
        QCOMPARE(Le32(&file[60]), 0u);

        uint8_t key[32];
        QCOMPARE(crypto_pwhash(key, sizeof key, password.data(), password.size(), &file[20], kQuick.passes,
                               kQuick.memoryKiB * 1024, crypto_pwhash_ALG_ARGON2ID13),
                 0);
        std::string clear(file.size() - 64 - 16, '\0');
        unsigned long long clearSize = 0;
        QCOMPARE(crypto_aead_xchacha20poly1305_ietf_decrypt(reinterpret_cast<uint8_t*>(clear.data()), &clearSize,
                                                            nullptr, &file[64], file.size() - 64, file.data(), 64,
                                                            &file[36], key),
                 0);
        QCOMPARE(clear, text);

        // A fresh salt and nonce every time: the same text under the same password never repeats.
        const platform::SecureBytes again = Encoded(text, password);
        QVERIFY(std::memcmp(&file[20], &again[20], 40) != 0);
    }

    void roundTripsThroughFiles() {
        const std::string path = m_dir.filePath("s.etx").toStdString();
        for (const std::string& text : {std::string(), std::string("x"), std::string(100000, 'y') + "é"}) {
            QVERIFY(WriteDocumentFile(path, "pw", text, DocFormat::Strong).ok());
            QFile f(QString::fromStdString(path));
            QCOMPARE(f.size(), qint64(80 + text.size())); // an empty text is an 80-byte file
            platform::SecureString read;
            const DocStatus status = ReadDocumentFile(path, "pw", read);
            QVERIFY(status.ok());
            QCOMPARE(status.format, DocFormat::Strong);
            QCOMPARE(std::string(read.view()), text);
        }
        // The password is taken as UTF-8 as it stands, with no Windows-1252 form as the compatible
        // format tries.
        QVERIFY(WriteDocumentFile(path, "é", "t", DocFormat::Strong).ok());
        platform::SecureString read;
        QCOMPARE(ReadDocumentFile(path, "\xE9", read).result, DocResult::WrongPassword);
        QVERIFY(ReadDocumentFile(path, "é", read).ok());

        QVERIFY(WriteDocumentFile(path, "pw", "old").ok());
        const DocStatus compatible = ReadDocumentFile(path, "pw", read);
        QVERIFY(compatible.ok());
        QCOMPARE(compatible.format, DocFormat::Compatible);
    }

    void writerRefusals() {
        platform::SecureBytes bytes;
        QCOMPARE(EncodeStrongDocument("text", "", kQuick, bytes), DocResult::UnusablePassword);
        QCOMPARE(EncodeStrongDocument("caf\xE9", "pw", kQuick, bytes), DocResult::InvalidText);
        QVERIFY(bytes.empty());
    }

    // A wrong password, and any one byte changed anywhere, are refused, naming the file.
    void wrongPasswordAndEveryFlippedByte() {
        const std::string path = m_dir.filePath("flip.kvd").toStdString();
        const platform::SecureBytes good = Encoded("abc", "right");
        QCOMPARE(Decode(good, "wrong"), DocResult::WrongPassword);
        for (size_t i = 0; i < good.size(); ++i) {
            platform::SecureBytes bad = good;
            bad[i] ^= 0x01;
            QFile f(QString::fromStdString(path));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(reinterpret_cast<const char*>(bad.data()), qint64(bad.size()));
            f.close();
            platform::SecureString text;
            const DocStatus status = ReadDocumentFile(path, "right", text);
            if (status.ok())
                QFAIL(qPrintable(QStringLiteral("byte %1 flipped was not noticed").arg(i)));
            QVERIFY(text.empty());
            QVERIFY(DescribeFailure(status, path).find(path) != std::string::npos);
        }
        const std::string message = DescribeFailure({DocResult::WrongPassword, 0}, path);
        QVERIFY(message.find("password is wrong") != std::string::npos);
        QVERIFY(message.find("damaged") != std::string::npos);
    }

    // Headers that would make the reader allocate gigabytes or run for minutes are refused before the
    // key derivation: the result says so instead of running out of memory or succeeding late.
    void hostileHeadersAreRefusedFirst() {
        const platform::SecureBytes good = Encoded("abc", "pw");
        auto with = [&](size_t offset, uint32_t value) {
            platform::SecureBytes bytes = good;
            PutLe32(&bytes[offset], value);
            return bytes;
        };
        QCOMPARE(Decode(with(16, 0xFFFFFFFFu), "pw"), DocResult::ExcessiveCost);
        QCOMPARE(Decode(with(16, 1024 * 1024 + 1), "pw"), DocResult::ExcessiveCost);
        QCOMPARE(Decode(with(12, 21), "pw"), DocResult::ExcessiveCost);
        QCOMPARE(Decode(with(12, 0xFFFFFFFFu), "pw"), DocResult::ExcessiveCost);
        QCOMPARE(Decode(with(12, 0), "pw"), DocResult::DamagedFile);
        QCOMPARE(Decode(with(16, 7), "pw"), DocResult::DamagedFile);
        QCOMPARE(Decode(with(60, 1), "pw"), DocResult::DamagedFile);
        platform::SecureBytes reserved = good;
        reserved[11] = 1;
        QCOMPARE(Decode(reserved, "pw"), DocResult::DamagedFile);
        platform::SecureBytes newer = good;
        newer[8] = 2;
        QCOMPARE(Decode(newer, "pw"), DocResult::NewerFormat);
        newer = good;
        newer[9] = 2;
        QCOMPARE(Decode(newer, "pw"), DocResult::NewerFormat);
        QVERIFY(DescribeFailure({DocResult::NewerFormat, 0}, "f.etx").find("newer version") != std::string::npos);
        // The limits themselves are allowed.
        StrongHeader header;
        QCOMPARE(ParseStrongHeader(with(16, 1024 * 1024).data(), good.size(), header), DocResult::Ok);
        QCOMPARE(ParseStrongHeader(with(12, 20).data(), good.size(), header), DocResult::Ok);
        // Cut short anywhere before a whole header and tag.
        platform::SecureString text;
        for (size_t size : {size_t(8), size_t(9), size_t(63), size_t(79)})
            QCOMPARE(DecodeStrongDocument(good.data(), size, "pw", text), DocResult::DamagedFile);
    }
};

LW_REGISTER_TEST(StrongFileTest);

#include "StrongFileTest.moc"
