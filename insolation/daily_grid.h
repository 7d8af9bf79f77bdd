// Daily means of one day at many latitudes at once: the grid kernel of the
// insolation tool's `daily` command and of the insolation benchmark.
//
// Same formula and order of operations as dailyMean, with these savings:
// the day's declination and distance come in once (DayGeometry); a latitude
// and its mirror -phi share one sunset hour angle (h0(-phi) = pi - h0(phi),
// sin h0 the same); polar day and night need no arccosine; and the
// arccosine is arccosine() below, written without branches so that the
// compiler vectorises the loop over latitudes. Results
// agree with dailyMean within a few units in the last place of the largest
// term (at most about 3e-13 W/m^2 for S0 = 1365 W/m^2).
//
// Two paths compute the same values: the vector path (simd_kernel.h, the
// default) in explicit SIMD chosen at run time, in the precision of the
// output (float lanes for float output, to within about 1e-4 W/m^2 of the
// scalar path); and the scalar path, in double whatever the output, kept
// for checking the other and for measuring it.
#ifndef PALEOVIZ_INSOLATION_DAILY_GRID_H
#define PALEOVIZ_INSOLATION_DAILY_GRID_H

#include "math/constants.h"
#include "insolation/year_insolation.h"

#include <cmath>
#include <cstddef>
#include <vector>

namespace insolation {

// Arccosine in radians of x in [-1, 1]; NaN for NaN and outside [-1, 1].
// Within 4.5e-16 of std::acos over [-1, 1] and within 2.3e-16 of it
// relatively. The reduction: asin(t) = t + t R(t^2) on |t| <= 1/2 with R a
// rational minimax fit (the classic fdlibm coefficients); acos x is
// pi/2 - asin x for |x| <= 1/2, and 2 asin(sqrt((1 - |x|) / 2)) or pi minus
// that beyond.
inline double arccosine(double x)
{
    constexpr double p0 = 1.66666666666666657415e-01, p1 = -3.25565818622400915405e-01,
                     p2 = 2.01212532134862925881e-01, p3 = -4.00555345006794114027e-02,
                     p4 = 7.91534994289814532176e-04, p5 = 3.47933107596021167570e-05;
    constexpr double q1 = -2.40339491173441421878e+00, q2 = 2.02094576023350569471e+00,
                     q3 = -6.88283971605453293030e-01, q4 = 7.70381505559019352791e-02;
    const double ax = std::fabs(x);
    const bool outer = ax > 0.5;
    const double z = outer ? (1.0 - ax) * 0.5 : x * x;
    const double t = outer ? std::sqrt(z) : ax;
    const double p = z * (p0 + z * (p1 + z * (p2 + z * (p3 + z * (p4 + z * p5)))));
    const double q = 1.0 + z * (q1 + z * (q2 + z * (q3 + z * q4)));
    const double a = t + t * (p / q);  // asin t
    const bool negative = x < 0;
    const double base = outer ? (negative ? math::pi : 0.0) : math::halfPi;
    const double factor = outer ? (negative ? -2.0 : 2.0) : (negative ? 1.0 : -1.0);
    return base + factor * a;
}

enum class KernelPath { vector, scalar };

// A list of latitudes prepared for dailyMeans. Built once; read-only after,
// so any number of threads may share one.
struct LatitudeGrid {
    // REQUIRES: every latitude in radians, in [-pi/2, pi/2].
    explicit LatitudeGrid(const std::vector<double>& latitudes = {});

    // Number of latitudes given.
    size_t size() const { return count; }

    // Daily mean of the day at every latitude, in the units of the day's
    // scale, written to out[k * stride] for the k-th latitude given.
    // REQUIRES: out holds (size() - 1) * stride + 1 values.
    void dailyMeans(const DayGeometry& day, double* out, size_t stride = 1) const;
    void dailyMeans(const DayGeometry& day, float* out, size_t stride = 1) const;

    // The value dailyMeans gives at one latitude (radians) in any grid, for
    // callers whose latitudes change with the day.
    // Always through the vector path, whose value at a latitude does not
    // depend on the other latitudes of its grid.
    static double dailyMeanAt(const DayGeometry& day, double latitude);

    // Which path dailyMeans takes.
    KernelPath path = KernelPath::vector;

    // One entry per distinct |latitude|, by increasing |phi|, with where its
    // values go: the position of +|phi| and of -|phi| in the list given, or
    // none. A latitude given twice gets a second entry.
    static constexpr long none = -1;
    // Sets mirroredRuns, step and southBase from north and south.
    void findMirroredRuns();
    size_t count = 0;
    std::vector<double> absLatitude;  // |phi|, radians
    std::vector<double> sinLatitude;  // of |phi|
    std::vector<double> cosLatitude;
    std::vector<double> tanLatitude;
    std::vector<float> sinLatitudeFloat;  // the same in float, for float lanes
    std::vector<float> cosLatitudeFloat;
    std::vector<float> tanLatitudeFloat;
    std::vector<long> north;  // position of +|phi|; 0 counts as north
    std::vector<long> south;  // position of -|phi|
    // Whether the positions run without gaps, as in an evenly spaced list
    // from south to north (step 1) or north to south (step -1):
    // north[j] = north[0] + j * step for every entry, and
    // south[j] = southBase - j * step for every entry but the first, which
    // may be none when southBase = north[0] (the equator). Then dailyMeans
    // stores whole rows instead of placing values one by one.
    bool mirroredRuns = false;
    long step = 1;
    long southBase = none;
};

}  // namespace insolation

#endif
