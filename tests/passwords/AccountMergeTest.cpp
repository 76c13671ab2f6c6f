#include "passwords/AccountMerge.h"
#include "common/TestRegistry.h"
#include "passwords/PasswordsSchema.h"

#include <QTest>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
constexpr AccountKind kWeb = AccountKind::Web;

platform::SecureString Sec(std::string_view s) {
    return platform::SecureString(s.data(), s.size());
}

void Set(AccountLists& lists, AccountKind kind, int slot, std::string_view element, std::string_view text) {
    platform::SecureString* field = lists.Field(kind, slot, element);
    QVERIFY(field);
    *field = Sec(text);
}

int Add(AccountLists& lists, AccountKind kind, std::string_view name, std::string_view password) {
    const int slot = lists.AppendNamed(kind, Sec(name));
    Set(lists, kind, slot, "PASSWORD", password);
    return slot;
}

std::string Text(const AccountLists& lists) {
    platform::SecureString text;
    if (!BuildPasswordsText(lists, text))
        qWarning("the passwords text was not built");
    return std::string(text.view());
}

// Each slot of a kind as "NAME=PASSWORD", "-" for an emptied one: what the window sees at each index.
Strings Slots(const AccountLists& lists, AccountKind kind) {
    Strings out;
    for (int slot = 0; slot < lists.Size(kind); ++slot)
        out.push_back(lists.Holds(kind, slot) ? std::string(lists.Field(kind, slot, "NAME")->view()) + "=" +
                                                    std::string(lists.Field(kind, slot, "PASSWORD")->view())
                                              : "-");
    return out;
}

// Taken, added, removed, both changed.
std::vector<int> Counts(const MergeSummary& s) {
    return {s.nTakenFromDisk, s.nAddedFromDisk, s.nRemoved, s.nBothChanged};
}

// The three versions of one document. Mine and the disk's start as the base read back from its
// text, as the editor and another program would each have read the file.
struct Versions {
    AccountLists base, mine, disk;
    void Fork() {
        const std::string text = Text(base);
        QVERIFY(ReadPasswordsText(text, mine));
        QVERIFY(ReadPasswordsText(text, disk));
    }
    MergeSummary Merge() { return MergeAccounts(base, mine, disk); }
};

} // namespace

class AccountMergeTest : public QObject {
    Q_OBJECT
private slots:
    void nothingChangedOrOnlyMineChangedLeavesMine() {
        Versions v;
        Add(v.base, kWeb, "A", "1");
        Add(v.base, kWeb, "B", "2");
        v.Fork();
        QVERIFY(!v.Merge().Changed());
        QCOMPARE(Slots(v.mine, kWeb), (Strings{"A=1", "B=2"}));

        Set(v.mine, kWeb, 0, "PASSWORD", "1m");
        v.mine.Remove(kWeb, 1);
        Add(v.mine, kWeb, "C", "3");
        const std::string before = Text(v.mine);
        const MergeSummary s = v.Merge();
        QVERIFY(!s.Changed());
        QCOMPARE(Counts(s), (std::vector<int>{0, 0, 0, 0}));
        QCOMPARE(Text(v.mine), before);
        QCOMPARE(Slots(v.mine, kWeb), (Strings{"A=1m", "-", "C=3"}));
    }

    void oneSidedAddChangeDeleteOnEachSide() {
        Versions v;
        for (const char* name : {"A", "B", "C", "D"})
            Add(v.base, kWeb, name, "0");
        v.Fork();
        // Mine: change A, delete C, add E. The disk: change B, delete D, add F.
        Set(v.mine, kWeb, 0, "PASSWORD", "mine");
        v.mine.Remove(kWeb, 2);
        Add(v.mine, kWeb, "E", "mine");
        Set(v.disk, kWeb, 1, "PASSWORD", "disk");
        v.disk.Remove(kWeb, 3);
        Add(v.disk, kWeb, "F", "disk");

        const MergeSummary s = v.Merge();
        QVERIFY(s.Changed());
        QCOMPARE(Counts(s), (std::vector<int>{1, 1, 1, 0}));
        QCOMPARE(Slots(v.mine, kWeb), (Strings{"A=mine", "B=disk", "-", "-", "E=mine", "F=disk"}));

        // The file the user then saves holds exactly those four accounts.
        AccountLists expected;
        Add(expected, kWeb, "A", "mine");
        Add(expected, kWeb, "B", "disk");
        Add(expected, kWeb, "E", "mine");
        Add(expected, kWeb, "F", "disk");
        QCOMPARE(Text(v.mine), Text(expected));
    }

