#include "cipher/RecoveryFile.h"

#include "cipher/StrongFile.h"
#include "platform/DataFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace cipher {

namespace {

constexpr size_t kSuffixSize = sizeof kRecoverySuffix - 1;
constexpr size_t kHexNameSize = 2 * kSha256Size;
// magic, version, path length; then after the path: time, exists, device, inode, size, mtime,
// hash, tail length.
constexpr size_t kFixedBeforePath = 8 + 4 + 4;
constexpr size_t kFixedAfterPath = 8 + 1 + 8 + 8 + 8 + 8 + kSha256Size + 8;
constexpr size_t kMaxHeaderSize = kFixedBeforePath + kRecoveryMaxPath + kFixedAfterPath;

// Appends little-endian integers and raw bytes to a file being built.
struct Writer {
    platform::SecureBytes& out;
    void Bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        out.insert(out.end(), p, p + size);
    }
    void Le(uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
};

// Takes fields off the front of a header; every take checks what is left first, so a cut or lying
// header fails instead of reading past its end.
struct Reader {
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool Has(size_t count) const { return count <= size - pos; }
    bool Le(uint64_t& value, int bytes) {
        if (!Has(size_t(bytes)))
            return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= uint64_t(data[pos + i]) << (8 * i);
        pos += size_t(bytes);
        return true;
    }
    bool Bytes(void* target, size_t count) {
        if (!Has(count))
            return false;
        std::memcpy(target, data + pos, count);
        pos += count;
        return true;
    }
};

bool UsablePath(std::string_view path) {
    return !path.empty() && path.size() <= kRecoveryMaxPath && path.front() == '/' &&
           path.find('\0') == std::string_view::npos;
}

bool IsCopyName(std::string_view name) {
    if (name.size() != kHexNameSize + kSuffixSize || name.substr(kHexNameSize) != kRecoverySuffix)
        return false;
    return std::all_of(name.begin(), name.begin() + kHexNameSize,
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string CopyPath(const std::string& folder, const std::string& documentPath) {
    return folder + "/" + RecoveryFileName(documentPath);
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

std::string RecoveryFileName(const std::string& documentPath) {
    static const char kHex[] = "0123456789abcdef";
    const Sha256 hash = Sha256Of(reinterpret_cast<const uint8_t*>(documentPath.data()), documentPath.size());
    std::string name;
    name.reserve(kHexNameSize + kSuffixSize);
    for (const uint8_t byte : hash) {
        name.push_back(kHex[byte >> 4]);
        name.push_back(kHex[byte & 15]);
    }
    return name + kRecoverySuffix;
}

DocResult BuildRecoveryFile(const RecoveryInfo& info, const platform::SecureBytes& strongBytes,
                            platform::SecureBytes& fileBytes) {
    if (!UsablePath(info.path) || !IsStrongFile(strongBytes.data(), strongBytes.size()))
        return DocResult::InvalidText;
    platform::SecureBytes out;
    out.reserve(kFixedBeforePath + info.path.size() + kFixedAfterPath + strongBytes.size());
    Writer w{out};
    w.Bytes(kRecoveryMagic, sizeof kRecoveryMagic);
    w.Le(kRecoveryVersion, 4);
    w.Le(info.path.size(), 4);
    w.Bytes(info.path.data(), info.path.size());
    w.Le(static_cast<uint64_t>(info.timeWritten), 8);
    w.Le(info.base.exists ? 1 : 0, 1);
    w.Le(info.base.device, 8);
    w.Le(info.base.inode, 8);
    w.Le(info.base.size, 8);
    w.Le(static_cast<uint64_t>(info.base.mtimeNs), 8);
    w.Bytes(info.baseHash.data(), info.baseHash.size());
    w.Le(strongBytes.size(), 8);
    w.Bytes(strongBytes.data(), strongBytes.size());
    fileBytes = std::move(out);
    return DocResult::Ok;
}

DocResult ParseRecoveryHeader(const uint8_t* data, size_t size, uint64_t fileSize, RecoveryInfo& info,
                              size_t* strongOffset) {
    Reader r{data, size};
    uint8_t magic[sizeof kRecoveryMagic];
    if (!r.Bytes(magic, sizeof magic) || std::memcmp(magic, kRecoveryMagic, sizeof magic) != 0)
        return DocResult::DamagedFile;
    // The version first: a later one may lay out everything after it anew.
    uint64_t version = 0;
    if (!r.Le(version, 4))
        return DocResult::DamagedFile;
    if (version > kRecoveryVersion)
        return DocResult::NewerFormat;
    if (version != kRecoveryVersion)
        return DocResult::DamagedFile;

    RecoveryInfo read;
    uint64_t pathSize = 0;
    if (!r.Le(pathSize, 4) || pathSize == 0 || pathSize > kRecoveryMaxPath || !r.Has(pathSize))
        return DocResult::DamagedFile;
    read.path.assign(reinterpret_cast<const char*>(data + r.pos), pathSize);
    r.pos += pathSize;
    if (!UsablePath(read.path))
        return DocResult::DamagedFile;

    uint64_t time = 0, exists = 0, mtime = 0, tailSize = 0;
    if (!r.Le(time, 8) || !r.Le(exists, 1) || exists > 1 || !r.Le(read.base.device, 8) || !r.Le(read.base.inode, 8) ||
        !r.Le(read.base.size, 8) || !r.Le(mtime, 8) || !r.Bytes(read.baseHash.data(), read.baseHash.size()) ||
        !r.Le(tailSize, 8))
        return DocResult::DamagedFile;
    read.timeWritten = static_cast<int64_t>(time);
    read.base.exists = exists == 1;
    read.base.mtimeNs = static_cast<int64_t>(mtime);

    // The tail is a whole strong file and ends the copy: a cut or lengthened copy is damaged.
    if (fileSize < r.pos || tailSize != fileSize - r.pos || tailSize < kStrongHeaderSize + kStrongTagSize)
        return DocResult::DamagedFile;
    if (r.Has(sizeof kStrongMagic) && !IsStrongFile(data + r.pos, size - r.pos))
        return DocResult::DamagedFile;
    info = std::move(read);
    if (strongOffset)
        *strongOffset = r.pos;
    return DocResult::Ok;
}

DocStatus WriteRecoveryCopy(const std::string& folder, const RecoveryInfo& info,
                            const platform::SecureBytes& strongBytes) {
    DocStatus status;
    status.format = DocFormat::Strong;
    platform::SecureBytes fileBytes;
    if ((status.result = BuildRecoveryFile(info, strongBytes, fileBytes)) != DocResult::Ok)
        return status;
    if (!platform::EnsureFolder(folder)) {
        status.result = DocResult::CannotWrite;
        status.systemError = errno != 0 ? uint32_t(errno) : uint32_t(ENOTDIR);
        return status;
    }
    if (!WriteWholeFile(CopyPath(folder, info.path), fileBytes.data(), fileBytes.size(), &status.systemError))
        status.result = DocResult::CannotWrite;
    return status;
}

DocResult ReadRecoveryInfo(const std::string& file, RecoveryInfo& info) {
    // Not following links and not waiting on a pipe: the folder should hold plain files alone.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return DocResult::CannotRead;
    FdCloser closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return DocResult::CannotRead;
    const size_t want = std::min<uint64_t>(uint64_t(st.st_size), kMaxHeaderSize);
    std::unique_ptr<uint8_t[]> header(new uint8_t[want]);
    size_t got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, header.get() + got, want - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += size_t(n);
    }
    return ParseRecoveryHeader(header.get(), got, uint64_t(st.st_size), info);
}

std::vector<RecoveryCopy> ListRecoveryCopies(const std::string& folder) {
    std::vector<RecoveryCopy> copies;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return copies;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsCopyName(name))
            continue;
        RecoveryCopy copy;
        copy.file = folder + "/" + name;
        // A copy put under another document's name would be offered for the wrong file.
        if (ReadRecoveryInfo(copy.file, copy.info) == DocResult::Ok && RecoveryFileName(copy.info.path) == name)
            copies.push_back(std::move(copy));
    }
    ::closedir(dir);
    std::sort(copies.begin(), copies.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) {
        return a.info.timeWritten != b.info.timeWritten ? a.info.timeWritten < b.info.timeWritten
                                                        : a.info.path < b.info.path;
    });
    return copies;
}

DocStatus ReadRecoveryText(const std::string& file, std::string_view passwordUtf8, platform::SecureString& text,
                           RecoveryInfo* info) {
    DocStatus status;
    status.format = DocFormat::Strong;
    platform::SecureBytes bytes;
    if (!ReadWholeFile(file, bytes, &status.systemError)) {
        status.result = DocResult::CannotRead;
        return status;
    }
    RecoveryInfo read;
    size_t offset = 0;
    status.result = ParseRecoveryHeader(bytes.data(), bytes.size(), bytes.size(), read, &offset);
    if (status.result != DocResult::Ok)
        return status;
    status.result = DecodeStrongDocument(bytes.data() + offset, bytes.size() - offset, passwordUtf8, text);
    if (status.ok() && info)
        *info = std::move(read);
    return status;
}

bool RemoveRecoveryCopy(const std::string& folder, const std::string& documentPath) {
    return ::unlink(CopyPath(folder, documentPath).c_str()) == 0 || errno == ENOENT;
}

} // namespace cipher
