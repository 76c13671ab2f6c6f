// Opening and saving the 100,000-account passwords document in the strong format beside the
// compatible one, in the same run. The strong file is written with the cheapest key derivation the
// format allows (1 pass, 8 KiB), so its figures are the time beyond the key derivation; the
// derivation new files use (3 passes, 256 MiB) is measured on its own.
#include "BenchAccounts.h"
#include "BenchSupport.h"
#include "cipher/DocumentFile.h"
#include "cipher/StrongFile.h"
#include "passwords/PasswordsSchema.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr const char* kPassword = "correct horse battery staple";
constexpr int kAccounts = 100000;

// The same document as the passwords benchmark.
const AccountLists& Document() {
    static AccountLists lists;
    if (lists.m_aWebAccounts.Size() == 0)
        bench::FillAccounts(lists, kAccounts);
    return lists;
}

platform::SecureString Text() {
    platform::SecureString text;
    BuildPasswordsText(Document(), text);
    return text;
}

size_t TextBytes() {
    static const size_t bytes = Text().size();
    return bytes;
}

std::string BenchFile(cipher::DocFormat format) {
    const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/var/tmp";
    return folder + "/lockwarden-bench-" + std::to_string(::getpid()) +
           (format == cipher::DocFormat::Strong ? "-strong.kvd" : ".kvd");
}

bool Save(const std::string& path, cipher::DocFormat format) {
    return cipher::WriteDocumentFile(path, kPassword, Text().view(), format).ok();
}

// Both figures count the document's text, so the ratio of throughputs is the inverse ratio of times.
void SaveIn(benchmark::State& state, cipher::DocFormat format) {
    const std::string path = BenchFile(format);
    for (auto _ : state)
        if (!Save(path, format))
            state.SkipWithError("save failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TextBytes()));
    std::remove(path.c_str());
}

void OpenIn(benchmark::State& state, cipher::DocFormat format) {
    const std::string path = BenchFile(format);
    Save(path, format);
    for (auto _ : state) {
        platform::SecureString text;
        auto lists = std::make_unique<AccountLists>();
        if (!cipher::ReadDocumentFile(path, kPassword, text).ok() || !ReadPasswordsText(text.view(), *lists))
            state.SkipWithError("open failed");
        state.PauseTiming();
        lists.reset(); // closing the document is not part of the open
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TextBytes()));
    std::remove(path.c_str());
}

void CompatibleSave(benchmark::State& state) {
    SaveIn(state, cipher::DocFormat::Compatible);
}
void CompatibleOpen(benchmark::State& state) {
    OpenIn(state, cipher::DocFormat::Compatible);
}
void StrongSave(benchmark::State& state) {
    SaveIn(state, cipher::DocFormat::Strong);
}
void StrongOpen(benchmark::State& state) {
    OpenIn(state, cipher::DocFormat::Strong);
}

// The key derivation of every strong open and save, at the figures new files get.
void KeyDerivation(benchmark::State& state) {
    cipher::StrongHeader header;
    header.cost = cipher::StrongCost{};
    uint8_t key[cipher::kStrongKeySize];
    for (auto _ : state)
        if (!cipher::DeriveStrongKey(kPassword, header, key))
            state.SkipWithError("derivation failed");
    state.counters["passes"] = header.cost.passes;
    state.counters["memory_MiB"] = header.cost.memoryKiB / 1024.0;
}

} // namespace

BENCHMARK(CompatibleSave)->Unit(benchmark::kMillisecond);
BENCHMARK(CompatibleOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(StrongSave)->Unit(benchmark::kMillisecond);
BENCHMARK(StrongOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(KeyDerivation)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

int main(int argc, char** argv) {
    cipher::SetNewStrongCost({1, cipher::kStrongMinMemoryKiB});
    // Goal: the strong open and save, beyond the key derivation, take at most half the compatible
    // ones' time: a throughput ratio of at least 2.
    return bench::RunWithRatios(argc, argv, {{"StrongSave", "CompatibleSave"}, {"StrongOpen", "CompatibleOpen"}}, 2.0);
}
