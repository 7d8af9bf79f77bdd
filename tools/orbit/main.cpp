// orbit_series: writes the program's orbital series file.
//   orbit_series fit OUTPUT             from the project's fitted series of
//                                       Laskar et al. (2004), the default
//   orbit_series berger OUTPUT          from the Berger (1978) series
//   orbit_series laskar INPUT OUTPUT    from a Laskar et al. (2004) table
// Exit status 0 on success, 1 when the file cannot be made, 2 on a wrong
// command line; messages go to standard error.
#include "orbit_series.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

int usage(const char* problem)
{
    std::fprintf(stderr,
                 "orbit_series: %s\n"
                 "usage: orbit_series fit OUTPUT\n"
                 "       orbit_series berger OUTPUT\n"
                 "       orbit_series laskar INPUT OUTPUT\n",
                 problem);
    return exitUsage;
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
    std::string message;
    for (const auto& [name, solution] : {std::pair{"fit", orbit::Solution::laskar2004Fit},
                                         std::pair{"berger", orbit::Solution::berger1978}}) {
        if (std::strcmp(argv[1], name) != 0)
            continue;
        if (argc != 3)
            return usage((std::string(name) + " takes one argument, the output file").c_str());
        return finish(writeSolutionFile(solution, argv[2], message), message);
    }
    if (std::strcmp(argv[1], "laskar") == 0) {
        if (argc != 4)
            return usage("laskar takes two arguments, the input table and the output file");
        return finish(importLaskarFile(argv[2], argv[3], message), message);
    }
    return usage("unknown source; use fit, berger or laskar");
}
