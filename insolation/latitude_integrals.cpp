#include "insolation/latitude_integrals.h"

#include "insolation/arc_integrals.h"
#include "math/constants.h"

#include <algorithm>
#include <cmath>

namespace insolation {
namespace {

// Each thread keeps its storage from one call to the next.
thread_local ArcQuadrature quadrature;
thread_local std::vector<double> row, sums;

// to[i] += weight * from[i]: through plain pointers, which the compiler
// vectorises (the thread-local vectors themselves it must reload each time).
void addScaled(double weight, const double* from, double* to, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        to[i] += weight * from[i];
}

// Every latitude by the plain rule, the nodes shared: one call of the
// grid kernel per node gives g at every latitude.
void sharedNodes(const Orbit& orbit, const LatitudeGrid& grid, const double* starts, size_t arcs, double* out)
{
    row.resize(grid.size());
    sums.resize(grid.size());
    for (size_t m = 0; m < arcs; ++m) {
        std::fill(sums.begin(), sums.end(), 0.0);
        // The whole year as twice the half from -pi/2 to pi/2 (g depends on
        // sin(lambda) alone), as ArcQuadrature takes it.
        const bool year = forwardArc(starts[m], starts[m + 1]) >= 2 * math::pi;
        const double start = year ? -math::halfPi : starts[m];
        const double arc = year ? math::pi : forwardArc(starts[m], starts[m + 1]);
        const int parts = std::max(1, static_cast<int>(std::ceil(arc / ArcQuadrature::longestPart)));
        const simd::Rule rule = plainRule(arc / parts);
        for (int p = 0; p < parts; ++p) {
            const double from = start + arc * p / parts;
            const double length = (p + 1 == parts ? start + arc : start + arc * (p + 1) / parts) - from;
            for (int k = 0; k < rule.count; ++k) {
                DayGeometry day = dayGeometry(orbit, 1.0, from + length * rule.node[k]);
                day.scale = 1.0;
                grid.dailyMeans(day, row.data());
                const double weight = (year ? 2 : 1) * length * rule.weight[k];
                addScaled(weight, row.data(), sums.data(), row.size());
            }
        }
        for (size_t i = 0; i < sums.size(); ++i)
            out[i * arcs + m] = sums[i];
    }
}

}  // namespace

void energiesOverArcs(const Orbit& orbit, double solarConstant, const LatitudeGrid& grid, const double* starts,
                      int arcs, double* out)
{
    const size_t count = static_cast<size_t>(arcs);
    std::fill(out, out + grid.size() * count, 0.0);
    sharedNodes(orbit, grid, starts, count, out);
    // Latitudes near or beyond the polar circles again, through the cuts.
    quadrature.reset(orbit.obliquity);
    for (size_t j = 0; j < grid.absLatitude.size(); ++j) {
        const LatitudeGeometry north{grid.sinLatitude[j], grid.cosLatitude[j], grid.tanLatitude[j]};
        const LatitudeGeometry south{-north.sinLatitude, north.cosLatitude, -north.tanLatitude};
        for (const auto& place : {std::make_pair(grid.north[j], north), std::make_pair(grid.south[j], south)}) {
            quadrature.setLatitude(place.second);
            if (place.first == LatitudeGrid::none || !quadrature.needsCuts())
                continue;
            const size_t k = static_cast<size_t>(place.first);
            for (size_t m = 0; m < count; ++m) {
                const double arc = forwardArc(starts[m], starts[m + 1]);
                if (quadrature.plainRuleFits(starts[m], arc))
                    continue;
                out[k * count + m] = 0.0;
                quadrature.add(starts[m], arc, k * count + m);
            }
        }
    }
    quadrature.sumInto(out);
    const double perRadian = energyPerRadian(orbit, solarConstant);
    for (size_t i = 0; i < grid.size() * count; ++i)
        out[i] *= perRadian;
}

void energiesBetween(const Orbit& orbit, double solarConstant, const LatitudeGrid& grid, double lambda1,
                     double lambda2, double* out)
{
    const double starts[] = {lambda1, lambda2};
    energiesOverArcs(orbit, solarConstant, grid, starts, 1, out);
}

}  // namespace insolation
