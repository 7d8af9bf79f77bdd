#include "bench/bench_support.h"

#include "scene/data_files.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace bench {
namespace {

constexpr int gridRows = 540;
constexpr int gridCols = 1080;
constexpr int logoBytes = 190 * 206 * 4;
constexpr double pi = 3.141592653589793;
constexpr int seriesLength = 5800;

// Continents as the positive lobes of a smooth pattern over the sphere,
// so that land and sea alternate along every row as on the real Earth.
int16_t syntheticElevation(int row, int col)
{
    const double lat = (270.0 - row) / gridRows * pi;
    const double lon = col * 2 * pi / gridCols;
    const double h = std::sin(3 * lon) * std::cos(2 * lat) + 0.4 * std::sin(5 * lat + lon);
    return static_cast<int16_t>(std::lround(h * 4000));
}

}  // namespace

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return n % 2 == 1 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
}

std::string machineName()
{
    std::ifstream in("/proc/cpuinfo");
    std::string line, model = "unknown CPU";
    while (std::getline(in, line)) {
        if (line.rfind("model name", 0) == 0) {
            const size_t colon = line.find(':');
            model = colon == std::string::npos ? line : line.substr(colon + 2);
            break;
        }
    }
    return std::to_string(std::thread::hardware_concurrency()) + " cores, " + model;
}

bool fileExists(const std::string& path)
{
    return access(path.c_str(), R_OK) == 0;
}

bool writeSyntheticGrid(const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    for (int r = 0; r < gridRows; ++r)
        for (int c = 0; c < gridCols; ++c) {
            const uint16_t u = static_cast<uint16_t>(syntheticElevation(r, c));
            out.put(static_cast<char>(u & 0xFF));
            out.put(static_cast<char>(u >> 8));
        }
    return static_cast<bool>(out);
}

bool writeSyntheticSeries(const std::string& path, int records)
{
    FILE* out = std::fopen(path.c_str(), "w");
    if (out == nullptr)
        return false;
    std::fprintf(out, "Synthetic orbital series for benchmarks\n");
    std::fprintf(out, "time eccentricity precession obliquity index\n");
    std::fprintf(out, "kyr - degrees degrees -\n");
    for (int j = 0; j < records; ++j) {
        const double e = 0.03 + 0.025 * std::sin(j / 15.0);
        const double w = std::fmod(102.0 + j * 16.4, 360.0);
        const double eps = 23.3 + 1.2 * std::sin(j / 6.5);
        std::fprintf(out, "%6d %.8f %11.6f %10.6f %11.8f\n", -j, e, w, eps, e * std::sin(w * pi / 180));
    }
    return std::fclose(out) == 0;
}

bool writeSyntheticLogo(const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < logoBytes; ++i)
        out.put(static_cast<char>(i % 4 == 3 ? 255 : (i * 7) & 0xFF));
    return static_cast<bool>(out);
}

std::string makeScratchDir()
{
    char pattern[] = "/tmp/paleoviz-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made == nullptr ? std::string() : std::string(made);
}

void removeScratchDir(const std::string& dir)
{
    if (dir.rfind("/tmp/paleoviz-bench-", 0) != 0)
        return;
    const std::string command = "rm -rf '" + dir + "'";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "could not remove %s\n", dir.c_str());
}

std::string prepareWorkDir(const std::string& dataDir)
{
    const std::string dir = makeScratchDir();
    if (dir.empty())
        return dir;
    const char* const names[] = {gridFileName, seriesFileName, logoFileName};
    for (const char* name : names) {
        const std::string source = dataDir + "/" + name;
        const std::string target = dir + "/" + name;
        bool linked = false;
        if (fileExists(source)) {
            char* real = realpath(source.c_str(), nullptr);
            linked = real != nullptr && symlink(real, target.c_str()) == 0;
            std::free(real);
        }
        if (linked) {
            std::printf("data: %-10s %s\n", name, source.c_str());
            continue;
        }
        const std::string& n = name;
        const bool written = n == gridFileName     ? writeSyntheticGrid(target)
                             : n == seriesFileName ? writeSyntheticSeries(target, seriesLength)
                                                   : writeSyntheticLogo(target);
        std::printf("data: %-10s %s\n", name, written ? "synthetic" : "could not be written");
    }
    return dir;
}

}  // namespace bench
