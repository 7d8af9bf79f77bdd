// orbit_series: writes the program's orbital series file.
//   orbit_series fit OUTPUT             from the project's fitted series of
//                                       Laskar et al. (2004), the default
//   orbit_series berger OUTPUT          from the Berger (1978) series
//   orbit_series laskar INPUT OUTPUT    from a Laskar et al. (2004) table
// Exit status 0 on success, 1 when the file cannot be made, 2 on a wrong
// command line or an output that cannot be written (checked before any
// work); messages go to standard error. Installed as paleoviz-orbit-series.
#include "orbit_series.h"
#include "paleoviz_version.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

const char* const usageText =
    "usage: orbit_series fit OUTPUT\n"
    "       orbit_series berger OUTPUT\n"
    "       orbit_series laskar INPUT OUTPUT\n";

const char* const helpText =
    "Writes paleoviz's orbital series file (orbit95b): three header lines, then 5800\n"
    "records, one per thousand years from the present back, of time (kyr), eccentricity,\n"
    "longitude of perihelion from the moving equinox (degrees), obliquity (degrees) and\n"
    "the precession index e*sin(perihelion).\n"
    "Solutions:\n"
    "  fit     the project's fitted series of Laskar et al. (2004), time 0 at J2000 (the default file)\n"
    "  berger  the trigonometric series of Berger (1978), time 0 at 1950\n"
    "  laskar  a table of Laskar et al. (2004) itself (time kyr, e, obliquity rad,\n"
    "          perihelion rad), converted record by record\n"
    "The output is written whole or not at all; an existing file keeps its permissions.\n"
    "Example: paleoviz-orbit-series fit orbit95b\n";

int usage(const char* problem)
{
    std::fprintf(stderr, "orbit_series: %s\n%s", problem, usageText);
    return exitUsage;
}

// An output that cannot be written is refused before any work.
bool refusedOutput(const char* path)
{
    const std::string problem = outputProblem(path);
    if (problem.empty())
        return false;
    std::fprintf(stderr, "orbit_series: cannot write \"%s\": %s\n", path, problem.c_str());
    return true;
}

int finish(bool done, const std::string& message)
{
    if (done)
        return 0;
    std::fprintf(stderr, "orbit_series: %s\n", message.c_str());
    return exitFailure;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage("no source given");
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::printf("%s%s", usageText, helpText);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("paleoviz-orbit-series %s\n", paleovizVersion);
        return 0;
    }
    std::string message;
    for (const auto& [name, solution] : {std::pair{"fit", orbit::Solution::laskar2004Fit},
                                         std::pair{"berger", orbit::Solution::berger1978}}) {
        if (std::strcmp(argv[1], name) != 0)
            continue;
        if (argc != 3)
            return usage((std::string(name) + " takes one argument, the output file").c_str());
        if (refusedOutput(argv[2]))
            return outputRefusedStatus;
        return finish(writeSolutionFile(solution, argv[2], message), message);
    }
    if (std::strcmp(argv[1], "laskar") == 0) {
        if (argc != 4)
            return usage("laskar takes two arguments, the input table and the output file");
        if (refusedOutput(argv[3]))
            return outputRefusedStatus;
        return finish(importLaskarFile(argv[2], argv[3], message), message);
    }
    return usage("unknown source; use fit, berger or laskar");
}
