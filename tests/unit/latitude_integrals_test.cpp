// Energies between two true longitudes at every latitude at once, against
// the library's one-latitude integral.
#include "math/constants.h"
#include "insolation/latitude_integrals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double degree = math::radiansPerDegree;

TEST(LatitudeIntegrals, AgreeWithTheOneLatitudeIntegral)
{
    const insolation::Orbit orbits[] = {{0.0, 0.0, 23.44 * degree}, {0.07, 250.0 * degree, 22.1 * degree},
                                        {0.03, 10.0 * degree, 0.0}, {0.07, 90.0 * degree, 90.0 * degree}};
    // A whole year, half a year, a month, an arc across the equinox.
    const double arcs[][2] = {{0, 0}, {0, 180}, {30, 60}, {350, 10}, {123.4, 301.7}};
    std::vector<double> latitudes;
    for (double phi = -90; phi <= 90; phi += 7.5)
        latitudes.push_back(phi * degree);
    latitudes.push_back(66.56 * degree);
    const insolation::LatitudeGrid grid(latitudes);
    std::vector<double> out(latitudes.size()), row;
    for (const auto& o : orbits) {
        for (const auto& a : arcs) {
            insolation::energiesBetween(o, 1365.0, grid, a[0] * degree, a[1] * degree, out.data(), row);
            for (size_t k = 0; k < latitudes.size(); ++k) {
                const double one = insolation::energyBetween(o, 1365.0, latitudes[k], a[0] * degree, a[1] * degree);
                ASSERT_NEAR(out[k], one, std::fmax(1.0, 1e-10 * std::fabs(one)))
                    << "lat " << latitudes[k] / degree << " arc " << a[0] << ".." << a[1];
            }
        }
    }
}

}  // namespace
