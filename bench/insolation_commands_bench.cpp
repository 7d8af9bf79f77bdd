// Every command of the insolation tool over a researcher-sized request:
// 181 latitudes (-90..90 by 1 degree) at the times -k * 5799 / 5800 kyr
// (k = 0..5800, the grid benchmark's 5801 times), each command computed as
// the tool computes it (computeRow of its request, no output written).
// The times are shared out among the cores as in the grid benchmark.
//
//   bench/paleoviz_insolation_commands_bench [every] [command...]
//
// The commands that integrate over the year take milliseconds per time and
// latitude, so they run on every `every`-th time (default 50; caloric on
// every tenth of those) and their seconds for all 5801 times are projected
// from that. Prints one line per
// command: the times measured, the seconds, the projection, and a checksum
// (sum of every value) that insolation_commands_numpy.py prints too.
#include "bench/bench_support.h"
#include "insolation/request.h"
#include "orbit/orbit_source.h"
#include "table/table.h"
#include "commands.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int timeCount = 5801;

// Times run: every one (0), every `every`-th (1), or for caloric, whose
// NumPy version bisects over whole arrays, every tenth of those (10).
// calendar: monthly's --calendar where not the default "equinox".
struct Case {
    const char* label;
    const char* command;
    int sparseness;
    const char* calendar = nullptr;
};
const Case cases[] = {
    {"daily", "daily", 0},           {"instant", "instant", 0},
    {"integrated", "integrated", 1}, {"threshold", "threshold", 1},
    {"caloric", "caloric", 10},      {"monthly-equinox", "monthly", 1},
    {"monthly-angular", "monthly", 1, "angular"}, {"monthly-noleap", "monthly", 1, "noleap"},
    {"annual", "annual", 1},
};

Request requestFor(const Case& c, int every)
{
    Request r;
    r.command = c.command;
    for (int k = 0; k < timeCount; k += c.sparseness == 0 ? 1 : every * c.sparseness)
        r.times.push_back(-k * 5799.0 / 5800.0);
    for (int d = -90; d <= 90; ++d)
        r.latitudes.push_back(d);
    if (r.command == "daily" || r.command == "instant")
        r.longitudes = {90.0};
    if (r.command == "instant")
        r.hours = {9.0};
    if (c.calendar != nullptr)
        r.calendar = c.calendar;
    insolation::prepare(r);
    return r;
}

// Computes every time of the request on `threads` workers; the checksum.
double computeAll(const Request& r, const OrbitSource& source, const table::Table& table, int threads)
{
    std::atomic<size_t> next{0};
    std::vector<double> sums(size_t(threads), 0.0);
    auto work = [&](int worker) {
        std::vector<std::vector<double>> values;
        for (const table::Variable& v : table.variables)
            values.emplace_back(table.count(v.extent));
        for (size_t t = next++; t < r.times.size(); t = next++) {
            computeRow(r, rowElements(r, source, t), values);
            for (const auto& column : values)
                for (double x : column)
                    sums[size_t(worker)] += std::isfinite(x) ? x : 0.0;
        }
    };
    std::vector<std::thread> workers;
    for (int k = 0; k < threads; ++k)
        workers.emplace_back(work, k);
    for (std::thread& w : workers)
        w.join();
    double sum = 0;
    for (double s : sums)
        sum += s;
    return sum;
}

}  // namespace

int main(int argc, char** argv)
{
    const int every = argc > 1 ? std::atoi(argv[1]) : 50;
    if (every < 1) {
        std::fprintf(stderr, "usage: paleoviz_insolation_commands_bench [every >= 1] [command...]\n");
        return 2;
    }
    const int hardware = static_cast<int>(std::thread::hardware_concurrency());
    const int threads = hardware > 0 ? hardware : 1;
    OrbitSource source;
    std::string error;
    if (!source.open(orbit::solutionRegistry[0].key, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    // A solution's table is read on first use: that once-per-process cost is
    // timed apart, not charged to the first command.
    const auto loadStart = bench::Clock::now();
    source.at(0);
    const double loadSeconds = bench::secondsSince(loadStart);
    std::printf("machine: %s, %d threads, orbit %s (first use %.3f s)\n", bench::machineName().c_str(), threads,
                source.name.c_str(), loadSeconds);
    for (const Case& c : cases) {
        bool wanted = argc <= 2;
        for (int k = 2; k < argc; ++k)
            wanted = wanted || std::string(argv[k]) == c.label;
        if (!wanted)
            continue;
        const Request r = requestFor(c, every);
        const table::Table table = table::describeTable(r, source);
        const auto start = bench::Clock::now();
        const double checksum = computeAll(r, source, table, threads);
        const double seconds = bench::secondsSince(start);
        std::printf("command %s: %zu times x %zu latitudes: %.3f s; all %d times: %.2f s; checksum %.9e\n",
                    c.label, r.times.size(), r.latitudes.size(), seconds, timeCount,
                    seconds * timeCount / double(r.times.size()), checksum);
    }
    return 0;
}
