#include "passwords/WebAddress.h"
#include "common/TestRegistry.h"

#include <QTest>

class WebAddressTest : public QObject {
    Q_OBJECT
private slots:
    void rule() {
        const struct {
            const char* text;
            const char* opened; // empty: no web address, nothing opens
        } cases[] = {
            {"www.x", "https://www.x"},
            {"HTTPS://x", "HTTPS://x"},
            {"see http://x", ""},
            {"/usr/bin/x", ""},
            {"file:///etc/passwd", ""},
            {"javascript:alert(1)", ""},
            {"http://", ""},
            {"WWW.", ""},
            {"http://x", "http://x"},
            {"hTtP://x", "hTtP://x"},
            {"https://example.org/a?b=1 my bank", "https://example.org/a?b=1"},
            {"www.example.org\tx", "https://www.example.org"},
            {"https://first.example.org\r\nhttps://second.example.org", "https://first.example.org"},
            {"notes\nhttps://example.org", ""},
            {" https://example.org", ""},
            {"", ""},
        };
        for (const auto& c : cases)
            QVERIFY2(WebAddressOf(c.text) == c.opened, c.text);
    }
};

LW_REGISTER_TEST(WebAddressTest);
#include "WebAddressTest.moc"
