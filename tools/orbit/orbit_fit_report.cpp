// The accuracy of a fitted series against the table: its largest
// differences per span, each value rounded as the series file stores it,
// and the note on how the fit weights the records (orbit_fit.h).
#include "orbit_fit.h"
#include "orbit_series.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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
        worst.eccentricity = std::max(worst.eccentricity, std::fabs(m.eccentricity - r.eccentricity));
        worst.obliquity = std::max(worst.obliquity, std::fabs(m.obliquity - r.obliquity));
        worst.precessionIndex =
            std::max(worst.precessionIndex, std::fabs(m.precessionIndex - r.precessionIndex));
        const double turn = std::fabs(std::remainder(m.perihelion - r.perihelion, 360.0));
        worst.perihelion = std::max(worst.perihelion, turn);
    }
    return worst;
}

const ReportSpan reportSpans[6] = {{"0 kyr", 0, 1},
                                   {"0-20 kyr", 0, 21},
                                   {"0-1 Myr", 0, 1000},
                                   {"1-3 Myr", 1000, 3000},
                                   {"3-5.8 Myr", 3000, orbitRecordCount},
                                   {"0-5.8 Myr", 0, orbitRecordCount}};

std::string differenceTable(const std::vector<orbit::Elements>& model,
                            const std::vector<orbit::Elements>& reference,
                            const std::string& prefix)
{
    std::string text = prefix + "span        max|de|    max|dobliquity|  max|d(e sin w)|  "
                                "max|dw|\n";
    for (const ReportSpan& span : reportSpans) {
        const Differences d = maxDifferences(model, reference, span.first, span.end);
        char line[160];
        std::snprintf(line, sizeof line, "%-10s  %.6f   %8.5f deg     %.6f         %7.3f deg\n",
                      span.name, d.eccentricity, d.obliquity, d.precessionIndex, d.perihelion);
        text += prefix + line;
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
