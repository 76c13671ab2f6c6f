#include "passwords/Accounts.h"
#include "common/TestRegistry.h"

#include <QTest>

namespace {
std::unique_ptr<WebAccount> Web(const char* name) {
    auto record = std::make_unique<WebAccount>();
    record->strName = name;
    return record;
}
} // namespace

class AccountsTest : public QObject {
    Q_OBJECT
private slots:
    void slotsSurviveRemoval() {
        AccountList<WebAccount> list;
        QCOMPARE(list.Append(Web("a")), 0);
        QCOMPARE(list.Append(Web("b")), 1);
        QCOMPARE(list.Append(Web("b")), 2); // same names are fine: only the slot tells them apart
        list.Remove(1);
        QCOMPARE(list.Size(), 3);
        QVERIFY(list.At(1) == nullptr);
        QCOMPARE(std::string(list.At(2)->strName.view()), std::string("b"));
        QCOMPARE(list.Append(Web("d")), 3); // never reuses the emptied slot
        list.Remove(1);                     // twice is harmless
        list.Remove(-1);
        list.Remove(99);
        QVERIFY(list.At(-1) == nullptr);
        QVERIFY(list.At(4) == nullptr);
        list.Clear();
        QCOMPARE(list.Size(), 0);
        QCOMPARE(list.Append(Web("e")), 0);
    }
};

LW_REGISTER_TEST(AccountsTest);
#include "AccountsTest.moc"
