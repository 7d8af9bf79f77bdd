// Calendars checked by their consistency: the equinox day is the equinox
// in every calendar, a day is the same share of the tropical year in
// every calendar, a day's mean is the mean of its instants, and the
// conversions invert each other.
#include "insolation/quantities.h"
#include "math/constants.h"

#include <gtest/gtest.h>

#include <cmath>

using insolation::DayCalendar;
using insolation::Orbit;
using math::radiansPerDegree;

namespace {

const Orbit orbits[] = {{0.0167, 23.44 * radiansPerDegree, 102.9 * radiansPerDegree},
                        {0.058, 22.1 * radiansPerDegree, 270.0 * radiansPerDegree},
                        {0.0, 24.5 * radiansPerDegree, 0.0}};

DayCalendar calendar(double yearDays, double equinoxDay, bool dayMean = false)
{
    DayCalendar c;
    c.yearDays = yearDays;
    c.equinoxDay = equinoxDay;
    c.dayMean = dayMean;
    return c;
}

// Distance between two angles in radians, across the wrap.
double angleGap(double a, double b)
{
    return std::fabs(std::remainder(a - b, 2 * math::pi));
}

TEST(Calendar, TheEquinoxDayIsTheEquinoxInEveryCalendar)
{
    for (const Orbit& o : orbits)
        for (double year : {365.2422, 365.0, 360.0})
            for (double equinox : {80.0, 80.5, 0.0})
                EXPECT_LT(angleGap(insolation::trueLongitudeOfDay(o, equinox, calendar(year, equinox)), 0), 1e-12)
                    << year << " " << equinox;
}

TEST(Calendar, LongitudesInDegreesStartTheTurnAtZero)
{
    const double turn = 2 * math::pi;
    EXPECT_EQ(insolation::longitudeDegrees(std::nextafter(turn, 0.0)), 0.0);
    EXPECT_EQ(insolation::longitudeDegrees(0.0), 0.0);
    EXPECT_NEAR(insolation::longitudeDegrees(math::pi), 180.0, 1e-12);
    EXPECT_GT(insolation::longitudeDegrees(turn * (1 - 1e-9)), 359.99);
}

TEST(Calendar, ADayIsTheSameShareOfTheTropicalYearInEveryCalendar)
{
    for (const Orbit& o : orbits) {
        for (double equinox : {80.0, 80.5}) {
            for (double d : {0.0, 45.25, 172.0, 300.0, 359.9}) {
                const double tropical = equinox + (d - equinox) * 365.2422 / 360;
                EXPECT_LT(angleGap(insolation::trueLongitudeOfDay(o, d, calendar(360, equinox)),
                                   insolation::trueLongitudeOfDay(o, tropical, calendar(365.2422, equinox))),
                          1e-12);
            }
        }
    }
}

TEST(Calendar, ADaysMeanIsTheMeanOfItsInstants)
{
    const int instants = 2000;
    for (const Orbit& o : orbits) {
        for (double year : {365.2422, 360.0}) {
            for (double latitude : {65.0, -30.0, 89.0}) {
                const double day = 170.0;
                double sum = 0;
                for (int k = 0; k < instants; ++k)
                    sum += insolation::dailyValueOfDay(o, 1365, latitude, day + (k + 0.5) / instants,
                                                       calendar(year, 80));
                const double mean = insolation::dailyValueOfDay(o, 1365, latitude, day, calendar(year, 80, true));
                EXPECT_NEAR(mean, sum / instants, 1e-6) << latitude;
                // Not the instant: the Sun moves a degree in a day.
                EXPECT_NE(mean, insolation::dailyValueOfDay(o, 1365, latitude, day, calendar(year, 80)));
            }
        }
    }
}

TEST(Calendar, ConversionsInvertEachOther)
{
    for (const Orbit& o : orbits) {
        for (double year : {365.2422, 365.0, 360.0}) {
            const DayCalendar c = calendar(year, 80.5);
            for (double lon : {0.0, 10.0, 90.0, 180.0, 270.0, 359.0}) {
                const double day = insolation::calendarDayOf(o, lon, c);
                EXPECT_GE(day, 0);
                EXPECT_LT(day, year);
                EXPECT_LT(angleGap(insolation::trueLongitudeOfDay(o, day, c), lon * radiansPerDegree), 1e-11);
            }
            const double perihelion = insolation::trueLongitudeOfDay(o, insolation::perihelionDay(o, c), c);
            EXPECT_LT(angleGap(perihelion, o.perihelion + math::pi), 1e-11);
        }
    }
}

}  // namespace
