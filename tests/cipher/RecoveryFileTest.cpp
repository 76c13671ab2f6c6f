#include "cipher/RecoveryFile.h"
#include "cipher/StrongFile.h"
#include "common/TestRegistry.h"
#include "platform/DataFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <sodium.h>
#include <sys/stat.h>

using namespace cipher;

namespace {

constexpr StrongCost kQuick{2, 64};

uint64_t Le(const uint8_t* p, int bytes) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= uint64_t(p[i]) << (8 * i);
    return v;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

bool WriteRaw(const std::string& path, const uint8_t* data, size_t size) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(reinterpret_cast<const char*>(data), qint64(size)) == qint64(size);
}

RecoveryInfo SampleInfo(std::string path = "/home/ann/Documents/Grüße.etx", int64_t time = 1767225600) {
    RecoveryInfo info;
    info.path = std::move(path);
    info.timeWritten = time;
    info.base = {true, 0x0102030405060708ull, 0x1112131415161718ull, 4321, -5};
    for (size_t i = 0; i < info.baseHash.size(); ++i)
        info.baseHash[i] = uint8_t(0xA0 + i);
    return info;
}

} // namespace

class RecoveryFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::string Folder() const { return (m_dir.path() + "/state/Lockwarden/recovery").toStdString(); }

    platform::SecureBytes Strong(std::string_view text, std::string_view password = "pässwörd") {
        CStrongKey key;
        platform::SecureBytes bytes;
        if (key.Derive(password, kQuick) != DocResult::Ok || key.Encode(text, bytes) != DocResult::Ok)
            return {};
        return bytes;
    }

