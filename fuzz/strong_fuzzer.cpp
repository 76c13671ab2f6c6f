// The strong format's reader over arbitrary bytes: the header checks, and for headers that pass, the
// key derivation and the tag check. Inputs that name a costly derivation are cut down to the
// cheapest one the format allows, so that the fuzzer spends its time on parsing, not on Argon2id;
// the limits themselves are checked without deriving anything.
#include "cipher/StrongFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cipher::StrongHeader header;
    const cipher::DocResult parsed = cipher::ParseStrongHeader(data, size, header);
    std::vector<uint8_t> bytes(data, data + size);
    if (parsed == cipher::DocResult::Ok) {
        // passes 1, memory 8 KiB: the header stays valid, the derivation takes microseconds.
        const uint8_t cheap[8] = {1, 0, 0, 0, 8, 0, 0, 0};
        std::copy(cheap, cheap + 8, bytes.begin() + 12);
    }
    platform::SecureString text;
    const cipher::DocResult decoded = cipher::DecodeStrongDocument(bytes.data(), bytes.size(), "fuzz password", text);
    // A header refused on its own must be refused by the reader for the same reason.
    if (parsed != cipher::DocResult::Ok && decoded != parsed)
        __builtin_trap();
    if (decoded == cipher::DocResult::Ok && text.size() != size - cipher::kStrongHeaderSize - cipher::kStrongTagSize)
        __builtin_trap();
    return 0;
}
