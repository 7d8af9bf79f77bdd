#include "insolation/year_insolation.h"
#include "math/constants.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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
// daily mean q and the days per radian w = dt / dlambda, with the tangent
// of the declination tanD and the latitude, which tell the nodes in polar
// night. The arrays belong to the calling thread's YearNodes and last until
// its next profile.
struct YearProfile {
    int n;
    double h;
    double perRadian;
    const double *g, *q, *w, *tanD;
    LatitudeGeometry latitude;
    double sinObliquity;
};

// What the profile's nodes share across latitudes for one orbit and solar
// constant: the Sun's declination (its sine, cosine and tangent, from the
// declination itself, as cosineSumAt forms them, so that the profile's
// values are the same to the bit), the distance factor and w. A caller
// going through the latitudes of one orbit (the tool, the Python module)
// works them out once instead of once per latitude.
struct YearNodes {
    bool filled = false;
    Orbit orbit{};
    double solarConstant = 0;
    int n = 0;
    double h = 0;
    std::vector<double> sinD, cosD, tanD, scale, w;
    std::vector<double> g, q;  // the latest latitude's
};

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

YearNodes& yearNodes(const Orbit& orbit, double solarConstant)
{
    thread_local YearNodes nodes;
    if (nodes.filled && sameBits(nodes.orbit.eccentricity, orbit.eccentricity) &&
        sameBits(nodes.orbit.perihelion, orbit.perihelion) && sameBits(nodes.orbit.obliquity, orbit.obliquity) &&
        sameBits(nodes.solarConstant, solarConstant))
        return nodes;
    nodes.orbit = orbit;
    nodes.solarConstant = solarConstant;
    nodes.n = static_cast<int>(std::ceil(twoPi / longitudeStep));
    nodes.h = twoPi / nodes.n;
    const size_t count = static_cast<size_t>(nodes.n) + 1;
    for (std::vector<double>* v : {&nodes.sinD, &nodes.cosD, &nodes.tanD, &nodes.scale, &nodes.w, &nodes.g, &nodes.q})
        v->resize(count);
    const double e = orbit.eccentricity;
    const double daysPerRadian = yearDays / (twoPi * std::sqrt(1.0 - e * e));
    for (size_t i = 0; i < count; ++i) {
        const double lambda = static_cast<double>(i) * nodes.h;
        const double d = declination(orbit.obliquity, lambda);
        nodes.sinD[i] = std::sin(d);
        nodes.cosD[i] = std::cos(d);
        nodes.tanD[i] = std::tan(d);
        const double scale = distanceScale(orbit, solarConstant, lambda);
        nodes.scale[i] = scale;
        // (r / a)^2 = S0 / (pi scale)
        nodes.w[i] = daysPerRadian * solarConstant / (pi * scale);
    }
    nodes.filled = true;
    return nodes;
}

YearProfile yearProfile(const Orbit& orbit, double solarConstant, double latitude)
{
    const LatitudeGeometry lat = latitudeGeometry(latitude);
    YearNodes& nodes = yearNodes(orbit, solarConstant);
    const size_t count = static_cast<size_t>(nodes.n) + 1;
    for (size_t i = 0; i < count; ++i) {
        const double c = cosSunsetHourAngle(lat.tanLatitude, nodes.tanD[i]);
        const double g = dailyCosineSum(lat.sinLatitude, lat.cosLatitude, nodes.sinD[i], nodes.cosD[i],
                                        std::acos(c), std::sqrt(1.0 - c * c));
        nodes.g[i] = g;
        nodes.q[i] = nodes.scale[i] * g;
    }
    return YearProfile{nodes.n, nodes.h, energyPerRadian(orbit, solarConstant), nodes.g.data(), nodes.q.data(),
                       nodes.w.data(), nodes.tanD.data(), lat, std::sin(orbit.obliquity)};
}

// Whether node i lies in polar night: the Sun stays down all day there and
// the daily mean is exactly 0.
bool inPolarNight(const YearProfile& p, int i)
{
    return cosSunsetHourAngle(p.latitude.tanLatitude, p.tanD[i]) >= 1.0;
}

