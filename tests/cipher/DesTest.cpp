// Compares our DES facade and key derivation with OpenSSL's own routines.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "cipher/Des.h"
#include "cipher/PasswordToKey.h"
#include "common/TestRegistry.h"

#include <QTest>
#include <cstring>
#include <openssl/des.h>
#include <random>

using namespace cipher;

namespace {
DesKey Key(uint64_t v) {
    DesKey k{};
    for (int i = 0; i < 8; ++i)
        k[i] = static_cast<uint8_t>(v >> (56 - 8 * i));
    return k;
}
std::array<uint8_t, 8> Block(uint64_t v) {
    return Key(v);
}
} // namespace

class DesTest : public QObject {
    Q_OBJECT
private slots:
    void publishedVectors_data() {
        QTest::addColumn<quint64>("key");
        QTest::addColumn<quint64>("plain");
        QTest::addColumn<quint64>("cipher");
        QTest::newRow("textbook") << quint64(0x133457799BBCDFF1) << quint64(0x0123456789ABCDEF)
                                  << quint64(0x85E813540F0AB405);
        QTest::newRow("now is t") << quint64(0x0123456789ABCDEF) << quint64(0x4E6F772069732074)
                                  << quint64(0x3FA40E8A984D4815);
        QTest::newRow("zero out") << quint64(0x0E329232EA6D0D73) << quint64(0x8787878787878787)
                                  << quint64(0x0000000000000000);
    }
    void publishedVectors() {
        QFETCH(quint64, key);
        QFETCH(quint64, plain);
        QFETCH(quint64, cipher);
        DesSchedule ks;
        QCOMPARE(DesSetKeyChecked(Key(key), ks), 0);
        const auto in = Block(plain);
        const std::array<uint8_t, 8> zero{};
        std::array<uint8_t, 8> out{};
        DesCbcCrypt(in.data(), out.data(), 8, ks, zero.data(), 1);
        QVERIFY(out == Block(cipher));
        std::array<uint8_t, 8> back{};
        DesCbcCrypt(out.data(), back.data(), 8, ks, zero.data(), 0);
        QVERIFY(back == in);
    }

    void keyTests() {
        DesSchedule ks;
        // Parity is tested before weakness: an even-parity byte in a weak key still gives -1.
        QCOMPARE(DesSetKeyChecked(Key(0x0001010101010101), ks), -1);
        QCOMPARE(DesSetKeyChecked(Key(0x0101010101010101), ks), -2); // the empty password's key
        const uint64_t weak[16] = {0x0101010101010101, 0xFEFEFEFEFEFEFEFE, 0xE0E0E0E0F1F1F1F1, 0x1F1F1F1F0E0E0E0E,
                                   0x011F011F010E010E, 0x1F011F010E010E01, 0x01E001E001F101F1, 0xE001E001F101F101,
                                   0x01FE01FE01FE01FE, 0xFE01FE01FE01FE01, 0x1FE01FE00EF10EF1, 0xE01FE01FF10EF10E,
                                   0x1FFE1FFE0EFE0EFE, 0xFE1FFE1FFE0EFE0E, 0xE0FEE0FEF1FEF1FE, 0xFEE0FEE0FEF1FEF1};
        for (const uint64_t k : weak)
            QCOMPARE(DesSetKeyChecked(Key(k), ks), -2);
        QCOMPARE(DesSetKeyChecked(Key(0x0123456789ABCDEF), ks), 0);
    }

