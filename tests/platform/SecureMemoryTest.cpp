#include "platform/SecureMemory.h"
#include "common/TestRegistry.h"

#include <QTest>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

using namespace platform;

namespace {

// True when `count` bytes at `at` hold `needle` anywhere.
bool Holds(const char* at, size_t count, std::string_view needle) {
    return std::string_view(at, count).find(needle) != std::string_view::npos;
}

// The VmFlags of the mapping that holds the address, from /proc/self/smaps.
std::string FlagsOfMapping(const void* address) {
    const auto where = reinterpret_cast<uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    std::string line;
    bool inside = false;
    while (std::getline(smaps, line)) {
        uintptr_t from = 0, to = 0;
        char dash = 0;
        std::istringstream head(line);
        if (head >> std::hex >> from >> dash >> to && dash == '-' && line.find(' ') > line.find('-')) {
            inside = from <= where && where < to;
            continue;
        }
        if (inside && line.starts_with("VmFlags:"))
            return line;
    }
    return {};
}

} // namespace

class SecureMemoryTest : public QObject {
    Q_OBJECT

private slots:
    void assigningAShorterValueWipesTheOldOneInTheReusedBuffer() {
        const std::string secret = "OldPassword-0123456789-0123456789-0123456789";
        SecureString s(secret.data(), secret.size());
        const char* buffer = s.data();
        const size_t room = s.capacity();
        s = SecureString("new");
        QCOMPARE(static_cast<const void*>(s.data()), static_cast<const void*>(buffer)); // the buffer was reused
        QCOMPARE(std::string(s.view()), std::string("new"));
        QVERIFY(!Holds(buffer, room, "Password-0123"));
        QVERIFY(!Holds(buffer, room, "6789"));

        // The same by copy and by move from a short value, whose bytes are copied out of its inner buffer.
        SecureString shortValue("ab");
        s = SecureString(secret.data(), secret.size());
        s = shortValue;
        QVERIFY(!Holds(s.data(), s.capacity(), "Password"));
        s = SecureString(secret.data(), secret.size());
        const char* inner = shortValue.data();
        s = std::move(shortValue);
        QCOMPARE(std::string(s.view()), std::string("ab"));
        QVERIFY(!Holds(s.data(), s.capacity(), "Password"));
        QVERIFY(!Holds(inner, 15, "ab")); // the moved-from string's inner buffer is wiped too
    }

    void aShortValueReplacedByALongOneLeavesNothingInTheInnerBuffer() {
        // A short string lives inside the object; a long one moves to the heap and leaves the inner
        // buffer behind, where the old value would otherwise stay.
        SecureString s("ShortSecret1234");
        const char* inner = s.data();
        const std::string longer(64, 'x');
        s = SecureString(longer.data(), longer.size());
        QVERIFY(s.data() != inner);
        QVERIFY(!Holds(inner, 16, "Secret1234"));
        QVERIFY(!Holds(inner, 16, "1234"));
    }

    void assigningSecureBytesWipesTheOldOnes() {
        SecureBytes bytes(48, 0xA5);
        const uint8_t* buffer = bytes.data();
        const size_t room = bytes.capacity();
        SecureBytes shorter{1, 2, 3};
        bytes = shorter;
        QCOMPARE(static_cast<const void*>(bytes.data()), static_cast<const void*>(buffer));
        QCOMPARE(bytes.size(), size_t(3));
        QVERIFY(std::count(buffer, buffer + room, 0xA5) == 0);
    }

    void releasedBlocksAreWiped() {
        // A small block goes back to its pool and comes out again: nothing of the old bytes is in it.
        void* block = AllocateBlock(40);
        std::memcpy(block, "TopSecret-TopSecret-TopSecret-TopSecret", 40);
        ReleaseBlock(block, 40);
        QVERIFY(!Holds(static_cast<const char*>(block), 40, "Secret"));
        void* again = AllocateBlock(40);
        QCOMPARE(again, block);
        ReleaseBlock(again, 40);
    }

    void blocksStayOutOfCoreFilesAndAreLockedWhileTheLimitAllows() {
        SecureString small("a password of some length, on the heap");
        const std::string smallFlags = FlagsOfMapping(small.data());
        QVERIFY2(smallFlags.find(" dd") != std::string::npos, smallFlags.c_str());
        // The first chunks fit in any lock limit but zero.
        QVERIFY2(smallFlags.find(" lo") != std::string::npos, smallFlags.c_str());

        // Far more than RLIMIT_MEMLOCK allows: the block is had all the same, unlocked, still not dumped.
        SecureBytes big(16 * 1024 * 1024);
        big.back() = 1;
        const std::string bigFlags = FlagsOfMapping(big.data());
        QVERIFY2(bigFlags.find(" dd") != std::string::npos, bigFlags.c_str());
        QVERIFY2(bigFlags.find(" lo") == std::string::npos, bigFlags.c_str());
    }
};

LW_REGISTER_TEST(SecureMemoryTest);
#include "SecureMemoryTest.moc"
