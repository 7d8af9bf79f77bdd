// Writing a fitted series as the C++ term table of the orbit library,
// orbit/la2004_fit_terms.h (orbit_fit.h): its opening comment, the fitted
// span and accuracy, then the terms, rates in arcseconds per year and
// phases in degrees.
#include "orbit_fit.h"
#include "orbit_series.h"

#include "math/constants.h"

#include <cstdio>

using math::radiansPerDegree;

namespace {

constexpr double arcsecondsPerDegree = 3600.0;
constexpr double yearsPerKyr = 1000.0;

// The table's opening comment, notes placed at its end.
std::string openingComment(const FittedSeries& series, const std::string& notes)
{
    std::string text =
        "// The Earth's orbital elements as quasi-periodic series fitted to the\n"
        "// numerical solution of\n"
        "//   J. Laskar, P. Robutel, F. Joutel, M. Gastineau, A. C. M. Correia and\n"
        "//   B. Levrard (2004), A long-term numerical solution for the insolation\n"
        "//   quantities of the Earth, Astronomy and Astrophysics 428, 261-285,\n"
        "// from its table of the past, one row per thousand years. Made by\n"
        "// tools/orbit/orbit_fit; do not edit, run the tool again instead.\n"
        "//\n"
        "// Time t in years from J2000, negative in the past; each term's argument is\n"
        "// rate * t arcseconds plus phase degrees. The longitude of perihelion is\n"
        "// measured from the moving equinox, as in the table.\n"
        "//   z = e exp(i perihelion) = sum of amplitude * exp(i argument)\n"
        "//   obliquity = la2004MeanObliquity + sum of amplitude * cos(argument), degrees\n"
        "//   e = |z|, perihelion = arg z, e sin(perihelion) = Im z\n";
    char line[400];
    std::snprintf(line, sizeof line,
                  "// K = %zu terms for z and %zu for the obliquity, fitted over 0 to %d kyr.\n",
                  series.eccentricity.size(), series.obliquity.size(), 1 - orbitRecordCount);
    return text + line + "//\n" + notes;
}

// The term type, the fitted span and the largest differences.
std::string declarations(const Differences& overall)
{
    std::string text = "#ifndef PALEOVIZ_ORBIT_LA2004_FIT_TERMS_H\n"
                       "#define PALEOVIZ_ORBIT_LA2004_FIT_TERMS_H\n\n"
                       "namespace orbit {\n\n"
                       "struct La2004FitTerm {\n"
                       "    double amplitude;\n"
                       "    double rate;   // arcseconds per year\n"
                       "    double phase;  // degrees\n"
                       "};\n\n"
                       "// Fitted span, kyr from J2000.\n";
    char line[400];
    std::snprintf(line, sizeof line,
                  "constexpr double la2004FitOldestKyr = %d.0;\n"
                  "constexpr double la2004FitNewestKyr = 0.0;\n\n",
                  1 - orbitRecordCount);
    text += line;
    text += "// Largest differences from the table at the whole kyr of the span, after\n"
            "// rounding to the series file's decimals.\n";
    std::snprintf(line, sizeof line,
                  "constexpr double la2004FitMaxEccentricityDifference = %.6f;\n"
                  "constexpr double la2004FitMaxObliquityDifference = %.6f;  // degrees\n"
                  "constexpr double la2004FitMaxPrecessionIndexDifference = %.6f;\n\n",
                  overall.eccentricity, overall.obliquity, overall.precessionIndex);
    return text + line;
}

// One array of terms and its length, named countName and arrayName.
std::string termArray(const char* countName, const char* arrayName,
                      const std::vector<FitTerm>& terms)
{
    const double arcsecondsPerYear = 1 / radiansPerDegree * arcsecondsPerDegree / yearsPerKyr;
    char line[400];
    std::snprintf(line, sizeof line, "constexpr int %s = %zu;\n", countName, terms.size());
    std::string text = line;
    text += std::string("constexpr La2004FitTerm ") + arrayName + "[" + countName + "] = {\n";
    for (const FitTerm& term : terms) {
        std::snprintf(line, sizeof line, "    {%.17g, %.17g, %.17g},\n", term.amplitude,
                      term.rate * arcsecondsPerYear, term.phase / radiansPerDegree);
        text += line;
    }
    return text + "};\n\n";
}

}  // namespace

std::string termTableSource(const FittedSeries& series, const Differences& overall,
                            const std::string& notes)
{
    std::string text = openingComment(series, notes) + declarations(overall);
    text += "// Terms of z; amplitudes dimensionless.\n";
    text += termArray("la2004EccentricityTermCount", "la2004EccentricityTerms",
                      series.eccentricity);
    char line[400];
    std::snprintf(line, sizeof line,
                  "// Obliquity: mean and terms, degrees.\n"
                  "constexpr double la2004MeanObliquity = %.17g;\n",
                  series.meanObliquity);
    text += line;
    text += termArray("la2004ObliquityTermCount", "la2004ObliquityTerms", series.obliquity);
    return text + "}  // namespace orbit\n\n#endif\n";
}
