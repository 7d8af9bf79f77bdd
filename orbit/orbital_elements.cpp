#include "orbit/orbital_elements.h"

#include "globe/math_constants.h"
#include "orbit/berger1978_terms.h"
#include "orbit/la2004_fit_terms.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace orbit {

namespace {

constexpr double arcsecondsPerDegree = 3600.0;
constexpr double fullTurn = 360.0;
constexpr double yearsPerKyr = 1000.0;

// Both solutions are tabulated for the program's 5800 records, one per
// thousand years from the present back.
constexpr Span bergerSpan{-5799.0, 0.0};
constexpr Span fitSpan{la2004FitOldestKyr, la2004FitNewestKyr};

// ---- Berger (1978): evaluated exactly as the published recipe reads.

double bergerArgument(const BergerTerm& term, double years)
{
    return (term.rate * years / arcsecondsPerDegree + term.phase) * radiansPerDegree;
}

Elements bergerElements(double kyr)
{
    const double years = kyr * yearsPerKyr;
    double eSin = 0.0;
    double eCos = 0.0;
    for (const BergerTerm& term : bergerEccentricityTerms) {
        const double argument = bergerArgument(term, years);
        eSin += term.amplitude * std::sin(argument);
        eCos += term.amplitude * std::cos(argument);
    }
    double precessionWobble = 0.0;
    for (const BergerTerm& term : bergerPrecessionTerms)
        precessionWobble += term.amplitude * std::sin(bergerArgument(term, years));
    double obliquityWobble = 0.0;
    for (const BergerTerm& term : bergerObliquityTerms)
        obliquityWobble += term.amplitude * std::cos(bergerArgument(term, years));

    const double fixedPerihelion = std::atan2(eSin, eCos) / radiansPerDegree;
    const double precession =
        (bergerPrecessionRate * years + precessionWobble) / arcsecondsPerDegree +
        bergerPrecessionPhase;
    const double eccentricity = std::hypot(eSin, eCos);
    const double perihelion = wrapDegrees(fixedPerihelion + precession);
    return {eccentricity, perihelion,
            bergerMeanObliquity + obliquityWobble / arcsecondsPerDegree,
            eccentricity * std::sin(perihelion * radiansPerDegree)};
}

// ---- The fit of Laskar et al. (2004): the table's rates (arcseconds per
// year) and phases (degrees) turned once into radians per kyr and radians.

struct RadianTerm {
    double amplitude;
    double rate;   // radians per kyr
    double phase;  // radians
};

template <int count>
std::array<RadianTerm, count> toRadians(const La2004FitTerm (&terms)[count])
{
    std::array<RadianTerm, count> converted{};
    for (int i = 0; i < count; ++i) {
        converted[i] = {terms[i].amplitude,
                        terms[i].rate * yearsPerKyr / arcsecondsPerDegree * radiansPerDegree,
                        terms[i].phase * radiansPerDegree};
    }
    return converted;
}

const std::array<RadianTerm, la2004EccentricityTermCount> fitEccentricityTerms =
    toRadians(la2004EccentricityTerms);
const std::array<RadianTerm, la2004ObliquityTermCount> fitObliquityTerms =
    toRadians(la2004ObliquityTerms);

Elements fitElements(double kyr)
{
    // z = e exp(i perihelion) = sum of amplitude * exp(i (rate t + phase)).
    double zReal = 0.0;
    double zImaginary = 0.0;
    for (const RadianTerm& term : fitEccentricityTerms) {
        const double argument = term.rate * kyr + term.phase;
        zReal += term.amplitude * std::cos(argument);
        zImaginary += term.amplitude * std::sin(argument);
    }
    double obliquity = la2004MeanObliquity;
    for (const RadianTerm& term : fitObliquityTerms)
        obliquity += term.amplitude * std::cos(term.rate * kyr + term.phase);
    return {std::hypot(zReal, zImaginary),
            wrapDegrees(std::atan2(zImaginary, zReal) / radiansPerDegree), obliquity, zImaginary};
}

[[noreturn]] void outsideSpan(Solution solution, double kyr)
{
    const Span covered = span(solution);
    char text[200];
    std::snprintf(text, sizeof text, "time %g kyr is outside the %s span %g to %g kyr", kyr,
                  solutionName(solution), covered.oldest, covered.newest);
    throw std::out_of_range(text);
}

}  // namespace

Span span(Solution solution)
{
    return solution == Solution::berger1978 ? bergerSpan : fitSpan;
}

bool covers(Solution solution, double kyr)
{
    const Span covered = span(solution);
    return kyr >= covered.oldest && kyr <= covered.newest;
}

const char* solutionName(Solution solution)
{
    return solution == Solution::berger1978 ? "Berger 1978" : "La2004 fit";
}

const char* solutionCitation(Solution solution)
{
    if (solution == Solution::berger1978) {
        return "A. L. Berger (1978), Long-term variations of daily insolation and Quaternary "
               "climatic changes, Journal of the Atmospheric Sciences 35, 2362-2367";
    }
    return "J. Laskar, P. Robutel, F. Joutel, M. Gastineau, A. C. M. Correia and B. Levrard "
           "(2004), A long-term numerical solution for the insolation quantities of the Earth, "
           "Astronomy and Astrophysics 428, 261-285";
}

Elements elementsAt(Solution solution, double kyr)
{
    if (!covers(solution, kyr))  // also refuses NaN
        outsideSpan(solution, kyr);
    return solution == Solution::berger1978 ? bergerElements(kyr) : fitElements(kyr);
}

double wrapDegrees(double degrees)
{
    double wrapped = std::fmod(degrees, fullTurn);
    if (wrapped < 0.0)
        wrapped += fullTurn;
    // A tiny negative angle wraps to exactly 360 in floating point.
    return wrapped >= fullTurn ? 0.0 : wrapped;
}

}  // namespace orbit
