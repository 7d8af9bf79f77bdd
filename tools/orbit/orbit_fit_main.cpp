// orbit_fit: derives the project's term table of Laskar et al. (2004).
//   orbit_fit TABLE OUTPUT [TERMS]
//                             fits TABLE (the published table of the past,
//                             rows 0, -1, ... kyr) with TERMS terms per
//                             series (200 unless given), cross-validates,
//                             and writes the term table source to OUTPUT
//   orbit_fit report TABLE    prints the largest differences of the orbit
//                             library's solutions from TABLE per span, each
//                             solution at the records its own span holds
// Exit status 0 on success, 1 when the table is refused or a file cannot be
// written, 2 on a wrong command line; messages go to standard error.
#include "orbit_fit.h"
#include "orbit_series.h"

#include "files/regular_input.h"
#include "paleoviz_version.h"
#include "files/program_guard.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
// Terms per series: about 200 each bring the rounded file within 0.0003 in
// e and 0.005 degrees in obliquity everywhere (100 give 0.0005, 0.013).
constexpr int defaultTermCount = 200;
constexpr int maxTermCount = 1000;


int usage(const char* problem)
{
    std::fprintf(stderr,
                 "orbit_fit: %s\n"
                 "usage: orbit_fit TABLE OUTPUT [TERMS]\n"
                 "       orbit_fit report TABLE\n",
                 problem);
    return exitUsage;
}

int fail(const std::string& message)
{
    std::fprintf(stderr, "orbit_fit: %s\n", message.c_str());
    return exitFailure;
}

bool readTable(const char* path, std::vector<orbit::Elements>& records, std::string& message)
{
    RegularFileStream in(path);
    if (!in) {
        message = inputRefusalMessage(path, in.refusal);
        return false;
    }
    if (!readLaskarTable(in, records, message)) {
        message = std::string(path) + ": " + message;
        return false;
    }
    return true;
}

// The elements of solution at the records of covered; the other records
// stay zero and are never compared.
std::vector<orbit::Elements> coveredSeries(const orbit::SolutionInfo& solution, RecordRange covered)
{
    std::vector<orbit::Elements> records(orbitRecordCount);
    for (int j = covered.first; j < covered.end; ++j)
        records[size_t(j)] = orbit::elementsAt(solution, -j);
    return records;
}

// One solution's part of the report: its name, the records it was compared
// at (those its span holds) and its difference table.
void reportSolution(const orbit::SolutionInfo& solution,
                    const std::vector<orbit::Elements>& reference)
{
    std::printf("\n%s (time 0 at %s):\n", solution.name, solution.origin);
    const RecordRange covered = coveredRecords(solution);
    if (covered.first == covered.end) {
        std::printf("  no record of the table lies within its span, %g to %g kyr\n",
                    solution.span.oldest, solution.span.newest);
        return;
    }
    std::printf("  compared at %d to %d kyr, within its span %g to %g kyr%s\n", -covered.first,
                1 - covered.end, solution.span.oldest, solution.span.newest,
                solution.available == orbit::Availability::allElements
                    ? ""
                    : "; it gives the eccentricity only (nan in the other columns)");
    std::printf("%s", differenceTable(coveredSeries(solution, covered), reference, "  ", covered)
                          .c_str());
}

int report(const char* tablePath)
{
    std::vector<orbit::Elements> reference;
    std::string message;
    if (!readTable(tablePath, reference, message))
        return fail(message);
    std::printf("Largest differences from the reference table %s\n(%s; time 0 at J2000)\n"
                "at the whole kyr 0 to %d, each solution rounded as in orbit95b: e, obliquity "
                "(degrees), e sin(w) and w, the longitude of perihelion from the moving equinox "
                "(degrees)\n",
                tablePath, orbit::solutionCitation(orbit::Solution::laskar2004),
                1 - orbitRecordCount);
    std::printf("\nThe La2004 fit, as this tool makes it:\n%s",
                fitMethodNote("  ").c_str());
    for (int i = 0; i < orbit::solutionCount; ++i)
        reportSolution(orbit::solutionRegistry[i], reference);
    return 0;
}

