#include "platform/SecureMemory.h"

#include <openssl/crypto.h>

namespace platform {

void WipeMemory(void* data, size_t size) {
    if (data && size)
        OPENSSL_cleanse(data, size);
}

} // namespace platform
