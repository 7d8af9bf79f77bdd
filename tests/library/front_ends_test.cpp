// What the front ends share below them: orbits given by hand checked as
// series records are and equal to them bit for bit, and the one set of
// request checks with its messages.
#include "insolation/quantities.h"
#include "insolation/request.h"
#include "orbit/orbit_source.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {

bool bitEqual(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(OrbitSource, ElementsByHandEqualASeriesFileOfTheSameValuesBitForBit)
{
    // varpi beyond 360 and below 0 are wrapped the same way on both paths.
    const double rows[][3] = {{0.0167, 23.44, 102.9}, {0.05, 22.1, 461.5}, {0, 24.5, -30}, {0.3, 90, 0}};
    TestDir dir;
    std::string text = "h\nh\nh\n";
    for (int i = 0; i < 4; ++i)
        text += std::to_string(-i) + " " + std::to_string(rows[i][0]) + " " + std::to_string(rows[i][2]) + " "
                + std::to_string(rows[i][1]) + " 0\n";
    dir.write("given.series", text);
    orbit::OrbitSource series;
    std::string error;
    ASSERT_TRUE(series.open(dir.path() + "/given.series", error)) << error;
    for (int i = 0; i < 4; ++i) {
        const orbit::Elements fromFile = series.at(-i);
        orbit::OrbitSource byHand;
        ASSERT_TRUE(byHand.setElements(std::stod(std::to_string(rows[i][0])), std::stod(std::to_string(rows[i][1])),
                                       std::stod(std::to_string(rows[i][2])), error))
            << error;
        const orbit::Elements given = byHand.at(12345.0);
        EXPECT_TRUE(bitEqual(given.eccentricity, fromFile.eccentricity)) << i;
        EXPECT_TRUE(bitEqual(given.perihelion, fromFile.perihelion)) << i;
        EXPECT_TRUE(bitEqual(given.obliquity, fromFile.obliquity)) << i;
        EXPECT_TRUE(bitEqual(given.precessionIndex, fromFile.precessionIndex)) << i;
        EXPECT_GE(given.perihelion, 0.0);
        EXPECT_LT(given.perihelion, 360.0);
    }
}

TEST(OrbitSource, RefusesElementsNoOrbitHasAndNamesMissingFiles)
{
    const struct {
        double e, obliquity, varpi;
        const char* message;  // "" for accepted
    } cases[] = {
        {0.0, 0.0, 0.0, ""},
        {0.999, 90.0, -1e6, ""},
        {1.0, 23.0, 0.0, "eccentricity 1 is outside [0, 1)"},
        {-0.01, 23.0, 0.0, "eccentricity -0.01 is outside [0, 1)"},
        {NAN, 23.0, 0.0, "eccentricity nan is outside [0, 1)"},
        {0.01, 90.5, 0.0, "obliquity 90.5 is outside [0, 90] degrees"},
        {0.01, -1.0, 0.0, "obliquity -1 is outside [0, 90] degrees"},
        {0.01, 23.0, INFINITY, "perihelion inf is not a finite number of degrees"},
    };
    for (const auto& c : cases) {
        orbit::OrbitSource source;
        std::string error;
        EXPECT_EQ(source.setElements(c.e, c.obliquity, c.varpi, error), *c.message == '\0') << c.message;
        EXPECT_EQ(error, c.message);
    }
    orbit::OrbitSource source;
    std::string error;
    EXPECT_FALSE(source.open("no/such/orbit.txt", error));
    EXPECT_EQ(error, "the series file no/such/orbit.txt is missing");
    EXPECT_FALSE(source.open("la2005", error));
    EXPECT_NE(error.find("unknown solution"), std::string::npos) << error;
}

TEST(RequestChecks, RefuseEachFaultWithTheFrontEndsOwnName)
{
    struct Case {
        void (*change)(insolation::Request&);
        const char* commandLine;  // expected message; "" for accepted
        const char* python;
    };
    const Case cases[] = {
        {[](insolation::Request&) {}, "", ""},
        {[](insolation::Request& r) { r.latitudes = {91}; }, "--lat: 91 is outside -90 to 90",
         "lat_deg: 91 is outside -90 to 90"},
        {[](insolation::Request& r) { r.hours = {12, 12}; }, "--hour: 12 is given twice (values must differ in "
         "their first 10 digits)", "hour: 12 is given twice (values must differ in their first 10 digits)"},
        {[](insolation::Request& r) { r.days = {365.5}; }, "--day: 365.5 is outside 0 to 365.2422",
         "day: 365.5 is outside 0 to 365.2422"},
        {[](insolation::Request& r) { r.days = {359.5}, r.dayCalendar.yearDays = 360; }, "", ""},
        {[](insolation::Request& r) { r.days = {360.5}, r.dayCalendar.yearDays = 360; },
         "--day: 360.5 is outside 0 to 360", "day: 360.5 is outside 0 to 360"},
        {[](insolation::Request& r) { r.dayCalendar.yearDays = 366; }, "--year-days: 366 is not a year length "
         "of the calendars known (365.2422, 365 or 360 days)", "year_days: 366 is not a year length of the "
         "calendars known (365.2422, 365 or 360 days)"},
        {[](insolation::Request& r) { r.dayCalendar.equinoxDay = -1; }, "--equinox-day: -1 is outside [0, "
         "365.2422)", "equinox_day: -1 is outside [0, 365.2422)"},
        {[](insolation::Request& r) { r.solarConstant = 0; }, "--solar-constant: 0 W/m^2 is outside (0, "
         "100000]; the present value is about 1361", "solar_constant: 0 W/m^2 is outside (0, 100000]; the "
         "present value is about 1361"},
        {[](insolation::Request& r) { r.command = "integrated", r.end = 370; }, "--end: 370 is outside 0 to 360",
         "end_deg: 370 is outside 0 to 360"},
        {[](insolation::Request& r) { r.threshold = NAN; }, "--start, --end and --threshold: nan is not a "
         "finite number", "start_deg, end_deg and threshold: nan is not a finite number"},
    };
    for (const Case& c : cases) {
        insolation::Request r;
        r.command = "daily";
        r.latitudes = {65, -65};
        r.longitudes = {90};
        c.change(r);
        EXPECT_EQ(insolation::requestProblem(r, insolation::commandLineNames), c.commandLine);
        EXPECT_EQ(insolation::requestProblem(r, insolation::pythonNames), c.python);
    }
}

TEST(RequestChecks, ResultsBeyondMemoryAreRefusedWithTheirSize)
{
    EXPECT_EQ(insolation::resultSizeProblem(1e6, "use dask"), "");
    const std::string problem = insolation::resultSizeProblem(1e15, "use dask");
    EXPECT_NE(problem.find("1e+15 values"), std::string::npos) << problem;
    EXPECT_NE(problem.find("use dask"), std::string::npos) << problem;
}

}  // namespace
