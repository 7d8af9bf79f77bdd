// Helpers shared by the benchmarks: a clock, medians, the machine's name and
// the data files (the project's own, or synthetic stand-ins of the same
// shape written to a scratch directory).
#ifndef PALEOVIZ_BENCH_BENCH_SUPPORT_H
#define PALEOVIZ_BENCH_BENCH_SUPPORT_H

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

// Writers of synthetic data files in the formats the program reads:
// a 540 x 1080 little-endian grid with continents and oceans, an orbital
// series of n records with three header lines, a 190 x 206 RGBA picture.
bool writeSyntheticGrid(const std::string& path);
bool writeSyntheticSeries(const std::string& path, int records);
bool writeSyntheticLogo(const std::string& path);

// Makes a fresh directory under /tmp and returns its path ("" on failure).
std::string makeScratchDir();
// Removes a directory made by makeScratchDir with everything in it.
void removeScratchDir(const std::string& dir);

// A scratch working directory holding the program's three data files under
// their fixed names: links to those found in dataDir, synthetic ones for
// the rest. Writes one line per file to standard output saying which.
// Returns "" when no directory could be made.
std::string prepareWorkDir(const std::string& dataDir);

}  // namespace bench

#endif
