// orbit_series: writes the program's orbital series file.
//   orbit_series SOLUTION OUTPUT        from a solution of the orbit library
//                                       that gives all three elements back
//                                       to -5799 kyr: la2004 (the default
//                                       series), la2004-fit, berger1978,
//                                       la93-01, la93-11
//   orbit_series laskar INPUT OUTPUT    from a Laskar et al. (2004) table
// Exit status 0 on success, 1 when the file cannot be made, 2 on a wrong
// command line, a solution that cannot fill the file (too short, or
// eccentricity only) or an output that cannot be written (checked before
// any work); messages go to standard error. Installed as paleoviz-orbit-series.
#include "orbit_series.h"
#include "paleoviz_version.h"
#include "files/program_guard.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
// The name it is installed under, the one users type.
constexpr const char* programName = "paleoviz-orbit-series";

int usage(const std::string& problem)
{
    std::fprintf(stderr,
                 "%s: %s\n"
                 "usage: %s SOLUTION OUTPUT   (SOLUTION: %s)\n"
                 "       %s laskar INPUT OUTPUT\n",
                 programName, problem.c_str(), programName, seriesSolutionKeys().c_str(), programName);
    return exitUsage;
}

// In the layout of GNU --help (usage, description, sections, options
// indented by two), from which help2man makes the manual page.
void printHelp()
{
    std::printf("Usage: paleoviz-orbit-series SOLUTION OUTPUT\n"
                "  or:  paleoviz-orbit-series laskar INPUT OUTPUT\n"
                "Writes paleoviz's orbital series file (orbit95b): three header lines, then 5800\n"
                "records, one per thousand years from the present back, of time (kyr),\n"
                "eccentricity, longitude of perihelion from the moving equinox (degrees),\n"
                "obliquity (degrees) and the precession index e*sin(perihelion).\n"
                "Start the window on it with: paleoviz --orbit FILE\n"
                "\n"
                "Solutions (those marked give no file: too short, or eccentricity only):\n");
    for (int i = 0; i < orbit::solutionCount; ++i) {
        const orbit::SolutionInfo& s = orbit::solutionRegistry[i];
        const std::string refusal = seriesRefusal(s);
        std::printf("  %-11s %s, time 0 at %s, %g to %g kyr%s\n", s.key, s.name, s.origin,
                    s.span.oldest, s.span.newest,
                    refusal.empty() ? ""
                    : s.available == orbit::Availability::allElements ? " (too short)"
                                                                       : " (e only)");
    }
    std::printf("  %-11s a table of Laskar et al. (2004) itself (time kyr, e, obliquity rad,\n"
                "              perihelion rad), converted record by record\n"
                "\n"
                "Options:\n"
                "  -h, --help   print this help and exit\n"
                "  --version    print the version and exit\n"
                "\n"
                "The output is written whole or not at all; an existing file keeps its\n"
                "permissions; a folder, FIFO or device is refused before any work.\n"
                "\n"
                "Examples:\n"
                "  paleoviz-orbit-series la2004 orbit95b\n",
                "laskar");
}

// An output that cannot be written is refused before any work.
bool refusedOutput(const char* path)
{
    const std::string problem = outputProblem(path);
    if (problem.empty())
        return false;
    std::fprintf(stderr, "%s: cannot write \"%s\": %s\n", programName, path, problem.c_str());
    return true;
}

int finish(bool done, const std::string& message)
{
    if (done)
        return 0;
    std::fprintf(stderr, "%s: %s\n", programName, message.c_str());
    return exitFailure;
}

int runSeries(int argc, char** argv)
{
    if (argc < 2)
        return usage("no source given");
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        printHelp();
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("paleoviz-orbit-series %s\n", paleovizVersion);
        return 0;
    }
    std::string message;
    if (const orbit::SolutionInfo* solution = orbit::findSolution(argv[1])) {
        if (argc != 3)
            return usage(std::string(argv[1]) + " takes one argument, the output file");
        const std::string refusal = seriesRefusal(*solution);
        if (!refusal.empty()) {
            std::fprintf(stderr, "%s: %s\n", programName, refusal.c_str());
            return exitUsage;
        }
        if (refusedOutput(argv[2]))
            return outputRefusedStatus;
        return finish(writeSolutionFile(*solution, argv[2], message), message);
    }
    if (std::strcmp(argv[1], "laskar") == 0) {
        if (argc != 4)
            return usage("laskar takes two arguments, the input table and the output file");
        if (refusedOutput(argv[3]))
            return outputRefusedStatus;
        return finish(importLaskarFile(argv[2], argv[3], message), message);
    }
    return usage(orbit::unknownSolutionMessage(argv[1]) + ", or laskar to convert a table");
}

}  // namespace

int main(int argc, char** argv)
{
    return guardProgram(programName, [&] { return runSeries(argc, argv); });
}
