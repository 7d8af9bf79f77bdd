// The parts of the year above a level of the daily mean: the threshold
// exceedance and Milankovitch's caloric half-years (year_insolation.h).
//
// The daily mean q(lambda) = S0 / pi (a / r)^2 g(lambda) is sampled at 64
// times spread evenly over the year; where the samples straddle the level,
// the crossing is solved to about 1e-13 radians (Newton's method on q
// itself with its derivative in closed form, kept inside the bracket), and
// where a sample is a peak or trough near the level, the extremum is
// found, so that a brief excursion through the level between samples is
// not missed. Durations then follow exactly from Kepler's equation, and
// energies from the quadrature of arc_integrals.h over the arcs between
// crossings. The caloric level is found by Newton's method on the days
// above it, whose derivative is known at the crossings; where a shoulder of
// the mean too flat for the samples hides crossings from it, on a grid of
// 2048 longitudes instead.
#include "insolation/arc_integrals.h"
#include "insolation/simd_kernel.h"
#include "insolation/year_insolation.h"
#include "math/constants.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using math::pi;
using math::twoPi;

namespace insolation {
namespace {

constexpr int sampleCount = 64;
constexpr double crossingTolerance = 1e-13;  // radians
constexpr double finalStep = 1e-8;           // radians
// Days from the caloric half-year within which the last Newton step moves
// the crossings along their slopes instead of solving for them again.
constexpr double closeDays = 1e-7;

// The samples' longitudes and distance factors for one orbit and solar
// constant, shared by every latitude a thread goes through.
struct Samples {
    bool filled = false;
    Orbit orbit{};
    double solarConstant = 0;
    double lambda[sampleCount + 1] = {};
    double sinD[sampleCount + 1] = {}, cosD[sampleCount + 1] = {}, tanD[sampleCount + 1] = {};
    double scale[sampleCount + 1] = {};
};
thread_local Samples samples;

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

const Samples& samplesOf(const Orbit& orbit, double solarConstant)
{
    Samples& s = samples;
    if (s.filled && sameBits(s.orbit.eccentricity, orbit.eccentricity) &&
        sameBits(s.orbit.perihelion, orbit.perihelion) && sameBits(s.orbit.obliquity, orbit.obliquity) &&
        sameBits(s.solarConstant, solarConstant))
        return s;
    const double m0 = meanAnomalyAt(orbit, 0.0);
    for (int i = 0; i <= sampleCount; ++i) {
        const double lambda = trueLongitudeAt(orbit, m0 + twoPi * i / sampleCount);
        s.lambda[i] = i == 0 ? 0.0 : (i == sampleCount || lambda < s.lambda[i - 1]) ? twoPi : lambda;
        const DayGeometry day = dayGeometry(orbit, solarConstant, s.lambda[i]);
        s.sinD[i] = day.sinDeclination;
        s.cosD[i] = day.cosDeclination;
        s.tanD[i] = day.tanDeclination;
        s.scale[i] = day.scale;
    }
    s.orbit = orbit;
    s.solarConstant = solarConstant;
    s.filled = true;
    return s;
}

struct Crossing {
    double lambda;
    bool up;              // the mean rises through the level there
    double slope;         // dq / dlambda there, W/m^2 per radian
    double daysPerLevel;  // |dt / dq|, days per W/m^2
};

// Where the secant method ended: the root and the slope of its last secant.
struct Root {
    double lambda, slope;
};

// Earlier crossings, at an earlier level, that start the search for the
// crossings of a nearby level.
struct Hint {
    const std::vector<Crossing>* crossings;
    double level;
};

thread_local ArcQuadrature quadrature;

// One latitude's year: the samples of q and q itself anywhere.
class Year {
public:
    Year(const Orbit& orbit, double solarConstant, double latitude)
        : orbit_(orbit), s0_(solarConstant), lat_(latitudeGeometry(latitude)),
          nodes_(samplesOf(orbit, solarConstant)), sinObliquity_(std::sin(orbit.obliquity)),
          cosAphelion_(std::cos(orbit.perihelion + pi)), sinAphelion_(std::sin(orbit.perihelion + pi))
    {
        const size_t n = sampleCount + 1;
        double other[n];
        const bool north = lat_.sinLatitude >= 0;
        simd::dayMeans(simd::DayRun{nodes_.sinD, nodes_.cosD, nodes_.tanD, nodes_.scale, n},
                       std::fabs(lat_.sinLatitude), lat_.cosLatitude, std::fabs(lat_.tanLatitude),
                       north ? q_ : other, north ? other : q_);
        findTurns();
    }

