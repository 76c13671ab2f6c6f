#include "cipher/ParallelDecrypt.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace cipher {

namespace {

// Un-rotating and deciphering go a piece at a time that stays in the core's cache in between.
constexpr size_t kPieceBytes = 64 << 10;

unsigned ThreadCount(unsigned wanted, size_t tasks) {
    unsigned threads = wanted ? wanted : std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(tasks, 1)));
}

size_t ChunkBytes(size_t requested, size_t length, unsigned threads) {
    if (requested != kAutoChunkBytes)
        return requested;
    const size_t share = length / (2 * size_t(ThreadCount(threads, length)));
    return std::clamp<size_t>((share + 7) / 8 * 8, kDecryptMinChunkBytes, kDecryptChunkBytes);
}

// Runs task(0) ... task(tasks - 1) on `threads` threads, this one included, each taking the next
// task not yet taken, and returns when all are done.
void ParallelFor(size_t tasks, unsigned threads, const std::function<void(size_t)>& task) {
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < tasks; i = next++)
            task(i);
    };
    std::vector<std::thread> helpers;
    const unsigned count = ThreadCount(threads, tasks);
    helpers.reserve(count - 1);
    for (unsigned t = 1; t < count; ++t)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
}

uint32_t LoadLe(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

void StoreLe(uint8_t* p, uint32_t word) {
    p[0] = static_cast<uint8_t>(word);
    p[1] = static_cast<uint8_t>(word >> 8);
    p[2] = static_cast<uint8_t>(word >> 16);
    p[3] = static_cast<uint8_t>(word >> 24);
}

// Undoes the rotation of the words of `bytes` bytes (a multiple of 4) whose first word is word
// number `firstWord` of the file.
void UnrotateWords(uint8_t* p, size_t bytes, size_t firstWord) {
    for (size_t i = 0; i < bytes / 4; ++i) {
        const int amount = static_cast<int>((firstWord + i + 1) % 32);
        StoreLe(p + 4 * i, std::rotr(LoadLe(p + 4 * i), amount));
    }
}

// The ciphertext block that ends at byte `end` of the rotated file, un-rotated; the zero IV for 0.
std::array<uint8_t, 8> CipherBlockBefore(const uint8_t* fileBytes, size_t end) {
    std::array<uint8_t, 8> block{};
    if (end >= 8) {
        std::memcpy(block.data(), fileBytes + end - 8, 8);
        UnrotateWords(block.data(), 8, (end - 8) / 4);
    }
    return block;
}

bool PaddingFits(const uint8_t* lastBlock) {
    const unsigned pad = lastBlock[7];
    if (pad == 0 || pad > 8 || pad % 2 != 0)
        return false;
    for (unsigned i = 8 - pad; i < 8; ++i) {
        if (lastBlock[i] != pad)
            return false;
    }
    return true;
}

bool IsHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

uint32_t UnitAt(const uint8_t* utf16, size_t i) {
    return static_cast<uint32_t>(utf16[2 * i]) | static_cast<uint32_t>(utf16[2 * i + 1]) << 8;
}

// Converts the code units from `begin` to `end` of a text of `units` units, or with `out` null only
// counts the bytes. A surrogate pair belongs to the range its first half lies in, so a range starts
// after a second half whose first half lies before it, and may end one unit past `end`.
size_t ConvertRange(const uint8_t* utf16, size_t units, size_t begin, size_t end, char* out) {
    size_t i = begin;
    if (i > 0 && i < end && IsLowSurrogate(UnitAt(utf16, i)) && IsHighSurrogate(UnitAt(utf16, i - 1)))
        ++i;
    size_t n = 0;
    while (i < end) {
        // Plain ASCII, four units at a time.
        if (i + 4 <= end) {
            uint64_t four;
            std::memcpy(&four, utf16 + 2 * i, 8);
            if constexpr (std::endian::native == std::endian::little) {
                if ((four & 0xFF80FF80FF80FF80ull) == 0) {
                    if (out) {
                        out[n] = static_cast<char>(four);
                        out[n + 1] = static_cast<char>(four >> 16);
                        out[n + 2] = static_cast<char>(four >> 32);
                        out[n + 3] = static_cast<char>(four >> 48);
                    }
                    n += 4;
                    i += 4;
                    continue;
                }
            }
        }
        uint32_t c = UnitAt(utf16, i++);
        if (c < 0x80) {
            if (out)
                out[n] = static_cast<char>(c);
            n += 1;
            continue;
        }
        if (c < 0x800) {
            if (out) {
                out[n] = static_cast<char>(0xC0 | c >> 6);
                out[n + 1] = static_cast<char>(0x80 | (c & 0x3F));
            }
            n += 2;
            continue;
        }
        if (IsHighSurrogate(c) && i < units && IsLowSurrogate(UnitAt(utf16, i))) {
            c = 0x10000 + ((c - 0xD800) << 10) + (UnitAt(utf16, i++) - 0xDC00);
            if (out) {
                out[n] = static_cast<char>(0xF0 | c >> 18);
                out[n + 1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
                out[n + 2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out[n + 3] = static_cast<char>(0x80 | (c & 0x3F));
            }
            n += 4;
            continue;
        }
        if (IsHighSurrogate(c) || IsLowSurrogate(c))
            c = 0xFFFD; // a lone half of a pair
        if (out) {
            out[n] = static_cast<char>(0xE0 | c >> 12);
            out[n + 1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[n + 2] = static_cast<char>(0x80 | (c & 0x3F));
        }
        n += 3;
    }
    return n;
}

constexpr char16_t kReplacementCharacter = 0xFFFD;

// Whether unit i of `count` is half of a surrogate pair without its other half.
bool IsLone(const char16_t* units, size_t count, size_t i) {
    const char16_t unit = units[i];
    if (IsHighSurrogate(unit))
        return i + 1 >= count || !IsLowSurrogate(units[i + 1]);
    if (IsLowSurrogate(unit))
        return i == 0 || !IsHighSurrogate(units[i - 1]);
    return false;
}

// Turns the lone surrogates among units `begin` to `end` into U+FFFD, except at the range's first
// and last unit, whose neighbours may belong to another thread's range. Mending in place, left to
// right, gives what judging every unit on the original text gives: a unit is only replaced when it
// pairs with neither neighbour, so no neighbour's answer changes.
void MendLoneSurrogates(char16_t* units, size_t count, size_t begin, size_t end) {
    for (size_t i = begin + 1; i + 1 < end; ++i) {
        if (units[i] >= 0xD800 && units[i] <= 0xDFFF && IsLone(units, count, i))
            units[i] = kReplacementCharacter;
    }
}

// The pad count of the rotated document bytes, whose padding fits `schedule`.
size_t PadCount(const DesSchedule& schedule, const uint8_t* fileBytes, size_t length) {
    const std::array<uint8_t, 8> iv = CipherBlockBefore(fileBytes, length - 8);
    std::array<uint8_t, 8> last = CipherBlockBefore(fileBytes, length);
    DesCbcCrypt(last.data(), last.data(), 8, schedule, iv.data(), 0);
    const size_t pad = last[7];
    platform::WipeMemory(last.data(), last.size());
    return pad;
}

} // namespace

bool DocumentPaddingFits(const DesKey& key, const uint8_t* fileBytes, size_t length) {
    DesSchedule schedule;
    if (!fileBytes || length == 0 || length % 8 != 0 || DesSetKeyChecked(key, schedule) != 0)
        return false;
    const std::array<uint8_t, 8> iv = CipherBlockBefore(fileBytes, length - 8);
    std::array<uint8_t, 8> last = CipherBlockBefore(fileBytes, length);
    DesCbcCrypt(last.data(), last.data(), 8, schedule, iv.data(), 0);
    const bool fits = PaddingFits(last.data());
    platform::WipeMemory(last.data(), last.size());
    return fits;
}

size_t DecryptDocumentInPlace(const DesKey& key, uint8_t* fileBytes, size_t length, bool& ok, unsigned threads,
                              size_t chunkBytes) {
    const size_t plainBytes = DecryptDocument(key, fileBytes, fileBytes, length, ok, threads, chunkBytes);
    if (!ok && fileBytes)
        platform::WipeMemory(fileBytes, length);
    return plainBytes;
}

size_t DecryptDocument(const DesKey& key, const uint8_t* fileBytes, uint8_t* out, size_t length, bool& ok,
                       unsigned threads, size_t chunkBytes, bool mendUtf16) {
    ok = false;
    // The last block decides whether the key fits before any work is spent on the rest.
    if (!DocumentPaddingFits(key, fileBytes, length))
        return 0;
    DesSchedule schedule;
    DesSetKeyChecked(key, schedule);
    const size_t plainBytes = length - PadCount(schedule, fileBytes, length);

    // Each chunk starts from the ciphertext block before it, taken before any thread overwrites it.
    const size_t chunk = std::max<size_t>(8, ChunkBytes(chunkBytes, length, threads) / 8 * 8);
    const size_t chunks = (length + chunk - 1) / chunk;
    std::vector<std::array<uint8_t, 8>> ivs(chunks);
    for (size_t k = 0; k < chunks; ++k)
        ivs[k] = CipherBlockBefore(fileBytes, k * chunk);

    auto* units = reinterpret_cast<char16_t*>(out);
    const size_t unitCount = plainBytes / 2;
    ParallelFor(chunks, threads, [&](size_t k) {
        const size_t begin = k * chunk;
        const size_t end = std::min(length, begin + chunk);
        std::array<uint8_t, 8> iv = ivs[k];
        for (size_t piece = begin; piece < end; piece += kPieceBytes) {
            const size_t bytes = std::min(kPieceBytes, end - piece);
            uint8_t* p = out + piece;
            if (p != fileBytes + piece)
                std::memcpy(p, fileBytes + piece, bytes);
            UnrotateWords(p, bytes, piece / 4);
            std::array<uint8_t, 8> nextIv;
            std::memcpy(nextIv.data(), p + bytes - 8, 8);
            DesCbcCrypt(p, p, bytes, schedule, iv.data(), 0);
            iv = nextIv;
        }
        if (mendUtf16) {
            if constexpr (std::endian::native == std::endian::big) {
                for (size_t i = begin / 2; i < end / 2; ++i)
                    units[i] = static_cast<char16_t>(units[i] << 8 | units[i] >> 8);
            }
            MendLoneSurrogates(units, unitCount, std::min(unitCount, begin / 2), std::min(unitCount, end / 2));
        }
    });
    // The units at the chunks' edges have a neighbour in another chunk: mended once all are deciphered.
    if (mendUtf16) {
        for (size_t k = 0; k < chunks; ++k) {
            const size_t first = std::min(unitCount, k * chunk / 2);
            const size_t last = std::min(unitCount, std::min(length, (k + 1) * chunk) / 2);
            for (const size_t i : {first, last - 1}) {
                if (first < last && IsLone(units, unitCount, i))
                    units[i] = kReplacementCharacter;
            }
        }
    }
    ok = true;
    return plainBytes;
}

void Utf16LeToUtf8Parallel(const uint8_t* utf16, size_t units, platform::SecureString& utf8, unsigned threads,
                           size_t chunkBytes) {
    while (units > 0 && UnitAt(utf16, units - 1) == 0)
        --units;
    const size_t chunkUnits = std::max<size_t>(1, ChunkBytes(chunkBytes, units * 2, threads) / 2);
    const size_t chunks = (units + chunkUnits - 1) / chunkUnits;
    std::vector<size_t> offsets(chunks + 1, 0);
    ParallelFor(chunks, threads, [&](size_t k) {
        offsets[k + 1] = ConvertRange(utf16, units, k * chunkUnits, std::min(units, (k + 1) * chunkUnits), nullptr);
    });
    for (size_t k = 0; k < chunks; ++k)
        offsets[k + 1] += offsets[k];
    utf8.Wipe();
    utf8.resize(offsets[chunks]);
    char* out = utf8.data();
    ParallelFor(chunks, threads, [&](size_t k) {
        ConvertRange(utf16, units, k * chunkUnits, std::min(units, (k + 1) * chunkUnits), out + offsets[k]);
    });
}

} // namespace cipher
