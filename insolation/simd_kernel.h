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

// Daily means of the day at +|phi| into north[0..n) and at -|phi| into
// south[0..n), in the units of the day's scale, computed in T. Any n; the
// last partial vector goes through the same instructions as the others, so
// an entry's value does not depend on n or on its place in the run.
void blockMeans(const DayGeometry& day, const LatitudeRun<double>& run, double* north, double* south);
void blockMeans(const DayGeometry& day, const LatitudeRun<float>& run, float* north, float* south);

// The instruction set the dispatch chose on this processor, as Highway
// names it ("AVX3", "AVX2", "SSE4", ...; "scalar" without Highway).
const char* targetName();

}  // namespace simd
}  // namespace insolation

#endif
