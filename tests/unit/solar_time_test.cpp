#include "insolation/dates.h"
#include "insolation/quantities.h"
#include "insolation/solar_time.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace insolation;

namespace {

// Today's orbit: e, obliquity and varpi near J2000.
const Orbit today = toOrbit({0.016709, 23.4393, 102.94, 0});

// The equation of time in minutes on day `day` of the tropical calendar.
double minutesOnDay(double day)
{
    return equationOfTimeHours(today, trueLongitudeOfDay(today, day, DayCalendar{})) * 60;
}

}  // namespace

TEST(SolarTime, TheEquationOfTimeReachesItsPublishedExtremes)
{
    struct Extreme {
        double firstDay, lastDay, minutes;  // window (1 January = day 1) and published value
        bool lowest;
    };
    const Extreme extremes[] = {{35, 55, -14.2, true}, {295, 315, 16.4, false}};
    for (const Extreme& x : extremes) {
        double found = x.lowest ? 1e9 : -1e9;
        for (double day = x.firstDay; day <= x.lastDay; day += 0.05)
            found = x.lowest ? std::min(found, minutesOnDay(day)) : std::max(found, minutesOnDay(day));
        EXPECT_NEAR(found, x.minutes, 0.3) << x.firstDay;
    }
}

TEST(SolarTime, LocalSolarTimeAddsLongitudeAndEquationAndStaysInOneDay)
{
    const double lambda = 1.0;
    const double eot = equationOfTimeHours(today, lambda);
    struct Case {
        double utc, lonEast, expected;
    };
    const Case cases[] = {{12, 0, 12 + eot}, {12, 90, 18 + eot}, {1, -30, 23 + eot}, {23, 30, 1 + eot}};
    for (const Case& c : cases)
        EXPECT_NEAR(localSolarHour(today, lambda, c.utc, c.lonEast), c.expected, 1e-12) << c.utc << " " << c.lonEast;
    // A circular orbit without tilt keeps the mean Sun: no equation of time.
    EXPECT_NEAR(equationOfTimeHours(Orbit{0, 0, 1.8}, 2.5), 0, 1e-14);
}

TEST(Dates, IsoDatesGiveTheirDayOfTheirYearsCalendar)
{
    struct Case {
        const char* text;
        const char* calendar;
        double day, hour;
    };
    const Case cases[] = {{"2021-03-21", "noleap", 80, 0},
                          {"2020-03-21T06:00Z", "all_leap", 81.25, 6},
                          {"1900-12-31T12:00:00+00:00", "noleap", 0.5, 12},
                          {"2000-12-31T18:00", "all_leap", 0.75, 18}};
    for (const Case& c : cases) {
        CalendarDate date;
        std::string error;
        ASSERT_TRUE(parseIsoDate(c.text, date, error)) << error;
        const DatePlace place = placeOf(date);
        EXPECT_STREQ(place.modelCalendar, c.calendar) << c.text;
        EXPECT_DOUBLE_EQ(place.day, c.day) << c.text;
        EXPECT_DOUBLE_EQ(place.hour, c.hour) << c.text;
    }
}

TEST(Dates, FaultyDatesAreRefusedWithTheirText)
{
    const char* const faulty[] = {"2021-02-29", "2021-13-01", "2021-06-21T24:00", "2021-06-21T12:00+02:00",
                                  "21-06-2021", "2021-06-21junk", "2021-06-21T12"};
    for (const char* text : faulty) {
        CalendarDate date;
        std::string error;
        EXPECT_FALSE(parseIsoDate(text, date, error)) << text;
        EXPECT_NE(error.find(text), std::string::npos) << error;
    }
}
