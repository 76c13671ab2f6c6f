#include "platform/FileHandle.h"
#include "common/TestRegistry.h"

#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <sys/stat.h>

using namespace platform;

class FileHandleTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::string Path(const char* name) const { return (m_dir.path() + "/" + name).toStdString(); }

private slots:
    void exclusiveOpeningKeepsOthersOut() {
        const std::string path = Path("locked");
        const FileHandle first = OpenFile(path.c_str(), kGenericWrite, kShareNone, kCreateAlways, kFileAttributeNormal);
        QVERIFY(first != kInvalidHandle);
        uint32_t done = 0;
        QVERIFY(WriteFile(first, "keep", 4, &done));
        // A second exclusive opener, even for truncation, fails and must not empty the file.
        QCOMPARE(OpenFile(path.c_str(), kGenericWrite, kShareNone, kCreateAlways, kFileAttributeNormal),
                 kInvalidHandle);
        QCOMPARE(LastError(), uint32_t(EBUSY));
        struct stat st {};
        QCOMPARE(::stat(path.c_str(), &st), 0);
        QCOMPARE(st.st_size, off_t(4));
        // Sharing openers are not held off.
        const FileHandle shared = OpenFile(path.c_str(), kGenericRead, kShareRead, kOpenExisting, kFileAttributeNormal);
        QVERIFY(shared != kInvalidHandle);
        QVERIFY(CloseHandle(shared));
        QVERIFY(CloseHandle(first));
        const FileHandle again = OpenFile(path.c_str(), kGenericRead, kShareNone, kOpenExisting, kFileAttributeNormal);
        QVERIFY(again != kInvalidHandle);
        QVERIFY(CloseHandle(again));
    }

    void dispositionsAndModes() {
        const std::string path = Path("fresh");
        QCOMPARE(OpenFile(path.c_str(), kGenericRead, kShareNone, kOpenExisting, kFileAttributeNormal), kInvalidHandle);
        QCOMPARE(LastError(), uint32_t(ENOENT));
        const FileHandle h = OpenFile(path.c_str(), kGenericWrite, kShareNone, kCreateNew, kFileAttributeNormal);
        QVERIFY(h != kInvalidHandle);
        QVERIFY(CloseHandle(h));
        struct stat st {};
        QCOMPARE(::stat(path.c_str(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600)); // new files are private
        QCOMPARE(OpenFile(path.c_str(), kGenericWrite, kShareNone, kCreateNew, kFileAttributeNormal), kInvalidHandle);
        QCOMPARE(LastError(), uint32_t(EEXIST));
        QCOMPARE(
            OpenFile(m_dir.path().toUtf8().constData(), kGenericRead, kShareNone, kOpenExisting, kFileAttributeNormal),
            kInvalidHandle);
        QCOMPARE(LastError(), uint32_t(EISDIR));
    }

    void filePointerAndLength() {
        const std::string path = Path("seek");
        const FileHandle h =
            OpenFile(path.c_str(), kGenericRead | kGenericWrite, kShareNone, kCreateAlways, kFileAttributeNormal);
        QVERIFY(h != kInvalidHandle);
        uint32_t done = 0;
        QVERIFY(WriteFile(h, "0123456789", 10, &done));
        QCOMPARE(SetFilePointer(h, -4, kFileEnd), 6u);
        QCOMPARE(SetFilePointer(h, 1, kFileCurrent), 7u);
        QCOMPARE(SetFilePointer(h, -1, kFileBegin), kInvalidPosition);
        QCOMPARE(LastError(), uint32_t(EINVAL));
        QCOMPARE(SetFilePointer(h, 3, kFileBegin), 3u);
        QVERIFY(SetEndOfFile(h));
        char buffer[16] = {};
        QCOMPARE(SetFilePointer(h, 0, kFileBegin), 0u);
        QVERIFY(ReadFile(h, buffer, sizeof buffer, &done));
        QCOMPARE(done, 3u);
        QVERIFY(ReadFile(h, buffer, sizeof buffer, &done));
        QCOMPARE(done, 0u);
        QVERIFY(FlushFileBuffers(h));
        QVERIFY(CloseHandle(h));
    }
};

LW_REGISTER_TEST(FileHandleTest);
#include "FileHandleTest.moc"
