#include "platform/TextCodec.h"
#include "common/TestRegistry.h"
#include "platform/TickCount.h"

#include <QTest>
#include <algorithm>

using namespace platform;

class TextCodecTest : public QObject {
    Q_OBJECT

    static std::string Bytes(const SecureBytes& b) { return std::string(b.begin(), b.end()); }

private slots:
    void utf16RoundTripKeepsEveryCharacter() {
        // ASCII, Latin-1, the euro sign, CJK, an astral emoji (a surrogate pair), NUL and every line break.
        const std::string text = std::string("a\r\nb\nc\rd ") + "é€日本😀" + std::string(1, '\0') + "end";
        SecureBytes utf16;
        QVERIFY(Utf8ToUtf16Le(text, utf16));
        // Code units: a CR LF b LF c CR d space é € 日 本 (D83D DE00) NUL e n d
        QCOMPARE(utf16.size(), size_t(2 * 19));
        QCOMPARE(Bytes(utf16).substr(0, 4), std::string("a\0\r\0", 4));
        QCOMPARE(Bytes(utf16).substr(2 * 10, 2), std::string("\xAC\x20", 2)); // € is U+20AC
        QCOMPARE(Bytes(utf16).substr(2 * 13, 4), std::string("\x3D\xD8\x00\xDE", 4));
        SecureString back;
        Utf16LeToUtf8(utf16.data(), utf16.size() / 2, back);
        QCOMPARE(std::string(back.view()), text);
    }

    void invalidUtf8IsRefused() {
        SecureBytes utf16;
        QVERIFY(!Utf8ToUtf16Le("ab\xFF", utf16));
        QVERIFY(utf16.empty());
        QVERIFY(!Utf8ToUtf16Le("\xC3", utf16)); // cut off in the middle of a character
        QVERIFY(!IsValidUtf8("\xED\xA0\x80"));  // an encoded surrogate
        QVERIFY(IsValidUtf8(""));
        QVERIFY(IsValidUtf8("plain ✓"));
    }

    void loneSurrogatesBecomeReplacementCharacters() {
        // 'A', a lone high surrogate, 'B', a lone low surrogate, then a high surrogate cut off at the end.
        const uint8_t units[] = {'A', 0, 0x3D, 0xD8, 'B', 0, 0x00, 0xDE, 0x3D, 0xD8};
        SecureString out;
        Utf16LeToUtf8(units, 5, out);
        QCOMPARE(std::string(out.view()), std::string("A\xEF\xBF\xBD"
                                                      "B\xEF\xBF\xBD\xEF\xBF\xBD"));
        Utf16LeToUtf8(units, 0, out);
        QVERIFY(out.empty());
    }

    void windows1252() {
        SecureString bytes;
        QVERIFY(Utf8ToWindows1252("Grüße €‰", bytes));
        QCOMPARE(std::string(bytes.view()), std::string("Gr\xFC\xDF"
                                                        "e \x80\x89"));
        QVERIFY(!Utf8ToWindows1252("пароль", bytes));
        QVERIFY(bytes.empty());
        QCOMPARE(Windows1252ToUtf8("\x80\xE9\x81z"), std::string("€é\xEF\xBF\xBDz"));
    }

    void windows1253() {
        // Greek letters in the upper half, the euro sign shared with Windows-1252, and 0xAA, which
        // the Greek code page leaves undefined.
        QCOMPARE(Windows1253ToUtf8("\xC1\xE2\xF9 \x80\xAAz"), std::string("Αβω €\xEF\xBF\xBDz"));
        QCOMPARE(Windows1253ToUtf8(""), std::string());
    }

    void largeTextsConvertWhole() {
        // Long enough to make the converter grow its output several times.
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += (i % 3 == 0) ? "日本語" : (i % 3 == 1 ? "ascii " : "😀\r\n");
        SecureBytes utf16;
        QVERIFY(Utf8ToUtf16Le(text, utf16));
        SecureString back;
        Utf16LeToUtf8(utf16.data(), utf16.size() / 2, back);
        QVERIFY(back.view() == text);
    }

    void tickCountCanBeReplaced() {
        uint32_t fake = 0xFFFFFFF0u;
        SetTickCountSource([&] { return fake; });
        QCOMPARE(GetTickCount(), 0xFFFFFFF0u);
        fake += 0x20; // wraps
        QCOMPARE(GetTickCount(), 0x10u);
        SetTickCountSource({});
        const uint32_t a = GetTickCount();
        const uint32_t b = GetTickCount();
        QVERIFY(uint32_t(b - a) < 1000u);
    }

    void secureStringWipesOnClear() {
        SecureString s("a secret that is longer than the inline buffer");
        const char* p = s.data();
        const size_t n = s.size();
        s.Wipe();
        QVERIFY(s.empty());
        // Clearing alone zeroes the first character only: every one must be gone.
        QVERIFY(std::all_of(p, p + n, [](char c) { return c == '\0'; }));
    }
};

LW_REGISTER_TEST(TextCodecTest);
#include "TextCodecTest.moc"
