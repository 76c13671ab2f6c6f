#pragma once

#include "cipher/Des.h"

#include <string_view>

namespace cipher {

// Derives the DES key of a file from the bytes of its password: the classic DES string-to-key.
// The password ends at its first NUL byte, as a C string would. Always returns 1; the key may
// be weak (the empty password gives 01 01 ... 01), which the container operations then refuse.
int PasswordToKey(DesKey& key, std::string_view password);

} // namespace cipher
