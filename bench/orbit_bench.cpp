// Cost of the orbit library: evaluating all 5800 records of the program's
// series (0 to -5799 kyr) from each solution's term table, as orbit_series
// does when it writes orbit95b. Target for the fitted solution: under 20 ms.
//
// Usage: orbit_bench      figures on standard output
#include "bench/bench_support.h"
#include "orbit/orbital_elements.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int records = 5800;
constexpr int runs = 21;

struct Timing {
    double median;   // ms
    double fastest;  // ms, the figure least disturbed by other work on the machine
};

// Milliseconds to evaluate every record once; checksum keeps the work from
// being optimised away.
Timing milliseconds(orbit::Solution solution, double& checksum)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        const bench::Clock::time_point start = bench::Clock::now();
        for (int j = 0; j < records; ++j) {
            const orbit::Elements el = orbit::elementsAt(solution, -j);
            checksum += el.eccentricity + el.obliquity + el.precessionIndex;
        }
        samples.push_back(bench::secondsSince(start) * 1e3);
    }
    return {bench::median(samples), *std::min_element(samples.begin(), samples.end())};
}

}  // namespace

int main()
{
    std::printf("machine: %s\n", bench::machineName().c_str());
    double checksum = 0.0;
    for (orbit::Solution solution :
         {orbit::Solution::laskar2004Fit, orbit::Solution::berger1978}) {
        const Timing ms = milliseconds(solution, checksum);
        std::printf("%-12s all %d records: median %.2f ms, fastest %.2f ms of %d runs "
                    "(%.2f us per record)\n",
                    orbit::solutionName(solution), records, ms.median, ms.fastest, runs,
                    ms.median * 1e3 / records);
    }
    std::printf("checksum %.6f\n", checksum);
    return 0;
}
