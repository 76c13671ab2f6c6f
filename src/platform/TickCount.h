#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// Milliseconds of a monotonic clock as an unsigned 32-bit count that wraps after
// about 49.7 days. Callers compare stamps by unsigned difference, which survives the wrap.
uint32_t GetTickCount();

// Tests replace the clock with their own; an empty function puts the real clock back.
void SetTickCountSource(std::function<uint32_t()> source);

// Seconds since 1970-01-01 UTC by the wall clock: what one-time codes are computed from.
int64_t UnixTimeNow();
// Tests fix the wall clock too; an empty function puts the real one back.
void SetUnixTimeSource(std::function<int64_t()> source);

} // namespace platform
