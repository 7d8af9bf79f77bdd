// Cost of the orbit library: for each solution of the published tables
// (BER90, La93, La2010, La2011, ZB18a), loading it on first use (inflating,
// parsing and splining its compiled-in table, once per process); for each
// solution of the registry, evaluating all 5800 records of the program's
// series (0 to -5799 kyr, or as many as its span holds), as orbit_series
// does when it writes orbit95b, and 100,000 random times in its span; for
// the published La2004 solution also all 72,001 whole-kyr records of its
// span (target: under 20 ms) and a million random times between them
// (target: under 0.2 s). Medians of 21 runs.
//
// Usage: orbit_bench      figures on standard output
#include "bench/bench_support.h"
#include "math/constants.h"
#include "orbit/orbital_elements.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int records = math::seriesRecordCount;
constexpr int runs = 21;

struct Timing {
    double median;   // ms
    double fastest;  // ms, the figure least disturbed by other work on the machine
};

// NaN, the elements an eccentricity-only solution lacks, counts as 0.
double sum(const orbit::Elements& el)
{
    double total = el.eccentricity;
    if (el.obliquity == el.obliquity)
        total += el.obliquity + el.precessionIndex;
    return total;
}

// Milliseconds to evaluate the solution at every time once; checksum keeps
// the work from being optimised away.
Timing milliseconds(const orbit::SolutionInfo& solution, const std::vector<double>& times,
                    double& checksum)
{
    std::vector<double> samples;
    for (int run = 0; run < runs; ++run) {
        const bench::Clock::time_point start = bench::Clock::now();
        for (double t : times) {
            checksum += sum(orbit::elementsAt(solution, t));
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

bool fromTable(const orbit::SolutionInfo& solution)
{
    return solution.id != orbit::Solution::laskar2004 &&
           solution.id != orbit::Solution::laskar2004Fit &&
           solution.id != orbit::Solution::berger1978;
}

// The first evaluation of each table solution, which loads it.
void printLoading(double& checksum)
{
    for (int i = 0; i < orbit::solutionCount; ++i) {
        const orbit::SolutionInfo& solution = orbit::solutionRegistry[i];
        if (!fromTable(solution))
            continue;
        const bench::Clock::time_point start = bench::Clock::now();
        checksum += sum(orbit::elementsAt(solution, solution.span.newest));
        std::printf("%-42s %-28s          %8.2f ms (once per process)\n", solution.name,
                    "loading on first use", bench::secondsSince(start) * 1e3);
    }
}

void printSolutions(std::mt19937_64& random, double& checksum)
{
    for (int i = 0; i < orbit::solutionCount; ++i) {
        const orbit::SolutionInfo& solution = orbit::solutionRegistry[i];
        std::vector<double> series;
        for (int j = 0; j < records && orbit::covers(solution, -j); ++j)
            series.push_back(-j);
        print(solution.name, (std::to_string(series.size()) + " records of orbit95b").c_str(),
              series.size(), milliseconds(solution, series, checksum));
        std::uniform_real_distribution<double> between(solution.span.oldest, solution.span.newest);
        std::vector<double> scattered(100000);
        for (double& t : scattered)
            t = between(random);
        print(solution.name, "100,000 random times", scattered.size(),
              milliseconds(solution, scattered, checksum));
    }
}

}  // namespace

int main()
{
    std::printf("machine: %s\n", bench::machineName().c_str());
    double checksum = 0.0;
    std::mt19937_64 random(1);
    printLoading(checksum);
    printSolutions(random, checksum);

    const orbit::SolutionInfo& la2004 = orbit::solutionInfo(orbit::Solution::laskar2004);
    std::vector<double> whole;
    for (double t = la2004.span.oldest; t <= la2004.span.newest; t += 1.0)
        whole.push_back(t);
    print(la2004.name, "72,001 whole kyr", whole.size(), milliseconds(la2004, whole, checksum));
    std::uniform_real_distribution<double> between(la2004.span.oldest, la2004.span.newest);
    std::vector<double> scattered(1000000);
    for (double& t : scattered)
        t = between(random);
    print(la2004.name, "a million random times", scattered.size(),
          milliseconds(la2004, scattered, checksum));
    std::printf("checksum %.6f\n", checksum);
    return 0;
}
