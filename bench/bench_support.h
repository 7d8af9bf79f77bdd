// Helpers shared by the benchmarks: a clock, medians, the machine's name and
// the data files (the project's own, or the synthetic stand-ins of the same
// shape that the tests use) in a scratch directory.
#ifndef PALEOVIZ_BENCH_BENCH_SUPPORT_H
#define PALEOVIZ_BENCH_BENCH_SUPPORT_H

#include "scratch_dir.h"

#include <chrono>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

// Seconds from start to now.
double secondsSince(Clock::time_point start);
// Median of the samples (the mean of the middle two for an even count);
// 0 for none. Sorts a copy.
double median(std::vector<double> samples);

// "N cores, <model name>" from nproc and /proc/cpuinfo.
std::string machineName();

// True when path names a readable file.
bool fileExists(const std::string& path);

// Fills dir with the program's three data files under their fixed names:
// links to those found in dataDir, synthetic stand-ins for the rest. Writes
// one line per file to standard output saying which. False when a file
// could not be provided.
bool prepareWorkDir(const std::string& dataDir, const ScratchDir& dir);

}  // namespace bench

#endif
