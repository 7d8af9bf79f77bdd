// The insolation library against independent routes to the same numbers:
// the daily mean against instantaneous insolation summed over the hour
// angle, the integrals over the year against sums over time in small steps,
// the global annual mean against its closed form, and the globes' colour
// index against the library's daily mean in double.
#include "scene/data_files.h"
#include "globe/earth.h"
#include "math/constants.h"
#include "insolation/year_insolation.h"
#include "orbit/orbital_elements.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>

using math::pi;
using math::halfPi;
using math::radiansPerDegree;

namespace {

using insolation::Orbit;

constexpr double s0 = 1365.0;
constexpr double degree = radiansPerDegree;
constexpr double yearSeconds = insolation::yearDays * insolation::secondsPerDay;

const Orbit orbits[] = {
    {0.0, 0.0, 23.44 * degree},
    {0.0167, 102.9 * degree, 23.44 * degree},
    {0.058, 250.0 * degree, 22.1 * degree},
    {0.04, 10.0 * degree, 24.5 * degree},
};

// Daily mean as the average over the hour angle of S0 (a/r)^2 max(0, cos z).
double hourAngleAverage(const Orbit& o, double phi, double lambda)
{
    const int steps = 20000;
    const double delta = std::asin(std::sin(o.obliquity) * std::sin(lambda));
    const double v = lambda - o.perihelion - pi;
    const double aOverR = (1 + o.eccentricity * std::cos(v)) / (1 - o.eccentricity * o.eccentricity);
    double sum = 0;
    for (int k = 0; k < steps; ++k) {
        const double h = -pi + (k + 0.5) * 2 * pi / steps;
        const double cosZ = std::sin(phi) * std::sin(delta) + std::cos(phi) * std::cos(delta) * std::cos(h);
        sum += std::max(0.0, cosZ);
    }
    return s0 * aOverR * aOverR * sum / steps;
}

// Sums over the year in equal steps of time, the Sun placed by Kepler's equation.
struct TimeSums {
    double annualMean = 0;
    double firstHalf = 0;  // J/m^2 received for true longitudes 0 to 180 degrees
    double firstHalfDays = 0;
    double above = 0;  // J/m^2 while the daily mean exceeds the threshold
};

TimeSums sumOverTime(const Orbit& o, double phi, double threshold)
{
    const int steps = 200000;
    const double dt = yearSeconds / steps;
    TimeSums s;
    for (int k = 0; k < steps; ++k) {
        const double lambda = insolation::trueLongitudeAt(o, (k + 0.5) * 2 * pi / steps);
        const double q = insolation::dailyMean(s0, phi, o.obliquity, o.eccentricity, o.perihelion, lambda);
        s.annualMean += q / steps;
        if (lambda < pi) {
            s.firstHalf += q * dt;
            s.firstHalfDays += dt / insolation::secondsPerDay;
        }
        if (q > threshold)
            s.above += q * dt;
    }
    return s;
}

}  // namespace

TEST(DailyInsolation, ClosedFormMatchesTheHourAngleAverage)
{
    for (const Orbit& o : orbits) {
        const double polarCircle = 90 - o.obliquity / degree;
        for (double latDeg : {-90.0, -polarCircle, -45.0, 0.0, 30.0, polarCircle, 80.0, 90.0}) {
            for (int lambdaDeg = 0; lambdaDeg < 360; lambdaDeg += 15) {
                const double phi = latDeg * degree, lambda = lambdaDeg * degree;
                const double closed =
                    insolation::dailyMean(s0, phi, o.obliquity, o.eccentricity, o.perihelion, lambda);
                EXPECT_NEAR(closed, hourAngleAverage(o, phi, lambda), 1e-3)
                    << "e " << o.eccentricity << " lat " << latDeg << " lambda " << lambdaDeg;
            }
        }
    }
}

TEST(YearInsolation, IntegralsMatchSumsOverTime)
{
    const double threshold = 275;
    for (const Orbit& o : orbits) {
        for (double latDeg : {-90.0, -65.0, 0.0, 45.0, 65.0, 90.0}) {
            const double phi = latDeg * degree;
            const TimeSums sums = sumOverTime(o, phi, threshold);
            const std::string where = "e " + std::to_string(o.eccentricity) + " lat " + std::to_string(latDeg);
            EXPECT_NEAR(insolation::annualMean(o, s0, phi), sums.annualMean, 1e-4 * s0) << where;
            EXPECT_NEAR(insolation::energyBetween(o, s0, phi, 0, pi), sums.firstHalf, 2e-5 * s0 * yearSeconds)
                << where;
            EXPECT_NEAR(insolation::daysBetween(o, 0, pi), sums.firstHalfDays, 1e-3) << where;
            EXPECT_NEAR(insolation::energyAbove(o, s0, phi, threshold), sums.above, 2e-5 * s0 * yearSeconds)
                << where;
        }
    }
}

