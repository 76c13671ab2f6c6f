// The screen-lock settings record, its enciphered file and the data folder that holds it.

#include "cipher/DocumentFile.h"
#include "platform/DataFolder.h"
#include "shell/LockSettings.h"

#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

LockSettingsRecord SampleRecord() {
    LockSettingsRecord record;
    for (size_t i = 0; i < sizeof(record.reserved1); ++i)
        record.reserved1[i] = static_cast<uint8_t>(i * 7 + 1);
    for (size_t i = 0; i < sizeof(record.reserved2); ++i)
        record.reserved2[i] = static_cast<uint8_t>(255 - i);
    record.bLockWhenIdle = 1;
    record.bLockAtStartup = 0;
    record.nTimeoutIndex = 5;
    record.bScreenPasswordOn = 1;
    record.SetScreenPassword("s3cret");
    record.SetPromptText("Away for lunch");
    return record;
}

uint32_t Le32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

std::string SettingsFile() {
    return LockSettingsPath();
}

} // namespace

class TestLockSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void init() {
        QVERIFY(m_config.isValid());
        QDir(m_config.path()).removeRecursively();
        QDir().mkpath(m_config.path());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    }

    void recordByteLayout() {
        const LockSettingsRecord record = SampleRecord();
        uint8_t bytes[LockSettingsRecord::kSize];
        std::memset(bytes, 0xEE, sizeof(bytes));
        record.ToBytes(bytes);
        QCOMPARE(bytes[0], uint8_t(1));
        QCOMPARE(bytes[283], uint8_t(283 * 7 + 1));
        QCOMPARE(Le32(bytes + 284), 1u);
        QCOMPARE(Le32(bytes + 288), 0u);
        QCOMPARE(Le32(bytes + 292), 5u);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes + 296), 7), QByteArray("s3cret\0", 7));
        QCOMPARE(bytes[296 + 259], uint8_t(0));
        QCOMPARE(Le32(bytes + 556), 1u);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes + 560), 15), QByteArray("Away for lunch\0", 15));
        QCOMPARE(bytes[820], uint8_t(255));
        QCOMPARE(bytes[1079], uint8_t(255 - 259));

        // Little-endian whatever the value, and negative numbers as two's complement.
        LockSettingsRecord other;
        other.nTimeoutIndex = 0x01020304;
        other.bLockAtStartup = -2;
        other.ToBytes(bytes);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(bytes + 292), 4), QByteArray("\x04\x03\x02\x01", 4));
        QCOMPARE(Le32(bytes + 288), 0xFFFFFFFEu);

        // And back: every byte survives, reserved ones included.
        LockSettingsRecord parsed;
        record.ToBytes(bytes);
        QVERIFY(parsed.FromBytes(bytes, sizeof(bytes)));
        uint8_t again[LockSettingsRecord::kSize];
        parsed.ToBytes(again);
        QCOMPARE(std::memcmp(bytes, again, sizeof(bytes)), 0);
        QCOMPARE(parsed.ScreenPassword(), std::string_view("s3cret"));
        QCOMPARE(parsed.nTimeoutIndex, 5);
    }

    void recordOfAnotherLengthIsRefused() {
        uint8_t bytes[LockSettingsRecord::kSize + 8] = {};
        bytes[284] = 1;
        LockSettingsRecord record = SampleRecord();
        record.bLockWhenIdle = 0;
        QVERIFY(!record.FromBytes(bytes, LockSettingsRecord::kSize - 1));
        QVERIFY(!record.FromBytes(bytes, LockSettingsRecord::kSize + 8));
        QVERIFY(!record.FromBytes(nullptr, LockSettingsRecord::kSize));
        QCOMPARE(record.bLockWhenIdle, 0);
        QCOMPARE(record.PromptText(), std::string_view("Away for lunch"));
    }

    void unterminatedTextsEndAtTheirLastByte() {
        uint8_t bytes[LockSettingsRecord::kSize] = {};
        std::memset(bytes + 296, 'p', 260);
        std::memset(bytes + 560, 't', 260);
        LockSettingsRecord record;
        QVERIFY(record.FromBytes(bytes, sizeof(bytes)));
        QCOMPARE(record.ScreenPassword().size(), size_t(259));
        QCOMPARE(record.PromptText().size(), size_t(259));
    }

    void textsAreCutOnCharacterBoundaries() {
        LockSettingsRecord record;
        record.SetPromptText(std::string(300, 'a'));
        QCOMPARE(record.PromptText(), std::string_view(std::string(259, 'a')));

        // 258 ASCII bytes and a two-byte character would end at byte 260: the character goes whole.
        const std::string twoByte = std::string(258, 'b') + "\xC3\xA9" + "c";
        record.SetScreenPassword(twoByte);
        QCOMPARE(record.ScreenPassword(), std::string_view(std::string(258, 'b')));
        QCOMPARE(record.szScreenPassword[258], '\0');

        // A four-byte character that fits exactly stays.
        const std::string fits = std::string(255, 'd') + "\xF0\x9F\x94\x92";
        record.SetScreenPassword(fits + "x");
        QCOMPARE(record.ScreenPassword(), std::string_view(fits));

        // 130 two-byte characters are 260 bytes: 129 of them are kept.
        std::string wide;
        for (int i = 0; i < 130; ++i)
            wide += "\xC3\xA9";
        record.SetPromptText(wide);
        QCOMPARE(record.PromptText().size(), size_t(258));
        QCOMPARE(QString::fromUtf8(record.PromptText().data(), 258), QString(129, QChar(0xE9)));

        // A shorter text leaves nothing of a longer earlier one behind.
        record.SetPromptText("hi");
        QCOMPARE(record.PromptText(), std::string_view("hi"));
        QCOMPARE(record.szPromptText[3], '\0');
        QCOMPARE(record.szPromptText[200], '\0');
    }

    void timeoutTable() {
        const int expected[] = {1, 2, 3, 5, 10, 15, 30, 60};
        for (int i = 0; i < kTimeoutCount; ++i)
            QCOMPARE(TimeoutMinutes(i), expected[i]);
        QCOMPARE(TimeoutMinutes(8), 1);
        QCOMPARE(TimeoutMinutes(-1), 1);
    }

    void dataFolderFollowsXdg() {
        QCOMPARE(QString::fromStdString(platform::GetDataFolder()), m_config.path() + "/Lockwarden");
        QCOMPARE(QString::fromStdString(LockSettingsPath()), m_config.path() + "/Lockwarden/csptx.eda");
        // A relative XDG_CONFIG_HOME is not valid; the home folder's .config is used.
        qputenv("XDG_CONFIG_HOME", "relative/dir");
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", m_config.path().toLocal8Bit());
        QCOMPARE(QString::fromStdString(platform::GetDataFolder()), m_config.path() + "/.config/Lockwarden");
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(QString::fromStdString(platform::GetDataFolder()), m_config.path() + "/.config/Lockwarden");
        qputenv("HOME", home);
    }

    void writeThenReadBack() {
        // No file yet: nothing is read and the record is left alone.
        LockSettingsRecord record = SampleRecord();
        std::string why;
        QVERIFY(!ReadLockSettingsFile(record, &why));
        QCOMPARE(record.nTimeoutIndex, 5);
        QVERIFY(why.empty()); // nothing to tell

        // The folder is made on the first write, for its owner only; so is the file.
        QVERIFY(WriteLockSettingsFile(SampleRecord()));
        struct stat st {};
        QCOMPARE(::stat((m_config.path() + "/Lockwarden").toLocal8Bit().constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
        QCOMPARE(::stat(SettingsFile().c_str(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
        // One 1080-byte record and a block of padding.
        QCOMPARE(st.st_size, off_t(1088));

        LockSettingsRecord read;
        QVERIFY(ReadLockSettingsFile(read));
        uint8_t a[LockSettingsRecord::kSize], b[LockSettingsRecord::kSize];
        SampleRecord().ToBytes(a);
        read.ToBytes(b);
        QCOMPARE(std::memcmp(a, b, sizeof(a)), 0);

        // It is the plain layout under the volume's serial number, formatted as a signed number.
        uint32_t serial = 0;
        QVERIFY(platform::GetVolumeSerial(m_config.path().toStdString(), serial));
        platform::SecureBytes raw;
        QVERIFY(cipher::ReadPlainFile(SettingsFile(), std::to_string(int32_t(serial)), raw).ok());
        QCOMPARE(raw.size(), size_t(1080));
        QCOMPARE(std::memcmp(raw.data(), a, sizeof(a)), 0);

        // A replaced file keeps the mode it had.
        QCOMPARE(::chmod(SettingsFile().c_str(), 0640), 0);
        QVERIFY(WriteLockSettingsFile(read));
        QCOMPARE(::stat(SettingsFile().c_str(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0640u);
    }

    void fileOfAnotherVolumeReadsAsAbsent() {
        QVERIFY(WriteLockSettingsFile(SampleRecord()));
        uint32_t serial = 0;
        QVERIFY(platform::GetVolumeSerial(m_config.path().toStdString(), serial));
        // The same record as another volume would have written it.
        uint8_t bytes[LockSettingsRecord::kSize];
        LockSettingsRecord foreign = SampleRecord();
        foreign.nTimeoutIndex = 7;
        foreign.ToBytes(bytes);
        QVERIFY(cipher::WritePlainFile(SettingsFile(), std::to_string(int32_t(serial + 1)), bytes, sizeof(bytes)).ok());
        LockSettingsRecord record;
        record.nTimeoutIndex = 3;
        std::string why;
        QVERIFY(!ReadLockSettingsFile(record, &why));
        QCOMPARE(record.nTimeoutIndex, 3);
        QCOMPARE(QString::fromStdString(why), "The screen lock settings \"" + QString::fromStdString(SettingsFile()) +
                                                  "\" don't decipher: they were written on another disk, or the "
                                                  "file is damaged.");
        QCOMPARE(record.bLockWhenIdle, 0);
    }

    void fileCopiedToAnotherFileSystemReadsAsAbsent() {
        // A second file system to copy to, where the machine has one (tmpfs usually).
        uint32_t here = 0, there = 0;
        QVERIFY(platform::GetVolumeSerial(m_config.path().toStdString(), here));
        if (!platform::GetVolumeSerial("/dev/shm", there) || here == there)
            QSKIP("no second file system to copy the settings file to");
        QVERIFY(WriteLockSettingsFile(SampleRecord()));
        QTemporaryDir elsewhere(QStringLiteral("/dev/shm/lw-lock-XXXXXX"));
        QVERIFY(elsewhere.isValid());
        QDir().mkpath(elsewhere.path() + "/Lockwarden");
        QVERIFY(QFile::copy(QString::fromStdString(SettingsFile()), elsewhere.path() + "/Lockwarden/csptx.eda"));
        qputenv("XDG_CONFIG_HOME", elsewhere.path().toLocal8Bit());
        LockSettingsRecord record;
        QVERIFY(!ReadLockSettingsFile(record));
        QCOMPARE(record.bLockWhenIdle, 0);
    }

    void decipheredContentOfAnotherLengthReadsAsAbsent() {
        uint32_t serial = 0;
        QDir().mkpath(m_config.path() + "/Lockwarden");
        QVERIFY(platform::GetVolumeSerial(m_config.path().toStdString(), serial));
        const std::string key = std::to_string(int32_t(serial));
        for (size_t size : {size_t(1), size_t(1072), size_t(1079), size_t(1081), size_t(2160)}) {
            std::vector<uint8_t> bytes(size, 1);
            QVERIFY(cipher::WritePlainFile(SettingsFile(), key, bytes.data(), bytes.size()).ok());
            LockSettingsRecord record;
            std::string why;
            QVERIFY2(!ReadLockSettingsFile(record, &why), qPrintable(QString::number(size)));
            QVERIFY(why.ends_with("are damaged: the file doesn't hold one settings record."));
            QCOMPARE(record.bLockWhenIdle, 0);
        }
    }

    void failedWriteLeavesTheOldFile() {
        QVERIFY(WriteLockSettingsFile(SampleRecord()));
        LockSettingsRecord changed = SampleRecord();
        changed.nTimeoutIndex = 1;
        changed.SetPromptText("changed");

        // A file-size limit below the file's size makes the write fail half-way, whoever runs this.
        rlimit old{};
        QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 500;
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool written = WriteLockSettingsFile(changed);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        QVERIFY(!written);

        LockSettingsRecord read;
        QVERIFY(ReadLockSettingsFile(read));
        QCOMPARE(read.nTimeoutIndex, 5);
        QCOMPARE(read.PromptText(), std::string_view("Away for lunch"));
        // Nothing is left beside it.
        QCOMPARE(QDir(m_config.path() + "/Lockwarden").entryList(QDir::Files | QDir::Hidden).size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLockSettings)
#include "test_lock_settings.moc"
