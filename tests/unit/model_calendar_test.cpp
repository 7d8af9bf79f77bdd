// Model calendars (noleap, 360_day, ...) against sums written here from
// their definitions: monthly means as time averages of the daily mean over
// each month by Simpson's rule in time (true longitude from Kepler's
// equation), the celestial months' lengths as integrals of dt/dlambda, and
// the request checks of a model calendar beside --year-days.
#include "insolation/quantities.h"
#include "insolation/request.h"
#include "math/constants.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

using math::pi;
using math::radiansPerDegree;

namespace {

using insolation::Orbit;

constexpr double s0 = 1365.0;
const Orbit orbits[] = {{0.0167, 23.44 * radiansPerDegree, 102.9 * radiansPerDegree},
                        {0.05, 22.5 * radiansPerDegree, 250.0 * radiansPerDegree}};
const double latitudes[] = {65.0, 0.0, -45.0};

// Mean anomaly at true longitude lambda (radians): perihelion at
// lambda = varpi + 180 degrees.
double meanAnomaly(const Orbit& o, double lambda)
{
    const double v = lambda - o.perihelion - pi, e = o.eccentricity;
    const double E = 2 * std::atan2(std::sqrt(1 - e) * std::sin(v / 2), std::sqrt(1 + e) * std::cos(v / 2));
    return E - e * std::sin(E);
}

// Daily-mean insolation (W/m^2) at calendar day t of a year of n days with
// the March equinox at day equinox.
double dailyMeanAt(const Orbit& o, double latitude, double t, double n, double equinox)
{
    const double e = o.eccentricity;
    const double m = meanAnomaly(o, 0) + 2 * pi * (t - equinox) / n;
    double E = m;
    for (int i = 0; i < 50; ++i)
        E -= (E - e * std::sin(E) - m) / (1 - e * std::cos(E));
    const double v = 2 * std::atan2(std::sqrt(1 + e) * std::sin(E / 2), std::sqrt(1 - e) * std::cos(E / 2));
    const double lambda = v + o.perihelion + pi;
    const double d = std::asin(std::sin(o.obliquity) * std::sin(lambda));
    const double phi = latitude * radiansPerDegree;
    const double c = std::max(-1.0, std::min(1.0, -std::tan(phi) * std::tan(d)));
    const double h0 = std::acos(c);
    const double inverseR = (1 + e * std::cos(v)) / (1 - e * e);
    return s0 / pi * inverseR * inverseR
           * (h0 * std::sin(phi) * std::sin(d) + std::cos(phi) * std::cos(d) * std::sin(h0));
}

// Simpson's rule of f over [a, b] in `steps` (even) steps.
template <class F>
double simpson(F f, double a, double b, int steps)
{
    const double h = (b - a) / steps;
    double sum = f(a) + f(b);
    for (int i = 1; i < steps; ++i)
        sum += (i % 2 ? 4 : 2) * f(a + i * h);
    return sum * h / 3;
}

struct CalendarCase {
    const char* name;
    double yearDays;
    double equinoxDay;  // 21 March 00:00, 1 January 00:00 being day 1.0
    int monthDays[12];
};
const CalendarCase calendars[] = {
    {"noleap", 365, 80, {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}},
    {"360_day", 360, 81, {30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30}},
};

TEST(ModelCalendar, MonthlyMeansAreTimeAveragesOfTheDailyMeanOverEachMonth)
{
    for (const CalendarCase& c : calendars)
        for (const Orbit& o : orbits)
            for (double latitude : latitudes) {
                SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(latitude));
                double means[12];
                insolation::monthlyValues(o, s0, latitude,
                                          insolation::monthCalendarOf(c.name, insolation::ofModelCalendar), means);
                double start = 1.0;
                for (int m = 0; m < 12; ++m) {
                    const double end = start + c.monthDays[m];
                    const auto q = [&](double t) { return dailyMeanAt(o, latitude, t, c.yearDays, c.equinoxDay); };
                    EXPECT_NEAR(means[m], simpson(q, start, end, 2000) / (end - start), 0.01) << "month " << m;
                    start = end;
                }
            }
}

TEST(ModelCalendar, CelestialMonthsTileTheYearAsKeplersSecondLawGives)
{
    for (const CalendarCase& c : calendars)
        for (const Orbit& o : orbits) {
            SCOPED_TRACE(c.name);
            const insolation::DayCalendar calendar = insolation::resolvedCalendar(c.name, {NAN, NAN, false});
            double v[insolation::celestialMonthValueCount];
            insolation::celestialMonthValues(o, calendar, v);
            const double e = o.eccentricity;
            // dt/dlambda in days per radian: n / (2 pi) (1 - e^2)^1.5 / (1 + e cos v)^2.
            const auto rate = [&](double lambda) {
                const double q = 1 + e * std::cos(lambda - o.perihelion - pi);
                return c.yearDays / (2 * pi) * std::pow(1 - e * e, 1.5) / (q * q);
            };
            double sum = 0, day = c.equinoxDay;
            for (int m = 0; m < 12; ++m) {
                const double length = simpson(rate, m * pi / 6, (m + 1) * pi / 6, 2000);
                EXPECT_NEAR(v[24 + m], length, 1e-6) << "month " << m;
                EXPECT_NEAR(v[m], day, 1e-6) << "month " << m;
                day = std::fmod(day + length, c.yearDays);
                EXPECT_NEAR(std::fmod(v[12 + m], c.yearDays), day, 1e-6) << "month " << m;
                sum += v[24 + m];
            }
            EXPECT_NEAR(sum, c.yearDays, 1e-9);
        }
}

TEST(ModelCalendar, ARequestNamesTheCalendarAndTheYearLengthThatContradictIt)
{
    struct Case {
        const char* model;
        double yearDays;
        double day;
        const char* problem;
    };
    const Case cases[] = {
        {"all_leap", NAN, 365.5, ""},
        {"366_day", 366, 365.5, ""},
        {"360_day", 365, 10, "--year-days: 365 days contradict --model-calendar 360_day (360 days)"},
        {"noleap", NAN, 365.5, "--day: 365.5 is outside 0 to 365"},
        {"julian", NAN, 10, "--model-calendar: julian not in {tropical,noleap,365_day,360_day,all_leap,366_day}"},
    };
    for (const Case& c : cases) {
        insolation::Request r;
        r.command = "daily";
        r.latitudes = {65};
        r.days = {c.day};
        r.modelCalendar = c.model;
        r.dayCalendar.yearDays = c.yearDays;
        EXPECT_EQ(insolation::requestProblem(r, insolation::commandLineNames), c.problem) << c.model;
    }
}

}  // namespace
