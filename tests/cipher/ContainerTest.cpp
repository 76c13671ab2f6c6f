#include "cipher/Container.h"
#include "cipher/PasswordToKey.h"
#include "common/TestRegistry.h"

#include <QTest>
#include <cstring>
#include <random>

using namespace cipher;

class ContainerTest : public QObject {
    Q_OBJECT

    DesKey m_key{};

private slots:
    void initTestCase() { PasswordToKey(m_key, "secret"); }

    void paddingSizes() {
        // 6 bytes (a 3-character text) take 2 bytes of padding; 8 bytes a whole block.
        for (const size_t length : {size_t(1), size_t(6), size_t(7), size_t(8), size_t(9), size_t(1080)}) {
            std::vector<uint8_t> data(length, 'x');
            platform::SecureBytes cipherText;
            QCOMPARE(EncryptBuffer(m_key, data.data(), length, cipherText), 1);
            QCOMPARE(cipherText.size(), length + (8 - length % 8));
            platform::SecureBytes plain;
            QCOMPARE(DecryptBuffer(m_key, cipherText.data(), cipherText.size(), plain), 1);
            QVERIFY(std::equal(plain.begin(), plain.end(), data.begin(), data.end()));
        }
    }

    void refusals() {
        const uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        platform::SecureBytes out = {42};
        QCOMPARE(EncryptBuffer(m_key, data, 0, out), 0);
        QCOMPARE(EncryptBuffer(m_key, nullptr, 8, out), 0);
        DesKey weak{};
        PasswordToKey(weak, ""); // 01 01 ... 01
        QCOMPARE(EncryptBuffer(weak, data, 8, out), 0);
        QVERIFY(out == platform::SecureBytes{42}); // untouched on failure

        platform::SecureBytes plain = {1, 2, 3};
        QCOMPARE(DecryptBuffer(m_key, data, 0, plain), 0);
        QVERIFY(plain.empty());
        QCOMPARE(DecryptBuffer(m_key, data, 7, plain), 0);
        QCOMPARE(DecryptBuffer(weak, data, 8, plain), 0);
    }

    void paddingChecks() {
        // Encipher chosen last blocks directly and see which ones pass the padding test.
        struct Case {
            uint8_t last[8];
            int ok;
            size_t length;
        } cases[] = {
            {{8, 8, 8, 8, 8, 8, 8, 8}, 1, 0}, // a whole block of padding: empty plaintext
            {{'a', 'b', 'c', 'd', 'e', 'f', 2, 2}, 1, 6},
            {{'a', 'b', 'c', 'd', 'e', 'f', 'g', 1}, 1, 7},
            {{'a', 'b', 'c', 'd', 'e', 'f', 'g', 0}, 0, 0},
            {{'a', 'b', 'c', 'd', 'e', 'f', 'g', 9}, 0, 0},
            {{'a', 'b', 'c', 'd', 'e', 3, 2, 3}, 0, 0},
        };
        for (const Case& c : cases) {
            uint8_t cipherText[8];
            const uint8_t zero[8] = {};
            DesSchedule ks;
            QCOMPARE(DesSetKeyChecked(m_key, ks), 0);
            DesCbcCrypt(c.last, cipherText, 8, ks, zero, 1);
            platform::SecureBytes plain;
            QCOMPARE(DecryptBuffer(m_key, cipherText, 8, plain), c.ok);
            QCOMPARE(plain.size(), c.length);
        }
    }

    void rotation() {
        uint8_t buffer[16];
        for (int i = 0; i < 4; ++i) {
            const uint32_t word = 0x80000001u;
            std::memcpy(buffer + 4 * i, &word, 4);
        }
        RotateWordsLeft(buffer, 16);
        // 0x80000001 rotated left by 1, 2, 3 and 4 bits.
        const uint32_t expected[4] = {0x00000003u, 0x00000006u, 0x0000000Cu, 0x00000018u};
        for (int i = 0; i < 4; ++i) {
            uint32_t word;
            std::memcpy(&word, buffer + 4 * i, 4);
            QCOMPARE(word, expected[i]);
        }
        // Byte order: the words are little-endian whatever the machine.
        QCOMPARE(buffer[0], uint8_t(3));
        RotateWordsRight(buffer, 16);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(buffer[i], uint8_t(i % 4 == 0 ? 1 : i % 4 == 3 ? 0x80 : 0));

        // Word 31 is stored unrotated, word 32 is rotated by one again; trailing bytes stay.
        std::vector<uint8_t> big(4 * 33 + 3, 0);
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<uint8_t>(i * 37 + 11);
        const std::vector<uint8_t> original = big;
        RotateWordsLeft(big.data(), big.size());
        QVERIFY(std::equal(big.begin() + 124, big.begin() + 128, original.begin() + 124));
        QVERIFY(!std::equal(big.begin() + 128, big.begin() + 132, original.begin() + 128));
        QVERIFY(std::equal(big.end() - 3, big.end(), original.end() - 3));
        RotateWordsRight(big.data(), big.size());
        QCOMPARE(big, original);
    }

    // The fused pass against the two passes it replaces, at sizes around its 64 KiB pieces; a weak
    // key and a length that is no whole block are refused with the buffer left alone.
    void encipherAndRotateInOnePass() {
        std::mt19937 rng(7);
        const size_t piece = size_t(64) << 10;
        for (const size_t length : {size_t(8), piece - 8, piece, piece + 8, 3 * piece + 24, 8 * (1 + rng() % 100000)}) {
            platform::SecureBytes fused(length);
            for (auto& b : fused)
                b = static_cast<uint8_t>(rng());
            platform::SecureBytes apart = fused;
            QCOMPARE(EncryptBlocksRotatedInPlace(m_key, fused), 1);
            QCOMPARE(EncryptBlocksInPlace(m_key, apart), 1);
            RotateWordsLeft(apart.data(), apart.size());
            QVERIFY(fused == apart);
        }
        const DesKey weak = {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01};
        platform::SecureBytes buffer(16, 'x');
        QCOMPARE(EncryptBlocksRotatedInPlace(weak, buffer), 0);
        QVERIFY(buffer == platform::SecureBytes(16, 'x'));
        buffer.resize(12);
        QCOMPARE(EncryptBlocksRotatedInPlace(m_key, buffer), 0);
    }

    void randomRoundTrips() {
        std::mt19937 rng(99);
        for (int round = 0; round < 200; ++round) {
            std::vector<uint8_t> data(1 + rng() % 500);
            for (auto& b : data)
                b = static_cast<uint8_t>(rng());
            platform::SecureBytes cipherText;
            QCOMPARE(EncryptBuffer(m_key, data.data(), data.size(), cipherText), 1);
            RotateWordsLeft(cipherText.data(), cipherText.size());
            RotateWordsRight(cipherText.data(), cipherText.size());
            platform::SecureBytes plain;
            QCOMPARE(DecryptBuffer(m_key, cipherText.data(), cipherText.size(), plain), 1);
            QVERIFY(std::equal(plain.begin(), plain.end(), data.begin(), data.end()));
        }
    }
};

LW_REGISTER_TEST(ContainerTest);
#include "ContainerTest.moc"
