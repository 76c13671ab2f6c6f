#pragma once

#include <benchmark/benchmark.h>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Shared by the benchmarks: allocation tracking for peak-memory figures, and a runner that
// prints each benchmark's throughput as a ratio to a baseline measured in the same run.
namespace bench {

// Bytes allocated through operator new right now, and the most allocated on top of what was
// there at the last ResetPeak().
size_t CurrentBytes();
size_t PeakBytes();
void ResetPeak();

// OpenSSL's DES-CBC alone, in one direction (1 enciphers), over `bytes` bytes: the baseline that
// the file pipelines are measured against.
void RawDesCbc(benchmark::State& state, size_t bytes, int encrypt);

// Runs the benchmarks, then prints, for every pair (measured, baseline) and every argument, the
// measured benchmark's throughput divided by its baseline's at the same argument, and whether
// that reaches `goal`.
int RunWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& pairs, double goal);

} // namespace bench
