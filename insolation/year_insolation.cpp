#include "insolation/year_insolation.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace insolation {

namespace {

constexpr double twoPi = 2.0 * pi;
constexpr int keplerIterations = 60;
constexpr double keplerTolerance = 1e-15;
constexpr double poleTolerance = 1e-12;  // radians

// Energy per unit area and per radian of true longitude is this factor
// times the daily cosine sum: the distance cancels out (Kepler's second law).
double energyPerRadian(const Orbit& orbit, double solarConstant)
{
    const double year = yearDays * secondsPerDay;
    const double e = orbit.eccentricity;
    return solarConstant * year / (2.0 * pi * pi * std::sqrt(1.0 - e * e));
}

double cosineSumAt(const Orbit& orbit, const LatitudeGeometry& lat, double lambda)
{
    const double d = declination(orbit.obliquity, lambda);
    const double c = cosSunsetHourAngle(lat.tanLatitude, std::tan(d));
    return dailyCosineSum(lat.sinLatitude, lat.cosLatitude, std::sin(d), std::cos(d), std::acos(c),
                          std::sqrt(1.0 - c * c));
}

// S0 / pi * (a / r)^2 at true longitude lambda.
double distanceScale(const Orbit& orbit, double solarConstant, double lambda)
{
    const double e = orbit.eccentricity;
    const double q = inverseDistance(e, std::cos(trueAnomaly(lambda, orbit.perihelion)), e * e);
    return solarConstant / pi * q * q;
}

// Composite Simpson rule of the cosine sum over the forward arc.
double cosineSumIntegral(const Orbit& orbit, double latitude, double lambda1, double arc)
{
    const LatitudeGeometry lat = latitudeGeometry(latitude);
    int n = static_cast<int>(std::ceil(arc / longitudeStep));
    n += n % 2;
    const double h = arc / n;
    double sum = cosineSumAt(orbit, lat, lambda1) + cosineSumAt(orbit, lat, lambda1 + arc);
    for (int i = 1; i < n; ++i)
        sum += (i % 2 == 1 ? 4.0 : 2.0) * cosineSumAt(orbit, lat, lambda1 + i * h);
    return sum * h / 3.0;
}

}  // namespace

double wrapRadians(double angle)
{
    const double a = std::fmod(angle, twoPi);
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

double energyAbove(const Orbit& orbit, double solarConstant, double latitude, double threshold)
{
    // Trapezoids on a grid of true longitude; a cell where the daily mean
    // crosses the threshold counts only its part above, found by linear
    // interpolation of the daily mean.
    const LatitudeGeometry lat = latitudeGeometry(latitude);
    const int n = static_cast<int>(std::ceil(twoPi / longitudeStep));
    const double h = twoPi / n;
    const double perRadian = energyPerRadian(orbit, solarConstant);
    double sum = 0;
    double ga = cosineSumAt(orbit, lat, 0.0);
    double qa = distanceScale(orbit, solarConstant, 0.0) * ga;
    for (int i = 1; i <= n; ++i) {
        const double lambda = i * h;
        const double gb = cosineSumAt(orbit, lat, lambda);
        const double qb = distanceScale(orbit, solarConstant, lambda) * gb;
        if (qa > threshold && qb > threshold) {
            sum += h * (ga + gb) / 2;
        } else if (qa > threshold || qb > threshold) {
            const double f = (qa > threshold ? qa - threshold : qb - threshold) / std::fabs(qa - qb);
            const double gHigh = qa > threshold ? ga : gb;
            const double gLow = qa > threshold ? gb : ga;
            const double gCross = gHigh + f * (gLow - gHigh);
            sum += f * h * (gHigh + gCross) / 2;
        }
        qa = qb;
        ga = gb;
    }
    return perRadian * sum;
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
