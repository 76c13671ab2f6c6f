#include "cli/InfoCommand.h"

#include "cipher/StrongFile.h"
#include "cli/FileCommands.h"
#include "cli/Terminal.h"

namespace cli {

int ShowInfo(const std::string& file) {
    platform::SecureBytes bytes;
    if (const int rc = ReadInputFile(file, bytes); rc != kExitOk)
        return rc;
    if (!cipher::IsStrongFile(bytes.data(), bytes.size()))
        return WriteStandardOutput("Format: compatible (DES; opens in older versions and on Windows)\n");

    cipher::StrongHeader header;
    const cipher::DocResult parsed = cipher::ParseStrongHeader(bytes.data(), bytes.size(), header);
    if (parsed != cipher::DocResult::Ok) {
        PrintError(cipher::DescribeFailure({parsed, 0}, file));
        return parsed == cipher::DocResult::DamagedFile ? kExitBadPassword : kExitFileError;
    }
    const size_t textBytes = bytes.size() - cipher::kStrongHeaderSize - cipher::kStrongTagSize;
    return WriteStandardOutput("Format: strong (version " + std::to_string(header.version) +
                               "; XChaCha20-Poly1305; opens only in this version and later)\n"
                               "Key derivation: Argon2id v1.3, " +
                               std::to_string(header.cost.passes) + " passes, " +
                               std::to_string(header.cost.memoryKiB) + " KiB memory\n" +
                               "Text: " + std::to_string(textBytes) + " bytes\n");
}

} // namespace cli
