#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// Overwrites memory in a way the optimiser may not drop.
void WipeMemory(void* data, size_t size);

// Memory for the allocator below: pages of its own that are left out of core files and, while
// RLIMIT_MEMLOCK allows, locked out of swap (never failing when they can't be). Blocks of several
// megabytes (whole files, deciphered texts) come from huge pages where the system offers them.
void* AllocateBlock(size_t bytes);
// Wipes a block from AllocateBlock and gives it back; `bytes` is the size it was asked with.
void ReleaseBlock(void* block, size_t bytes) noexcept;

// An allocator that wipes every block before giving it back, so that passwords, keys and
// deciphered text do not linger in freed memory.
template <typename T> struct ZeroingAllocator {
    using value_type = T;
    ZeroingAllocator() noexcept = default;
    template <typename U> ZeroingAllocator(const ZeroingAllocator<U>&) noexcept {}
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
    T* allocate(size_t n) {
        if (n > static_cast<size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(AllocateBlock(n * sizeof(T)));
    }
    // resize() leaves new elements uninitialised instead of zeroing them: every buffer of
    // this kind is filled right after it grows, and zeroing megabytes first costs time.
    template <typename U> void construct(U* p) noexcept { ::new (static_cast<void*>(p)) U; }
    template <typename U, typename... Args> void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    void deallocate(T* p, size_t n) noexcept { ReleaseBlock(p, n * sizeof(T)); }
    template <typename U> bool operator==(const ZeroingAllocator<U>&) const noexcept { return true; }
};

// Bytes that are wiped when they go, and whose old bytes are wiped when the buffer is assigned
// anew (a vector reuses its capacity for a shorter value and leaves the rest as it was).
class SecureBytes : public std::vector<uint8_t, ZeroingAllocator<uint8_t>> {
public:
    using Base = std::vector<uint8_t, ZeroingAllocator<uint8_t>>;
    using Base::Base;
    SecureBytes() = default;
    SecureBytes(const SecureBytes&) = default;
    SecureBytes(SecureBytes&&) noexcept = default;
    SecureBytes& operator=(const SecureBytes& other) {
        if (this != &other) {
            WipeMemory(data(), capacity());
            Base::operator=(other);
        }
        return *this;
    }
    SecureBytes& operator=(SecureBytes&& other) noexcept {
        if (this != &other) {
            WipeMemory(data(), capacity());
            Base::operator=(std::move(other));
        }
        return *this;
    }
};

// A string whose characters are wiped when it is destroyed, including short strings that
// live inside the object itself rather than on the heap.
class SecureString : public std::basic_string<char, std::char_traits<char>, ZeroingAllocator<char>> {
public:
    using Base = std::basic_string<char, std::char_traits<char>, ZeroingAllocator<char>>;
    using Base::Base;
    SecureString() = default;
    SecureString(const SecureString&) = default;
    SecureString(SecureString&&) = default;
    // Assignment reuses the buffer when the new value fits, leaving the old value's tail behind
    // it, and a string that moves from its inner buffer to the heap leaves the inner one as it
    // was: so the old value is wiped first, whatever the new one is.
    SecureString& operator=(const SecureString& other) {
        if (this != &other) {
            Wipe();
            Base::operator=(other);
        }
        return *this;
    }
    SecureString& operator=(SecureString&& other) noexcept {
        if (this != &other) {
            Wipe();
            Base::operator=(std::move(other));
            other.Wipe(); // a short value is copied out of its inner buffer, not taken
        }
        return *this;
    }
    ~SecureString() { Wipe(); }

    // Clears the string and overwrites what it held, its terminating NUL's place included.
    void Wipe() {
        WipeMemory(data(), capacity() + 1);
        clear();
    }
    std::string_view view() const { return {data(), size()}; }
};

} // namespace platform