private slots:
    void init() { QDir(QString::fromStdString(Folder())).removeRecursively(); }

    // One key, many encodings: each is an ordinary strong file with its own nonce, under the key's one
    // salt and cost, and each opens with the password alone.
    void keyDerivedOnceServesManyEncodings() {
        CStrongKey key;
        QVERIFY(!key.IsReady());
        platform::SecureBytes bytes;
        QCOMPARE(key.Encode("x", bytes), DocResult::UnusablePassword);
        QCOMPARE(key.Derive("", kQuick), DocResult::UnusablePassword);
        QCOMPARE(key.Derive("pässwörd", kQuick), DocResult::Ok);
        platform::SecureBytes first, second;
        QCOMPARE(key.Encode("the same text", first), DocResult::Ok);
        QCOMPARE(key.Encode("the same text", second), DocResult::Ok);
        StrongHeader a, b;
        QCOMPARE(ParseStrongHeader(first.data(), first.size(), a), DocResult::Ok);
        QCOMPARE(ParseStrongHeader(second.data(), second.size(), b), DocResult::Ok);
        QVERIFY(a.salt == b.salt);
        QVERIFY(a.nonce != b.nonce);
        QCOMPARE(a.cost.passes, kQuick.passes);
        QCOMPARE(a.cost.memoryKiB, kQuick.memoryKiB);
        QVERIFY(first != second);
        for (const auto* file : {&first, &second}) {
            platform::SecureString text;
            QCOMPARE(DecodeStrongDocument(file->data(), file->size(), "pässwörd", text), DocResult::Ok);
            QCOMPARE(std::string(text.view()), std::string("the same text"));
            QCOMPARE(DecodeStrongDocument(file->data(), file->size(), "password", text), DocResult::WrongPassword);
        }
        QCOMPARE(key.Encode("\xFF not UTF-8", bytes), DocResult::InvalidText);

        // A new derivation draws a new salt; a wiped key encodes nothing.
        QCOMPARE(key.Derive("pässwörd", kQuick), DocResult::Ok);
        QCOMPARE(key.Encode("the same text", second), DocResult::Ok);
        QCOMPARE(ParseStrongHeader(second.data(), second.size(), b), DocResult::Ok);
        QVERIFY(a.salt != b.salt);
        key.Wipe();
        QVERIFY(!key.IsReady());
        QCOMPARE(key.Encode("the same text", bytes), DocResult::UnusablePassword);
    }

    // The copy taken apart by hand holds every field where the header comment puts it.
    void copyFollowsTheLayout() {
        const RecoveryInfo info = SampleInfo();
        const platform::SecureBytes strong = Strong("text\r\n");
        QVERIFY(!strong.empty());
        platform::SecureBytes file;
        QCOMPARE(BuildRecoveryFile(info, strong, file), DocResult::Ok);
        const size_t n = info.path.size();
        QCOMPARE(file.size(), 16 + n + 8 + 1 + 32 + 32 + 8 + strong.size());
        const uint8_t magic[8] = {0x4C, 0x57, 0x52, 0x45, 0x43, 0x0D, 0x0A, 0x1A};
        QVERIFY(std::memcmp(file.data(), magic, 8) == 0);
        QCOMPARE(Le(&file[8], 4), 1u);
        QCOMPARE(Le(&file[12], 4), uint64_t(n));
        QCOMPARE(std::string(reinterpret_cast<const char*>(&file[16]), n), info.path);
        const uint8_t* p = &file[16 + n];
        QCOMPARE(Le(p, 8), uint64_t(1767225600));
        QCOMPARE(p[8], uint8_t(1));
        QCOMPARE(Le(p + 9, 8), 0x0102030405060708ull);
        QCOMPARE(Le(p + 17, 8), 0x1112131415161718ull);
        QCOMPARE(Le(p + 25, 8), uint64_t(4321));
        QCOMPARE(int64_t(Le(p + 33, 8)), int64_t(-5));
        QVERIFY(std::memcmp(p + 41, info.baseHash.data(), 32) == 0);
        QCOMPARE(Le(p + 73, 8), uint64_t(strong.size()));
        QVERIFY(std::memcmp(p + 81, strong.data(), strong.size()) == 0);

        RecoveryInfo read;
        size_t offset = 0;
        QCOMPARE(ParseRecoveryHeader(file.data(), file.size(), file.size(), read, &offset), DocResult::Ok);
        QVERIFY(read == info);
        QCOMPARE(offset, 16 + n + 81);

        // Nothing that could leak or misplace the text is written: clear text, no path, a relative one.
        platform::SecureBytes clear(100, 'a');
        QCOMPARE(BuildRecoveryFile(info, clear, file), DocResult::InvalidText);
        for (const std::string& bad : {std::string(), std::string("notes.etx"), "/" + std::string(4096, 'a')}) {
            RecoveryInfo badInfo = info;
            badInfo.path = bad;
            QCOMPARE(BuildRecoveryFile(badInfo, strong, file), DocResult::InvalidText);
        }
    }

    // Written, listed and read back byte for byte; private folder and file; removed again.
    void roundTripThroughTheFolder() {
        const std::string text = "Zeile 1\r\nline 2\n\xC2\xA0 and 😀\r";
        RecoveryInfo info = SampleInfo();
        const std::string folder = Folder();
        const DocStatus written = WriteRecoveryCopy(folder, info, Strong(text));
        QVERIFY(written.ok());
        const std::string file = folder + "/" + RecoveryFileName(info.path);
        QCOMPARE(ModeOf(folder), mode_t(0700));
        QCOMPARE(ModeOf(file), mode_t(0600));
        const std::string name = RecoveryFileName(info.path);
        QCOMPARE(name.size(), size_t(64 + 10));
        const QByteArray expected =
            QCryptographicHash::hash(QByteArray::fromStdString(info.path), QCryptographicHash::Sha256).toHex();
        QCOMPARE(QByteArray::fromStdString(name), expected + ".lwrecover");

        RecoveryInfo header;
        QCOMPARE(ReadRecoveryInfo(file, header), DocResult::Ok);
        QVERIFY(header == info);
        platform::SecureString back;
        RecoveryInfo withText;
        QVERIFY(ReadRecoveryText(file, "pässwörd", back, &withText).ok());
        QCOMPARE(std::string(back.view()), text);
        QVERIFY(withText == info);
        QCOMPARE(ReadRecoveryText(file, "wrong", back).result, DocResult::WrongPassword);

        // A newer copy of the same document replaces the older one.
        info.timeWritten += 60;
        QVERIFY(WriteRecoveryCopy(folder, info, Strong("newer")).ok());
        const auto copies = ListRecoveryCopies(folder);
        QCOMPARE(copies.size(), size_t(1));
        QCOMPARE(copies[0].file, file);
        QCOMPARE(copies[0].info.timeWritten, info.timeWritten);
        QCOMPARE(ModeOf(file), mode_t(0600));

        QVERIFY(RemoveRecoveryCopy(folder, info.path));
        QVERIFY(!QFile::exists(QString::fromStdString(file)));
        QVERIFY(RemoveRecoveryCopy(folder, info.path)); // nothing left to remove is no failure
        QVERIFY(ListRecoveryCopies(folder).empty());
    }

    // Every cut of a copy, a lengthened one, bad fields and a later version are refused, by the
    // header reader on its own and by the readers of the file.
    void damagedAndNewerCopiesAreRefused() {
        const RecoveryInfo info = SampleInfo();
        const platform::SecureBytes strong = Strong("text");
        platform::SecureBytes good;
        QCOMPARE(BuildRecoveryFile(info, strong, good), DocResult::Ok);
        RecoveryInfo read;
        for (size_t cut = 0; cut < good.size(); ++cut) {
            // A copy cut short, read as a whole...
            QCOMPARE(ParseRecoveryHeader(good.data(), cut, cut, read), DocResult::DamagedFile);
            // ...and its first bytes read alone, of a file claiming the full size: only the header
            // is needed, and a cut header fails without reading past it.
            const size_t headerEnd = good.size() - strong.size();
            if (cut < headerEnd) {
                platform::SecureBytes prefix(good.begin(), good.begin() + cut);
                QCOMPARE(ParseRecoveryHeader(prefix.data(), prefix.size(), good.size(), read), DocResult::DamagedFile);
            }
        }
        platform::SecureBytes longer = good;
        longer.push_back(0);
        QCOMPARE(ParseRecoveryHeader(longer.data(), longer.size(), longer.size(), read), DocResult::DamagedFile);

        const size_t n = info.path.size();
        auto patched = [&](size_t offset, uint8_t value) {
            platform::SecureBytes bytes = good;
            bytes[offset] = value;
            return bytes;
        };
        struct Case {
            size_t offset;
            uint8_t value;
            DocResult result;
        };
        const Case cases[] = {
            {0, 'X', DocResult::DamagedFile},             // magic
            {8, 2, DocResult::NewerFormat},               // version 2
            {11, 1, DocResult::NewerFormat},              // a version far beyond
            {8, 0, DocResult::DamagedFile},               // version 0
            {12, uint8_t(n + 1), DocResult::DamagedFile}, // path length off by one
            {13, 0x10, DocResult::DamagedFile},           // path length beyond the cap
            {13, 0x0F, DocResult::DamagedFile},           // path length within the cap, beyond the file
            {16, 'r', DocResult::DamagedFile},            // a relative path
            {17, 0, DocResult::DamagedFile},              // a NUL inside the path
            {16 + n + 8, 2, DocResult::DamagedFile},      // "exists" neither 0 nor 1
            {16 + n + 73, 0, DocResult::DamagedFile},     // tail length not the rest of the file
            {16 + n + 80, 1, DocResult::DamagedFile},     // tail length far beyond the file
            {16 + n + 81, 'X', DocResult::DamagedFile},   // a tail that is not a strong file
        };
        for (const Case& c : cases) {
            const platform::SecureBytes bytes = patched(c.offset, c.value);
            QCOMPARE(ParseRecoveryHeader(bytes.data(), bytes.size(), bytes.size(), read), c.result);
        }

        // The same through the files: the header reader and the text reader refuse them alike.
        const std::string folder = Folder();
        QVERIFY(platform::EnsureFolder(folder));
        const std::string file = folder + "/" + RecoveryFileName(info.path);
        const platform::SecureBytes newer = patched(8, 2);
        QVERIFY(WriteRaw(file, newer.data(), newer.size()));
        QCOMPARE(ReadRecoveryInfo(file, read), DocResult::NewerFormat);
        platform::SecureString text;
        QCOMPARE(ReadRecoveryText(file, "pässwörd", text).result, DocResult::NewerFormat);
        QVERIFY(WriteRaw(file, good.data(), good.size() - 1));
        QCOMPARE(ReadRecoveryInfo(file, read), DocResult::DamagedFile);
        QCOMPARE(ReadRecoveryText(file, "pässwörd", text).result, DocResult::DamagedFile);
        // A flipped byte of the sealed text fails its tag.
        const platform::SecureBytes flipped = patched(good.size() - 3, good[good.size() - 3] ^ 1);
        QVERIFY(WriteRaw(file, flipped.data(), flipped.size()));
        QCOMPARE(ReadRecoveryInfo(file, read), DocResult::Ok);
        QCOMPARE(ReadRecoveryText(file, "pässwörd", text).result, DocResult::WrongPassword);
        QCOMPARE(ReadRecoveryInfo(folder + "/missing.lwrecover", read), DocResult::CannotRead);
    }

    // Only good copies under their own names are listed, oldest first.
    void listingSkipsJunk() {
        const std::string folder = Folder();
        QVERIFY(ListRecoveryCopies(folder).empty()); // no folder yet
        const RecoveryInfo later = SampleInfo("/tmp/b.kvd", 2000);
        const RecoveryInfo earlier = SampleInfo("/tmp/c.etx", 1000);
        const RecoveryInfo tie = SampleInfo("/tmp/a.etx", 2000);
        for (const RecoveryInfo* info : {&later, &earlier, &tie})
            QVERIFY(WriteRecoveryCopy(folder, *info, Strong("x")).ok());

        // A good copy under another document's name, a newer one, a damaged one, a stray file, a
        // folder and a link with a copy's name, and a pipe.
        platform::SecureBytes bytes;
        QCOMPARE(BuildRecoveryFile(SampleInfo("/tmp/d.etx", 10), Strong("x"), bytes), DocResult::Ok);
        QVERIFY(WriteRaw(folder + "/" + RecoveryFileName("/tmp/e.etx"), bytes.data(), bytes.size()));
        bytes[8] = 2;
        QVERIFY(WriteRaw(folder + "/" + RecoveryFileName("/tmp/d.etx"), bytes.data(), bytes.size()));
        QVERIFY(WriteRaw(folder + "/" + RecoveryFileName("/tmp/f.etx"), bytes.data(), 20));
        QVERIFY(WriteRaw(folder + "/notes.txt", bytes.data(), bytes.size()));
        QVERIFY(QDir().mkpath(QString::fromStdString(folder + "/" + RecoveryFileName("/tmp/g.etx"))));
        QVERIFY(QFile::link(QString::fromStdString(folder + "/" + RecoveryFileName(later.path)),
                            QString::fromStdString(folder + "/" + RecoveryFileName("/tmp/b.kvd2"))));
        QCOMPARE(::mkfifo((folder + "/" + RecoveryFileName("/tmp/h.etx")).c_str(), 0600), 0);

        const auto copies = ListRecoveryCopies(folder);
        QCOMPARE(copies.size(), size_t(3));
        QCOMPARE(copies[0].info.path, earlier.path);
        QCOMPARE(copies[1].info.path, tie.path);
        QCOMPARE(copies[2].info.path, later.path);
        QCOMPARE(copies[2].file, folder + "/" + RecoveryFileName(later.path));
    }
};

LW_REGISTER_TEST(RecoveryFileTest);
#include "RecoveryFileTest.moc"
