#include "insolation/year_insolation.h"
#include "math/constants.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

using math::pi;
using math::halfPi;

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

double meanBetween(const Orbit& orbit, double solarConstant, double latitude, double lambda1,
                   double lambda2)
{
    return energyBetween(orbit, solarConstant, latitude, lambda1, lambda2)
           / (daysBetween(orbit, lambda1, lambda2) * secondsPerDay);
}

namespace {

// The daily mean over the year on a grid of true longitude, for the parts
// of the year above a level. At lambda_i = i h (i = 0..n, lambda_n = 2 pi):
// the cosine sum g (energy per radian is energyPerRadian times g), the
// daily mean q and the days per radian w = dt / dlambda.
struct YearProfile {
    int n;
    double h;
    double perRadian;
    std::vector<double> g, q, w;
};

YearProfile yearProfile(const Orbit& orbit, double solarConstant, double latitude)
{
    const LatitudeGeometry lat = latitudeGeometry(latitude);
    YearProfile p;
    p.n = static_cast<int>(std::ceil(twoPi / longitudeStep));
    p.h = twoPi / p.n;
    p.perRadian = energyPerRadian(orbit, solarConstant);
    const double e = orbit.eccentricity;
    const double daysPerRadian = yearDays / (twoPi * std::sqrt(1.0 - e * e));
    for (int i = 0; i <= p.n; ++i) {
        const double lambda = i * p.h;
        const double g = cosineSumAt(orbit, lat, lambda);
        const double scale = distanceScale(orbit, solarConstant, lambda);
        p.g.push_back(g);
        p.q.push_back(scale * g);
        // (r / a)^2 = S0 / (pi scale)
        p.w.push_back(daysPerRadian * solarConstant / (pi * scale));
    }
    return p;
}

// Trapezoids over the profile's cells; a cell where the daily mean crosses
// the level counts only its part above, found by linear interpolation of
// the daily mean. Energy in J/m^2.
Exceedance above(const YearProfile& p, double level)
{
    double g = 0, days = 0;
    for (int i = 1; i <= p.n; ++i) {
        const double qa = p.q[i - 1], qb = p.q[i];
        if (qa > level && qb > level) {
            g += p.h * (p.g[i - 1] + p.g[i]) / 2;
            days += p.h * (p.w[i - 1] + p.w[i]) / 2;
        } else if (qa > level || qb > level) {
            const int high = qa > level ? i - 1 : i;
            const int low = qa > level ? i : i - 1;
            const double f = (p.q[high] - level) / std::fabs(qa - qb);
            const double gCross = p.g[high] + f * (p.g[low] - p.g[high]);
            const double wCross = p.w[high] + f * (p.w[low] - p.w[high]);
            g += f * p.h * (p.g[high] + gCross) / 2;
            days += f * p.h * (p.w[high] + wCross) / 2;
        }
    }
    return Exceedance{p.perRadian * g, days};
}

// Where the daily mean rises through the level (start) and falls through
// it (end), when it does so once each; NaN otherwise.
void crossings(const YearProfile& p, double level, double& start, double& end)
{
    int ups = 0, downs = 0;
    start = end = std::nan("");
    for (int i = 1; i <= p.n; ++i) {
        const double qa = p.q[i - 1], qb = p.q[i];
        if (qa <= level && qb > level) {
            ++ups;
            start = wrapRadians(i * p.h - p.h * (qb - level) / (qb - qa));
        } else if (qa > level && qb <= level) {
            ++downs;
            end = wrapRadians((i - 1) * p.h + p.h * (qa - level) / (qa - qb));
        }
    }
    if (ups != 1 || downs != 1)
        start = end = std::nan("");
}

}  // namespace

Exceedance aboveThreshold(const Orbit& orbit, double solarConstant, double latitude, double threshold)
{
    return above(yearProfile(orbit, solarConstant, latitude), threshold);
}

double energyAbove(const Orbit& orbit, double solarConstant, double latitude, double threshold)
{
    return aboveThreshold(orbit, solarConstant, latitude, threshold).energy;
}

CaloricHalfYears caloricHalfYears(const Orbit& orbit, double solarConstant, double latitude)
{
    // The level q* above which the daily mean stays for half the year, by
    // bisection: the time above a level falls as the level rises. The
    // half-year is half the profile's own year, so that the halves tile it.
    const YearProfile p = yearProfile(orbit, solarConstant, latitude);
    const Exceedance year = above(p, -1.0);
    const double half = year.days / 2;
    double low = *std::min_element(p.q.begin(), p.q.end()) - 1.0;
    double high = *std::max_element(p.q.begin(), p.q.end());
    for (int k = 0; k < 200 && high - low > 1e-13 * (1.0 + high); ++k) {
        const double mid = (low + high) / 2;
        (above(p, mid).days > half ? low : high) = mid;
    }
    // Days at exactly q* (a stretch without sunlight, say) make up the rest
    // of the summer and bring it q* each.
    const Exceedance summer = above(p, high);
    const double tied = std::max(0.0, half - summer.days);
    const double seconds = half * secondsPerDay;
    CaloricHalfYears c;
    c.summerEnergy = summer.energy + high * tied * secondsPerDay;
    c.winterEnergy = year.energy - c.summerEnergy;
    c.summerMean = c.summerEnergy / seconds;
    c.winterMean = c.winterEnergy / seconds;
    crossings(p, high, c.summerStart, c.summerEnd);
    if (tied > 1e-6)
        c.summerStart = c.summerEnd = std::nan("");
    return c;
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
