// Energies between two true longitudes at every latitude at once, against
// the library's one-latitude integral.
#include "math/constants.h"
#include "insolation/arc_integrals.h"
#include "insolation/latitude_integrals.h"
#include "insolation/quantities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

constexpr double degree = math::radiansPerDegree;

TEST(LatitudeIntegrals, AgreeWithTheOneLatitudeIntegral)
{
    const insolation::Orbit orbits[] = {{0.0, 23.44 * degree, 0.0}, {0.07, 22.1 * degree, 250.0 * degree},
                                        {0.03, 0.0, 10.0 * degree}, {0.07, 90.0 * degree, 90.0 * degree}};
    // A whole year, half a year, a month, an arc across the equinox.
    const double arcs[][2] = {{0, 0}, {0, 180}, {30, 60}, {350, 10}, {123.4, 301.7}};
    std::vector<double> latitudes;
    for (double phi = -90; phi <= 90; phi += 7.5)
        latitudes.push_back(phi * degree);
    latitudes.push_back(66.56 * degree);
    const insolation::LatitudeGrid grid(latitudes);
    std::vector<double> out(latitudes.size());
    for (const auto& o : orbits) {
        for (const auto& a : arcs) {
            insolation::energiesBetween(o, 1365.0, grid, a[0] * degree, a[1] * degree, out.data());
            for (size_t k = 0; k < latitudes.size(); ++k) {
                const double one = insolation::energyBetween(o, 1365.0, latitudes[k], a[0] * degree, a[1] * degree);
                ASSERT_NEAR(out[k], one, std::fmax(1.0, 1e-10 * std::fabs(one)))
                    << "lat " << latitudes[k] / degree << " arc " << a[0] << ".." << a[1];
            }
        }
    }
}

// The front ends' rows at every latitude at once (integrated, monthly in
// both calendars, annual) against the same quantities one latitude at a time.
TEST(LatitudeIntegrals, RowsOfTheQuantitiesMatchTheirOneLatitudeValues)
{
    const insolation::Orbit orbits[] = {{0.0167, 23.44 * degree, 282.9 * degree},
                                        {0.07, 90.0 * degree, 90.0 * degree}};
    // Degrees, in no order, a latitude twice and both poles.
    const std::vector<double> latitudes = {65, -90, 0, 66.56, -23.5, 90, 65, -66.56, 12.25};
    std::vector<double> radians;
    for (double phi : latitudes)
        radians.push_back(phi * degree);
    const insolation::LatitudeGrid grid(radians);
    const size_t n = latitudes.size();
    const auto near = [](double a, double b) { return std::fabs(a - b) <= 1e-10 * std::fmax(1.0, std::fabs(b)); };
    insolation::GridScratch scratch;
    for (const auto& o : orbits) {
        std::vector<double> integrated(n * 3), monthly(n * insolation::monthCount), annual(n);
        insolation::integratedGrid(o, 1361.0, grid, 300.0, 45.0, integrated.data(), scratch);
        insolation::annualGrid(o, 1361.0, grid, annual.data(), scratch);
        for (size_t k = 0; k < n; ++k) {
            double one[3];
            insolation::integratedValues(o, 1361.0, latitudes[k], 300.0, 45.0, one);
            for (int v = 0; v < 3; ++v)
                EXPECT_TRUE(near(integrated[k * 3 + v], one[v])) << latitudes[k] << " value " << v;
            EXPECT_TRUE(near(annual[k], insolation::annualValue(o, 1361.0, latitudes[k]))) << latitudes[k];
        }
        for (auto calendar : {insolation::Calendar::equinox, insolation::Calendar::angular}) {
            insolation::monthlyGrid(o, 1361.0, grid, calendar, monthly.data(), scratch);
            for (size_t k = 0; k < n; ++k) {
                double one[insolation::monthCount];
                insolation::monthlyValues(o, 1361.0, latitudes[k], calendar, one);
                for (int m = 0; m < insolation::monthCount; ++m)
                    EXPECT_TRUE(near(monthly[k * insolation::monthCount + m], one[m])) << latitudes[k] << " " << m;
            }
        }
    }
}


// The quadrature against a plain midpoint sum of 200,000 daily means of a
// circular orbit (where S0 / pi g is the daily mean), where it is hardest:
// arcs across or just short of the edges of polar day and night, and
// latitudes a hair either side of the polar circle.
TEST(ArcIntegrals, MatchAFineSumWhereTheSunStartsOrStopsSetting)
{
    struct Case {
        double obliquity, latitude, start, arc;  // degrees
    };
    const Case cases[] = {
        {23.44, 66.55, 0, 360},  {23.44, 66.57, 0, 360}, {23.44, 66.55, 60, 60}, {23.44, 80, 0, 360},
        {23.44, 80, 20, 30},     {23.44, -80, 200, 30},  {23.44, -90, 0, 360},   {23.44, 90, 350, 20},
        {24.5, 65.49, 343, 172}, {22.0, 67.99, 38.8, 59}, {23.44, 0, 0, 360},    {35.0, 60, 100, 200},
    };
    const int steps = 200000;
    for (const Case& c : cases) {
        const insolation::Orbit o{0.0, c.obliquity * degree, 0.0};
        const double phi = c.latitude * degree, arc = c.arc * degree;
        double sum = 0;
        for (int k = 0; k < steps; ++k)
            sum += insolation::dailyMean(o, math::pi, phi, (c.start + (k + 0.5) * c.arc / steps) * degree);
        const double g = insolation::cosineSumIntegral(o, phi, c.start * degree, arc);
        EXPECT_NEAR(g / arc, sum / steps, 1e-9) << c.obliquity << " " << c.latitude << " " << c.start;
    }
}

}  // namespace
