// orbit_series: writes the program's orbital series file.
//   orbit_series SOLUTION OUTPUT        from a solution of the orbit library:
//                                       la2004 (the published solution of
//                                       Laskar et al. 2004, the default
//                                       series), la2004-fit, berger1978
//   orbit_series laskar INPUT OUTPUT    from a Laskar et al. (2004) table
// Exit status 0 on success, 1 when the file cannot be made, 2 on a wrong
// command line; messages go to standard error.
#include "orbit_series.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

int usage(const std::string& problem)
{
    std::fprintf(stderr,
                 "orbit_series: %s\n"
                 "usage: orbit_series SOLUTION OUTPUT   (SOLUTION: %s)\n"
                 "       orbit_series laskar INPUT OUTPUT\n",
                 problem.c_str(), orbit::solutionKeys().c_str());
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
    if (const orbit::SolutionInfo* solution = orbit::findSolution(argv[1])) {
        if (argc != 3)
            return usage(std::string(argv[1]) + " takes one argument, the output file");
        return finish(writeSolutionFile(*solution, argv[2], message), message);
    }
    if (std::strcmp(argv[1], "laskar") == 0) {
        if (argc != 4)
            return usage("laskar takes two arguments, the input table and the output file");
        return finish(importLaskarFile(argv[2], argv[3], message), message);
    }
    return usage(orbit::unknownSolutionMessage(argv[1]) + ", or laskar to convert a table");
}