// The part of the cell between nodes `high` and `low` (neighbours, low in
// polar night) from high to where polar night begins or ends, in (0, 1]:
// there tan(phi) tan(d) = -1, that is sin d = sin(eps) sin(lambda) reaches
// -cos(phi) north of the equator and +cos(phi) south of it. Of the two
// longitudes with that sine, the one nearer the cell.
double sunlitReach(const YearProfile& p, int high, int low)
{
    const double side = p.latitude.sinLatitude > 0 ? -1.0 : 1.0;
    const double s = side * p.latitude.cosLatitude / p.sinObliquity;
    if (!(std::fabs(s) <= 1.0))
        return 1.0;
    const double a = std::asin(s);
    const double middle = (high + low) * p.h / 2;
    const double edge =
        std::fabs(std::remainder(a - middle, twoPi)) <= std::fabs(std::remainder(pi - a - middle, twoPi)) ? a
                                                                                                         : pi - a;
    return std::min(1.0, std::fabs(std::remainder(edge - high * p.h, twoPi)) / p.h);
}

// Cell i's (from lambda_{i-1} to lambda_i) trapezoid of the cosine sum
// and of the days, counting only its part above the level, found by linear
// interpolation of the daily mean where the mean crosses it. Where the
// mean falls to 0 at the edge of polar night it does so like a power of
// the distance to that edge, not linearly: in a cell with one node in polar
// night the interpolation runs to the edge instead of to that node.
struct CellPart {
    double g, days;
};

CellPart cellAbove(const YearProfile& p, int i, double level)
{
    const double qa = p.q[i - 1], qb = p.q[i];
    if (qa > level && qb > level)
        return CellPart{p.h * (p.g[i - 1] + p.g[i]) / 2, p.h * (p.w[i - 1] + p.w[i]) / 2};
    if (!(qa > level || qb > level))
        return CellPart{0, 0};
    const int high = qa > level ? i - 1 : i;
    const int low = qa > level ? i : i - 1;
    const double reach = inPolarNight(p, low) ? sunlitReach(p, high, low) : 1.0;
    // t of the way from high's values to low's, f of the cell's width.
    const double t = (p.q[high] - level) / std::fabs(qa - qb);
    const double f = reach * t;
    const double gCross = p.g[high] + t * (p.g[low] - p.g[high]);
    const double wCross = p.w[high] + f * (p.w[low] - p.w[high]);
    return CellPart{f * p.h * (p.g[high] + gCross) / 2, f * p.h * (p.w[high] + wCross) / 2};
}

// Trapezoids over the profile's cells, each counting its part above the
// level. Energy in J/m^2.
Exceedance above(const YearProfile& p, double level)
{
    double g = 0, days = 0;
    for (int i = 1; i <= p.n; ++i) {
        const CellPart part = cellAbove(p, i, level);
        g += part.g;
        days += part.days;
    }
    return Exceedance{p.perRadian * g, days};
}

// The level between low and high above which the daily mean stays for
// `days` days, by bisection to about 1e-13 relatively: the time above a
// level falls as the level rises. A cell whose two nodes lie at or above
// the bracket's top is wholly above every level still to be tried, one at
// or below its bottom wholly below: such cells leave the loop, their days
// kept as a sum, so that after the first steps only the few cells where
// the profile crosses the bracket are visited.
double levelAboveFor(const YearProfile& p, double days, double low, double high)
{
    thread_local std::vector<int> open;
    open.resize(static_cast<size_t>(p.n));
    for (int i = 1; i <= p.n; ++i)
        open[static_cast<size_t>(i - 1)] = i;
    double settled = 0;  // days of the cells wholly above
    for (int k = 0; k < 200 && high - low > 1e-13 * (1.0 + high); ++k) {
        const double mid = (low + high) / 2;
        double total = 0;
        size_t kept = 0;
        for (const int i : open) {
            const double qa = p.q[i - 1], qb = p.q[i];
            if (std::min(qa, qb) >= high) {
                settled += cellAbove(p, i, mid).days;
                continue;
            }
            if (std::max(qa, qb) <= low)
                continue;
            open[kept++] = i;
            total += cellAbove(p, i, mid).days;
        }
        open.resize(kept);
        (settled + total > days ? low : high) = mid;
    }
    return high;
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
    // The level q* above which the daily mean stays for half the year. The
    // half-year is half the profile's own year, so that the halves tile it.
    const YearProfile p = yearProfile(orbit, solarConstant, latitude);
    const Exceedance year = above(p, -1.0);
    const double half = year.days / 2;
    const double high = levelAboveFor(p, half, *std::min_element(p.q, p.q + p.n + 1) - 1.0,
                                      *std::max_element(p.q, p.q + p.n + 1));
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
