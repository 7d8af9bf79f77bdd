// Daily-mean insolation grid: 5801 times x 181 latitudes (-90..90 by 1
// degree) x 360 true longitudes (0..359 by 1 degree), about 378 million
// values, computed into memory (floats, 1.5 GB) with no output file. The
// times are spread evenly over the fitted solution's span. Per (time,
// longitude) the declination and the distance are computed once; the
// latitudes go through the insolation tool's own grid kernel
// (LatitudeGrid::dailyMeans). The times are shared out among the cores with
// std::thread, a few at a time, to whichever worker is free.
//
//   bench/paleoviz_insolation_bench [threads] [vector|scalar]
//
// Prints the machine, the thread count, the kernel's path and the
// instruction set its dispatch chose, the seconds for the orbital elements
// and for the grid (median of five runs), and a checksum that keeps the
// work alive. "scalar" measures the kernel's scalar path instead.
#include "bench/bench_support.h"
#include "math/constants.h"
#include "insolation/daily_grid.h"
#include "insolation/simd_kernel.h"
#include "insolation/year_insolation.h"
#include "orbit/orbital_elements.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

using math::radiansPerDegree;

namespace {

constexpr int timeCount = 5801;
constexpr int latitudeCount = 181;
constexpr int longitudeCount = 360;
constexpr double solarConstant = math::defaultSolarConstant;
constexpr int runs = 5;

// Times a worker takes at once: 2 MB of the grid, so two workers meet in
// at most the cache line at each end of a take, and on a shared machine the
// worker whose core is free takes more of them. The grid's pages are all
// touched (zeroed) before the timed runs.
constexpr int timesPerTake = 8;

void fillTimes(const std::vector<insolation::Orbit>& orbits, const insolation::LatitudeGrid& latitudes,
               std::atomic<int>& next, float* grid)
{
    for (int first = next.fetch_add(timesPerTake); first < timeCount;
         first = next.fetch_add(timesPerTake)) {
        for (int t = first; t < std::min(first + timesPerTake, timeCount); ++t) {
            float* slice = grid + size_t(t) * longitudeCount * latitudeCount;
            for (int l = 0; l < longitudeCount; ++l) {
                const insolation::DayGeometry day =
                    insolation::dayGeometry(orbits[t], solarConstant, l * radiansPerDegree);
                latitudes.dailyMeans(day, slice + size_t(l) * latitudeCount);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int hardware = static_cast<int>(std::thread::hardware_concurrency());
    const int threads = argc > 1 ? std::atoi(argv[1]) : (hardware > 0 ? hardware : 1);
    const char* path = argc > 2 ? argv[2] : "vector";
    const bool scalar = std::strcmp(path, "scalar") == 0;
    if (threads < 1 || argc > 3 || (!scalar && std::strcmp(path, "vector") != 0)) {
        std::fprintf(stderr, "usage: paleoviz_insolation_bench [threads >= 1] [vector|scalar]\n");
        return 2;
    }

    // Orbital elements of every time.
    auto start = bench::Clock::now();
    const orbit::Span span = orbit::span(orbit::Solution::laskar2004Fit);
    std::vector<insolation::Orbit> orbits(timeCount);
    for (int t = 0; t < timeCount; ++t) {
        const double kyr = span.newest - (span.newest - span.oldest) * t / (timeCount - 1);
        const orbit::Elements e = orbit::elementsAt(orbit::Solution::laskar2004Fit, kyr);
        orbits[t] = insolation::Orbit{e.eccentricity, e.obliquity * radiansPerDegree,
                                      e.perihelion * radiansPerDegree};
    }
    const double elementSeconds = bench::secondsSince(start);

    std::vector<double> latitudeList(latitudeCount);
    for (int i = 0; i < latitudeCount; ++i)
        latitudeList[i] = (i - 90) * radiansPerDegree;
    insolation::LatitudeGrid latitudes(latitudeList);
    latitudes.path = scalar ? insolation::KernelPath::scalar : insolation::KernelPath::vector;
    std::vector<float> grid(size_t(timeCount) * longitudeCount * latitudeCount);

    // The grid, times handed out to the threads; the median of a few runs.
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        start = bench::Clock::now();
        std::atomic<int> next{0};
        std::vector<std::thread> workers;
        for (int k = 0; k < threads; ++k)
            workers.emplace_back(fillTimes, std::cref(orbits), std::cref(latitudes), std::ref(next),
                                 grid.data());
        for (std::thread& w : workers)
            w.join();
        samples.push_back(bench::secondsSince(start));
    }
    const double gridSeconds = bench::median(samples);

    double checksum = 0;
    for (size_t k = 0; k < grid.size(); k += 997)
        checksum += grid[k];
    std::printf("machine: %s\n", bench::machineName().c_str());
    std::printf("daily means: %d x %d x %d = %zu values, %d threads\n", timeCount, latitudeCount,
                longitudeCount, grid.size(), threads);
    std::printf("kernel: %s path, instruction set %s\n", path,
                scalar ? "as compiled" : insolation::simd::targetName());
    std::printf("elements: %.3f s\n", elementSeconds);
    std::printf("grid: %.3f s (%.1f million values per second; median of %d runs, fastest %.3f s)\n",
                gridSeconds, grid.size() / gridSeconds / 1e6, runs,
                *std::min_element(samples.begin(), samples.end()));
    std::printf("checksum: %.6e\n", checksum);
    return 0;
}