std::vector<orbit::Elements> evaluated(const FittedSeries& series, int first, int step)
{
    std::vector<orbit::Elements> values(orbitRecordCount);
    for (int j = first; j < orbitRecordCount; j += step)
        values[size_t(j)] = evaluateSeries(series, -j);
    return values;
}

// Largest differences at the records first, first + step, ...
Differences sampledDifferences(const std::vector<orbit::Elements>& model,
                               const std::vector<orbit::Elements>& reference, int first, int step)
{
    Differences worst;
    for (int j = first; j < orbitRecordCount; j += step) {
        const Differences d = maxDifferences(model, reference, j, j + 1);
        worst.eccentricity = std::max(worst.eccentricity, d.eccentricity);
        worst.obliquity = std::max(worst.obliquity, d.obliquity);
        worst.precessionIndex = std::max(worst.precessionIndex, d.precessionIndex);
        worst.perihelion = std::max(worst.perihelion, d.perihelion);
    }
    return worst;
}

FittedSeries fitRecords(const std::vector<orbit::Elements>& reference, int step, int termCount)
{
    std::vector<double> times;
    std::vector<orbit::Elements> records;
    for (int j = 0; j < orbitRecordCount; j += step) {
        times.push_back(-j);
        records.push_back(reference[size_t(j)]);
    }
    return fitElements(times, records, termCount);
}

int fit(const char* tablePath, const char* outputPath, int termCount)
{
    std::vector<orbit::Elements> reference;
    std::string message;
    if (!readTable(tablePath, reference, message))
        return fail(message);

    // Refuse an output that cannot be written before minutes of fitting.
    const std::string problem = outputProblem(outputPath);
    if (!problem.empty()) {
        std::fprintf(stderr, "orbit_fit: cannot write \"%s\": %s\n", outputPath, problem.c_str());
        return outputRefusedStatus;
    }

    std::fprintf(stderr, "orbit_fit: fitting %d terms each to %d records...\n", termCount,
                 orbitRecordCount);
    const FittedSeries series = fitRecords(reference, 1, termCount);
    const std::vector<orbit::Elements> model = evaluated(series, 0, 1);
    const Differences overall = maxDifferences(model, reference, 0, orbitRecordCount);

    std::fprintf(stderr, "orbit_fit: cross-validating: fit on the even kyr...\n");
    const FittedSeries evenFit = fitRecords(reference, 2, termCount);
    const Differences odd = sampledDifferences(evaluated(evenFit, 1, 2), reference, 1, 2);

    std::string notes = fitMethodNote("// ");
    notes += "// Largest differences from the table at the whole kyr, each value rounded\n"
             "// as in orbit95b (w: longitude of perihelion, degrees):\n";
    notes += differenceTable(model, reference, "//   ");
    char line[240];
    std::snprintf(line, sizeof line,
                  "// Cross-validation: the same fit made on the even kyr only differs at the\n"
                  "// odd kyr by at most %.6f in e, %.5f deg in obliquity, %.6f in e sin(w).\n",
                  odd.eccentricity, odd.obliquity, odd.precessionIndex);
    notes += line;
    if (!writeFileAtomically(outputPath, termTableSource(series, overall, notes), message))
        return fail(message);
    std::printf("%s", notes.c_str());
    return 0;
}

int runFit(int argc, char** argv)
{
    if (argc < 2)
        return usage("no table given");
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("orbit_fit %s\n", paleovizVersion);
        return 0;
    }
    if (std::strcmp(argv[1], "report") == 0) {
        if (argc != 3)
            return usage("report takes one argument, the table");
        return report(argv[2]);
    }
    if (argc != 3 && argc != 4)
        return usage("expected the table, the output file and optionally the number of terms");
    int terms = defaultTermCount;
    if (argc == 4) {
        char* end = nullptr;
        const long given = std::strtol(argv[3], &end, 10);
        if (end == argv[3] || *end != '\0' || given < 1 || given > maxTermCount)
            return usage("the number of terms must be a whole number from 1 to 1000");
        terms = int(given);
    }
    return fit(argv[1], argv[2], terms);
}

}  // namespace

int main(int argc, char** argv)
{
    return guardProgram("orbit_fit", [&] { return runFit(argc, argv); });
}
