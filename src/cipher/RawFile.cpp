#include "cipher/RawFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <new>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace cipher {

using namespace platform;

bool CRawFile::Open(const char* path, uint32_t access, uint32_t shareMode, uint32_t disposition, uint32_t attributes) {
    m_bOpen = false;
    m_hFile = kInvalidHandle;
    m_strFileName.clear();
    const FileHandle h = OpenFile(path, access, shareMode, disposition, attributes);
    if (h == kInvalidHandle) {
        RecordError();
        return false;
    }
    m_hFile = h;
    m_bOpen = true;
    m_strFileName = path;
    return true;
}

CRawFile::~CRawFile() {
    if (m_hFile != kInvalidHandle && m_bOpen)
        Close();
}

bool CRawFile::GetPosition(uint32_t* position) {
    const uint32_t pos = Seek(0, kFileCurrent);
    if (pos == kInvalidPosition)
        return false;
    *position = pos;
    return true;
}

uint32_t CRawFile::Seek(int32_t distance, uint32_t method) {
    const uint32_t pos = SetFilePointer(m_hFile, distance, method);
    if (pos == kInvalidPosition)
        RecordError();
    return pos;
}

bool CRawFile::SetLength(uint32_t length) {
    // A length beyond the signed seek distance is reached from the end instead: it cannot be.
    if (length > static_cast<uint32_t>(INT32_MAX)) {
        errno = EFBIG;
        RecordError();
        return false;
    }
    if (Seek(static_cast<int32_t>(length), kFileBegin) == kInvalidPosition)
        return false;
    if (!SetEndOfFile(m_hFile)) {
        RecordError();
        return false;
    }
    return true;
}

uint32_t CRawFile::GetLength() {
    uint32_t saved = 0;
    if (!GetPosition(&saved))
        return kInvalidPosition;
    const uint32_t length = Seek(0, kFileEnd);
    if (length == kInvalidPosition)
        return kInvalidPosition;
    // Seek back by the absolute position; positions past 2 GiB need two steps of the signed distance.
    if (saved <= static_cast<uint32_t>(INT32_MAX)) {
        Seek(static_cast<int32_t>(saved), kFileBegin);
    } else {
        Seek(INT32_MAX, kFileBegin);
        Seek(static_cast<int32_t>(saved - static_cast<uint32_t>(INT32_MAX)), kFileCurrent);
    }
    return length;
}

int64_t CRawFile::Read(void* buffer, uint32_t count) {
    if (count == 0)
        return 0;
    uint32_t done = 0;
    if (!ReadFile(m_hFile, buffer, count, &done)) {
        RecordError();
        return -1;
    }
    return done;
}

int64_t CRawFile::Write(const void* buffer, uint32_t count) {
    if (count == 0)
        return 0;
    uint32_t done = 0;
    if (!WriteFile(m_hFile, buffer, count, &done)) {
        RecordError();
        return -1;
    }
    if (done < count)
        m_dwLastError = ENOSPC; // a short write that reports success: the disk is full
    return done;
}

void CRawFile::Abort() {
    if (m_hFile != kInvalidHandle)
        CloseHandle(m_hFile);
    m_hFile = kInvalidHandle;
    m_bOpen = false;
    m_strFileName.clear();
}

bool CRawFile::Flush() {
    if (m_hFile == kInvalidHandle)
        return false;
    if (!FlushFileBuffers(m_hFile)) {
        RecordError();
        return false;
    }
    return true;
}

bool CRawFile::Close() {
    if (m_hFile == kInvalidHandle)
        return false;
    const bool closed = CloseHandle(m_hFile);
    if (!closed)
        RecordError();
    m_hFile = kInvalidHandle;
    m_bOpen = false;
    m_strFileName.clear();
    return closed;
}

