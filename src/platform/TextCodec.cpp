#include "platform/TextCodec.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <utf8cpp/utf8.h>

namespace platform {

namespace {

// One iconv conversion descriptor for the life of a call.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (Valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

enum class Stop { Done, Invalid, Incomplete };

// Converts as much as iconv will take, growing the output only when iconv asks for room, by what
// the rest of the input may need. Returns why it stopped; `in` and `inLeft` are left at the first
// byte not converted.
template <typename Out> Stop Pump(const Converter& cv, const char*& in, size_t& inLeft, Out& out, size_t& used) {
    while (inLeft > 0) {
        char* dst = reinterpret_cast<char*>(out.data()) + used;
        size_t dstLeft = out.size() - used;
        const size_t before = dstLeft;
        const size_t rc = iconv(cv.Get(), const_cast<char**>(&in), &inLeft, &dst, &dstLeft);
        used += before - dstLeft;
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG) {
            out.resize(used + inLeft * 2 + 64);
            continue;
        }
        return errno == EINVAL ? Stop::Incomplete : Stop::Invalid;
    }
    return Stop::Done;
}

template <typename Out> bool ConvertStrict(const char* to, const char* from, std::string_view input, Out& out) {
    out.clear();
    Converter cv(to, from);
    if (!cv.Valid())
        return false;
    const char* in = input.data();
    size_t inLeft = input.size();
    size_t used = 0;
    // UTF-16 needs at most two bytes per UTF-8 byte; Windows-1252 one.
    out.resize(input.size() * 2 + 64);
    const Stop stop = Pump(cv, in, inLeft, out, used);
    out.resize(used);
    if (stop != Stop::Done) {
        out.clear();
        return false;
    }
    return true;
}

// Converts everything: a sequence the source encoding cannot decode (a lone surrogate, a code
// unit cut off at the end, an undefined byte) becomes U+FFFD and the conversion goes on after
// it, `step` bytes further.
template <typename Out>
void ConvertLenient(const char* to, const char* from, std::string_view input, size_t step, size_t initialSize,
                    Out& out) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    out.clear();
    Converter cv(to, from);
    const char* in = input.data();
    size_t inLeft = input.size();
    size_t used = 0;
    out.resize(initialSize + 64);
    while (inLeft > 0) {
        if (cv.Valid() && Pump(cv, in, inLeft, out, used) == Stop::Done)
            break;
        const size_t skip = inLeft < step ? inLeft : step;
        in += skip;
        inLeft -= skip;
        if (out.size() - used < kReplacement.size())
            out.resize(used + inLeft * 2 + 64);
        std::copy(kReplacement.begin(), kReplacement.end(), out.begin() + static_cast<std::ptrdiff_t>(used));
        used += kReplacement.size();
        if (cv.Valid())
            iconv(cv.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
}

} // namespace

// The whole documents go through utfcpp, which converts several times faster than iconv; the
// code units are written in the machine's order, so the little-endian layout needs a
// little-endian machine and aligned buffers (anything else takes iconv).
bool CanUseNativeUnits(const void* p) {
    return std::endian::native == std::endian::little && reinterpret_cast<uintptr_t>(p) % alignof(char16_t) == 0;
}

bool Utf8ToUtf16Le(std::string_view utf8, SecureBytes& utf16) {
    // One code unit at most per UTF-8 byte, and room for the padding a document adds.
    utf16.resize(utf8.size() * 2 + 8);
    if (!CanUseNativeUnits(utf16.data()))
        return ConvertStrict("UTF-16LE", "UTF-8", utf8, utf16);
    auto* units = reinterpret_cast<char16_t*>(utf16.data());
    try {
        char16_t* end = utf8::utf8to16(utf8.begin(), utf8.end(), units);
        utf16.resize(static_cast<size_t>(end - units) * 2);
        return true;
    } catch (const utf8::exception&) {
        utf16.clear();
        return false;
    }
}

namespace {
// The exact UTF-8 length of the lenient conversion below (a lone surrogate becomes the three bytes
// of U+FFFD). Sizing the output once keeps a large text from being copied while it grows.
size_t Utf8Length(const uint8_t* utf16, size_t units) {
    size_t length = 0;
    for (size_t i = 0; i < units; ++i) {
        const unsigned unit = utf16[2 * i] | (unsigned(utf16[2 * i + 1]) << 8);
        if (unit < 0x80) {
            length += 1;
        } else if (unit < 0x800) {
            length += 2;
        } else if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
            const unsigned next = utf16[2 * i + 2] | (unsigned(utf16[2 * i + 3]) << 8);
            const bool pair = next >= 0xDC00 && next < 0xE000;
            length += pair ? 4 : 3;
            i += pair ? 1 : 0;
        } else {
            length += 3;
        }
    }
    return length;
}
} // namespace

void Utf16LeToUtf8(const uint8_t* utf16, size_t units, SecureString& utf8) {
    const size_t length = Utf8Length(utf16, units);
    if (CanUseNativeUnits(utf16)) {
        const auto* begin = reinterpret_cast<const char16_t*>(utf16);
        utf8.resize(length);
        try {
            char* end = utf8::utf16to8(begin, begin + units, utf8.data());
            utf8.resize(static_cast<size_t>(end - utf8.data()));
            return;
        } catch (const utf8::exception&) {
            // A lone surrogate: iconv's path below turns each into U+FFFD.
        }
    }
    ConvertLenient("UTF-8", "UTF-16LE", std::string_view(reinterpret_cast<const char*>(utf16), units * 2), 2, length,
                   utf8);
}

bool Utf8ToWindows1252(std::string_view utf8, SecureString& out) {
    return ConvertStrict("WINDOWS-1252", "UTF-8", utf8, out);
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    ConvertLenient("UTF-8", "WINDOWS-1252", bytes, 1, bytes.size() * 2, out);
    return out;
}

std::string Windows1253ToUtf8(std::string_view bytes) {
    std::string out;
    ConvertLenient("UTF-8", "WINDOWS-1253", bytes, 1, bytes.size() * 2, out);
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    SecureBytes scratch;
    return ConvertStrict("UTF-16LE", "UTF-8", bytes, scratch);
}

} // namespace platform
