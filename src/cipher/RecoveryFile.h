#pragma once

#include "cipher/DocumentFile.h"
#include "cipher/RawFile.h"
#include "platform/SecureMemory.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The recovery copy of a document's unsaved work: one file per document in the recovery folder,
// named after the SHA-256 of the document's absolute path, so that a newer copy replaces the older
// one. The header is clear, so the copies can be listed before any password is known; the text is
// a whole strong-format file under the document's own password.
//
// All integers little-endian:
//   0  8  magic 4C 57 52 45 43 0D 0A 1A ("LWREC", CR, LF, 0x1A)
//   8  4  format version, 1
//  12  4  length n of the document's path (1 to kRecoveryMaxPath)
//  16  n  the document's absolute path, UTF-8
//   +  8  time the copy was written, seconds since the epoch (signed)
//   +  1  1 when the base version existed on disk, else 0
//   +  8  base version's device
//   +  8  base version's inode
//   +  8  base version's size
//   +  8  base version's modification time in nanoseconds (signed)
//   + 32  SHA-256 of the base version's bytes
//   +  8  length m of the strong-format bytes
//   +  m  the strong-format file of the document's text (cipher/StrongFile.h)
// The file ends there; anything after it is refused as damage.
namespace cipher {

constexpr uint8_t kRecoveryMagic[8] = {0x4C, 0x57, 0x52, 0x45, 0x43, 0x0D, 0x0A, 0x1A};
constexpr uint32_t kRecoveryVersion = 1;
constexpr size_t kRecoveryMaxPath = 4096; // PATH_MAX: no document path is longer
constexpr char kRecoverySuffix[] = ".lwrecover";

// What a copy says about the document it belongs to.
struct RecoveryInfo {
    std::string path;        // the document's absolute path, UTF-8
    int64_t timeWritten = 0; // seconds since the epoch
    FileIdentity base;       // the version on disk the unsaved work started from
    Sha256 baseHash{};       // and the SHA-256 of its bytes
    bool operator==(const RecoveryInfo&) const = default;
};

// A readable copy in the recovery folder.
struct RecoveryCopy {
    std::string file; // the copy's own path
    RecoveryInfo info;
};

// The name of a document's copy: the lower-case hex SHA-256 of its path, then kRecoverySuffix.
std::string RecoveryFileName(const std::string& documentPath);

// The bytes of a copy. InvalidText for a path that is empty or longer than kRecoveryMaxPath, or
// strong bytes that are not a strong-format file (clear text never goes into a copy).
DocResult BuildRecoveryFile(const RecoveryInfo& info, const platform::SecureBytes& strongBytes,
                            platform::SecureBytes& fileBytes);

// Reads a copy's header from its first bytes. `fileSize` is the whole file's size: the header must
// name a tail that ends exactly there. NewerFormat for a later version, DamagedFile for anything
// short, malformed or of the wrong size. `strongOffset`, when given, gets where the tail begins.
// Never reads past `size`.
DocResult ParseRecoveryHeader(const uint8_t* data, size_t size, uint64_t fileSize, RecoveryInfo& info,
                              size_t* strongOffset = nullptr);

// Writes a document's copy into the folder (created readable by its owner only, as is the copy),
// replacing the older copy of the same document in one rename.
DocStatus WriteRecoveryCopy(const std::string& folder, const RecoveryInfo& info,
                            const platform::SecureBytes& strongBytes);

// Reads the header of a copy alone. CannotRead when the file cannot be opened or read.
DocResult ReadRecoveryInfo(const std::string& file, RecoveryInfo& info);

// The copies in a folder whose headers read and whose names match their paths, oldest first (equal
// times by path). Other files, unreadable ones and copies of a later version are passed over.
std::vector<RecoveryCopy> ListRecoveryCopies(const std::string& folder);

// The text of a copy under the document's password, and its header when `info` is given.
// WrongPassword when the text does not open under the password.
DocStatus ReadRecoveryText(const std::string& file, std::string_view passwordUtf8, platform::SecureString& text,
                           RecoveryInfo* info = nullptr);

// Removes a document's copy; true when none is left (also when there was none).
bool RemoveRecoveryCopy(const std::string& folder, const std::string& documentPath);

} // namespace cipher
