// Cost of the orbit library: for each solution of the registry, evaluating
// all 5800 records of the program's series (0 to -5799 kyr), as orbit_series
// does when it writes orbit95b; for the published La2004 solution also all
// 72,001 whole-kyr records of its span (target: under 20 ms) and a million
// random times between them (target: under 0.2 s). Medians of 21 runs.
//
// Usage: orbit_bench      figures on standard output
#include "bench/bench_support.h"
#include "math/constants.h"
#include "orbit/orbital_elements.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int records = math::seriesRecordCount;
constexpr int runs = 21;

struct Timing {
    double median;   // ms
    double fastest;  // ms, the figure least disturbed by other work on the machine
};

// Milliseconds to evaluate the solution at every time once; checksum keeps
// the work from being optimised away.
Timing milliseconds(const orbit::SolutionInfo& solution, const std::vector<double>& times,
                    double& checksum)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        const bench::Clock::time_point start = bench::Clock::now();
        for (double t : times) {
            const orbit::Elements el = orbit::elementsAt(solution, t);
            checksum += el.eccentricity + el.obliquity + el.precessionIndex;
        }
        samples.push_back(bench::secondsSince(start) * 1e3);
    }
    return {bench::median(samples), *std::min_element(samples.begin(), samples.end())};
}

void print(const char* name, const char* what, size_t count, const Timing& ms)
{
    std::printf("%-42s %-28s median %8.2f ms, fastest %8.2f ms (%.3f us each)\n", name, what,
                ms.median, ms.fastest, ms.median * 1e3 / static_cast<double>(count));
}

}  // namespace

int main()
{
    std::printf("machine: %s\n", bench::machineName().c_str());
    double checksum = 0.0;
    std::vector<double> series;
    for (int j = 0; j < records; ++j)
        series.push_back(-j);
    for (int i = 0; i < orbit::solutionCount; ++i) {
        const orbit::SolutionInfo& solution = orbit::solutionRegistry[i];
        print(solution.name, "5800 records of orbit95b", series.size(),
              milliseconds(solution, series, checksum));
    }

    const orbit::SolutionInfo& la2004 = orbit::solutionInfo(orbit::Solution::laskar2004);
    std::vector<double> whole;
    for (double t = la2004.span.oldest; t <= la2004.span.newest; t += 1.0)
        whole.push_back(t);
    print(la2004.name, "72,001 whole kyr", whole.size(), milliseconds(la2004, whole, checksum));
    std::mt19937_64 random(1);
    std::uniform_real_distribution<double> between(la2004.span.oldest, la2004.span.newest);
    std::vector<double> scattered(1000000);
    for (double& t : scattered)
        t = between(random);
    print(la2004.name, "a million random times", scattered.size(),
          milliseconds(la2004, scattered, checksum));
    std::printf("checksum %.6f\n", checksum);
    return 0;
}
