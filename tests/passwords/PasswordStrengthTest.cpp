#include "passwords/PasswordStrength.h"
#include "common/TestRegistry.h"
#include "passwords/AccountJson.h"
#include "passwords/PasswordHealth.h"

#include <QElapsedTimer>
#include <QtTest>

using passwords::StrengthBand;

namespace {

StrengthBand Band(std::string_view password, std::vector<std::string_view> words = {}) {
    return passwords::BandOfBits(passwords::EstimateStrengthBits(password, words));
}

} // namespace

class PasswordStrengthTest : public QObject {
    Q_OBJECT

private slots:
    void bandsOfKnownPasswords() {
        QCOMPARE(passwords::EstimateStrengthBits(""), 0.0);
        QCOMPARE(Band("summer"), StrengthBand::Poor);
        QCOMPARE(Band("password1"), StrengthBand::Poor);
        QCOMPARE(Band("qwertyuiop"), StrengthBand::Poor);
        QCOMPARE(Band("correct horse battery staple"), StrengthBand::Weak);
        QCOMPARE(Band("Tr0ub4dor&3x"), StrengthBand::Weak);
        QCOMPARE(Band("k#9Lq!2vZ@x7"), StrengthBand::Good);
        QCOMPARE(Band("vW8#qL2!zR9@mT4$kP7&yB3^"), StrengthBand::Excellent);
        // The band edges.
        QCOMPARE(passwords::BandOfBits(39.9), StrengthBand::Poor);
        QCOMPARE(passwords::BandOfBits(40), StrengthBand::Weak);
        QCOMPARE(passwords::BandOfBits(75), StrengthBand::Good);
        QCOMPARE(passwords::BandOfBits(100), StrengthBand::Excellent);
        QCOMPARE(QString(passwords::StrengthBandName(StrengthBand::Excellent)), QString("Excellent"));
    }

    // The account's own words count for nothing: a password that is the user ID, or a part of the
    // address, is Poor however random it looks by itself.
    void theUsersOwnWords() {
        const std::string_view id = "xq7vbk92mzt";
        QVERIFY(Band(id) != StrengthBand::Poor);
        QCOMPARE(Band(id, {"Bank", id, "https://bank.example"}), StrengthBand::Poor);
        QCOMPARE(Band("zorblatt7qx", {"Mail", "jane.zorblatt@example.org"}), StrengthBand::Poor);
        QVERIFY(Band("zorblatt7qx") != StrengthBand::Poor);
    }

    // A password that repeats itself with a short period ("1212...") is rated at once, where the
    // estimator alone takes seconds over 100 characters of it; more rounds still count a little more.
    void repetitionsRatedQuickly() {
        const std::string twelves(128, '1');
        std::string pairs;
        std::string nested;
        for (int i = 0; i < 64; ++i)
            pairs += "12";
        for (int i = 0; i < 12; ++i)
            nested += "2020202020x";
        QElapsedTimer timer;
        timer.start();
        for (const std::string& text : {twelves, pairs, pairs.substr(0, 100)})
            QCOMPARE(Band(text), StrengthBand::Poor);
        QVERIFY(passwords::EstimateStrengthBits(nested) > 0);
        QVERIFY2(timer.elapsed() < 500, qPrintable(QString("%1 ms").arg(timer.elapsed())));
        QVERIFY(passwords::EstimateStrengthBits(pairs) > passwords::EstimateStrengthBits(pairs.substr(0, 20)));
        QVERIFY(passwords::EstimateStrengthBits(twelves) > passwords::EstimateStrengthBits("1111"));
        // Repetitions inside a stronger password leave the rest of it rated as before.
        QCOMPARE(Band("vW8#qL2!zR9@mT4$kP7&yB3^aaaaaaaaaaaa"), StrengthBand::Excellent);
    }

    // Empty only as empty; weak and reused both for a weak shared password; groups numbered by first
    // appearance across the kinds; emptied slots skipped.
    void healthFindings() {
        AccountLists lists;
        const char* json = R"({"web": [
            {"NAME": "a", "USERID": "xq7vbk92mzt", "PASSWORD": "xq7vbk92mzt"},
            {"NAME": "b", "PASSWORD": "Vx9#rT2!mQ7@pL4$"},
            {"NAME": "c", "PASSWORD": ""},
            {"NAME": "gone", "PASSWORD": "summer"},
            {"NAME": "d", "PASSWORD": "summer"}],
          "mail": [{"NAME": "e", "PASSWORD": "Vx9#rT2!mQ7@pL4$"}],
          "other": [{"NAME": "f", "PASSWORD": "summer"}, {"NAME": "g", "PASSWORD": ""}]})";
        ImportProblem problem;
        QVERIFY(ReadAccountsJson(json, lists, problem));
        lists.Remove(AccountKind::Web, 3);
        QString got;
        for (const passwords::HealthFinding& f : passwords::CheckPasswordHealth(lists))
            got += QString("%1 %2 %3 %4\n")
                       .arg(int(f.eKind))
                       .arg(f.nSlot)
                       .arg(passwords::HealthReasonName(f.eReason))
                       .arg(f.nGroup);
        QCOMPARE(got, QString("0 0 weak 0\n0 1 reused 1\n0 2 empty 0\n0 4 weak 0\n0 4 reused 2\n1 0 reused 1\n"
                              "2 0 weak 0\n2 0 reused 2\n2 1 empty 0\n"));
        int calls = 0;
        QVERIFY(passwords::CheckPasswordHealth(lists, [&](int, int) { return ++calls < 3; }).empty());
    }
};

LW_REGISTER_TEST(PasswordStrengthTest);
#include "PasswordStrengthTest.moc"
