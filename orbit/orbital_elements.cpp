#include "orbit/evaluators.h"

#include "math/constants.h"
#include "orbit/berger1978_terms.h"
#include "orbit/la2004_fit_terms.h"

#include <array>
#include <cmath>

using math::radiansPerDegree;

namespace orbit {

namespace {

constexpr double arcsecondsPerDegree = 3600.0;
constexpr double fullTurn = 360.0;
constexpr double yearsPerKyr = 1000.0;

// ---- Berger (1978): evaluated exactly as the published recipe reads.

double bergerArgument(const BergerTerm& term, double years)
{
    return (term.rate * years / arcsecondsPerDegree + term.phase) * radiansPerDegree;
}

}  // namespace

Elements berger1978Elements(double kyr)
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
    return {eccentricity, bergerMeanObliquity + obliquityWobble / arcsecondsPerDegree, perihelion,
            eccentricity * std::sin(perihelion * radiansPerDegree)};
}

namespace {

// sin and cos of x (|x| below a million radians) by reduction to
// [-pi/4, pi/4] with pi/2 split in two parts (Cody and Waite: q * the first
// part is exact), then Taylor polynomials accurate to 1e-16 there. Several
// times faster than the C library's sin and cos for the hundreds of terms
// summed at every time, and independent of that library's version.
struct SineCosine {
    double sine;
    double cosine;
};

inline SineCosine sineCosine(double x)
{
    constexpr double twoOverPi = 0.63661977236758134308;
    constexpr double halfPiHigh = 1.57079632673412561417e+00;  // first 33 bits
    constexpr double halfPiLow = 6.07710050650619224932e-11;   // the rest
    // Adding and taking away 1.5 * 2^52 rounds to the nearest whole number.
    constexpr double roundingShift = 6755399441055744.0;

    const double q = (x * twoOverPi + roundingShift) - roundingShift;
    const double r = (x - q * halfPiHigh) - q * halfPiLow;
    const double r2 = r * r;
    const double s =
        r + r * r2 *
                (-1.0 / 6 +
                 r2 * (1.0 / 120 +
                       r2 * (-1.0 / 5040 +
                             r2 * (1.0 / 362880 +
                                   r2 * (-1.0 / 39916800 +
                                         r2 * (1.0 / 6227020800 +
                                               r2 * (-1.0 / 1307674368000)))))));
    const double c =
        1.0 + r2 * (-1.0 / 2 +
                    r2 * (1.0 / 24 +
                          r2 * (-1.0 / 720 +
                                r2 * (1.0 / 40320 +
                                      r2 * (-1.0 / 3628800 +
                                            r2 * (1.0 / 479001600 +
                                                  r2 * (-1.0 / 87178291200 +
                                                        r2 / 20922789888000)))))));
    // sin and cos of q pi/2 + r by quadrant q mod 4 (two's complement keeps
    // the low bits right for negative q), chosen by multiplying with exact
    // 0, 1 and -1 rather than by branches, so that loops vectorise.
    const int quadrant = static_cast<int>(q);
    const double swap = static_cast<double>(quadrant & 1);
    const double keep = 1.0 - swap;
    const double sineSign = 1.0 - 2.0 * static_cast<double>((quadrant >> 1) & 1);
    const double cosineSign = 1.0 - 2.0 * static_cast<double>(((quadrant + 1) >> 1) & 1);
    return {sineSign * (keep * s + swap * c), cosineSign * (keep * c + swap * s)};
}

// cos x alone, half the work of sineCosine: x reduced by multiples of pi to
// [-pi/2, pi/2], where the Taylor polynomial to r^18 is accurate to 4e-15.
inline double cosine(double x)
{
    constexpr double oneOverPi = 0.31830988618379067154;
    constexpr double piHigh = 3.14159265346825122833e+00;  // first 33 bits
    constexpr double piLow = 1.21542010130123844986e-10;   // the rest
    constexpr double roundingShift = 6755399441055744.0;
    const double q = (x * oneOverPi + roundingShift) - roundingShift;
    const double r = (x - q * piHigh) - q * piLow;
    const double r2 = r * r;
    const double c =
        1.0 + r2 * (-1.0 / 2 +
                    r2 * (1.0 / 24 +
                          r2 * (-1.0 / 720 +
                                r2 * (1.0 / 40320 +
                                      r2 * (-1.0 / 3628800 +
                                            r2 * (1.0 / 479001600 +
                                                  r2 * (-1.0 / 87178291200 +
                                                        r2 * (1.0 / 20922789888000 +
                                                              r2 * (-1.0 / 6402373705728000)))))))));
    // cos(q pi + r) = (-1)^q cos r
    return (1.0 - 2.0 * static_cast<double>(static_cast<int>(q) & 1)) * c;
}

// ---- The fit of Laskar et al. (2004): the table's rates (arcseconds per
// year) and phases (degrees) turned once into radians per kyr and radians.

// Terms as columns, so that the loops over them vectorise.
template <int count>
struct RadianTerms {
    std::array<double, count> amplitude;
    std::array<double, count> rate;   // radians per kyr
    std::array<double, count> phase;  // radians
};

template <int count>
constexpr RadianTerms<count> toRadians(const La2004FitTerm (&terms)[count])
{
    RadianTerms<count> converted{};
    for (int i = 0; i < count; ++i) {
        converted.amplitude[i] = terms[i].amplitude;
        converted.rate[i] = terms[i].rate * yearsPerKyr / arcsecondsPerDegree * radiansPerDegree;
        converted.phase[i] = terms[i].phase * radiansPerDegree;
    }
    return converted;
}

// Converted when compiling, so that no start-up order matters.
constexpr RadianTerms<la2004EccentricityTermCount> fitEccentricityTerms =
    toRadians(la2004EccentricityTerms);
constexpr RadianTerms<la2004ObliquityTermCount> fitObliquityTerms =
    toRadians(la2004ObliquityTerms);

template <size_t count>
double sum(const std::array<double, count>& values)
{
    double total = 0.0;
    for (double value : values)
        total += value;
    return total;
}

}  // namespace

Elements la2004FitElements(double kyr)
{
    // z = e exp(i perihelion) = sum of amplitude * exp(i (rate t + phase));
    // each term is computed into its slot first, then the slots are summed.
    constexpr int zTerms = la2004EccentricityTermCount;
    constexpr int obliquityTerms = la2004ObliquityTermCount;
    std::array<double, zTerms> zReal;
    std::array<double, zTerms> zImaginary;
    for (int i = 0; i < zTerms; ++i) {
        const SineCosine sc =
            sineCosine(fitEccentricityTerms.rate[i] * kyr + fitEccentricityTerms.phase[i]);
        zReal[i] = fitEccentricityTerms.amplitude[i] * sc.cosine;
        zImaginary[i] = fitEccentricityTerms.amplitude[i] * sc.sine;
    }
    std::array<double, obliquityTerms> obliquity;
    for (int i = 0; i < obliquityTerms; ++i) {
        obliquity[i] =
            fitObliquityTerms.amplitude[i] *
            cosine(fitObliquityTerms.rate[i] * kyr + fitObliquityTerms.phase[i]);
    }
    const double re = sum(zReal);
    const double im = sum(zImaginary);
    return {std::hypot(re, im), la2004MeanObliquity + sum(obliquity),
            wrapDegrees(std::atan2(im, re) / radiansPerDegree), im};
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
