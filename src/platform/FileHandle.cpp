#include "platform/FileHandle.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

template <typename F> auto RetryOnInterrupt(F call) {
    decltype(call()) rc;
    do {
        rc = call();
    } while (rc < 0 && errno == EINTR);
    return rc;
}

void CloseKeepingErrno(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

} // namespace

FileHandle OpenFile(const char* path, uint32_t access, uint32_t shareMode, uint32_t disposition,
                    uint32_t /*attributes*/) {
    const bool read = access & kGenericRead;
    const bool write = access & kGenericWrite;
    int flags = O_CLOEXEC | O_NOCTTY;
    flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    bool truncate = false;
    switch (disposition) {
    case kCreateNew:
        flags |= O_CREAT | O_EXCL;
        break;
    case kCreateAlways:
        flags |= O_CREAT;
        truncate = true;
        break;
    case kOpenExisting:
        break;
    case kOpenAlways:
        flags |= O_CREAT;
        break;
    case kTruncateExisting:
        truncate = true;
        break;
    default:
        errno = EINVAL;
        return kInvalidHandle;
    }
    if (truncate && !write) {
        errno = EINVAL;
        return kInvalidHandle;
    }

    // Without O_NONBLOCK, opening a pipe nobody writes to would wait for a writer for ever.
    const int fd = RetryOnInterrupt([&] { return ::open(path, flags | O_NONBLOCK, S_IRUSR | S_IWUSR); });
    if (fd < 0)
        return kInvalidHandle;
    if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        CloseKeepingErrno(fd);
        return kInvalidHandle;
    }

    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        CloseKeepingErrno(fd);
        return kInvalidHandle;
    }
    if (S_ISDIR(st.st_mode)) {
        CloseKeepingErrno(fd);
        errno = EISDIR;
        return kInvalidHandle;
    }
    // Readers share the file, a writer has it alone. Where the file system keeps no locks (NFS
    // without its lock service, some FUSE file systems) the file is used unlocked rather than not
    // at all.
    const int lock = write ? LOCK_EX : LOCK_SH;
    if (shareMode == kShareNone && RetryOnInterrupt([&] { return ::flock(fd, lock | LOCK_NB); }) != 0 &&
        errno != ENOLCK && errno != EOPNOTSUPP) {
        const bool busy = errno == EWOULDBLOCK;
        CloseKeepingErrno(fd);
        if (busy)
            errno = EBUSY;
        return kInvalidHandle;
    }
    // Truncate only once the lock is held, so that a file in use elsewhere is never emptied.
    if (truncate && st.st_size != 0 && ::ftruncate(fd, 0) != 0) {
        CloseKeepingErrno(fd);
        return kInvalidHandle;
    }
    return fd;
}

bool ReadFile(FileHandle h, void* buffer, uint32_t count, uint32_t* done) {
    *done = 0;
    const ssize_t n = RetryOnInterrupt([&] { return ::read(h, buffer, count); });
    if (n < 0)
        return false;
    *done = static_cast<uint32_t>(n);
    return true;
}

bool WriteFile(FileHandle h, const void* buffer, uint32_t count, uint32_t* done) {
    *done = 0;
    const ssize_t n = RetryOnInterrupt([&] { return ::write(h, buffer, count); });
    if (n < 0)
        return false;
    *done = static_cast<uint32_t>(n);
    return true;
}

uint32_t SetFilePointer(FileHandle h, int32_t distance, uint32_t method) {
    int whence = SEEK_SET;
    if (method == kFileCurrent)
        whence = SEEK_CUR;
    else if (method == kFileEnd)
        whence = SEEK_END;
    else if (method != kFileBegin) {
        errno = EINVAL;
        return kInvalidPosition;
    }
    const off_t pos = ::lseek(h, distance, whence);
    if (pos < 0)
        return kInvalidPosition;
    if (static_cast<uint64_t>(pos) >= kInvalidPosition) {
        errno = EOVERFLOW;
        return kInvalidPosition;
    }
    return static_cast<uint32_t>(pos);
}

bool SetEndOfFile(FileHandle h) {
    const off_t pos = ::lseek(h, 0, SEEK_CUR);
    return pos >= 0 && RetryOnInterrupt([&] { return ::ftruncate(h, pos); }) == 0;
}

bool FlushFileBuffers(FileHandle h) {
    return RetryOnInterrupt([&] { return ::fsync(h); }) == 0;
}

bool CloseHandle(FileHandle h) {
    // Linux closes the descriptor even when close() reports EINTR: never retry.
    return ::close(h) == 0;
}

uint32_t LastError() {
    return static_cast<uint32_t>(errno);
}

} // namespace platform
