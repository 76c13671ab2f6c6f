#define OPENSSL_SUPPRESS_DEPRECATED
#include "BenchSupport.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <map>
#include <new>
#include <openssl/des.h>

namespace {
std::atomic<size_t> g_current{0};
std::atomic<size_t> g_peak{0};
std::atomic<size_t> g_baseline{0};

void* Track(void* p) {
    if (!p)
        throw std::bad_alloc();
    const size_t now = g_current += malloc_usable_size(p);
    size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return p;
}
void Untrack(void* p) {
    if (p) {
        g_current -= malloc_usable_size(p);
        std::free(p);
    }
}
} // namespace

void* operator new(size_t n) {
    return Track(std::malloc(n ? n : 1));
}
void* operator new[](size_t n) {
    return Track(std::malloc(n ? n : 1));
}
void operator delete(void* p) noexcept {
    Untrack(p);
}
void operator delete[](void* p) noexcept {
    Untrack(p);
}
void operator delete(void* p, size_t) noexcept {
    Untrack(p);
}
void operator delete[](void* p, size_t) noexcept {
    Untrack(p);
}

namespace bench {

size_t CurrentBytes() {
    return g_current.load();
}
size_t PeakBytes() {
    return g_peak.load() - g_baseline.load();
}
void ResetPeak() {
    g_baseline = g_current.load();
    g_peak = g_baseline.load();
}

void RawDesCbc(benchmark::State& state, size_t bytes, int encrypt) {
    std::vector<uint8_t> in(bytes, 'a'), out(bytes);
    DES_cblock key = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    DES_key_schedule ks;
    DES_set_key_checked(&key, &ks);
    for (auto _ : state) {
        DES_cblock iv = {0};
        DES_cbc_encrypt(in.data(), out.data(), static_cast<long>(bytes), &ks, &iv, encrypt ? DES_ENCRYPT : DES_DECRYPT);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

namespace {

// Remembers every run's bytes per second by name ("Name/arg").
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> throughput;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end())
                throughput[run.benchmark_name()] = it->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int RunWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& pairs, double goal) {
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\nThroughput as a ratio to its baseline over the same bytes, same run (goal >= %.2f):\n", goal);
    for (const auto& [measured, baseline] : pairs) {
        for (const auto& [name, bps] : reporter.throughput) {
            const size_t slash = name.find('/');
            if (name.substr(0, slash) != measured || name.ends_with("_stddev") || name.ends_with("_cv"))
                continue;
            const std::string args = slash == std::string::npos ? "" : name.substr(slash);
            const auto ref = reporter.throughput.find(baseline + args);
            if (ref == reporter.throughput.end() || ref->second <= 0)
                continue;
            const double ratio = bps / ref->second;
            std::printf("  %-36s / %-16s %6.3f  %s\n", name.c_str(), baseline.c_str(), ratio,
                        ratio >= goal ? "ok" : "below goal");
        }
    }
    return 0;
}

} // namespace bench