    void shortLastBlockAndIv() {
        DesSchedule ks;
        QCOMPARE(DesSetKeyChecked(Key(0x0123456789ABCDEF), ks), 0);
        const uint8_t in[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
        const uint8_t iv[8] = {9, 8, 7, 6, 5, 4, 3, 2};
        uint8_t ivCopy[8];
        std::memcpy(ivCopy, iv, 8);
        uint8_t out[16] = {};
        DesCbcCrypt(in, out, 12, ks, iv, 1);
        QVERIFY(std::memcmp(iv, ivCopy, 8) == 0); // the IV is never written back
        // Block 2 enciphers block 1's ciphertext XOR (the last four bytes, then four zeros).
        uint8_t x[8];
        for (int i = 0; i < 8; ++i)
            x[i] = out[i] ^ (i < 4 ? in[8 + i] : 0);
        uint8_t expected[8];
        const uint8_t zero[8] = {};
        DesCbcCrypt(x, expected, 8, ks, zero, 1);
        QVERIFY(std::memcmp(out + 8, expected, 8) == 0);
        // Deciphering a short last block writes only its bytes.
        uint8_t back[16];
        std::memset(back, 0xAA, sizeof back);
        DesCbcCrypt(out, back, 12, ks, iv, 0);
        QVERIFY(std::memcmp(back, in, 12) == 0);
        QCOMPARE(back[12], uint8_t(0xAA));
    }

    void outputAsIvMeansZeroIv() {
        DesSchedule ks;
        QCOMPARE(DesSetKeyChecked(Key(0x133457799BBCDFF1), ks), 0);
        const auto in = Block(0x0123456789ABCDEF);
        std::array<uint8_t, 8> out{};
        DesCbcCrypt(in.data(), out.data(), 8, ks, out.data(), 1);
        QVERIFY(out == Block(0x85E813540F0AB405));
    }

    void checksumMatchesOpenSsl() {
        std::mt19937 rng(7);
        DesSchedule ks;
        const DesKey key = Key(0x0123456789ABCDEF);
        DesSetKeyUnchecked(key, ks);
        DES_key_schedule ref;
        DES_set_key_unchecked(reinterpret_cast<const_DES_cblock*>(const_cast<uint8_t*>(key.data())), &ref);
        for (size_t len = 0; len < 40; ++len) {
            std::vector<uint8_t> data(len + 1);
            for (auto& b : data)
                b = static_cast<uint8_t>(rng());
            uint8_t iv[8] = {1, 2, 3, 4, 5, 6, 7, 8};
            uint8_t ours[8];
            DesCbcChecksum(data.data(), len, ks, iv, ours);
            DES_cblock theirs;
            DES_cblock ivBlock;
            std::memcpy(ivBlock, iv, 8);
            DES_cbc_cksum(data.data(), &theirs, static_cast<long>(len), &ref, &ivBlock);
            QVERIFY2(std::memcmp(ours, theirs, 8) == 0, qPrintable(QString("length %1").arg(len)));
            if (len == 0)
                QVERIFY(std::memcmp(ours, iv, 8) == 0);
        }
    }

    void passwordToKeyMatchesDesStringToKey() {
        std::mt19937 rng(1234);
        for (int round = 0; round < 3000; ++round) {
            const size_t length = round <= 300 ? size_t(round) : rng() % 301;
            std::string password(length, '\0');
            for (auto& c : password)
                c = static_cast<char>(1 + rng() % 255); // every byte value but the terminator
            DesKey ours{};
            QCOMPARE(PasswordToKey(ours, password), 1);
            DES_cblock theirs;
            DES_string_to_key(password.c_str(), &theirs);
            QVERIFY2(std::memcmp(ours.data(), theirs, 8) == 0, qPrintable(QString("length %1").arg(length)));
            DesSchedule ks;
            QVERIFY(DesSetKeyChecked(ours, ks) != -1); // always odd parity
        }
    }

    void passwordToKeyDetails() {
        DesKey key{};
        PasswordToKey(key, "");
        QVERIFY(key == Key(0x0101010101010101));
        // The string ends at its first NUL, as the C string it stands for.
        DesKey a{}, b{};
        PasswordToKey(a, std::string_view("abc\0def", 7));
        PasswordToKey(b, "abc");
        QVERIFY(a == b);
        // Bit 7 is lost in the fold but not in the checksum.
        PasswordToKey(a, "password\x01");
        PasswordToKey(b, "password\x81");
        QVERIFY(a != b);
    }
};

LW_REGISTER_TEST(DesTest);
#include "DesTest.moc"
