// The accuracy of a fitted series against the table: its largest
// differences per span, each value rounded as the series file stores it,
// and the note on how the fit weights the records (orbit_fit.h). A solution
// is compared only at the records its span holds.
#include "orbit_fit.h"
#include "orbit_series.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The larger of worst and difference; a NaN, once met, stays, so that an
// element a solution lacks never reads as a perfect match.
double larger(double worst, double difference)
{
    return std::isnan(worst) || std::isnan(difference) ? std::nan("") : std::max(worst, difference);
}

// One row of the difference table, ending with a newline; over records
// [first, end) of span, marked when that is less than the whole span.
std::string differenceRow(const ReportSpan& span, const Differences& d, int first, int end)
{
    char line[200];
    const int length =
        std::snprintf(line, sizeof line, "%-10s  %.6f   %8.5f deg     %.6f         %7.3f deg",
                      span.name, d.eccentricity, d.obliquity, d.precessionIndex, d.perihelion);
    if (first == span.first && end == span.end)
        return std::string(line, size_t(length)) + "\n";
    std::snprintf(line + length, sizeof line - size_t(length), "  (%d to %d kyr only)\n", -first,
                  1 - end);
    return line;
}

}  // namespace

orbit::Elements roundedAsInFile(int kyr, const orbit::Elements& elements)
{
    const std::string line = formatRecord(kyr, elements);
    orbit::Elements rounded{};
    int time = 0;
    std::sscanf(line.c_str(), "%d %lf %lf %lf %lf", &time, &rounded.eccentricity,
                &rounded.perihelion, &rounded.obliquity, &rounded.precessionIndex);
    return rounded;
}

Differences maxDifferences(const std::vector<orbit::Elements>& model,
                           const std::vector<orbit::Elements>& reference, int first, int end)
{
    Differences worst;
    for (int j = first; j < end; ++j) {
        const orbit::Elements m = roundedAsInFile(-j, model[size_t(j)]);
        const orbit::Elements& r = reference[size_t(j)];
        worst.eccentricity = larger(worst.eccentricity, std::fabs(m.eccentricity - r.eccentricity));
        worst.obliquity = larger(worst.obliquity, std::fabs(m.obliquity - r.obliquity));
        worst.precessionIndex =
            larger(worst.precessionIndex, std::fabs(m.precessionIndex - r.precessionIndex));
        const double turn = std::fabs(std::remainder(m.perihelion - r.perihelion, 360.0));
        worst.perihelion = larger(worst.perihelion, turn);
    }
    return worst;
}

const ReportSpan reportSpans[6] = {{"0 kyr", 0, 1},
                                   {"0-20 kyr", 0, 21},
                                   {"0-1 Myr", 0, 1000},
                                   {"1-3 Myr", 1000, 3000},
                                   {"3-5.8 Myr", 3000, orbitRecordCount},
                                   {"0-5.8 Myr", 0, orbitRecordCount}};

RecordRange coveredRecords(const orbit::SolutionInfo& solution)
{
    const int first = std::max(0, int(std::ceil(-solution.span.newest)));
    const int end = std::min(orbitRecordCount, int(std::floor(-solution.span.oldest)) + 1);
    return {first, std::max(first, end)};
}

std::string differenceTable(const std::vector<orbit::Elements>& model,
                            const std::vector<orbit::Elements>& reference,
                            const std::string& prefix, RecordRange covered)
{
    std::string text = prefix + "span        max|de|    max|dobliquity|  max|d(e sin w)|  "
                                "max|dw|\n";
    for (const ReportSpan& span : reportSpans) {
        const int first = std::max(span.first, covered.first);
        const int end = std::min(span.end, covered.end);
        if (first >= end) {
            char line[80];
            std::snprintf(line, sizeof line, "%-10s  outside the solution's span\n", span.name);
            text += prefix + line;
            continue;
        }
        text += prefix + differenceRow(span, maxDifferences(model, reference, first, end), first, end);
    }
    return text;
}

std::string fitMethodNote(const std::string& prefix)
{
    char text[600];
    std::snprintf(text, sizeof text,
                  "%sWeighted least squares: the record t kyr ago (t >= 0) counts\n"
                  "%s1 + %g exp(-t / %g kyr) times, in the linear solves and the joint\n"
                  "%srefinement alike, so that the last tens of kyr, the ones shown first,\n"
                  "%sare held closer than the rest.\n",
                  prefix.c_str(), prefix.c_str(), presentWeightBoost, presentWeightScale,
                  prefix.c_str(), prefix.c_str());
    return text;
}
