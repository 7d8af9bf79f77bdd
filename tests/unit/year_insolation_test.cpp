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
#include <functional>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

using math::pi;
using math::halfPi;
using math::radiansPerDegree;

namespace {

using insolation::Orbit;

constexpr double s0 = 1365.0;
constexpr double degree = radiansPerDegree;
constexpr double yearSeconds = insolation::yearDays * insolation::secondsPerDay;

const Orbit orbits[] = {
    {0.0, 23.44 * degree, 0.0},
    {0.0167, 23.44 * degree, 102.9 * degree},
    {0.058, 22.1 * degree, 250.0 * degree},
    {0.04, 24.5 * degree, 10.0 * degree},
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
    double aboveDays = 0;
};

TimeSums sumOverTime(const Orbit& o, double phi, double threshold)
{
    const int steps = 200000;
    const double dt = yearSeconds / steps;
    TimeSums s;
    for (int k = 0; k < steps; ++k) {
        const double lambda = insolation::trueLongitudeAt(o, (k + 0.5) * 2 * pi / steps);
        const double q = insolation::dailyMean(o, s0, phi, lambda);
        s.annualMean += q / steps;
        if (lambda < pi) {
            s.firstHalf += q * dt;
            s.firstHalfDays += dt / insolation::secondsPerDay;
        }
        if (q > threshold) {
            s.above += q * dt;
            s.aboveDays += dt / insolation::secondsPerDay;
        }
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
                    insolation::dailyMean(o, s0, phi, lambda);
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
            const insolation::Exceedance above = insolation::aboveThreshold(o, s0, phi, threshold);
            EXPECT_NEAR(above.energy, sums.above, 2e-5 * s0 * yearSeconds) << where;
            EXPECT_NEAR(above.days, sums.aboveDays, 0.01) << where;
        }
    }
}

// A level just below a peak of the daily mean is exceeded for less than a
// day, between two samples of the year: its crossings are still found.
// The peaks at 5 degrees north, near the equinoxes, against a sum over a
// million steps of time.
TEST(YearInsolation, ThresholdsJustBelowAPeakAreExceededBriefly)
{
    const Orbit& today = orbits[1];
    const int steps = 1000000;
    std::vector<double> q(steps);
    for (int k = 0; k < steps; ++k)
        q[k] = insolation::dailyMean(today, s0, 5 * degree, insolation::trueLongitudeAt(today, (k + 0.5) * 2 * pi / steps));
    const double peak = *std::max_element(q.begin(), q.end());
    for (const double below : {0.5, 0.005, 0.0005}) {
        double days = 0, energy = 0;
        for (const double value : q)
            if (value > peak - below) {
                days += insolation::yearDays / steps;
                energy += value * yearSeconds / steps;
            }
        const insolation::Exceedance above = insolation::aboveThreshold(today, s0, 5 * degree, peak - below);
        EXPECT_GT(above.days, 0.0) << below;
        EXPECT_NEAR(above.days, days, 2e-3) << below;
        EXPECT_NEAR(above.energy, energy, 2e-3 * peak * insolation::secondsPerDay) << below;
    }
}

// At a level of 0 the days above are those outside polar night. On a
// circular orbit time runs with true longitude, and polar night at phi > 0
// lasts while sin(eps) sin(lambda) <= -cos(phi): an arc of
// pi - 2 asin(cos(phi) / sin(eps)).
TEST(YearInsolation, DaysAboveZeroAreTheDaysOutsidePolarNight)
{
    struct Row {
        double latDeg, obliquityDeg;
    };
    for (const Row& r : {Row{65.0, 27.8}}) {
        const double night = pi - 2 * std::asin(std::cos(r.latDeg * degree) / std::sin(r.obliquityDeg * degree));
        const Orbit circular{0.0, r.obliquityDeg * degree, 0.0};
        EXPECT_NEAR(insolation::aboveThreshold(circular, s0, r.latDeg * degree, 0.0).days,
                    insolation::yearDays * (1 - night / (2 * pi)), 1e-3)
            << "lat " << r.latDeg << " obliquity " << r.obliquityDeg;
    }
}

