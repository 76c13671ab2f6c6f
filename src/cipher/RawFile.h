#pragma once

#include "platform/FileHandle.h"
#include "platform/SecureMemory.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cipher {

// A file opened through the system's raw handles. Every operation returns a result and records
// the system's error code when it fails; nothing throws. The error is never cleared.
class CRawFile {
public:
    CRawFile() = default;
    CRawFile(const CRawFile&) = delete;
    CRawFile& operator=(const CRawFile&) = delete;

    // Resets the object, then opens `path` with exactly these parameters.
    bool Open(const char* path, uint32_t access, uint32_t shareMode, uint32_t disposition, uint32_t attributes);

    // The virtual operations, in the order of their slots.
    virtual ~CRawFile();
    virtual bool GetPosition(uint32_t* position);
    virtual uint32_t Seek(int32_t distance, uint32_t method);
    virtual bool SetLength(uint32_t length);
    virtual uint32_t GetLength();
    virtual int64_t Read(void* buffer, uint32_t count);
    virtual int64_t Write(const void* buffer, uint32_t count);
    virtual void Abort();
    virtual bool Flush();
    virtual bool Close();

    uint32_t GetLastError() const { return m_dwLastError; }
    const std::string& GetFileName() const { return m_strFileName; }
    platform::FileHandle GetHandle() const { return m_hFile; }

protected:
    void RecordError() { m_dwLastError = platform::LastError(); }

    platform::FileHandle m_hFile = platform::kInvalidHandle;
    uint32_t m_dwLastError = 0;
    bool m_bOpen = false;
    std::string m_strFileName;
};

struct FileVersion;

// Reads a whole file, opened exclusively. False when it cannot be opened or read (or is 4 GiB or
// larger); `data` is then untouched and `error`, when given, holds the system's error code.
// The buffer wipes itself when released: what it holds may be deciphered in place.
// `version`, when given, gets the identity of the file that was read (taken from the open handle) and
// the hash of the bytes.
bool ReadWholeFile(const std::string& path, platform::SecureBytes& data, uint32_t* error = nullptr,
                   FileVersion* version = nullptr);

// A file as a writer saw it: device, inode, size and modification time (nanoseconds); `exists` is
// false for a name that held no file. A file replaced or written since compares unequal.
struct FileIdentity {
    bool exists = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t size = 0;
    int64_t mtimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};
// The identity of the file a path names, through symbolic links.
FileIdentity IdentityOf(const std::string& path);

// A SHA-256 digest.
constexpr size_t kSha256Size = 32;
using Sha256 = std::array<uint8_t, kSha256Size>;
Sha256 Sha256Of(const uint8_t* data, size_t size);

// A version of a file: its identity and the SHA-256 of its bytes. Two versions with the same hash
// hold the same bytes even when the identity differs (a file touched, or copied back).
struct FileVersion {
    FileIdentity identity;
    Sha256 sha256{};
    bool SameBytes(const FileVersion& other) const { return sha256 == other.sha256; }
    bool operator==(const FileVersion&) const = default;
};

// What a write may replace: by default whatever is there. With bNoReplace, nothing that exists when
// the new file is put in place, however late it appeared (the write fails with EEXIST). With
// `expected`, only the very file the caller read: one changed, replaced, removed or created since
// fails the write with kChangedMeanwhile.
struct ReplaceRule {
    bool bNoReplace = false;
    std::optional<FileIdentity> expected;
};
inline constexpr uint32_t kChangedMeanwhile = 0x10000;

// Replaces a file's content with `size` bytes without ever leaving it half-written: the bytes
// go to a new file beside it, are flushed to disk and renamed over the old name. The old file
// stays as it was on any failure, and `error` (when given) says why. A new file is readable by
// its owner only; a replaced one keeps its mode. A symbolic link is written through to its target.
// The new file's name fits whatever the target's name is; such files that a killed save left behind
// for the same target, older than a day, are removed once the target is written. `written`, when
// given, gets the version now at the target: the new file's identity and the hash of `data`.
bool WriteWholeFile(const std::string& path, const uint8_t* data, size_t size, uint32_t* error = nullptr,
                    const ReplaceRule& rule = {}, FileVersion* written = nullptr);

} // namespace cipher
