#include "platform/TickCount.h"

#include <time.h>

namespace platform {

namespace {
std::function<uint32_t()>& Source() {
    static std::function<uint32_t()> source;
    return source;
}
std::function<int64_t()>& UnixSource() {
    static std::function<int64_t()> source;
    return source;
}
} // namespace

uint32_t GetTickCount() {
    if (Source())
        return Source()();
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SetTickCountSource(std::function<uint32_t()> source) {
    Source() = std::move(source);
}

int64_t UnixTimeNow() {
    if (UnixSource())
        return UnixSource()();
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec);
}

void SetUnixTimeSource(std::function<int64_t()> source) {
    UnixSource() = std::move(source);
}

} // namespace platform
