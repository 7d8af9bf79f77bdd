#include "insolation/daily_grid.h"
#include "math/constants.h"
#include "insolation/simd_kernel.h"

#include <algorithm>

using math::pi;

// The block loop is built twice on x86-64 with GCC, for AVX2 and for the
// baseline, and the loader picks the one the processor runs.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define PALEOVIZ_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define PALEOVIZ_VECTOR_CLONES
#endif

namespace insolation {

namespace {

// Entries handled per pass: the result rows stay on the stack. 192 covers
// a grid of every degree or every half degree in one pass.
constexpr size_t block = 192;

// Daily means at +|phi| and -|phi| of n <= block entries. No branch and no
// call in the loops, so that they vectorise. The clamped cosines pass
// through memory on purpose: were the clamp in the loop of the arccosine,
// the compiler would copy the arccosine into each of its three cases (the
// clamped ones with constant arguments) and then, selecting without
// branches, compute it twice.
PALEOVIZ_VECTOR_CLONES
void blockMeans(const DayGeometry& day, const double* __restrict sinLat,
                const double* __restrict cosLat, const double* __restrict tanLat, size_t n,
                double* __restrict northMeans, double* __restrict southMeans)
{
    const double sinD = day.sinDeclination;
    const double cosD = day.cosDeclination;
    const double tanD = day.tanDeclination;
    const double scale = day.scale;
    const auto store = [&](size_t j, double h0, double sinH0) {
        northMeans[j] = scale * dailyCosineSum(sinLat[j], cosLat[j], sinD, cosD, h0, sinH0);
        southMeans[j] = scale * dailyCosineSum(-sinLat[j], cosLat[j], sinD, cosD, pi - h0, sinH0);
    };
    double cosH0[block];
    for (size_t j = 0; j < n; ++j)
        cosH0[j] = cosSunsetHourAngle(tanLat[j], tanD);
    // Entries go by increasing |phi|, so those where the Sun stays up or
    // down all day (cos h0 = +-1, h0 = 0 or pi, sin h0 = 0) end the block:
    // they need no arccosine, and give the values the arccosine would.
    size_t risesAndSets = n;
    while (risesAndSets > 0 && std::fabs(cosH0[risesAndSets - 1]) == 1.0)
        --risesAndSets;
    for (size_t j = 0; j < risesAndSets; ++j) {
        const double c = cosH0[j];
        // sin h0 = sqrt(1 - c^2), from factors that keep their precision as |c| -> 1.
        store(j, arccosine(c), std::sqrt((1.0 - c) * (1.0 + c)));
    }
    for (size_t j = risesAndSets; j < n; ++j)
        store(j, cosH0[j] < 0 ? pi : 0.0, 0.0);
}

// Writes the means of entries [first, first + n) where they go.
template <class T, class U>
void scatter(const LatitudeGrid& grid, size_t first, size_t n, const U* northMeans,
             const U* southMeans, T* out, size_t stride)
{
    for (size_t j = 0; j < n; ++j) {
        const long k = grid.north[first + j];
        if (k != LatitudeGrid::none)
            out[size_t(k) * stride] = static_cast<T>(northMeans[j]);
        const long m = grid.south[first + j];
        if (m != LatitudeGrid::none)
            out[size_t(m) * stride] = static_cast<T>(southMeans[j]);
    }
}

void fillScalar(const LatitudeGrid& grid, const DayGeometry& day, size_t first, size_t n,
                double* northMeans, double* southMeans)
{
    blockMeans(day, &grid.sinLatitude[first], &grid.cosLatitude[first], &grid.tanLatitude[first], n,
               northMeans, southMeans);
}

simd::LatitudeRun<double> run(const LatitudeGrid& grid, size_t first, size_t n, double)
{
    return {&grid.sinLatitude[first], &grid.cosLatitude[first], &grid.tanLatitude[first], n};
}

simd::LatitudeRun<float> run(const LatitudeGrid& grid, size_t first, size_t n, float)
{
    return {&grid.sinLatitudeFloat[first], &grid.cosLatitudeFloat[first], &grid.tanLatitudeFloat[first], n};
}

template <class T>
void fill(const LatitudeGrid& grid, const DayGeometry& day, T* out, size_t stride)
{
    double northMeans[block];
    double southMeans[block];
    T northLanes[block];
    T southLanes[block];
    const size_t entries = grid.tanLatitude.size();
    for (size_t first = 0; first < entries; first += block) {
        const size_t n = std::min(block, entries - first);
        if (grid.path == KernelPath::scalar) {
            fillScalar(grid, day, first, n, northMeans, southMeans);
            scatter(grid, first, n, northMeans, southMeans, out, stride);
        } else {
            if (grid.mirroredRuns && stride == 1) {
                // Straight into the output, rows running opposite ways.
                const long south = grid.southBase - long(first) * grid.step;
                simd::blockMeans(day, run(grid, first, n, T()),
                                 {out + grid.north[first], grid.step, out + south, -grid.step});
            } else {
                simd::blockMeans(day, run(grid, first, n, T()), {northLanes, 1, southLanes, 1});
                scatter(grid, first, n, northLanes, southLanes, out, stride);
            }
        }
    }
}

}  // namespace

LatitudeGrid::LatitudeGrid(const std::vector<double>& latitudes) : count(latitudes.size())
{
    // Positions by increasing |phi|; a latitude joins the entry of its
    // mirror when that entry's side is still free.
    std::vector<size_t> order(latitudes.size());
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return std::fabs(latitudes[a]) < std::fabs(latitudes[b]);
    });
    for (size_t k : order) {
        const double phi = latitudes[k];
        std::vector<long>& side = phi < 0 ? south : north;
        const size_t last = tanLatitude.size() - 1;
        if (!tanLatitude.empty() && absLatitude[last] == std::fabs(phi) && side[last] == none) {
            side[last] = long(k);
            continue;
        }
        const LatitudeGeometry g = latitudeGeometry(std::fabs(phi));
        absLatitude.push_back(std::fabs(phi));
        sinLatitude.push_back(g.sinLatitude);
        cosLatitude.push_back(g.cosLatitude);
        tanLatitude.push_back(g.tanLatitude);
        sinLatitudeFloat.push_back(float(g.sinLatitude));
        cosLatitudeFloat.push_back(float(g.cosLatitude));
        tanLatitudeFloat.push_back(float(g.tanLatitude));
        north.push_back(phi < 0 ? none : long(k));
        south.push_back(phi < 0 ? long(k) : none);
    }
    findMirroredRuns();
}

