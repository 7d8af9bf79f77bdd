// The grid kernel of the insolation tool and benchmark against the library's
// scalar daily mean, and its arccosine against std::acos.
#include "math/constants.h"
#include "insolation/daily_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using math::halfPi;
using math::radiansPerDegree;

namespace {

using insolation::Orbit;

constexpr double s0 = 1365.0;
constexpr double degree = radiansPerDegree;

TEST(InsolationGrid, ArccosineMatchesTheLibraryOverMinusOneToOne)
{
    // A fine even sample, and the thousand doubles either side of each end
    // and of each switch of the reduction (+-1/2).
    std::vector<double> xs = {-0.0};
    for (int i = -200000; i <= 200000; ++i)
        xs.push_back(i / 200000.0);
    for (double edge : {-1.0, -0.5, 0.5, 1.0}) {
        double up = edge, down = edge;
        for (int k = 0; k < 1000; ++k) {
            up = std::nextafter(up, 2.0);
            down = std::nextafter(down, -2.0);
            xs.insert(xs.end(), {std::fmin(up, 1.0), std::fmax(down, -1.0)});
        }
    }
    for (double x : xs) {
        const double exact = std::acos(x);
        ASSERT_NEAR(insolation::arccosine(x), exact, 1e-15) << x;
        ASSERT_LE(std::fabs(insolation::arccosine(x) - exact), 1e-15 * exact) << x;
    }
    EXPECT_TRUE(std::isnan(insolation::arccosine(std::nan(""))));
}

TEST(InsolationGrid, AgreesWithTheScalarDailyMeanAtPolesPolarCirclesAndAllSeasons)
{
    const Orbit orbits[] = {
        {0.0, 23.44 * degree, 0.0},
        {0.0167, 23.44 * degree, 102.9 * degree},
        {0.058, 22.1 * degree, 250.0 * degree},
        {0.04, 24.5 * degree, 10.0 * degree},
    };
    for (const Orbit& o : orbits) {
        // Every degree from pole to pole, the polar circles of this obliquity
        // and points just either side, and an unordered list with a repeat
        // and a latitude whose mirror is missing.
        std::vector<double> latitudes;
        for (int d = -90; d <= 90; ++d)
            latitudes.push_back(d * degree);
        const double circle = halfPi - o.obliquity;
        for (double offset : {0.0, 1e-14, -1e-14, 1e-12, -1e-12, 1e-9, -1e-9, 1e-4, -1e-4})
            latitudes.insert(latitudes.end(), {circle + offset, -circle - offset});
        latitudes.insert(latitudes.end(), {65 * degree, 65 * degree, 12.5 * degree, -halfPi, 1e-300});
        const insolation::LatitudeGrid grid(latitudes);
        ASSERT_EQ(grid.size(), latitudes.size());

        // Every 5 degrees of true longitude, with the solstices and equinoxes.
        constexpr size_t stride = 2;
        std::vector<double> means(latitudes.size() * stride, -1.0);
        std::vector<float> floats(latitudes.size(), -1.0f);
        for (int l = 0; l < 360; l += 5) {
            const double lambda = l * degree;
            const insolation::DayGeometry day = insolation::dayGeometry(o, s0, lambda);
            grid.dailyMeans(day, means.data(), stride);
            grid.dailyMeans(day, floats.data());
            for (size_t k = 0; k < latitudes.size(); ++k) {
                const double exact = insolation::dailyMean(o, s0, latitudes[k], lambda);
                const double tolerance = std::fmax(1e-9, 1e-12 * std::fabs(exact));
                ASSERT_NEAR(means[k * stride], exact, tolerance) << "lat " << latitudes[k] / degree << " lon " << l;
                // Float output is computed in float lanes.
                ASSERT_NEAR(floats[k], means[k * stride], 1e-3);
                ASSERT_EQ(insolation::LatitudeGrid::dailyMeanAt(day, latitudes[k]), means[k * stride])
                    << "one latitude alone differs from the grid";
                ASSERT_EQ(means[k * stride + 1], -1.0) << "wrote between the strided cells";
            }
        }
    }
}

}  // namespace
