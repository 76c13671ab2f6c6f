// The DES routines are deprecated in OpenSSL 3 but remain the only way to reproduce the file
// format; this file alone may use them.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "cipher/Des.h"

#include "platform/SecureMemory.h"

#include <cstring>
#include <openssl/des.h>

namespace cipher {

static_assert(sizeof(DES_key_schedule) <= sizeof(DesSchedule::bytes));

namespace {
DES_key_schedule* Ks(DesSchedule& s) {
    return reinterpret_cast<DES_key_schedule*>(s.bytes);
}
const DES_key_schedule* Ks(const DesSchedule& s) {
    return reinterpret_cast<const DES_key_schedule*>(s.bytes);
}
// OpenSSL declares the key parameter without const, though it only reads it.
const_DES_cblock* Block(const DesKey& key) {
    return reinterpret_cast<const_DES_cblock*>(const_cast<uint8_t*>(key.data()));
}
} // namespace

DesSchedule::DesSchedule() {
    std::memset(bytes, 0, sizeof bytes);
}
DesSchedule::~DesSchedule() {
    platform::WipeMemory(bytes, sizeof bytes);
}

int DesSetKeyChecked(const DesKey& key, DesSchedule& schedule) {
    // OpenSSL tests parity first (-1), then the weak and semi-weak list (-2). Its list holds the
    // keys with odd parity, and parity has passed by then, so the comparison ignores nothing it
    // should not.
    return DES_set_key_checked(Block(key), Ks(schedule));
}

void DesSetKeyUnchecked(const DesKey& key, DesSchedule& schedule) {
    DES_set_key_unchecked(Block(key), Ks(schedule));
}

void DesCbcCrypt(const uint8_t* input, uint8_t* output, size_t length, const DesSchedule& schedule, const uint8_t* iv,
                 int encrypt) {
    // Take the IV before the first output byte is written: callers pass the zeroed output
    // buffer itself as the IV.
    DES_cblock ivCopy;
    std::memcpy(ivCopy, iv, sizeof ivCopy);
    DES_cbc_encrypt(input, output, static_cast<long>(length), const_cast<DES_key_schedule*>(Ks(schedule)), &ivCopy,
                    encrypt ? DES_ENCRYPT : DES_DECRYPT);
}

void DesCbcChecksum(const uint8_t* input, size_t length, const DesSchedule& schedule, const uint8_t* iv,
                    uint8_t result[8]) {
    DES_cblock ivCopy;
    std::memcpy(ivCopy, iv, sizeof ivCopy);
    DES_cblock out;
    if (length == 0) {
        std::memcpy(result, ivCopy, 8);
        platform::WipeMemory(ivCopy, sizeof ivCopy);
        return;
    }
    DES_cbc_cksum(input, &out, static_cast<long>(length), const_cast<DES_key_schedule*>(Ks(schedule)), &ivCopy);
    std::memcpy(result, out, 8);
    // The IV is the folded password when a key is derived: neither copy may stay on the stack.
    platform::WipeMemory(out, sizeof out);
    platform::WipeMemory(ivCopy, sizeof ivCopy);
}

void DesSetOddParity(DesKey& key) {
    DES_set_odd_parity(reinterpret_cast<DES_cblock*>(key.data()));
}

} // namespace cipher
