#include "insolation/year_insolation.h"
#include "insolation/arc_integrals.h"
#include "math/constants.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using math::pi;
using math::twoPi;
using math::halfPi;

namespace insolation {

namespace {

constexpr int keplerIterations = 60;
constexpr double keplerTolerance = 1e-15;
constexpr double poleTolerance = 1e-12;  // radians

// S0 / pi * (a / r)^2 at true longitude lambda.
double distanceScale(const Orbit& orbit, double solarConstant, double lambda)
{
    const double e = orbit.eccentricity;
    const double q = inverseDistance(e, std::cos(trueAnomaly(lambda, orbit.perihelion)), e * e);
    return solarConstant / pi * q * q;
}

}  // namespace

double wrapRadians(double angle)
{
    // Within a turn fmod returns the angle itself: the same values without it.
    const double a = std::fabs(angle) < twoPi ? angle : std::fmod(angle, twoPi);
    return a < 0 ? (a + twoPi < twoPi ? a + twoPi : 0.0) : a;
}

double meanAnomalyAt(const Orbit& orbit, double trueLongitude)
{
    const double e = orbit.eccentricity;
    const double v = trueAnomaly(trueLongitude, orbit.perihelion);
    const double eccentricAnomaly =
        2.0 * std::atan2(std::sqrt(1.0 - e) * std::sin(v / 2), std::sqrt(1.0 + e) * std::cos(v / 2));
    return wrapRadians(eccentricAnomaly - e * std::sin(eccentricAnomaly));
}

double trueLongitudeAt(const Orbit& orbit, double meanAnomaly)
{
    // Kepler's equation M = E - e sin E by Newton's method.
    const double e = orbit.eccentricity;
    const double m = wrapRadians(meanAnomaly);
    double E = e < 0.8 ? m : pi;
    for (int i = 0; i < keplerIterations; ++i) {
        const double step = (E - e * std::sin(E) - m) / (1.0 - e * std::cos(E));
        E -= step;
        if (std::fabs(step) < keplerTolerance)
            break;
    }
    const double v =
        2.0 * std::atan2(std::sqrt(1.0 + e) * std::sin(E / 2), std::sqrt(1.0 - e) * std::cos(E / 2));
    return wrapRadians(v + orbit.perihelion + pi);
}

double trueLongitudeOfDay(const Orbit& orbit, double day)
{
    const double m = meanAnomalyAt(orbit, 0.0) + twoPi * (day - equinoxDay) / yearDays;
    return trueLongitudeAt(orbit, m);
}

double forwardArc(double lambda1, double lambda2)
{
    const double arc = wrapRadians(lambda2 - lambda1);
    return arc > 0 ? arc : twoPi;
}

double daysBetween(const Orbit& orbit, double lambda1, double lambda2)
{
    const double arc = forwardArc(lambda1, lambda2);
    if (arc >= twoPi)
        return yearDays;
    const double m = wrapRadians(meanAnomalyAt(orbit, lambda2) - meanAnomalyAt(orbit, lambda1));
    return m / twoPi * yearDays;
}

double energyBetween(const Orbit& orbit, double solarConstant, double latitude, double lambda1,
                     double lambda2)
{
    const double arc = forwardArc(lambda1, lambda2);
    return energyPerRadian(orbit, solarConstant) * cosineSumIntegral(orbit, latitude, lambda1, arc);
}

double annualMean(const Orbit& orbit, double solarConstant, double latitude)
{
    const double year = yearDays * secondsPerDay;
    return energyBetween(orbit, solarConstant, latitude, 0.0, 0.0) / year;
}

double meanBetween(const Orbit& orbit, double solarConstant, double latitude, double lambda1,
                   double lambda2)
{
    return energyBetween(orbit, solarConstant, latitude, lambda1, lambda2)
           / (daysBetween(orbit, lambda1, lambda2) * secondsPerDay);
}

double monthStartDay(int month)
{
    static const int cumulative[monthCount + 1] = {0,   31,  59,  90,  120, 151, 181,
                                                   212, 243, 273, 304, 334, 365};
    return 1.0 + cumulative[month] * (yearDays / 365.0);
}

void monthStartLongitudes(const Orbit& orbit, Calendar calendar, double* out)
{
    for (int m = 0; m < monthCount; ++m)
        out[m] = calendar == Calendar::angular ? m * (twoPi / monthCount)
                                               : trueLongitudeOfDay(orbit, monthStartDay(m));
    out[monthCount] = out[0];
}

DayGeometry dayGeometry(const Orbit& orbit, double solarConstant, double trueLongitude)
{
    // sin d = sin eps sin lambda, and cos d = sqrt(1 - sin^2 d) as |d| < pi/2:
    // the same values as through d itself, to an ulp, for three fewer calls.
    const double sinD = std::sin(orbit.obliquity) * std::sin(trueLongitude);
    const double cosD = std::sqrt((1.0 - sinD) * (1.0 + sinD));
    // With the Sun over a pole (obliquity 90 degrees at a solstice) cos d is
    // 0: a finite tan d keeps the equator's tan(0) tan(d) at 0, not NaN.
    const double tanD = sinD / std::max(cosD, std::numeric_limits<double>::min());
    return DayGeometry{sinD, cosD, tanD, distanceScale(orbit, solarConstant, trueLongitude)};
}

LatitudeGeometry latitudeGeometry(double latitude)
{
    // At a pole cos is 0, not the 6e-17 of the rounded angle, so that the
    // equinox days give exactly nothing there.
    const bool pole = std::fabs(std::fabs(latitude) - halfPi) < poleTolerance;
    return LatitudeGeometry{std::sin(latitude), pole ? 0.0 : std::cos(latitude), std::tan(latitude)};
}

}  // namespace insolation