TEST(YearInsolation, CaloricHalfYearsAreTheGreaterAndLesserHalvesOfSortedDailyMeans)
{
    // 20,000 daily means at equal steps of time, sorted: the greater half
    // is the caloric summer, the rest the winter.
    const int steps = 20000;
    const double dt = yearSeconds / steps;
    for (const Orbit& o : orbits) {
        for (double latDeg : {-90.0, -65.0, -30.0, 0.0, 10.0, 45.0, 65.0, 80.0, 90.0}) {
            const double phi = latDeg * degree;
            std::vector<double> q(steps);
            for (int k = 0; k < steps; ++k)
                q[k] = insolation::dailyMean(o, s0, phi, insolation::trueLongitudeAt(o, (k + 0.5) * 2 * pi / steps));
            std::sort(q.begin(), q.end(), std::greater<double>());
            double summer = 0, winter = 0;
            for (int k = 0; k < steps; ++k)
                (k < steps / 2 ? summer : winter) += q[k] * dt;
            const std::string where = "e " + std::to_string(o.eccentricity) + " lat " + std::to_string(latDeg);
            const insolation::CaloricHalfYears c = insolation::caloricHalfYears(o, s0, phi);
            EXPECT_NEAR(c.summerEnergy, summer, 2e-5 * s0 * yearSeconds) << where;
            EXPECT_NEAR(c.winterEnergy, winter, 2e-5 * s0 * yearSeconds) << where;
            EXPECT_NEAR(c.summerMean, summer / (yearSeconds / 2), 4e-5 * s0) << where;
            EXPECT_NEAR(c.winterMean, winter / (yearSeconds / 2), 4e-5 * s0) << where;
            // Where the summer is one arc, it lasts half a year and its two
            // ends have the same daily mean, the median of the sorted ones.
            if (std::isnan(c.summerStart)) {
                EXPECT_TRUE(std::isnan(c.summerEnd)) << where;
                continue;
            }
            EXPECT_NEAR(insolation::daysBetween(o, c.summerStart, c.summerEnd), insolation::yearDays / 2, 1e-8)
                << where;
            EXPECT_NEAR(insolation::dailyMean(o, s0, phi, c.summerStart), insolation::dailyMean(o, s0, phi, c.summerEnd),
                        1e-7)
                << where;
            const double median = (q[steps / 2 - 1] + q[steps / 2]) / 2;
            for (double lambda : {c.summerStart, c.summerEnd})
                EXPECT_NEAR(insolation::dailyMean(o, s0, phi, lambda),
                            median, 0.05) << where;
        }
    }
    // The summer is one arc away from the equator, two around it; at the
    // poles it is one arc where sunlit days last more than half a year.
    const Orbit& today = orbits[1];
    EXPECT_FALSE(std::isnan(insolation::caloricHalfYears(today, s0, 65 * degree).summerStart));
    EXPECT_TRUE(std::isnan(insolation::caloricHalfYears(today, s0, 0.0).summerStart));
    EXPECT_FALSE(std::isnan(insolation::caloricHalfYears(today, s0, halfPi).summerStart));
    EXPECT_TRUE(std::isnan(insolation::caloricHalfYears(today, s0, -halfPi).summerStart));
}

// The year's profile is shared between calls for one orbit and solar
// constant: values must not depend on what was asked before. Each call in
// a mixed order against the same call on a thread of its own.
TEST(YearInsolation, ThresholdAndCaloricDoNotDependOnEarlierCalls)
{
    struct Call {
        const Orbit* orbit;
        double s0, latitude;
    };
    std::vector<Call> calls;
    for (double solar : {s0, 1361.0})
        for (const Orbit& o : orbits)
            for (double latDeg : {65.0, -30.0})
                calls.push_back(Call{&o, solar, latDeg * degree});
    std::reverse(calls.begin() + calls.size() / 2, calls.end());
    for (const Call& c : calls) {
        const double energy = insolation::energyAbove(*c.orbit, c.s0, c.latitude, 275);
        const double summer = insolation::caloricHalfYears(*c.orbit, c.s0, c.latitude).summerEnergy;
        double freshEnergy = 0, freshSummer = 0;
        std::thread([&] {
            freshEnergy = insolation::energyAbove(*c.orbit, c.s0, c.latitude, 275);
            freshSummer = insolation::caloricHalfYears(*c.orbit, c.s0, c.latitude).summerEnergy;
        }).join();
        EXPECT_EQ(energy, freshEnergy) << "e " << c.orbit->eccentricity << " S0 " << c.s0;
        EXPECT_EQ(summer, freshSummer) << "e " << c.orbit->eccentricity << " S0 " << c.s0;
    }
}