    // As dayGeometry and dailyMean form it, from one sine and cosine of
    // lambda: cos v = cos(lambda - varpi - pi) by the angle sum. With
    // `slope`, also dq/dlambda: dg/dlambda = sin(eps) cos(lambda)
    // (sin(phi) h0 - cos(phi) tan(d) sin(h0)) (the terms in dh0 cancel) and
    // d(a/r)/dlambda = -e sin(v) / (1 - e^2).
    double q(double lambda, double* slope = nullptr) const
    {
        const double sinL = std::sin(lambda), cosL = std::cos(lambda);
        const double sinD = sinObliquity_ * sinL;
        const double cosD = std::sqrt((1.0 - sinD) * (1.0 + sinD));
        const double tanD = sinD / std::max(cosD, 1e-300);
        const double c = cosSunsetHourAngle(lat_.tanLatitude, tanD);
        const double h0 = std::acos(c), sinH0 = std::sqrt((1.0 - c) * (1.0 + c));
        const double g = dailyCosineSum(lat_.sinLatitude, lat_.cosLatitude, sinD, cosD, h0, sinH0);
        const double e = orbit_.eccentricity;
        const double aOverR = inverseDistance(e, cosL * cosAphelion_ + sinL * sinAphelion_, e * e);
        const double scale = s0_ / pi * aOverR * aOverR;
        if (slope != nullptr) {
            const double dg = sinObliquity_ * cosL * (lat_.sinLatitude * h0 - lat_.cosLatitude * tanD * sinH0);
            const double dA = e * (cosL * sinAphelion_ - sinL * cosAphelion_) / (1 - e * e);
            *slope = scale * dg + s0_ / pi * 2 * aOverR * dA * std::max(g, 0.0);
        }
        return scale * std::max(g, 0.0);
    }

    // The crossings of the level in order of longitude from 0.
    void crossings(double level, std::vector<Crossing>& out, Hint hint = Hint{nullptr, 0}) const;
    void completeAlternation(double level, std::vector<Crossing>& out) const;
    // The crossings from a grid of 2048 longitudes instead of the samples.
    void fineCrossings(double level, std::vector<Crossing>& out) const;
    // The energies above the level (out[0]) and, if asked, below it
    // (out[1]; else 0), J/m^2.
    void energies(const std::vector<Crossing>& crossings, bool aboveWithout, bool below, double* out) const;
    double days(const std::vector<Crossing>& crossings, bool aboveWithout) const;
    double yearEnergy() const { return arcEnergy(0.0, twoPi); }
    double sample(int i) const { return q_[i]; }
    double sunlitDays() const;

private:
    double arcEnergy(double lambda1, double arc) const
    {
        quadrature.reset(orbit_.obliquity);
        quadrature.setLatitude(lat_);
        quadrature.add(lambda1, arc, 0);
        double sum = 0;
        quadrature.sumInto(&sum);
        return energyPerRadian(orbit_, s0_) * sum;
    }
    Root solve(double level, double a, double fa, double b, double fb, const Root& guess) const;
    Crossing crossingAt(const Root& root, bool up) const;
    Root guessFor(const Hint& hint, double level, double a, double b, bool up) const;
    void excursion(double level, int i, std::vector<Crossing>& out) const;
    double peak(double a, double b, bool highest) const;
    // The true extremum between sample i's neighbours, found once per
    // sample: the caloric search asks again at every level it tries.
    struct Extremum {
        int sample;
        double lambda, q;
    };
    const Extremum& extremumNear(int i, double before, double after, bool highest) const;
    // The samples that are a peak or a trough among their neighbours.
    void findTurns();
    int turns_[sampleCount] = {};
    int turnCount_ = 0;
    mutable Extremum extrema_[8] = {};
    mutable int extremumCount_ = 0;

