#include "platform/SecureMemory.h"

#include <cstdlib>
#include <new>

#include <openssl/crypto.h>
#include <sys/mman.h>

namespace platform {

namespace {

// Blocks from this size on are placed on huge-page boundaries and offered to the kernel's
// transparent huge pages (which many systems give only to memory that asks for them).
constexpr size_t kHugePage = 2 * 1024 * 1024;
constexpr size_t kLargeBlock = 2 * kHugePage;

bool IsLarge(size_t bytes) {
    return bytes >= kLargeBlock;
}

size_t RoundedLarge(size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

} // namespace

void WipeMemory(void* data, size_t size) {
    if (data && size)
        OPENSSL_cleanse(data, size);
}

void* AllocateBlock(size_t bytes) {
    if (!IsLarge(bytes))
        return ::operator new(bytes);
    if (bytes > static_cast<size_t>(-1) - kHugePage)
        throw std::bad_alloc();
    const size_t rounded = RoundedLarge(bytes);
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (!block)
        throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    // Only advice: where huge pages are off or used up, the block stays in small pages.
    madvise(block, rounded, MADV_HUGEPAGE);
#endif
    return block;
}

void ReleaseBlock(void* block, size_t bytes) noexcept {
    if (!block)
        return;
    WipeMemory(block, bytes);
    if (IsLarge(bytes))
        std::free(block);
    else
        ::operator delete(block);
}

} // namespace platform
