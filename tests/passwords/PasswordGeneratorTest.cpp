#include "passwords/PasswordGenerator.h"
#include "common/TestRegistry.h"

#include <QtTest>
#include <cmath>
#include <set>

using passwords::GeneratorRules;

class PasswordGeneratorTest : public QObject {
    Q_OBJECT

private slots:
    // Over many draws: the length asked for, only chosen characters, every chosen class present, and
    // each chosen character turning up (a class or character the drawing never reaches shows here).
    void drawsObeyLengthAndClasses_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("upper");
        QTest::addColumn<bool>("lower");
        QTest::addColumn<bool>("digits");
        QTest::addColumn<bool>("symbols");
        QTest::addColumn<bool>("avoid");
        QTest::newRow("all, default length") << 20 << true << true << true << true << false;
        QTest::newRow("all, shortest, no look-alikes") << 4 << true << true << true << true << true;
        QTest::newRow("digits only, longest") << 128 << false << false << true << false << false;
        QTest::newRow("lower and symbols, no look-alikes") << 9 << false << true << false << true << true;
    }
    void drawsObeyLengthAndClasses() {
        QFETCH(int, length);
        GeneratorRules rules;
        rules.nLength = length;
        QFETCH(bool, upper);
        QFETCH(bool, lower);
        QFETCH(bool, digits);
        QFETCH(bool, symbols);
        QFETCH(bool, avoid);
        rules.bUpper = upper;
        rules.bLower = lower;
        rules.bDigits = digits;
        rules.bSymbols = symbols;
        rules.bAvoidLookAlike = avoid;
        const std::vector<std::string> classes = passwords::CharacterClasses(rules);
        std::string allowed;
        for (const std::string& chars : classes)
            allowed += chars;
        std::set<char> seen;
        for (int draw = 0; draw < 2000; ++draw) {
            const platform::SecureString password = passwords::GeneratePassword(rules);
            QCOMPARE(int(password.size()), length);
            for (char c : password) {
                QVERIFY2(allowed.find(c) != std::string::npos, password.c_str());
                seen.insert(c);
            }
            for (const std::string& chars : classes)
                QVERIFY2(password.view().find_first_of(chars) != std::string_view::npos, password.c_str());
        }
        QCOMPARE(seen.size(), allowed.size());
        if (avoid) {
            for (char c : std::string("Il1|O0"))
                QVERIFY(seen.count(c) == 0);
        }
    }

    void nothingFromImpossibleRules() {
        GeneratorRules none;
        none.bUpper = none.bLower = none.bDigits = none.bSymbols = false;
        QVERIFY(passwords::GeneratePassword(none).empty());
        QCOMPARE(passwords::StrengthBits(none), 0.0);
        GeneratorRules tooShort;
        tooShort.nLength = 3;
        QVERIFY(passwords::GeneratePassword(tooShort).empty());
        GeneratorRules tooLong;
        tooLong.nLength = 129;
        QVERIFY(passwords::GeneratePassword(tooLong).empty());
    }

    // One class: length times log2 of its size exactly. Several: a little less than that of their union,
    // since the draws that miss a class don't count.
    void strength() {
        GeneratorRules digits;
        digits.bUpper = digits.bLower = digits.bSymbols = false;
        digits.nLength = 10;
        QVERIFY(std::abs(passwords::StrengthBits(digits) - 10 * std::log2(10.0)) < 1e-9);
        GeneratorRules all;
        const double bits = passwords::StrengthBits(all);
        QVERIFY(bits < 20 * std::log2(94.0));
        QVERIFY(bits > 20 * std::log2(94.0) - 1.0);
        all.nLength = 128;
        QVERIFY(std::isfinite(passwords::StrengthBits(all)));
        QVERIFY(passwords::StrengthBits(all) > 800);
    }
};

LW_REGISTER_TEST(PasswordGeneratorTest);
#include "PasswordGeneratorTest.moc"