    Orbit orbit_;
    double s0_;
    LatitudeGeometry lat_;
    const Samples& nodes_;
    double sinObliquity_;
    double cosAphelion_, sinAphelion_;  // of varpi + pi
    double q_[sampleCount + 1];
};

// The secant method from a guess in a bracket [a, b] whose ends' values
// of q - level differ in sign, its first step along the guess's slope if
// it has one; a step leaving the bracket bisects it.
Root Year::solve(double level, double a, double fa, double b, double fb, const Root& guess) const
{
    double x = guess.lambda > a && guess.lambda < b ? guess.lambda : a - fa * (b - a) / (fb - fa);
    double slope = 0;
    for (int k = 0; k < 100; ++k) {
        const double fx = q(x, &slope) - level;
        if (fx == 0)
            return Root{x, slope};
        ((fx > 0) == (fa > 0) ? a : b) = x;
        ((fx > 0) == (fa > 0) ? fa : fb) = fx;
        double next = slope != 0 ? x - fx / slope : (a + b) / 2;
        const bool newton = next > a && next < b;
        if (!newton)
            next = (a + b) / 2;
        // A Newton step this short leaves an error of about its square
        // times q'' / 2q', well under the tolerance: no need to evaluate again.
        if ((newton && std::fabs(next - x) < finalStep) || b - a < crossingTolerance)
            return Root{next, slope};
        x = next;
    }
    return Root{x, slope};
}

Crossing Year::crossingAt(const Root& root, bool up) const
{
    double slope = root.slope;
    if (slope == 0 || !std::isfinite(slope))
        q(root.lambda, &slope);
    const double e = orbit_.eccentricity;
    const double cosV = std::cos(trueAnomaly(root.lambda, orbit_.perihelion));
    // dt / dlambda from Kepler's second law, in days per radian.
    const double daysPerRadian =
        yearDays / twoPi * (1 - e * e) * std::sqrt(1 - e * e) / ((1 + e * cosV) * (1 + e * cosV));
    return Crossing{wrapRadians(root.lambda), up, slope, daysPerRadian / std::max(std::fabs(slope), 1e-300)};
}

// A crossing of the earlier level in the bracket, moved along its slope.
Root Year::guessFor(const Hint& hint, double level, double a, double b, bool up) const
{
    if (hint.crossings != nullptr)
        for (const Crossing& c : *hint.crossings) {
            const double lambda = c.lambda < a ? c.lambda + twoPi : c.lambda;
            if (c.up == up && lambda >= a && lambda <= b && c.slope != 0)
                return Root{lambda + (level - hint.level) / c.slope, c.slope};
        }
    return Root{std::nan(""), 0.0};
}

// The longitude of q's highest (or lowest) value in [a, b], by golden sections.
double Year::peak(double a, double b, bool highest) const
{
    const double ratio = (std::sqrt(5.0) - 1) / 2;
    const double sign = highest ? 1.0 : -1.0;
    double x1 = b - ratio * (b - a), x2 = a + ratio * (b - a);
    double f1 = sign * q(x1), f2 = sign * q(x2);
    for (int k = 0; k < 32; ++k) {
        if (f1 > f2) {
            b = x2;
            x2 = x1;
            f2 = f1;
            x1 = b - ratio * (b - a);
            f1 = sign * q(x1);
        } else {
            a = x1;
            x1 = x2;
            f1 = f2;
            x2 = a + ratio * (b - a);
            f2 = sign * q(x2);
        }
    }
    return (a + b) / 2;
}

const Year::Extremum& Year::extremumNear(int i, double before, double after, bool highest) const
{
    for (int k = 0; k < extremumCount_; ++k)
        if (extrema_[k].sample == i)
            return extrema_[k];
    const double x = peak(before, after, highest);
    Extremum& e = extrema_[extremumCount_ < 8 ? extremumCount_++ : 7];
    e = Extremum{i, x, q(x)};
    return e;
}

// Sample i is a peak below the level or a trough above it: if the mean's
// true extremum between its neighbours passes the level, both crossings.
void Year::excursion(double level, int i, std::vector<Crossing>& out) const
{
    const double before = i == 0 ? nodes_.lambda[sampleCount - 1] - twoPi : nodes_.lambda[i - 1];
    const double after = nodes_.lambda[i + 1];
    const double qb = q_[i == 0 ? sampleCount - 1 : i - 1], qi = q_[i], qa = q_[i + 1];
    const bool below = qi <= level;
    if ((qb > level) != !below || (qa > level) != !below)
        return;
    const bool extremum = below ? (qi > qb && qi >= qa) : (qi < qb && qi <= qa);
    if (!extremum || std::fabs(qi - level) > std::fabs(qa - qi) + std::fabs(qb - qi))
        return;
    const Extremum& e = extremumNear(i, before, after, below);
    const double x = e.lambda, fx = e.q - level;
    if ((fx > 0) == !below)
        return;
    const Root none{std::nan(""), 0.0};
    out.push_back(crossingAt(solve(level, before, qb - level, x, fx, none), below));
    out.push_back(crossingAt(solve(level, x, fx, after, qa - level, none), !below));
}

void Year::findTurns()
{
    for (int i = 0; i < sampleCount; ++i) {
        const double before = q_[i == 0 ? sampleCount - 1 : i - 1], after = q_[i + 1];
        if ((q_[i] > before && q_[i] >= after) || (q_[i] < before && q_[i] <= after))
            turns_[turnCount_++] = i;
    }
}

void Year::crossings(double level, std::vector<Crossing>& out, Hint hint) const
{
    out.clear();
    // Which samples lie above, without branches; then the few changes.
    bool above[sampleCount + 1];
    for (int i = 0; i <= sampleCount; ++i)
        above[i] = q_[i] > level;
    for (int i = 1; i <= sampleCount; ++i) {
        if (above[i - 1] == above[i])
            continue;
        const double fa = q_[i - 1] - level, fb = q_[i] - level;
        const double a = nodes_.lambda[i - 1], b = nodes_.lambda[i];
        out.push_back(crossingAt(solve(level, a, fa, b, fb, guessFor(hint, level, a, b, fb > 0)), fb > 0));
    }
    for (int k = 0; k < turnCount_; ++k)
        excursion(level, turns_[k], out);
    std::sort(out.begin(), out.end(), [](const Crossing& a, const Crossing& b) { return a.lambda < b.lambda; });
    completeAlternation(level, out);
}

void Year::fineCrossings(double level, std::vector<Crossing>& out) const
{
    constexpr int fine = 2048;  // 0.18 degrees apart
    out.clear();
    double a = 0, fa = q(0.0) - level;
    for (int j = 1; j <= fine; ++j) {
        const double b = twoPi * j / fine, fb = q(b) - level;
        if ((fa > 0) != (fb > 0))
            out.push_back(crossingAt(solve(level, a, fa, b, fb, Root{std::nan(""), 0.0}), fb > 0));
        a = b;
        fa = fb;
    }
    std::sort(out.begin(), out.end(), [](const Crossing& x, const Crossing& y) { return x.lambda < y.lambda; });
}

// Crossings alternate, up and down, around the year. Where a shoulder of
// the mean flatter than the samples resolve crosses the level, one side of
// it may be found and not the other: two crossings in a row then go the
// same way, and the one between them is looked for on a finer grid of the
// arc they bound (or, not found, the second is dropped).
void Year::completeAlternation(double level, std::vector<Crossing>& out) const
{
    constexpr int fine = 64;
    for (size_t k = 0; out.size() > 1 && k < out.size(); ++k) {
        const size_t next = (k + 1) % out.size();
        if (out[k].up != out[next].up)
            continue;
        const bool up = !out[k].up;  // the direction of the one missing
        const double from = out[k].lambda, arc = forwardArc(from, out[next].lambda);
        double a = from, fa = up ? -1e-300 : 1e-300;  // at a crossing: on the side it leaves
        bool found = false;
        for (int j = 1; j < fine && !found; ++j) {
            const double b = from + arc * j / fine, fb = q(b) - level;
            if ((fb > 0) == up) {
                out.insert(out.begin() + long(k) + 1,
                           crossingAt(solve(level, a, fa, b, fb, Root{std::nan(""), 0.0}), up));
                found = true;
            }
            a = b;
            fa = fb;
        }
        if (!found)
            out.erase(out.begin() + long(next));
        for (Crossing& c : out)
            c.lambda = wrapRadians(c.lambda);
        std::sort(out.begin(), out.end(), [](const Crossing& x, const Crossing& y) { return x.lambda < y.lambda; });
        k = size_t(-1);  // again from the start: the order may have shifted
        if (out.size() > 4 * sampleCount)
            break;
    }
}

// Over the arcs from each upward crossing to the next crossing, and from
// each downward one to the next; with no crossing, the whole year or nothing.
void Year::energies(const std::vector<Crossing>& crossings, bool aboveWithout, bool below, double* out) const
{
    out[0] = out[1] = 0;
    if (crossings.empty()) {
        if (aboveWithout || below)
            out[aboveWithout ? 0 : 1] = yearEnergy();
        return;
    }
    quadrature.reset(orbit_.obliquity);
    quadrature.setLatitude(lat_);
    for (size_t k = 0; k < crossings.size(); ++k) {
        const double to = crossings[(k + 1) % crossings.size()].lambda;
        if (crossings[k].up || below)
            quadrature.add(crossings[k].lambda, forwardArc(crossings[k].lambda, to), crossings[k].up ? 0 : 1);
    }
    quadrature.sumInto(out);
    out[0] *= energyPerRadian(orbit_, s0_);
    out[1] *= energyPerRadian(orbit_, s0_);
}

double Year::days(const std::vector<Crossing>& crossings, bool aboveWithout) const
{
    if (crossings.empty())
        return aboveWithout ? yearDays : 0.0;
    double total = 0;
    for (size_t k = 0; k < crossings.size(); ++k)
        if (crossings[k].up)
            total += daysBetween(orbit_, crossings[k].lambda, crossings[(k + 1) % crossings.size()].lambda);
    return total;
}

// Days outside polar night, which runs between the edges where
// sin(lambda) = -+cos(phi) / sin(eps) (north, south).
double Year::sunlitDays() const
{
    if (lat_.cosLatitude == 0 && sinObliquity_ == 0)
        return 0.0;
    if (!(lat_.cosLatitude < sinObliquity_))
        return yearDays;
    const double a0 = std::asin(lat_.cosLatitude / sinObliquity_);
    const bool north = lat_.sinLatitude > 0;
    return yearDays - daysBetween(orbit_, north ? pi + a0 : a0, north ? twoPi - a0 : pi - a0);
}

thread_local std::vector<Crossing> hintCrossings, levelCrossings;

// Newton's method on the level from `level` inside (low, high), the
// crossings from the samples or from the fine grid; true, with the level
// and its crossings, where the days above come within closeDays of half.
bool levelByNewton(const Year& year, double half, double& level, double low, double high, bool fine,
                   std::vector<Crossing>& out)
{
    std::vector<Crossing>& earlier = hintCrossings;
    double earlierLevel = level;
    double residual = std::numeric_limits<double>::infinity();
    for (int k = 0; k <= 100 && high - low > 1e-14 * high; ++k) {
        if (fine)
            year.fineCrossings(level, out);
        else
            year.crossings(level, out, Hint{k == 0 ? nullptr : &earlier, earlierLevel});
        earlier = out;
        earlierLevel = level;
        const double days = year.days(out, year.sample(0) > level);
        double slope = 0;
        for (const Crossing& c : out)
            slope -= c.daysPerLevel;
        // Close enough for the last step to be a straight line: the
        // crossings move along their slopes, to within about 1e-14 radians
        // (the square of the step) of where solving again would put them.
        if (std::fabs(days - half) < closeDays) {
            const double step = slope < 0 ? -(days - half) / slope : 0.0;
            for (Crossing& c : out)
                if (c.slope != 0)
                    c.lambda = wrapRadians(c.lambda + step / c.slope);
            level += step;
            return true;
        }
        (days > half ? low : high) = level;
        // Newton's step, or bisection where it would leave the bracket or
        // has stopped halving the error (a level near a peak or trough of
        // the mean, where the days change like a square root of the level).
        double next = slope < 0 ? level - (days - half) / slope : std::nan("");
        if (!(next > low && next < high) || std::fabs(days - half) > residual / 2)
            next = (low + high) / 2;
        residual = std::fabs(days - half);
        level = next;
    }
    return false;
}

// The level above which the mean stays for `half` days, by Newton's method
// from the samples' median, kept inside a bracket that bisection narrows
// when a step leaves it; `out` ends with the level's crossings.
double caloricLevel(const Year& year, double half, std::vector<Crossing>& out)
{
    double sorted[sampleCount];
    for (int i = 0; i < sampleCount; ++i)
        sorted[i] = year.sample(i);
    const int middle = sampleCount / 2;
    std::nth_element(sorted, sorted + middle, sorted + sampleCount, std::greater<double>());
    double low = 0, high = *std::max_element(sorted, sorted + middle);
    // Between the two middle samples, and above 0, where the crossings lie
    // on slopes rather than in polar night.
    double level = std::max((sorted[middle] + *std::min_element(sorted, sorted + middle)) / 2, 1e-3 * high);
    // A shoulder of the mean flatter than the samples resolve can hide two
    // crossings: the days above then jump where the level passes it, and
    // Newton's method ends at the jump. The year is then searched again on
    // a fine grid of longitudes instead of the samples.
    for (const bool fine : {false, true}) {
        double at = level;
        if (levelByNewton(year, half, at, low, high, fine, out))
            return at;
    }
    return level;
}

}  // namespace

Exceedance aboveThreshold(const Orbit& orbit, double solarConstant, double latitude, double threshold)
{
    const Year year(orbit, solarConstant, latitude);
    if (threshold < 0)
        return Exceedance{year.yearEnergy(), yearDays};
    if (threshold == 0)
        return Exceedance{year.yearEnergy(), year.sunlitDays()};
    std::vector<Crossing>& crossings = levelCrossings;
    year.crossings(threshold, crossings);
    const bool above = year.sample(0) > threshold;
    double energies[2];
    year.energies(crossings, above, false, energies);
    return Exceedance{energies[0], year.days(crossings, above)};
}

double energyAbove(const Orbit& orbit, double solarConstant, double latitude, double threshold)
{
    return aboveThreshold(orbit, solarConstant, latitude, threshold).energy;
}

CaloricHalfYears caloricHalfYears(const Orbit& orbit, double solarConstant, double latitude)
{
    const Year year(orbit, solarConstant, latitude);
    const double half = yearDays / 2;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    CaloricHalfYears c{0, 0, 0, 0, nan, nan};
    // Where the Sun shines on half the year or less, the summer is every
    // sunlit day and as many days without sunlight, and not one arc.
    if (year.sunlitDays() <= half) {
        c.summerEnergy = year.yearEnergy();
    } else {
        std::vector<Crossing>& crossings = levelCrossings;
        const double level = caloricLevel(year, half, crossings);
        double energies[2];
        year.energies(crossings, year.sample(0) > level, true, energies);
        c.summerEnergy = energies[0];
        c.winterEnergy = energies[1];
        if (crossings.size() == 2 && crossings[0].up != crossings[1].up) {
            const Crossing& up = crossings[0].up ? crossings[0] : crossings[1];
            c.summerStart = up.lambda;
            c.summerEnd = (crossings[0].up ? crossings[1] : crossings[0]).lambda;
        }
    }
    c.summerMean = c.summerEnergy / (half * secondsPerDay);
    c.winterMean = c.winterEnergy / (half * secondsPerDay);
    return c;
}

}  // namespace insolation
