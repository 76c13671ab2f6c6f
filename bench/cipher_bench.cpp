// Throughput of the enciphered-file pipeline beside raw DES-CBC over the same number of bytes,
// measured in the same run, and the peak memory of a document read.
#include "BenchSupport.h"
#include "cipher/Container.h"
#include "cipher/DocumentFile.h"
#include "cipher/PasswordToKey.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kPassword = "correct horse battery staple";

// A text of `bytes` UTF-8 bytes: mostly ASCII lines with a sprinkling of accented letters,
// as people's notes are.
const std::string& Text(size_t bytes) {
    static std::map<size_t, std::string> cache;
    std::string& text = cache[bytes];
    if (text.empty()) {
        const std::string line = "Account number 12345678, PIN 0000 - café über naïve\r\n";
        while (text.size() + line.size() <= bytes)
            text += line;
        text.append(bytes - text.size(), 'x');
    }
    return text;
}

// The UTF-16 size of Text(bytes): what the cipher actually works on.
size_t PlainBytes(size_t textBytes) {
    platform::SecureBytes utf16;
    platform::Utf8ToUtf16Le(Text(textBytes), utf16);
    return utf16.size();
}

void RawDesCbcEncrypt(benchmark::State& state) {
    bench::RawDesCbc(state, PlainBytes(static_cast<size_t>(state.range(0))), 1);
}
void RawDesCbcDecrypt(benchmark::State& state) {
    bench::RawDesCbc(state, PlainBytes(static_cast<size_t>(state.range(0))), 0);
}

void EncryptBuffer(benchmark::State& state) {
    const size_t bytes = PlainBytes(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> in(bytes, 'a');
    cipher::DesKey key{};
    cipher::PasswordToKey(key, kPassword);
    for (auto _ : state) {
        platform::SecureBytes out;
        cipher::EncryptBuffer(key, in.data(), in.size(), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void DecryptBuffer(benchmark::State& state) {
    const size_t bytes = PlainBytes(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> in(bytes, 'a');
    platform::SecureBytes cipherText;
    cipher::DesKey key{};
    cipher::PasswordToKey(key, kPassword);
    cipher::EncryptBuffer(key, in.data(), in.size(), cipherText);
    for (auto _ : state) {
        platform::SecureBytes out;
        cipher::DecryptBuffer(key, cipherText.data(), cipherText.size(), out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

// The document benchmarks write to memory (/dev/shm, where a flush costs nothing) so that they
// measure the pipeline up to the page cache; DocumentWriteToDisk adds the flush to a real disk.
std::string BenchFile(bool onDisk) {
    const std::string folder = !onDisk && ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/var/tmp";
    return folder + "/lockwarden-bench-" + std::to_string(::getpid()) + ".etx";
}

void DocumentWrite(benchmark::State& state, bool onDisk) {
    const std::string& text = Text(static_cast<size_t>(state.range(0)));
    const std::string path = BenchFile(onDisk);
    for (auto _ : state) {
        if (!cipher::WriteDocumentFile(path, kPassword, text).ok())
            state.SkipWithError("write failed");
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PlainBytes(text.size())));
}
void DocumentWrite(benchmark::State& state) {
    DocumentWrite(state, false);
}
void DocumentWriteToDisk(benchmark::State& state) {
    DocumentWrite(state, true);
}

void DocumentRead(benchmark::State& state) {
    const std::string& text = Text(static_cast<size_t>(state.range(0)));
    const std::string path = BenchFile(false);
    cipher::WriteDocumentFile(path, kPassword, text);
    const size_t fileSize = PlainBytes(text.size()) + 2;
    size_t peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::ResetPeak();
        state.ResumeTiming();
        {
            platform::SecureString back;
            if (!cipher::ReadDocumentFile(path, kPassword, back).ok() || back.size() != text.size())
                state.SkipWithError("read failed");
        }
        state.PauseTiming();
        peak = std::max(peak, bench::PeakBytes());
        state.ResumeTiming();
    }
    state.counters["peak_per_file_size"] = static_cast<double>(peak) / static_cast<double>(fileSize);
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PlainBytes(text.size())));
}

void ToUtf16(benchmark::State& state) {
    const std::string& text = Text(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        platform::SecureBytes utf16;
        platform::Utf8ToUtf16Le(text, utf16);
        benchmark::DoNotOptimize(utf16.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * PlainBytes(text.size())));
}

void FromUtf16(benchmark::State& state) {
    const std::string& text = Text(static_cast<size_t>(state.range(0)));
    platform::SecureBytes utf16;
    platform::Utf8ToUtf16Le(text, utf16);
    for (auto _ : state) {
        platform::SecureString back;
        platform::Utf16LeToUtf8(utf16.data(), utf16.size() / 2, back);
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * utf16.size()));
}

constexpr int64_t kOneMiB = 1 << 20;
constexpr int64_t kThirtyTwoMiB = 32 << 20;

} // namespace

BENCHMARK(RawDesCbcEncrypt)->Arg(kOneMiB)->Arg(kThirtyTwoMiB)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(RawDesCbcDecrypt)->Arg(kOneMiB)->Arg(kThirtyTwoMiB)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(EncryptBuffer)->Arg(kOneMiB)->Arg(kThirtyTwoMiB)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(DecryptBuffer)->Arg(kOneMiB)->Arg(kThirtyTwoMiB)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(DocumentWrite)->Arg(kOneMiB)->Arg(kThirtyTwoMiB)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(DocumentWriteToDisk)
    ->Arg(kOneMiB)
    ->Arg(kThirtyTwoMiB)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3);
BENCHMARK(ToUtf16)->Arg(kOneMiB)->Arg(kThirtyTwoMiB)->Unit(benchmark::kMillisecond)->Repetitions(3);
BENCHMARK(FromUtf16)->Arg(kOneMiB)->Arg(kThirtyTwoMiB)->Unit(benchmark::kMillisecond)->Repetitions(3);
// The read works on every core, so it is measured in wall time, against a baseline in wall time too.
BENCHMARK(RawDesCbcDecrypt)
    ->Arg(kOneMiB)
    ->Arg(kThirtyTwoMiB)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3);
BENCHMARK(DocumentRead)->Arg(kOneMiB)->Arg(kThirtyTwoMiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

// Throughput is taken from CPU time, which other work on the machine disturbs least; the
// benchmarks that flush to a real disk use wall time, since waiting for the disk is their point,
// and so does the read, which runs on several threads. Each runs three times; the medians count.
int main(int argc, char** argv) {
    return bench::RunWithRatios(argc, argv,
                                {{"EncryptBuffer", "RawDesCbcEncrypt"},
                                 {"DocumentWrite", "RawDesCbcEncrypt"},
                                 {"DocumentWriteToDisk", "RawDesCbcEncrypt"},
                                 {"DecryptBuffer", "RawDesCbcDecrypt"},
                                 {"DocumentRead", "RawDesCbcDecrypt"}},
                                0.85);
}
