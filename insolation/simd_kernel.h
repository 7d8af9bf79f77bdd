// The grid kernel's inner loop in explicit SIMD: daily means of one day at
// +|phi| and -|phi| for a run of latitudes, in the lanes of whatever vector
// unit the processor has. Highway (Debian's libhwy-dev) compiles the loop
// once per instruction set (SSE4, AVX2, AVX-512 on x86-64) and picks the
// best one the processor runs at the first call; this file and its .cpp are
// the only ones that see Highway. Built without Highway (the web build), the
// same functions run the loop one value at a time.
//
// Same formula as dailyMean, with the arccosine of arccosine() in
// daily_grid.h (float lanes use the shorter single-precision polynomial of
// the same reduction): in double the results agree with the scalar grid
// kernel to about 1e-12 W/m^2, in float to about 1e-4 W/m^2.
#ifndef PALEOVIZ_INSOLATION_SIMD_KERNEL_H
#define PALEOVIZ_INSOLATION_SIMD_KERNEL_H

#include "insolation/year_insolation.h"

#include <cstddef>

namespace insolation {
namespace simd {

// Per-latitude inputs of one precision: sin, cos and tan of |phi| for n
// entries, each array n long.
template <class T>
struct LatitudeRun {
    const T* sinLatitude;
    const T* cosLatitude;
    const T* tanLatitude;
    size_t n;
};

// Where a run's means go: entry j's mean at +|phi| to north[j * northStep]
// and at -|phi| to south[j * southStep], each step 1 or -1. Where the two
// meet (the equator of an evenly spaced list) the north one is written last.
template <class T>
struct Rows {
    T* north;
    long northStep;
    T* south;
    long southStep;
};

// Daily means of the day for every entry of the run, in the units of the
// day's scale, computed in T. Any n; every entry goes through the same
// instructions whatever n and its place, so its value depends on neither.
// REQUIRES: rows has room for n entries each way.
void blockMeans(const DayGeometry& day, const LatitudeRun<double>& run, const Rows<double>& rows);
void blockMeans(const DayGeometry& day, const LatitudeRun<float>& run, const Rows<float>& rows);

// Integrals over true longitude of the daily cosine sum
// g = sin(phi) sin(d) h0 + cos(phi) cos(d) sin(h0) (dailyCosineSum,
// radians, >= 0, sin d = sin(eps) sin(lambda)) over pieces of the orbit,
// each at its own signed latitude (cosLatitude 0 at a pole), by one rule
// on [0, 1] in a variable u with lambda = a + L (c1 u + c2 u^2 + c3 u^3):
// the sum over the rule's nodes of weight * L (c1 + 2 c2 u + 3 c3 u^2) g.
struct PieceRun {
    const double* start;   // a, radians, |a| < 4 pi
    const double* length;  // L, radians
    const double* c1;
    const double* c2;
    const double* c3;
    const double* sinLatitude;
    const double* cosLatitude;
    const double* tanLatitude;
    size_t n;
};
struct Rule {
    const double* node;    // u in (0, 1)
    const double* weight;  // summing to 1
    int count;
};
// out[j] = the integral over piece j. REQUIRES: out holds run.n values.
void pieceIntegrals(const PieceRun& run, const Rule& rule, double sinObliquity, double* out);

// Days of the year, each with its own declination and scale (as in
// DayGeometry), for one latitude's profile over the year.
struct DayRun {
    const double* sinDeclination;
    const double* cosDeclination;
    const double* tanDeclination;
    const double* scale;
    size_t n;
};
// The daily means of each day at +|phi| (north[j]) and -|phi| (south[j]),
// from sin, cos and tan of |phi|, as blockMeans computes them.
// REQUIRES: north and south hold days.n values each.
void dayMeans(const DayRun& days, double sinLatitude, double cosLatitude, double tanLatitude, double* north,
              double* south);

// The instruction set the dispatch chose on this processor, as Highway
// names it ("AVX3", "AVX2", "SSE4", ...; "scalar" without Highway).
const char* targetName();

}  // namespace simd
}  // namespace insolation

#endif