void LatitudeGrid::findMirroredRuns()
{
    const size_t entries = north.size();
    mirroredRuns = entries > 1 && north[0] != none && north[1] != none && south[1] != none;
    if (!mirroredRuns)
        return;
    step = north[1] - north[0];
    southBase = south[1] + step;
    // Without a first south position, the kernel still writes the first
    // entry's south value at southBase before its north value: that must
    // be the same place (the equator's), not one outside the list.
    mirroredRuns = (step == 1 || step == -1) && (south[0] != none || southBase == north[0]);
    for (size_t j = 0; j < entries && mirroredRuns; ++j) {
        const long at = long(j) * step;
        mirroredRuns = north[j] == north[0] + at &&
                       (south[j] == southBase - at || (j == 0 && south[j] == none));
    }
}

void LatitudeGrid::dailyMeans(const DayGeometry& day, double* out, size_t stride) const
{
    fill(*this, day, out, stride);
}

void LatitudeGrid::dailyMeans(const DayGeometry& day, float* out, size_t stride) const
{
    fill(*this, day, out, stride);
}

double LatitudeGrid::dailyMeanAt(const DayGeometry& day, double latitude)
{
    const LatitudeGeometry g = latitudeGeometry(std::fabs(latitude));
    double north = 0, south = 0;
    simd::blockMeans(day, {&g.sinLatitude, &g.cosLatitude, &g.tanLatitude, 1}, {&north, 1, &south, 1});
    return latitude < 0 ? south : north;
}

}  // namespace insolation
