#include "passwords/OneTimeCode.h"
#include "common/TestRegistry.h"

#include <QtTest>

namespace {

const char* const kSha1Secret = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ";
const char* const kSha256Secret = "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZA====";
const char* const kSha512Secret =
    "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBV"
    "GY3TQOJQGEZDGNA=";

QString Line(const QByteArray& notes, qint64 time) {
    return QString::fromStdString(std::string(passwords::OneTimeCodeLine(notes.toStdString(), time).view()));
}

} // namespace

class OneTimeCodeTest : public QObject {
    Q_OBJECT

private slots:
    // The test vectors of RFC 6238 (8 digits, 30 s), each secret in the account notes as an address,
    // and what the form shows: the digits in groups of three and the seconds left.
    void rfcVectorsThroughTheNotes_data() {
        QTest::addColumn<QByteArray>("notes");
        QTest::addColumn<qint64>("time");
        QTest::addColumn<QString>("shown");
        const struct {
            const char* algorithm;
            const char* secret;
            const char* codes[6];
        } vectors[] = {
            {"SHA1", kSha1Secret, {"94287082", "07081804", "14050471", "89005924", "69279037", "65353130"}},
            {"SHA256", kSha256Secret, {"46119246", "68084774", "67062674", "91819424", "90698825", "77737706"}},
            {"SHA512", kSha512Secret, {"90693936", "25091201", "99943326", "93441116", "38618901", "47863826"}},
        };
        const qint64 times[] = {59, 1111111109, 1111111111, 1234567890, 2000000000, 20000000000};
        for (const auto& v : vectors) {
            const QByteArray notes =
                QByteArray("Recovery codes are in the safe.\r\notpauth://totp/Example:alice@example.com?secret=") +
                QByteArray(v.secret).replace("=", "%3D") + "&issuer=Example&algorithm=" + v.algorithm +
                "&digits=8 (from the QR code)\r\nPIN: 1234";
            for (int n = 0; n < 6; ++n) {
                const QString code = v.codes[n];
                const QString shown = code.left(3) + " " + code.mid(3, 3) + " " + code.mid(6) + " (" +
                                      QString::number(30 - times[n] % 30) + " s)";
                QTest::addRow("%s at %lld", v.algorithm, times[n]) << notes << times[n] << shown;
            }
        }
    }
    void rfcVectorsThroughTheNotes() {
        QFETCH(QByteArray, notes);
        QFETCH(qint64, time);
        QFETCH(QString, shown);
        QCOMPARE(Line(notes, time), shown);
    }

    // A bare secret after "TOTP: " (what the import writes), in any case, with blanks, without padding;
    // the defaults are 6 digits, 30 s and SHA-1; the period and the digits come from an address.
    void bareSecretsAndDefaults() {
        QCOMPARE(Line("TOTP: GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ", 59), QString("287 082 (1 s)"));
        QCOMPARE(Line("Folder: Work\nTOTP: gezd gnbv gy3t qojq gezd gnbv gy3t qojq\nPIN: 1", 1111111109),
                 QString("081 804 (1 s)"));
        QCOMPARE(Line("totp:GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ", 1234567890), QString("005 924 (30 s)"));
        // 7 digits and a 60 s period (oathtool --totp -d 7 -s 60 -N @1234567890 gives the code).
        QCOMPARE(Line(QByteArray("TOTP: otpauth://totp/x?digits=7&period=60&secret=") + kSha1Secret, 1234567890),
                 QString("571 335 1 (30 s)"));
        QCOMPARE(Line("Nothing to see here", 59), QString());
        QCOMPARE(Line("", 59), QString());
    }

    // Never a wrong code: what cannot be read says so, and other kinds of code are named unsupported.
    void malformedAndUnsupported_data() {
        QTest::addColumn<QByteArray>("notes");
        QTest::addColumn<QString>("shown");
        const QString invalid = "Invalid one-time secret";
        const QString unsupported = "Unsupported one-time code";
        QTest::newRow("not base32") << QByteArray("TOTP: JBSWY3DP!HPK3PXP") << invalid;
        QTest::newRow("a word, not a secret") << QByteArray("TOTP: see phone") << invalid;
        QTest::newRow("empty after the label") << QByteArray("TOTP:") << invalid;
        QTest::newRow("no secret in the address") << QByteArray("otpauth://totp/x?issuer=Y") << invalid;
        QTest::newRow("no query") << QByteArray("otpauth://totp/x") << invalid;
        QTest::newRow("broken escape") << QByteArray("otpauth://totp/x?secret=JBSW%ZZY3DPEHPK3PXP") << invalid;
        QTest::newRow("digits not a number")
            << (QByteArray("otpauth://totp/x?digits=six&secret=") + kSha1Secret) << invalid;
        QTest::newRow("period zero") << (QByteArray("otpauth://totp/x?period=0&secret=") + kSha1Secret) << invalid;
        QTest::newRow("counter-based") << QByteArray("otpauth://hotp/x?secret=JBSWY3DPEHPK3PXP&counter=3")
                                       << unsupported;
        QTest::newRow("steam") << QByteArray("TOTP: steam://JBSWY3DPEHPK3PXP") << unsupported;
        QTest::newRow("steam encoder") << (QByteArray("otpauth://totp/x?encoder=steam&secret=") + kSha1Secret)
                                       << unsupported;
        QTest::newRow("MD5") << (QByteArray("otpauth://totp/x?algorithm=MD5&secret=") + kSha1Secret) << unsupported;
        QTest::newRow("ten digits") << (QByteArray("otpauth://totp/x?digits=10&secret=") + kSha1Secret) << unsupported;
    }
    void malformedAndUnsupported() {
        QFETCH(QByteArray, notes);
        QFETCH(QString, shown);
        QCOMPARE(Line(notes, 59), shown);
    }
};

LW_REGISTER_TEST(OneTimeCodeTest);
#include "OneTimeCodeTest.moc"