TEST(YearInsolation, GlobalAnnualMeanIsAQuarterOfTheSolarConstantOverTheMinorAxis)
{
    for (const Orbit& o : orbits) {
        // Simpson's rule in latitude, weighted by the area cos(phi) / 2.
        const int n = 360;
        double sum = 0;
        for (int i = 0; i <= n; ++i) {
            const double phi = -halfPi + i * pi / n;
            const double w = (i == 0 || i == n) ? 1 : (i % 2 == 1 ? 4 : 2);
            sum += w * insolation::annualMean(o, s0, phi) * std::cos(phi) / 2;
        }
        const double mean = sum * (pi / n) / 3;
        const double e = o.eccentricity;
        EXPECT_NEAR(mean, s0 / (4 * std::sqrt(1 - e * e)), 1e-4) << "e " << e;
    }
}

TEST(YearInsolation, CalendarAndDurationsFollowKepler)
{
    for (const Orbit& o : orbits) {
        EXPECT_NEAR(insolation::trueLongitudeOfDay(o, insolation::equinoxDay), 0.0, 1e-12);
        double total = 0;
        for (int s = 0; s < 4; ++s)
            total += insolation::daysBetween(o, s * halfPi, (s + 1) * halfPi);
        EXPECT_NEAR(total, insolation::yearDays, 1e-9);
        for (double lambda : {0.3, 2.0, 4.5}) {
            const double m = insolation::meanAnomalyAt(o, lambda);
            EXPECT_NEAR(insolation::trueLongitudeAt(o, m), lambda, 1e-12);
        }
    }
    // A circular orbit keeps the calendar: a quarter year after the equinox
    // is the June solstice. Today's orbit makes the northern summer longer.
    const double quarter = insolation::yearDays / 4;
    EXPECT_NEAR(insolation::trueLongitudeOfDay(orbits[0], 80 + quarter), halfPi, 1e-12);
    EXPECT_NEAR(insolation::daysBetween(orbits[1], 0, pi), 186.4, 0.3);
}

TEST(InsolationPhysics, ColourIndexIsTheFlooredDailyMeanAtWholeThousandsOfYears)
{
    TestDir dir;
    dir.write(gridFileName, fullGrid([](int, int) -> int16_t { return 10; }));
    auto globe = std::make_unique<Globe>(seasonMarch, gridFileName);
    const orbit::Span span = orbit::span(orbit::Solution::laskar2004Fit);
    int compared = 0;
    int ties = 0;
    for (double kyr = span.newest; kyr >= span.oldest; kyr -= 1) {
        const orbit::Elements el = orbit::elementsAt(orbit::Solution::laskar2004Fit, kyr);
        globe->setOmega(static_cast<float>(el.perihelion * degree + pi));
        globe->setEccentricity(static_cast<float>(el.eccentricity));
        globe->setObliquity(static_cast<float>(el.obliquity * degree));
        // The globe's values, as floats, are what both sides compute from.
        const double e = globe->eccentricity, eps = globe->obliquity, varpi = globe->omega - pi;
        for (int season = 0; season < 4; ++season) {
            globe->season = season;
            for (int row = 1 + int(kyr) % 7; row < gridRows; row += 7) {
                const float phi = static_cast<float>(globe->latitudeOfRow(row));
                if (season % 2 == 1 && std::fabs(phi) > halfPi - eps)
                    continue;  // the solstice caps are grey on the globe
                const double q = insolation::dailyMean(s0, phi, eps, e, varpi, season * halfPi);
                const double value = q * pi / s0 / 1.3 * 192;
                const int expected = std::clamp(static_cast<int>(std::floor(value)), 0, 191);
                const int got = globe->colourIndex(phi);
                const bool floatTie = std::fabs(value - std::round(value)) < 1e-4;
                if (got != expected) {
                    EXPECT_TRUE(floatTie && std::abs(got - expected) == 1)
                        << kyr << " kyr, season " << season << ", row " << row << ": " << value
                        << " vs index " << got;
                    ++ties;
                }
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 5000 * 4 * 60);
    EXPECT_LT(ties, compared / 1000);
}
