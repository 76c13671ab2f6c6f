#include "cipher/RawFile.h"
#include "common/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace cipher;
using namespace platform;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

std::string Slurp(const std::string& path) {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

void Spit(const std::string& path, const std::string& content) {
    QFile f(QString::fromStdString(path));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(content.data(), qint64(content.size())), qint64(content.size()));
}

// Caps the size of any file this process writes, as a nearly full disk would; writes past the
// cap fail with EFBIG instead of raising SIGXFSZ.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit cap = m_saved;
        cap.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &cap);
    }
    ~FileSizeCap() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

} // namespace

class RawFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::string Path(const char* name) const { return (m_dir.path() + "/" + name).toStdString(); }
    // The files in a folder of their own, to see that nothing was left beside a written file.
    static QStringList Entries(const QTemporaryDir& dir) {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    }

private slots:
    void closeAndAbortWithoutFile() {
        CRawFile file;
        QVERIFY(!file.Close());
        QCOMPARE(file.GetLastError(), 0u);
        QVERIFY(!file.Flush());
        file.Abort(); // harmless
        QVERIFY(
            !file.Open(Path("nothing-here").c_str(), kGenericRead, kShareNone, kOpenExisting, kFileAttributeNormal));
        QCOMPARE(file.GetLastError(), uint32_t(ENOENT));
        QVERIFY(file.GetFileName().empty());
    }

    void operations() {
        const std::string path = Path("ops");
        CRawFile file;
        QVERIFY(file.Open(path.c_str(), kGenericRead | kGenericWrite, kShareNone, kCreateAlways, kFileAttributeNormal));
        QCOMPARE(file.GetFileName(), path);
        QCOMPARE(file.Write("abcdefgh", 0), int64_t(0));
        QCOMPARE(file.Write("abcdefgh", 8), int64_t(8));
        QCOMPARE(file.Seek(3, kFileBegin), 3u);
        QCOMPARE(file.GetLength(), 8u);
        uint32_t pos = 0;
        QVERIFY(file.GetPosition(&pos));
        QCOMPARE(pos, 3u); // GetLength leaves the position alone
        char buffer[8] = {};
        QCOMPARE(file.Read(buffer, 0), int64_t(0));
        QCOMPARE(file.Read(buffer, 8), int64_t(5));
        QCOMPARE(std::string(buffer, 5), std::string("defgh"));
        QVERIFY(file.SetLength(4));
        QCOMPARE(file.GetLength(), 4u);
        QVERIFY(file.Flush());
        QVERIFY(file.Close());
        QVERIFY(file.GetFileName().empty());
        QVERIFY(!file.Close());
        QCOMPARE(Slurp(path), std::string("abcd"));
    }

    void abortThenDestroy() {
        const std::string path = Path("abort");
        auto* file = new CRawFile;
        QVERIFY(file->Open(path.c_str(), kGenericWrite, kShareNone, kCreateAlways, kFileAttributeNormal));
        file->Abort();
        QVERIFY(file->GetHandle() == kInvalidHandle);
        delete file; // must not close a second time
        // The exclusive hold ended with the abort.
        CRawFile again;
        QVERIFY(again.Open(path.c_str(), kGenericWrite, kShareNone, kOpenExisting, kFileAttributeNormal));
    }

    void readWholeFile() {
        SecureBytes data = {9};
        QVERIFY(!ReadWholeFile(Path("absent"), data));
        QVERIFY(data == SecureBytes{9}); // untouched
        Spit(Path("empty"), "");
        QVERIFY(ReadWholeFile(Path("empty"), data));
        QVERIFY(data.empty());
        const std::string big(300000, 'z');
        Spit(Path("big"), big);
        QVERIFY(ReadWholeFile(Path("big"), data));
        QCOMPARE(data.size(), big.size());
        // Readers share a file; one held for writing elsewhere cannot be read, and the reason is given.
        CRawFile reader;
        QVERIFY(reader.Open(Path("big").c_str(), kGenericRead, kShareNone, kOpenExisting, kFileAttributeNormal));
        QVERIFY(ReadWholeFile(Path("big"), data));
        CRawFile writer;
        QVERIFY(!writer.Open(Path("big").c_str(), kGenericWrite, kShareNone, kOpenExisting, kFileAttributeNormal));
        QCOMPARE(writer.GetLastError(), uint32_t(EBUSY));
        reader.Close();
        QVERIFY(writer.Open(Path("big").c_str(), kGenericWrite, kShareNone, kOpenExisting, kFileAttributeNormal));
        uint32_t error = 0;
        QVERIFY(!ReadWholeFile(Path("big"), data, &error));
        QCOMPARE(error, uint32_t(EBUSY));
        writer.Close();
        // A pipe is read to its end; one nobody writes to reads as empty at once instead of waiting.
        QVERIFY(::mkfifo(Path("fifo").c_str(), 0600) == 0);
        QVERIFY(ReadWholeFile(Path("fifo"), data, &error));
        QVERIFY(data.empty());
        // A file whose length cannot be taken fails cleanly instead of handing on garbage.
        QVERIFY(!ReadWholeFile("/proc/self/mem", data, &error));
        QVERIFY(error != 0);
    }

    void writeWholeFileCreatesPrivateFiles() {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/new.etx").toStdString();
        QVERIFY(WriteWholeFile(path, Bytes("hello").data(), 5));
        QCOMPARE(Slurp(path), std::string("hello"));
        struct stat st {};
        QCOMPARE(::stat(path.c_str(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0600));
        // Zero bytes truncate.
        QVERIFY(WriteWholeFile(path, nullptr, 0));
        QCOMPARE(Slurp(path), std::string());
        QCOMPARE(Entries(dir), QStringList{"new.etx"}); // nothing left beside it
    }

    // Any target name saves, however long: the file beside it takes a cut of the name, at the start
    // of a character. What a killed save of the same target left behind goes at its next save once a
    // day old; a younger one, another shape and another target's stay.
    void longNamesSaveAndStaleTempFilesGo() {
        QTemporaryDir dir;
        std::string name = "a";
        while (name.size() < 251)
            name += "\xC3\xA9"; // the 200th byte falls inside a character
        name += ".kvd";
        QCOMPARE(name.size(), size_t(255));
        const std::string target = dir.path().toStdString() + "/" + name;
        QVERIFY(WriteWholeFile(target, Bytes("first").data(), 5));
        QCOMPARE(Slurp(target), std::string("first"));
        QCOMPARE(Entries(dir).size(), 1);

        const std::string stem = name.substr(0, 199);
        const std::string left[] = {"." + stem + ".abcd1234.tmp", "." + stem + ".zzzz9999.tmp",
                                    "." + stem + ".ABCD1234.tmp", ".other.kvd.abcd1234.tmp"};
        for (const std::string& file : left) {
            const std::string path = dir.path().toStdString() + "/" + file;
            Spit(path, "half");
            if (file != left[1]) {
                const struct timespec twoDaysAgo[2] = {{::time(nullptr) - 2 * 86400, 0},
                                                       {::time(nullptr) - 2 * 86400, 0}};
                QCOMPARE(::utimensat(AT_FDCWD, path.c_str(), twoDaysAgo, 0), 0);
            }
        }
        QVERIFY(WriteWholeFile(target, Bytes("second").data(), 6));
        QCOMPARE(Slurp(target), std::string("second"));
        QStringList kept;
        for (const std::string& file : {name, left[1], left[2], left[3]})
            kept << QString::fromStdString(file);
        kept.sort();
        QStringList entries = Entries(dir);
        entries.sort();
        QCOMPARE(entries, kept);
    }

    // A write that may not replace refuses a file that is there by the time it would; one that may
    // replace only what it read refuses a file changed, removed or created since.
    void replaceRulesRefuseWhatAppearedOrChanged() {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/doc.kvd";
        uint32_t error = 0;
        ReplaceRule noReplace;
        noReplace.bNoReplace = true;
        QVERIFY(WriteWholeFile(path, Bytes("first").data(), 5, &error, noReplace));
        QVERIFY(!WriteWholeFile(path, Bytes("second").data(), 6, &error, noReplace));
        QCOMPARE(error, uint32_t(EEXIST));
        QCOMPARE(Slurp(path), std::string("first"));

        ReplaceRule readBefore;
        readBefore.expected = IdentityOf(path);
        QVERIFY(readBefore.expected->exists);
        Spit(path, "theirs, written meanwhile");
        QVERIFY(!WriteWholeFile(path, Bytes("mine").data(), 4, &error, readBefore));
        QCOMPARE(error, kChangedMeanwhile);
        QCOMPARE(Slurp(path), std::string("theirs, written meanwhile"));
        readBefore.expected = IdentityOf(path);
        QVERIFY(WriteWholeFile(path, Bytes("mine").data(), 4, &error, readBefore));
        QCOMPARE(Slurp(path), std::string("mine"));

        ReplaceRule wasAbsent;
        wasAbsent.expected = IdentityOf(dir.path().toStdString() + "/new.kvd");
        QVERIFY(!wasAbsent.expected->exists);
        Spit(dir.path().toStdString() + "/new.kvd", "appeared");
        QVERIFY(!WriteWholeFile(dir.path().toStdString() + "/new.kvd", Bytes("mine").data(), 4, &error, wasAbsent));
        QCOMPARE(Slurp(dir.path().toStdString() + "/new.kvd"), std::string("appeared"));
        QCOMPARE(Entries(dir), QStringList({"doc.kvd", "new.kvd"}));
    }

    void replacingKeepsModeAndFollowsLinks() {
        const std::string target = Path("target.kvd");
        Spit(target, "old content");
        ::chmod(target.c_str(), 0640);
        const std::string link = Path("link.kvd");
        QCOMPARE(::symlink(target.c_str(), link.c_str()), 0);
        QVERIFY(WriteWholeFile(link, Bytes("new").data(), 3));
        struct stat st {};
        QCOMPARE(::lstat(link.c_str(), &st), 0);
        QVERIFY(S_ISLNK(st.st_mode)); // still a link
        QCOMPARE(Slurp(target), std::string("new"));
        QCOMPARE(::stat(target.c_str(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
        ::unlink(link.c_str());
        ::unlink(target.c_str());
    }

    void failedWriteLeavesOldFile() {
        QTemporaryDir dir;
        const std::string path = (dir.path() + "/precious.etx").toStdString();
        const std::string old(1000, 'o');
        Spit(path, old);
        const std::vector<uint8_t> bigger(64 * 1024, 'n');
        uint32_t error = 0;
        {
            FileSizeCap cap(4096); // room for the old file, not for the new one
            QVERIFY(!WriteWholeFile(path, bigger.data(), bigger.size(), &error));
        }
        QCOMPARE(error, uint32_t(EFBIG));
        QCOMPARE(Slurp(path), old);
        QCOMPARE(Entries(dir), QStringList{"precious.etx"}); // the partial new file is gone
    }

    void failedWriteReportsFullDevice() {
        // Special files are written in place; /dev/full takes nothing.
        uint32_t error = 0;
        QVERIFY(!WriteWholeFile("/dev/full", Bytes("data").data(), 4, &error));
        QCOMPARE(error, uint32_t(ENOSPC));
    }

    void fileInUseIsNotReplaced() {
        const std::string path = Path("busy.etx");
        Spit(path, "mine");
        CRawFile holder;
        QVERIFY(holder.Open(path.c_str(), kGenericRead, kShareNone, kOpenExisting, kFileAttributeNormal));
        uint32_t error = 0;
        QVERIFY(!WriteWholeFile(path, Bytes("theirs").data(), 6, &error));
        QCOMPARE(error, uint32_t(EBUSY));
        holder.Close();
        QCOMPARE(Slurp(path), std::string("mine"));
        QVERIFY(!WriteWholeFile(m_dir.path().toStdString(), Bytes("x").data(), 1, &error));
        QCOMPARE(error, uint32_t(EISDIR));
        QVERIFY(!WriteWholeFile(Path("no/such/folder.etx"), Bytes("x").data(), 1, &error));
        QCOMPARE(error, uint32_t(ENOENT));
    }
};

LW_REGISTER_TEST(RawFileTest);
#include "RawFileTest.moc"
