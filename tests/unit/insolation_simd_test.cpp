// The grid kernel's vector path against its scalar path, in both output
// precisions, where the arccosine and the square root meet their edges:
// poles, polar circles, the equator, the Sun over a pole or on the equator
// all year.
#include "math/constants.h"
#include "insolation/daily_grid.h"
#include "insolation/simd_kernel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

using insolation::KernelPath;
using insolation::LatitudeGrid;
using insolation::Orbit;

constexpr double degree = math::radiansPerDegree;

// Output of one path over every latitude of the grid.
template <class T>
std::vector<T> means(LatitudeGrid grid, KernelPath path, const insolation::DayGeometry& day)
{
    grid.path = path;
    std::vector<T> out(grid.size(), T(-1));
    grid.dailyMeans(day, out.data());
    return out;
}

TEST(InsolationSimd, VectorPathAgreesWithScalarPath)
{
    struct Case {
        double eccentricity, obliquityDegrees;
    };
    const Case cases[] = {{0.0, 0.0}, {0.07, 0.0}, {0.0, 90.0}, {0.07, 90.0}, {0.07, 23.44}, {0.0167, 66.0}};
    for (const Case& c : cases) {
        const Orbit orbit{c.eccentricity, c.obliquityDegrees * degree, 281.0 * degree};
        // Poles, equator, both polar circles of this obliquity and points
        // just beside them, and an odd count so that a partial vector remains.
        const double circle = 90.0 - c.obliquityDegrees;
        std::vector<double> latitudes = {90, -90, 0, 1e-7, 45, -45, 89.999, -60};
        for (double off : {0.0, 1e-9, -1e-9, 1e-3, -1e-3}) {
            latitudes.push_back(std::fmin(circle + off, 90.0));
            latitudes.push_back(-std::fmin(circle + off, 90.0));
        }
        for (double& phi : latitudes)
            phi *= degree;
        const LatitudeGrid grid(latitudes);
        // Equinoxes, solstices and days between.
        for (double lambda : {0.0, 1.0, 45.0, 89.9, 90.0, 135.0, 180.0, 270.0, 300.0, 359.99}) {
            const auto day = insolation::dayGeometry(orbit, 1365.0, lambda * degree);
            const auto d = means<double>(grid, KernelPath::vector, day);
            const auto ds = means<double>(grid, KernelPath::scalar, day);
            const auto f = means<float>(grid, KernelPath::vector, day);
            const auto fs = means<float>(grid, KernelPath::scalar, day);
            for (size_t k = 0; k < latitudes.size(); ++k) {
                const std::string where = "e " + std::to_string(c.eccentricity) + " eps " +
                                          std::to_string(c.obliquityDegrees) + " lambda " +
                                          std::to_string(lambda) + " phi " + std::to_string(latitudes[k] / degree);
                ASSERT_TRUE(std::isfinite(d[k]) && std::isfinite(f[k])) << where;
                ASSERT_GE(f[k], 0.0f) << where;
                ASSERT_NEAR(d[k], ds[k], 1e-9) << where;
                ASSERT_NEAR(f[k], fs[k], 1e-3) << where;
                ASSERT_EQ(fs[k], static_cast<float>(ds[k])) << where;
            }
        }
    }
}

TEST(InsolationSimd, EvenlySpacedListsGoStraightToTheirPlaces)
{
    // South to north and north to south, with and without the equator, a
    // list longer than one block, and lists whose positions have gaps.
    struct List {
        double first, last, spacing;
        bool mirrored;
    };
    const List lists[] = {{-90, 90, 1, true},     {90, -90, -1, true},   {-89.5, 89.5, 1, true},
                          {89.5, -89.5, -1, true}, {-90, 90, 0.25, true}, {-3, 3, 3, true},
                          {0, 90, 1, false},       {-90, 0, 1, false},    {-90, 90, 0.5, true}};
    const Orbit orbit{0.07, 50.0 * degree, 100.0 * degree};
    for (const List& l : lists) {
        std::vector<double> latitudes;
        for (double phi = l.first; (phi - l.last) * l.spacing <= 1e-9; phi += l.spacing)
            latitudes.push_back(phi * degree);
        const LatitudeGrid grid(latitudes);
        EXPECT_EQ(grid.mirroredRuns, l.mirrored) << l.first << " " << l.spacing;
        for (double lambda : {0.0, 90.0, 200.0, 270.0}) {
            const auto day = insolation::dayGeometry(orbit, 1365.0, lambda * degree);
            const auto f = means<float>(grid, KernelPath::vector, day);
            const auto fs = means<float>(grid, KernelPath::scalar, day);
            const auto d = means<double>(grid, KernelPath::vector, day);
            const auto ds = means<double>(grid, KernelPath::scalar, day);
            for (size_t k = 0; k < latitudes.size(); ++k) {
                ASSERT_NEAR(f[k], fs[k], 1e-3) << latitudes[k] / degree << " " << l.spacing;
                ASSERT_NEAR(d[k], ds[k], 1e-9) << latitudes[k] / degree << " " << l.spacing;
            }
        }
    }
}

TEST(InsolationSimd, ListsWhoseRowsWouldLeaveTheOutputAreNotRuns)
{
    // 0.5 has no mirror, and the mirror of 1 sits after 1: a south row
    // continued back to 0.5's mirror would end past the list.
    struct List {
        std::vector<double> degrees;
        bool mirrored;
    };
    const List lists[] = {{{0.5, 1, -1}, false}, {{-1, 0.5, 1}, true}, {{1, 0, -1}, true}, {{0, -1, 1}, false}};
    for (const List& l : lists) {
        std::vector<double> radians;
        for (double d : l.degrees)
            radians.push_back(d * degree);
        EXPECT_EQ(LatitudeGrid(radians).mirroredRuns, l.mirrored) << l.degrees[0] << " " << l.degrees[1];
    }
}

TEST(InsolationSimd, NamesTheChosenInstructionSet)
{
    EXPECT_GT(std::strlen(insolation::simd::targetName()), 0u);
}

}  // namespace