    void everyFieldOfEveryKindCounts() {
        // A change in the last field alone, or one in the middle of a mail account, is a change; and
        // the disk's fields are taken over whole.
        Versions v;
        Add(v.base, AccountKind::Web, "W", "w");
        Add(v.base, AccountKind::Mail, "M", "m");
        Add(v.base, AccountKind::Other, "O", "o");
        Add(v.base, AccountKind::Other, "Kept", "k");
        v.Fork();
        Set(v.disk, AccountKind::Web, 0, "NOTES", "web notes");
        Set(v.disk, AccountKind::Mail, 0, "POPSERVER", "pop.example.org");
        Set(v.disk, AccountKind::Mail, 0, "PASSWORD", "m2");
        Set(v.disk, AccountKind::Other, 0, "USERID", "4111 1111");
        Set(v.mine, AccountKind::Other, 1, "NOTES", "mine only");
        Add(v.disk, AccountKind::Mail, "New mail", "n");

        const MergeSummary s = v.Merge();
        QCOMPARE(Counts(s), (std::vector<int>{3, 1, 0, 0}));
        AccountLists expected;
        Add(expected, AccountKind::Web, "W", "w");
        Set(expected, AccountKind::Web, 0, "NOTES", "web notes");
        Add(expected, AccountKind::Mail, "M", "m2");
        Set(expected, AccountKind::Mail, 0, "POPSERVER", "pop.example.org");
        Add(expected, AccountKind::Mail, "New mail", "n");
        Add(expected, AccountKind::Other, "O", "o");
        Set(expected, AccountKind::Other, 0, "USERID", "4111 1111");
        Add(expected, AccountKind::Other, "Kept", "k");
        Set(expected, AccountKind::Other, 1, "NOTES", "mine only");
        QCOMPARE(Text(v.mine), Text(expected));
    }

    void kindsAreNeverMatchedWithEachOther() {
        // I deleted the web "Bank"; the disk still has it unchanged and added an other "Bank".
        Versions v;
        Add(v.base, AccountKind::Web, "Bank", "1");
        v.Fork();
        v.mine.Remove(AccountKind::Web, 0);
        Add(v.disk, AccountKind::Other, "Bank", "1");
        QCOMPARE(Counts(v.Merge()), (std::vector<int>{0, 1, 0, 0}));
        QCOMPARE(Slots(v.mine, AccountKind::Web), (Strings{"-"}));
        QCOMPARE(Slots(v.mine, AccountKind::Mail), Strings{});
        QCOMPARE(Slots(v.mine, AccountKind::Other), (Strings{"Bank=1"}));
    }

    void changedOnBothSides() {
        Versions v;
        Add(v.base, kWeb, "Differently", "0");
        Add(v.base, kWeb, "Alike", "0");
        v.Fork();
        Set(v.mine, kWeb, 0, "PASSWORD", "mine");
        Set(v.disk, kWeb, 0, "NOTES", "disk"); // other fields than mine: still a conflict, not a field merge
        Set(v.mine, kWeb, 1, "PASSWORD", "same");
        Set(v.disk, kWeb, 1, "PASSWORD", "same");
        // Added on both sides under one name: alike gives one, different gives both.
        Add(v.mine, kWeb, "New", "mine");
        Add(v.disk, kWeb, "New", "disk");
        Add(v.mine, kWeb, "Twin", "t");
        Add(v.disk, kWeb, "Twin", "t");

        const MergeSummary s = v.Merge();
        QCOMPARE(Counts(s), (std::vector<int>{0, 0, 0, 2}));
        QCOMPARE(Slots(v.mine, kWeb), (Strings{"Differently=mine", "Alike=same", "New=mine", "Twin=t",
                                               "Differently (changed on disk)=0", "New (changed on disk)=disk"}));
        QCOMPARE(std::string(v.mine.Field(kWeb, 0, "NOTES")->view()), std::string());
        QCOMPARE(std::string(v.mine.Field(kWeb, 4, "NOTES")->view()), std::string("disk"));
    }

