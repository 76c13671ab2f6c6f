#include "platform/SecureMemory.h"

#include <array>
#include <mutex>
#include <new>
#include <unordered_set>
#include <vector>

#include <openssl/crypto.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

// Secrets live in pages of their own, mapped for them, kept out of core files (MADV_DONTDUMP) and,
// as far as RLIMIT_MEMLOCK allows, out of swap (mlock). Small blocks share pool chunks by size
// class; the rest get a mapping each. Where a lock is refused the memory is used unlocked: a
// secret in swappable memory is better than a failed open.
constexpr size_t kHugePage = 2 * 1024 * 1024;
constexpr size_t kLargeBlock = 2 * kHugePage; // from here on placed on huge-page boundaries
constexpr size_t kSmallestClass = 16;
constexpr size_t kClassCount = 8; // 16, 32, ... 2048 bytes
constexpr size_t kLargestSmall = kSmallestClass << (kClassCount - 1);
constexpr size_t kChunk = 64 * 1024;

size_t ClassOf(size_t bytes) {
    size_t index = 0;
    for (size_t size = kSmallestClass; size < bytes; size <<= 1)
        ++index;
    return index;
}

size_t PageSize() {
    static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return page;
}

size_t RoundUp(size_t bytes, size_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

// The system call itself: the sanitizers replace mlock() with a function that does nothing.
int LockPages(void* block, size_t size) {
    return static_cast<int>(syscall(SYS_mlock, block, size));
}

class SecurePool {
public:
    void* Allocate(size_t bytes) {
        if (bytes == 0)
            bytes = 1;
        if (bytes <= kLargestSmall)
            return AllocateSmall(ClassOf(bytes));
        return AllocateMapped(bytes);
    }

    void Release(void* block, size_t bytes) noexcept {
        if (bytes == 0)
            bytes = 1;
        if (bytes <= kLargestSmall) {
            const std::lock_guard lock(m_mutex);
            auto& head = m_aFree[ClassOf(bytes)];
            *static_cast<void**>(block) = head;
            head = block;
            return;
        }
        const size_t mapped = MappedSize(bytes);
        const std::lock_guard lock(m_mutex);
        munmap(block, mapped); // unlocks too
        if (m_lockedBlocks.erase(block)) {
            m_nLockedBytes -= mapped;
            while (!m_unlockedChunks.empty() && TryLock(m_unlockedChunks.back(), kChunk, true))
                m_unlockedChunks.pop_back();
        }
    }

private:
    static size_t MappedSize(size_t bytes) {
        return bytes >= kLargeBlock ? RoundUp(bytes, kHugePage) : RoundUp(bytes, PageSize());
    }

    // Locks the range when the limit leaves room for it, keeping half of the limit for the pool
    // chunks, where passwords and keys are, out of the reach of large texts. Called with the mutex held.
    bool TryLock(void* block, size_t size, bool poolChunk) {
        if (m_nLockLimit == 0) {
            rlimit limit{};
            m_nLockLimit = getrlimit(RLIMIT_MEMLOCK, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                               ? static_cast<size_t>(limit.rlim_cur)
                               : static_cast<size_t>(-1);
        }
        const size_t limit = poolChunk ? m_nLockLimit : m_nLockLimit / 2;
        if (m_nLockedBytes > limit || size > limit - m_nLockedBytes || LockPages(block, size) != 0)
            return false;
        m_nLockedBytes += size;
        return true;
    }

    static void* Map(size_t size, size_t alignment) {
        // Over-mapped by the alignment, then trimmed to an aligned range.
        const size_t extra = alignment > PageSize() ? alignment : 0;
        void* mapped = mmap(nullptr, size + extra, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped == MAP_FAILED)
            throw std::bad_alloc();
        auto* start = static_cast<char*>(mapped);
        if (extra) {
            auto* aligned = reinterpret_cast<char*>(RoundUp(reinterpret_cast<uintptr_t>(start), alignment));
            if (aligned > start)
                munmap(start, static_cast<size_t>(aligned - start));
            if (const size_t tail = static_cast<size_t>(start + size + extra - (aligned + size)))
                munmap(aligned + size, tail);
            start = aligned;
        }
#ifdef MADV_DONTDUMP
        madvise(start, size, MADV_DONTDUMP);
#endif
        return start;
    }

    void* AllocateMapped(size_t bytes) {
        if (bytes > static_cast<size_t>(-1) - kHugePage)
            throw std::bad_alloc();
        const size_t size = MappedSize(bytes);
        const bool large = bytes >= kLargeBlock;
        void* block = Map(size, large ? kHugePage : PageSize());
#ifdef MADV_HUGEPAGE
        // Filling a multi-megabyte buffer page by page costs a fault every 4 KiB, more than
        // deciphering it; only advice, where huge pages are off the block stays in small pages.
        if (large)
            madvise(block, size, MADV_HUGEPAGE);
#endif
        const std::lock_guard lock(m_mutex);
        if (TryLock(block, size, false)) {
            try {
                m_lockedBlocks.insert(block);
            } catch (...) {
                syscall(SYS_munlock, block, size);
                m_nLockedBytes -= size;
            }
        }
        return block;
    }

    void* AllocateSmall(size_t index) {
        const std::lock_guard lock(m_mutex);
        auto& head = m_aFree[index];
        if (head) {
            void* block = head;
            head = *static_cast<void**>(block);
            return block;
        }
        const size_t size = kSmallestClass << index;
        if (m_nChunkLeft < size) {
            m_pChunk = static_cast<char*>(Map(kChunk, PageSize()));
            m_nChunkLeft = kChunk;
            // Chunks stay for the life of the program; one that can't be locked now is tried again
            // when a large block gives back its share of the limit.
            if (!TryLock(m_pChunk, kChunk, true))
                m_unlockedChunks.push_back(m_pChunk);
        }
        void* block = m_pChunk;
        m_pChunk += size;
        m_nChunkLeft -= size;
        return block;
    }

    std::mutex m_mutex;
    std::array<void*, kClassCount> m_aFree{};
    char* m_pChunk = nullptr;
    size_t m_nChunkLeft = 0;
    size_t m_nLockLimit = 0; // 0 until read
    size_t m_nLockedBytes = 0;
    std::unordered_set<void*> m_lockedBlocks;
    std::vector<char*> m_unlockedChunks;
};

SecurePool& Pool() {
    // Never destroyed: secure strings in static objects may be freed after it would be.
    static SecurePool* const pool = new SecurePool;
    return *pool;
}

} // namespace

void WipeMemory(void* data, size_t size) {
    if (data && size)
        OPENSSL_cleanse(data, size);
}

void* AllocateBlock(size_t bytes) {
    return Pool().Allocate(bytes);
}

void ReleaseBlock(void* block, size_t bytes) noexcept {
    if (!block)
        return;
    WipeMemory(block, bytes);
    Pool().Release(block, bytes);
}

} // namespace platform
