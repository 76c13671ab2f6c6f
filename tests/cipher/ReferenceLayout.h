#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A second, deliberately naive implementation of the document file layout, written from the
// layer table alone: DES one block at a time (ECB plus hand-made chaining), padding by hand,
// rotation by shifts. The tests compare the real code against it.
namespace reference {

// Password bytes must already be the bytes that feed the key.
std::vector<uint8_t> EncodeDocument(const std::u16string& text, const std::string& passwordBytes);

} // namespace reference