    void deletedOnOneSideChangedOnTheOther() {
        Versions v;
        Add(v.base, kWeb, "Gone here", "0");
        Add(v.base, kWeb, "Gone there", "0");
        Add(v.base, kWeb, "Gone both", "0");
        v.Fork();
        v.mine.Remove(kWeb, 0);
        Set(v.disk, kWeb, 0, "PASSWORD", "disk");
        Set(v.mine, kWeb, 1, "PASSWORD", "mine");
        v.disk.Remove(kWeb, 1);
        v.mine.Remove(kWeb, 2);
        v.disk.Remove(kWeb, 2);

        const MergeSummary s = v.Merge();
        QCOMPARE(Counts(s), (std::vector<int>{0, 1, 0, 0}));
        QCOMPARE(Slots(v.mine, kWeb), (Strings{"-", "Gone there=mine", "-", "Gone here=disk"}));
    }

    void equalNamesAreMatchedInListOrder() {
        Versions v;
        Add(v.base, kWeb, "Bank", "1");
        Add(v.base, kWeb, "Bank", "2");
        Add(v.base, kWeb, "Bank", "3");
        Add(v.base, kWeb, "Bank", "4");
        v.Fork();
        Set(v.mine, kWeb, 1, "PASSWORD", "2 mine");
        Set(v.disk, kWeb, 2, "PASSWORD", "3 disk");
        v.disk.Remove(kWeb, 3);
        Add(v.disk, kWeb, "Bank", "5 disk"); // the fourth "Bank" on disk now: changed there

        const MergeSummary s = v.Merge();
        QCOMPARE(Counts(s), (std::vector<int>{2, 0, 0, 0}));
        QCOMPARE(Slots(v.mine, kWeb), (Strings{"Bank=1", "Bank=2 mine", "Bank=3 disk", "Bank=5 disk"}));
    }

    void emptiedSlotsDoNotCountInTheOrder() {
        // I replaced the second "Bank" by a new one; the disk changed the second "Bank". My new one is
        // now my second, so both sides changed it.
        Versions v;
        Add(v.base, kWeb, "Bank", "1");
        Add(v.base, kWeb, "Bank", "2");
        v.Fork();
        v.mine.Remove(kWeb, 1);
        Add(v.mine, kWeb, "Bank", "new");
        Set(v.disk, kWeb, 1, "PASSWORD", "2 disk");

        QCOMPARE(Counts(v.Merge()), (std::vector<int>{0, 0, 0, 1}));
        QCOMPARE(Slots(v.mine, kWeb), (Strings{"Bank=1", "-", "Bank=new", "Bank (changed on disk)=2 disk"}));
    }

    void mySlotsStayAndTheDiskAddsInItsOrder() {
        Versions v;
        Add(v.base, kWeb, "A", "1");
        Add(v.base, kWeb, "B", "2");
        Add(v.base, kWeb, "C", "3");
        QVERIFY(ReadPasswordsText(Text(v.base), v.mine));
        Set(v.mine, kWeb, 0, "PASSWORD", "1m");
        v.mine.Remove(kWeb, 1);
        Add(v.mine, kWeb, "X", "9");
        // Another program rewrote the list in its own order.
        Add(v.disk, kWeb, "P", "7");
        Add(v.disk, kWeb, "C", "3");
        Add(v.disk, kWeb, "A", "1d");
        Add(v.disk, kWeb, "B", "2d");
        Add(v.disk, kWeb, "Q", "8");

        QCOMPARE(Counts(v.Merge()), (std::vector<int>{0, 3, 0, 1}));
        QCOMPARE(Slots(v.mine, kWeb),
                 (Strings{"A=1m", "-", "C=3", "X=9", "P=7", "A (changed on disk)=1d", "B=2d", "Q=8"}));
    }

    void theBaseIsNotTouched() {
        Versions v;
        Add(v.base, kWeb, "A", "1");
        Add(v.base, kWeb, "B", "2");
        v.Fork();
        Set(v.disk, kWeb, 0, "PASSWORD", "disk");
        v.disk.Remove(kWeb, 1);
        const std::string base = Text(v.base), disk = Text(v.disk);
        v.Merge();
        QCOMPARE(Text(v.base), base);
        QCOMPARE(Text(v.disk), disk);
        QCOMPARE(Slots(v.mine, kWeb), (Strings{"A=disk", "-"}));
    }
};

LW_REGISTER_TEST(AccountMergeTest);
#include "AccountMergeTest.moc"