namespace {

void SetError(uint32_t* error, uint32_t code) {
    if (error)
        *error = code;
}

// Largest single request; the system may accept less per call for very large buffers.
constexpr uint32_t kMaxRequest = 1u << 30;

// Writes everything, resuming after short writes so that the last failing request reports the
// system's real reason (a full disk, a size limit) rather than a guess.
bool WriteAll(CRawFile& file, const uint8_t* data, size_t size) {
    while (size > 0) {
        const uint32_t chunk = size > kMaxRequest ? kMaxRequest : static_cast<uint32_t>(size);
        const int64_t written = file.Write(data, chunk);
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The part of a temporary file's name that comes from its target: the target's name cut to at most
// 200 bytes, at the start of a UTF-8 character, so that the temporary name stays within the file
// system's 255 bytes for any target name.
std::string TempStem(const std::string& name) {
    constexpr size_t kMaxStem = 200;
    if (name.size() <= kMaxStem)
        return name;
    size_t cut = kMaxStem;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

constexpr size_t kTempRandomLength = 8;
constexpr char kTempDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// "." + stem + "." + 8 random lower-case letters or digits + ".tmp", beside the target.
std::string TempNameBeside(const std::string& path) {
    unsigned char random[kTempRandomLength] = {};
    RAND_bytes(random, sizeof random);
    std::string suffix;
    for (const unsigned char r : random)
        suffix += kTempDigits[r % 36];
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return dir + "." + TempStem(name) + "." + suffix + ".tmp";
}

// True for a name a save of the target with this stem may have left behind.
bool IsTempNameOf(std::string_view entry, const std::string& stem) {
    const size_t size = 1 + stem.size() + 1 + kTempRandomLength + 4;
    if (entry.size() != size || entry[0] != '.' || entry.substr(1, stem.size()) != stem ||
        entry[1 + stem.size()] != '.' || entry.substr(size - 4) != ".tmp")
        return false;
    const std::string_view random = entry.substr(2 + stem.size(), kTempRandomLength);
    return random.find_first_not_of(kTempDigits) == std::string_view::npos;
}

// A save killed between creating its temporary file and the rename leaves that file behind. The
// next save of the same target removes those older than a day: a younger one may belong to a save
// still under way in another program.
void RemoveStaleTempFiles(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string stem = TempStem(slash == std::string::npos ? target : target.substr(slash + 1));
    DIR* dir = ::opendir(DirectoryOf(target).c_str());
    if (!dir)
        return;
    const time_t dayAgo = ::time(nullptr) - 24 * 60 * 60;
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (!IsTempNameOf(entry->d_name, stem) || ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(st.st_mode) && st.st_mtime < dayAgo)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

void SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Devices and other special files cannot be replaced by a rename: they are written in place.
// With kCreateNew, the file must not exist yet, and goes again should the writing fail.
bool WriteInPlace(const std::string& path, const uint8_t* data, size_t size, uint32_t* error,
                  uint32_t disposition = kCreateAlways) {
    CRawFile file;
    if (!file.Open(path.c_str(), kGenericWrite, kShareNone, disposition, kFileAttributeNormal)) {
        SetError(error, file.GetLastError());
        return false;
    }
    const bool ok = WriteAll(file, data, size) && file.Flush() && file.Close();
    if (!ok) {
        SetError(error, file.GetLastError());
        if (disposition == kCreateNew) {
            file.Abort();
            ::unlink(path.c_str());
        }
    }
    return ok;
}

} // namespace

namespace {

// A pipe (standard input, a shell's "<(...)") has no length: it is read to its end in pieces.
bool ReadWholeStream(CRawFile& file, SecureBytes& data, uint32_t* error) {
    SecureBytes buffer;
    size_t count = 0;
    constexpr size_t kPiece = 64 * 1024;
    for (;;) {
        try {
            if (buffer.size() - count < kPiece)
                buffer.resize(count + kPiece + count / 2);
        } catch (const std::bad_alloc&) {
            SetError(error, ENOMEM);
            return false;
        }
        if (count + kPiece >= kInvalidPosition) {
            SetError(error, EFBIG);
            return false;
        }
        const int64_t n = file.Read(buffer.data() + count, static_cast<uint32_t>(kPiece));
        if (n < 0) {
            SetError(error, file.GetLastError());
            return false;
        }
        if (n == 0)
            break;
        count += static_cast<size_t>(n);
    }
    file.Close();
    buffer.resize(count);
    data = std::move(buffer);
    return true;
}

} // namespace

Sha256 Sha256Of(const uint8_t* data, size_t size) {
    Sha256 digest{};
    unsigned int length = 0;
    EVP_Digest(data, size, digest.data(), &length, EVP_sha256(), nullptr);
    return digest;
}

namespace {

FileIdentity IdentityOfStat(const struct stat& st) {
    FileIdentity identity;
    identity.exists = true;
    identity.device = st.st_dev;
    identity.inode = st.st_ino;
    identity.size = static_cast<uint64_t>(st.st_size);
    identity.mtimeNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return identity;
}

} // namespace

bool ReadWholeFile(const std::string& path, SecureBytes& data, uint32_t* error, FileVersion* version) {
    CRawFile file;
    if (!file.Open(path.c_str(), kGenericRead, kShareNone, kOpenExisting, kFileAttributeNormal)) {
        SetError(error, file.GetLastError());
        return false;
    }
    // The identity of the very file read, before a byte of it: whatever replaces the name meanwhile
    // compares unequal to it, and a write in place while reading changes its time.
    FileIdentity identity;
    if (struct stat st{}; version && ::fstat(file.GetHandle(), &st) == 0)
        identity = IdentityOfStat(st);
    const auto finish = [&](bool read) {
        if (read && version)
            *version = {identity, Sha256Of(data.data(), data.size())};
        return read;
    };
    const uint32_t size = file.GetLength();
    if (size == kInvalidPosition && file.GetLastError() == ESPIPE)
        return finish(ReadWholeStream(file, data, error));
    if (size == kInvalidPosition) {
        SetError(error, file.GetLastError());
        return false;
    }
    SecureBytes buffer;
    try {
        buffer.resize(size);
    } catch (const std::bad_alloc&) {
        SetError(error, ENOMEM);
        return false;
    }
    // Read until the end: a single request may return less than asked.
    size_t count = 0;
    while (count < size) {
        const int64_t n = file.Read(buffer.data() + count, static_cast<uint32_t>(size - count));
        if (n < 0) {
            SetError(error, file.GetLastError());
            return false;
        }
        if (n == 0)
            break;
        count += static_cast<size_t>(n);
    }
    file.Close();
    buffer.resize(count);
    data = std::move(buffer);
    return finish(true);
}

FileIdentity IdentityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return {};
    return IdentityOfStat(st);
}

namespace {

// Puts the written temporary file at the target's name without replacing anything that is there by
// now: an atomic rename that refuses an existing target; where the file system has none, a hard
// link (which refuses one too); where that is refused as well, the target created exclusively and
// written. errno says why it failed (EEXIST: the target is there).
bool PutInPlaceNoReplace(const std::string& tempPath, const std::string& target, const uint8_t* data, size_t size) {
    if (::renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    if (::link(tempPath.c_str(), target.c_str()) == 0) {
        ::unlink(tempPath.c_str());
        return true;
    }
    if (errno == EEXIST)
        return false;
    uint32_t failure = 0;
    if (!WriteInPlace(target, data, size, &failure, kCreateNew)) {
        errno = failure ? static_cast<int>(failure) : EIO;
        return false;
    }
    ::unlink(tempPath.c_str());
    return true;
}

} // namespace

bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size, uint32_t* error, const ReplaceRule& rule,
                    FileVersion* written) {
    if (size >= kInvalidPosition) {
        SetError(error, EFBIG);
        return false;
    }

    // Write through a symbolic link to the file it names.
    std::string target = path;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* resolved = ::realpath(path.c_str(), nullptr);
        if (!resolved) {
            SetError(error, errno);
            return false;
        }
        target = resolved;
        std::free(resolved);
    }

    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT) {
        SetError(error, errno);
        return false;
    }
    if (rule.bNoReplace && exists) {
        SetError(error, EEXIST);
        return false;
    }
    if (rule.expected && IdentityOf(target) != *rule.expected) {
        SetError(error, kChangedMeanwhile);
        return false;
    }
    if (exists && S_ISDIR(st.st_mode)) {
        SetError(error, EISDIR);
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        const bool ok = WriteInPlace(target, data, size, error);
        if (ok && written)
            *written = {IdentityOf(target), Sha256Of(data, size)};
        return ok;
    }

    // Hold the old file exclusively until it is replaced: a file another program holds open
    // exclusively, or that may not be written, is refused as it would be when written in place.
    CRawFile old;
    if (exists && !old.Open(target.c_str(), kGenericWrite, kShareNone, kOpenExisting, kFileAttributeNormal)) {
        SetError(error, old.GetLastError());
        return false;
    }

    CRawFile temp;
    std::string tempPath;
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = TempNameBeside(target);
        if (temp.Open(tempPath.c_str(), kGenericWrite, kShareNone, kCreateNew, kFileAttributeNormal))
            break;
        if (temp.GetLastError() != EEXIST) {
            SetError(error, temp.GetLastError());
            return false;
        }
    }
    if (temp.GetHandle() == kInvalidHandle) {
        SetError(error, EEXIST);
        return false;
    }
    if (exists) {
        // Keep the replaced file's permissions and, where allowed, its owner.
        ::fchmod(temp.GetHandle(), st.st_mode & 07777);
        if (::fchown(temp.GetHandle(), st.st_uid, st.st_gid) != 0) {
            // Only the superuser may give a file away; the mode still carries over.
        }
    }

    bool ok = WriteAll(temp, data, size) && temp.Flush() && temp.Close();
    uint32_t failure = temp.GetLastError();
    // Looked at again right before the rename: another program may have written the file since.
    if (ok && rule.expected && IdentityOf(target) != *rule.expected) {
        failure = kChangedMeanwhile;
        ok = false;
    }
    // The new file keeps its inode and times through the rename: its identity now is the one the
    // target will have.
    const FileIdentity newIdentity = ok && written ? IdentityOf(tempPath) : FileIdentity{};
    const bool noReplace = rule.bNoReplace || (rule.expected && !rule.expected->exists);
    if (ok && !(noReplace ? PutInPlaceNoReplace(tempPath, target, data, size)
                          : ::rename(tempPath.c_str(), target.c_str()) == 0)) {
        failure = errno;
        ok = false;
    }
    if (!ok) {
        temp.Abort();
        ::unlink(tempPath.c_str());
        SetError(error, failure ? failure : EIO);
        return false;
    }
    if (written)
        *written = {noReplace ? IdentityOf(target) : newIdentity, Sha256Of(data, size)};
    RemoveStaleTempFiles(target);
    SyncDirectory(DirectoryOf(target));
    return true;
}

} // namespace cipher