TEST(YearInsolation, MonthlyMeansAreAveragesOverEachMonth)
{
    // Sums over time in steps of 1/200 day, the Sun placed on each calendar
    // day by Kepler's equation; a step belongs to the month of the equinox
    // calendar its time lies in, and to the angular month of its longitude.
    const int perDay = 200;
    const int steps = static_cast<int>(insolation::yearDays * perDay);
    const double dt = insolation::yearDays / steps;
    for (const Orbit& o : orbits) {
        for (double latDeg : {-70.0, 0.0, 65.0, 90.0}) {
            const double phi = latDeg * degree;
            double sum[2][12] = {}, count[2][12] = {};
            for (int k = 0; k < steps; ++k) {
                const double day = insolation::monthStartDay(0) + (k + 0.5) * dt;
                const double lambda = insolation::trueLongitudeOfDay(o, day);
                const double q = insolation::dailyMean(o, s0, phi, lambda);
                int month = 0;
                while (day >= insolation::monthStartDay(month + 1))
                    ++month;
                const int arc = std::min(11, static_cast<int>(lambda / (30 * degree)));
                sum[0][month] += q;
                count[0][month] += 1;
                sum[1][arc] += q;
                count[1][arc] += 1;
            }
            for (int c = 0; c < 2; ++c) {
                double starts[13];
                insolation::monthStartLongitudes(o, c == 0 ? insolation::Calendar::equinox
                                                           : insolation::Calendar::angular, starts);
                for (int m = 0; m < 12; ++m)
                    EXPECT_NEAR(insolation::meanBetween(o, s0, phi, starts[m], starts[m + 1]),
                                sum[c][m] / count[c][m], 0.02)
                        << "calendar " << c << " e " << o.eccentricity << " lat " << latDeg << " month " << m;
            }
        }
    }
    // The equinox calendar has the equinox on 21 March and tiles the year.
    EXPECT_NEAR(insolation::monthStartDay(2) + 20, insolation::equinoxDay, 0.05);
    EXPECT_NEAR(insolation::monthStartDay(12) - insolation::monthStartDay(0), insolation::yearDays, 1e-12);
}

TEST(DailyInsolation, InstantaneousAveragesToTheDailyMeanAndPeaksAtNoon)
{
    for (const Orbit& o : orbits) {
        for (double latDeg : {-90.0, -45.0, 0.0, 65.0, 80.0}) {
            for (int lambdaDeg = 0; lambdaDeg < 360; lambdaDeg += 45) {
                const double phi = latDeg * degree, lambda = lambdaDeg * degree;
                const auto at = [&](double hours) {
                    return insolation::instantaneous(o, s0, phi, lambda, insolation::hourAngleAt(hours));
                };
                const int steps = 4800;
                double sum = 0;
                for (int k = 0; k < steps; ++k)
                    sum += at((k + 0.5) * 24.0 / steps);
                const std::string where = "lat " + std::to_string(latDeg) + " lambda " + std::to_string(lambdaDeg);
                EXPECT_NEAR(sum / steps,
                            insolation::dailyMean(o, s0, phi, lambda),
                            2e-3) << where;
                // At noon the Sun stands at 90 - |phi - d| degrees.
                const double d = std::asin(std::sin(o.obliquity) * std::sin(lambda));
                const double v = lambda - o.perihelion - pi;
                const double aOverR = (1 + o.eccentricity * std::cos(v)) / (1 - o.eccentricity * o.eccentricity);
                EXPECT_NEAR(at(12), s0 * aOverR * aOverR * std::max(0.0, std::cos(phi - d)), 1e-9) << where;
                EXPECT_NEAR(at(9), at(15), 1e-9) << where;
                EXPECT_GE(at(9), 0.0) << where;
            }
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
                const double q = insolation::dailyMean(Orbit{e, eps, varpi}, s0, phi, season * halfPi);
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
