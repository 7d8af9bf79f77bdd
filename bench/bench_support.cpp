#include "bench/bench_support.h"

#include "scene/data_files.h"
#include "synthetic_data.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace bench {
namespace {


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

bool prepareWorkDir(const std::string& dataDir, const ScratchDir& dir)
{
    if (dir.path().empty())
        return false;
    bool complete = true;
    for (const char* name : {gridFileName, seriesFileName, logoFileName}) {
        const std::string source = dataDir + "/" + name;
        bool linked = false;
        if (fileExists(source)) {
            char* real = realpath(source.c_str(), nullptr);
            linked = real != nullptr && symlink(real, dir.file(name).c_str()) == 0;
            std::free(real);
        }
        if (linked) {
            std::printf("data: %-10s %s\n", name, source.c_str());
            continue;
        }
        const std::string n = name;
        const bool written = dir.write(name, n == gridFileName     ? standInGrid()
                                             : n == seriesFileName ? standInSeries()
                                                                   : standInLogo());
        std::printf("data: %-10s %s\n", name, written ? "synthetic" : "could not be written");
        complete = complete && written;
    }
    return complete;
}

}  // namespace bench
