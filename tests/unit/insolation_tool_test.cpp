// paleoviz-insolation as a user runs it: messages and exit statuses for bad
// input, no partial output, NetCDF readable by ncdump with the CSV's
// numbers, and series files interpolated through e exp(i varpi).
#include "command_run.h"
#include "math/constants.h"
#include "insolation/quantities.h"
#include "insolation/year_insolation.h"
#include "orbit/orbit_source.h"
#include "test_dir.h"
#include "value_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>

using math::halfPi;
using math::pi;
using math::radiansPerDegree;

namespace {

CommandRun tool(const std::string& args)
{
    return runCommand(std::string(PALEOVIZ_INSOLATION_TOOL) + " " + args);
}

std::string readFile(const std::string& name)
{
    std::ifstream in(name);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int filesIn(const std::string& dir)
{
    int n = 0;
    DIR* d = opendir(dir.c_str());
    while (dirent* entry = readdir(d))
        n += entry->d_name[0] != '.';
    closedir(d);
    return n;
}

const char* const headerLines = "h1\nh2\nh3\n";

}  // namespace

TEST(InsolationTool, BadInputIsNamedAndChangesNoFile)
{
    TestDir dir;
    dir.write("bad.series", std::string(headerLines) + "0 0.01 100 23 0\n-1 0.02 x1 23 0\n");
    dir.write("out.csv", "old\n");
    struct Case {
        const char* args;
        int status;
        const char* named;
    };
    const Case cases[] = {
        {"bogus -o out.csv", 2, "\"bogus\""},
        {"annual --lat 65 --bogus -o out.csv", 2, "--bogus"},
        {"annual --lat 95 -o out.csv", 2, "95"},
        {"annual --lat nan -o out.csv", 2, "\"nan\""},
        {"annual --lat 65 --time -51001 -o out.csv", 2, "-51001 kyr is outside the span of Laskar et al. (2004), published solution (la2004), -51000 to 21000 kyr"},
        {"annual --lat 65 --time 21000.5 -o out.csv", 2, "21000.5"},
        {"annual --lat 65 --time nan -o out.csv", 2, "nan"},
        {"annual --lat 65 --time -inf -o out.csv", 2, "-inf"},
        {"annual --lat 65 --orbit la2004fit -o out.csv", 2, "known ones are la2004, la2004-fit, berger1978"},
        {"daily --lat 65 --lon abc -o out.csv", 2, "\"abc\""},
        {"daily --lat 65 -o out.csv", 2, "--lon"},
        {"instant --lat 65 --hour 12 -o out.csv", 2, "--lon"},
        {"instant --lat 65 --lon 90 --hour 25 -o out.csv", 2, "25"},
        {"instant --lat 65 --lon 90 -o out.csv", 2, "--hour"},
        {"monthly --lat 65 --calendar julian -o out.csv", 2, "julian"},
        {"annual --lat 65 --orbit bad.series -o out.csv", 2, "\"x1\""},
        {"annual --lat 65 --orbit missing.series -o out.csv", 2, "missing.series"},
        {"annual --lat 65 --solar-constant -5 -o out.csv", 2, "-5"},
        {"annual --lat 65 --format netcdf", 2, "--output"},
        {"annual --lat 65 -o no/such/dir/out.csv", 2, "no/such/dir/out.csv"},
        {"annual --lat 65 > /dev/full", 1, "standard output"},
        {"daily --lat 65 --lon 90 --orbit la2010c -o out.csv", 2,
         "La2010c (la2010c) gives the eccentricity only; insolation needs all three elements, which "
         "these solutions give: la2004, la2004-fit, berger1978, berger1990, la93-01, la93-11"},
        {"annual --lat 65 --orbit zb18a -o out.csv", 2, "(zb18a) gives the eccentricity only"},
    };
    for (const Case& c : cases) {
        const CommandRun r = tool(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.named), std::string::npos) << c.args << "\n" << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << c.args << "\n" << r.out;
    }
    EXPECT_TRUE(readFile("out.csv") == "old\n");
    EXPECT_EQ(filesIn("."), 2);  // no temporary file left behind
}

TEST(InsolationTool, FaultyDatesAreRefusedWithoutOutput)
{
    TestDir dir;
    struct Case {
        const char* args;
        const char* named;
    };
    // BER90 ends at 1950 (time 0), so a date of 2020 lies past its span.
    const Case cases[] = {
        {"--date 2020-06-21x", "\"2020-06-21x\" is not an ISO 8601 date"},
        {"--date 21-06-2020", "\"21-06-2020\" is not an ISO 8601 date"},
        {"--date 2020-02-30", "\"2020-02-30\" is not a day of the calendar"},
        {"--date 2020-06-21T12:00+02:00", "has the zone +02:00; give the date in UTC"},
        {"--date 2020-06-21T12:00-05:00", "has the zone -05:00; give the date in UTC"},
        {"--date 2020-06-21 --day 80", "--day excludes --date"},
        {"--date 2020-06-21 --orbit berger1990", "is outside the span of Berger and Loutre (1991)"},
    };
    for (const Case& c : cases) {
        const std::string args = std::string("daily --lat 65 ") + c.args + " -o out.csv";
        const CommandRun r = tool(args);
        EXPECT_EQ(r.status, 2) << args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.named), std::string::npos) << args << "\n" << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << args << "\n" << r.out;
        EXPECT_EQ(filesIn("."), 0) << args;
    }
}

TEST(InsolationTool, EccentricityOnlySolutionsGiveTheirOneColumn)
{
    // La2011's table: 0.016702362 at 0, 0.017161383 at -1 kyr.
    const CommandRun r = tool("elements --orbit la2011 --time -1,0");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string rows = r.out.substr(r.out.find("\ntime_kyr") + 1);
    EXPECT_EQ(rows, "time_kyr,eccentricity\n-1,0.017161383\n0,0.016702362\n") << r.out;
}

TEST(InsolationTool, HelpListsEverySolutionWithItsElementsAndSpans)
{
    const CommandRun r = tool("--help");
    ASSERT_EQ(r.status, 0);
    for (int i = 0; i < orbit::solutionCount; ++i) {
        const orbit::SolutionInfo& s = orbit::solutionRegistry[i];
        const size_t at = r.out.find("\n  " + std::string(s.key) + " ");
        ASSERT_NE(at, std::string::npos) << s.key << "\n" << r.out;
        const std::string line = r.out.substr(at + 1, r.out.find('\n', at + 1) - at - 1);
        EXPECT_NE(line.find(orbit::availableElementsText(s)), std::string::npos) << line;
        EXPECT_NE(line.find(formatNumber(s.span.oldest) + " to " + formatNumber(s.span.newest)),
                  std::string::npos) << line;
        EXPECT_NE(line.find(s.reliableOldest > s.span.oldest ? "reliable from " + formatNumber(s.reliableOldest)
                                                             : std::string("reliable throughout")),
                  std::string::npos) << line;
    }
}

TEST(InsolationTool, NetcdfHoldsTheCsvNumbersWithUnits)
{
    if (runCommand("ncdump 2>&1 >/dev/null; command -v ncdump").out.empty())
        GTEST_SKIP() << "ncdump is not installed";
    TestDir dir;
    const std::string request = "daily --time -2:0:1 --lat -90,65 --lon 90,180";
    ASSERT_EQ(tool(request + " -o q.csv").status, 0);
    ASSERT_EQ(tool(request + " -o q.nc").status, 0);  // NetCDF by the name
    const CommandRun header = runCommand("ncdump -hs q.nc");
    ASSERT_EQ(header.status, 0) << header.out;
    for (const char* expected : {"insolation(time, lat, solar_longitude)", "insolation:units = \"W m-2\"",
                                 "lat:units = \"degrees_north\"", ":Conventions = \"CF-1.8\"",
                                 ":solar_constant = 1365.", "time:units = \"kyr\"",
                                 "insolation:_DeflateLevel = 4", "insolation:_Shuffle = \"true\"",
                                 ":history = \"", ":version = \"paleoviz-insolation "})
        EXPECT_NE(header.out.find(expected), std::string::npos) << expected << "\n" << header.out;
    // The data section lists the 12 values in the CSV's column order.
    const CommandRun data = runCommand("ncdump -v insolation -p 9,17 q.nc | sed -n '/insolation =/,/;/p' | tr -c '0-9.e+-' ' '");
    std::istringstream numbers(data.out);
    std::vector<double> fromNetcdf;
    for (double x; numbers >> x;)
        fromNetcdf.push_back(x);
    std::vector<double> fromCsv;
    std::istringstream csv(readFile("q.csv"));
    for (std::string line; std::getline(csv, line);) {
        if (line.empty() || line[0] == '#' || line[0] == 't')
            continue;
        std::istringstream fields(line);
        std::string field;
        std::getline(fields, field, ',');  // time
        while (std::getline(fields, field, ','))
            fromCsv.push_back(std::stod(field));
    }
    ASSERT_EQ(fromCsv.size(), 12u);
    ASSERT_EQ(fromNetcdf.size(), fromCsv.size()) << data.out;
    for (size_t i = 0; i < fromCsv.size(); ++i)
        EXPECT_NEAR(fromNetcdf[i], fromCsv[i], 1e-6 * (1 + std::fabs(fromCsv[i]))) << "value " << i;
}

// Days counted in a model calendar carry its CF name on the day axis; the
// tropical year, which CF does not name, carries none.
TEST(InsolationTool, NetcdfDayAxisNamesItsModelCalendar)
{
    if (runCommand("ncdump 2>&1 >/dev/null; command -v ncdump").out.empty())
        GTEST_SKIP() << "ncdump is not installed";
    TestDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"noleap", "day:calendar = \"noleap\""}, {"360_day", "day:calendar = \"360_day\""},
        {"all_leap", "day:calendar = \"all_leap\""}, {"tropical", ""}};
    for (const auto& [model, expected] : cases) {
        ASSERT_EQ(tool(std::string("daily --time 0 --lat 65 --day 0,100 --model-calendar ") + model + " -o q.nc").status, 0);
        const std::string header = runCommand("ncdump -h q.nc").out;
        if (*expected != '\0')
            EXPECT_NE(header.find(expected), std::string::npos) << model << "\n" << header;
        else
            EXPECT_EQ(header.find("day:calendar"), std::string::npos) << header;
        std::remove("q.nc");
    }
}

TEST(InsolationTool, SeriesFilesInterpolateTheEccentricityVector)
{
    TestDir dir;
    // varpi crosses 360: halfway it is 0, not the 180 of the angles' mean.
    dir.write("wrap.series", std::string(headerLines) + "0 0.02 10 23 0\n-1 0.02 350 24 0\n-2 0.03 330 25 0\n");
    orbit::OrbitSource source;
    std::string error;
    ASSERT_TRUE(source.open("wrap.series", error)) << error;
    EXPECT_TRUE(source.covers(-2) && source.covers(0) && !source.covers(0.1) && !source.covers(-2.1));
    const orbit::Elements half = source.at(-0.5);
    EXPECT_NEAR(std::fmod(half.perihelion + 180, 360) - 180, 0.0, 1e-9);
    EXPECT_NEAR(half.eccentricity, 0.02 * std::cos(10 * radiansPerDegree), 1e-12);
    EXPECT_NEAR(half.obliquity, 23.5, 1e-12);
    const orbit::Elements record = source.at(-2);
    EXPECT_NEAR(record.eccentricity, 0.03, 1e-12);
    EXPECT_NEAR(record.perihelion, 330, 1e-9);
}

TEST(InsolationTool, ListsExpandRangesWithBothEnds)
{
    struct Case {
        std::vector<std::string> items;
        std::vector<double> values;  // empty: refused
    };
    const Case cases[] = {
        {{"0:-3:1"}, {0, -1, -2, -3}},
        {{"65", "-65", "0:1:0.3"}, {65, -65, 0, 0.3, 0.6, 0.9}},
        {{"1:2"}, {}},
        {{"1:2:0"}, {}},
        {{"1:2:-1"}, {}},
        {{"1:2:1:3"}, {}},
        {{"91"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<double> out;
        std::string error;
        const bool ok = expandList("--lat", c.items, -90, 90, out, error);
        EXPECT_EQ(ok, !c.values.empty()) << c.items[0] << ": " << error;
        if (!ok)
            continue;
        ASSERT_EQ(out.size(), c.values.size()) << c.items[0];
        for (size_t i = 0; i < out.size(); ++i)
            EXPECT_NEAR(out[i], c.values[i], 1e-12) << c.items[0] << " value " << i;
    }
    // A step that is not a whole fraction of the span still ends on TO.
    std::vector<double> times;
    std::string error;
    ASSERT_TRUE(expandList("--time", {"0:-5799:0.99982758620689655"}, -1e9, 1e9, times, error));
    EXPECT_EQ(times.size(), 5801u);
    EXPECT_EQ(times.back(), -5799);
}

TEST(InsolationTool, PrintedValuesFollowTheStatedConventions)
{
    // The CSV's one value for each request, against the library on the
    // solution's elements at that time, in the past and in the future.
    for (const char* time : {"-10", "10"}) {
    const orbit::Elements now = orbit::elementsAt(orbit::Solution::laskar2004, std::stod(time));
    const insolation::Orbit o = insolation::toOrbit(now);
    const double phi = 65 * radiansPerDegree;
    struct Case {
        const char* args;
        double expected;
    };
    const Case cases[] = {
        {"daily --lat 65 --lon 90", insolation::dailyMean(o, 1365, phi, halfPi)},
        {"daily --lat 65 --day 80", insolation::dailyMean(o, 1365, phi, 0)},
        {"daily --lat 65 --lon 90 --solar-constant 1361",
         insolation::dailyMean(o, 1361, phi, halfPi)},
        {"threshold --lat 65", insolation::energyAbove(o, 1365, phi, 275) / 1e9},
        {"caloric --lat 65", insolation::caloricHalfYears(o, 1365, phi).summerEnergy / 1e9},
        {"monthly --lat 65", insolation::meanBetween(o, 1365, phi, insolation::trueLongitudeOfDay(o, 1),
                                                     insolation::trueLongitudeOfDay(o, 1 + 31 * insolation::yearDays / 365))},
        {"monthly --lat 65 --calendar angular", insolation::meanBetween(o, 1365, phi, 0, pi / 6)},
        {"instant --lat 65 --lon 90 --hour 10", insolation::instantaneous(o, 1365, phi, halfPi, -pi / 6)},
        {"annual --lat 65", insolation::annualMean(o, 1365, phi)},
    };
    for (const Case& c : cases) {
        const CommandRun r = tool(std::string(c.args) + " --time " + time);
        ASSERT_EQ(r.status, 0) << c.args << "\n" << r.out;
        const std::string last = r.out.substr(r.out.rfind("\n" + std::string(time) + ",") + 2 + std::strlen(time));
        EXPECT_NEAR(std::stod(last), c.expected, 1e-8 * std::fabs(c.expected)) << c.args << time;
    }
    }
}

TEST(InsolationTool, RequestsTooLargeAreRefusedUpFrontWithTheirSize)
{
    TestDir dir;
    struct Case {
        const char* args;
        const char* named;  // the size's kind and the suggestion
    };
    const Case cases[] = {
        // 6.5e10 values; 1.2e12 bytes of CSV
        {"daily --time -1000:0:1 --lat -90:90:0.01 --lon 0:360:0.1 -o x.nc", "values"},
        {"daily --time -1000:0:1 --lat -90:90:0.01 --lon 0:360:0.1 -o x.csv", "NetCDF"},
        {"daily --time -1000:0:1 --lat -90:90:0.01 --lon 0:360:0.1 --long", "NetCDF"},
        // one step of 6.5e11 values exceeds any machine's memory
        {"daily --lat -90:90:0.0001 --lon 0:360:0.001 -o x.nc", "memory"},
        // two ranges of 9 million each: the list's limit counts both
        {"annual --lat -90:0:0.00001,0:90:0.00001 -o x.nc", "coarser step"},
    };
    for (const Case& c : cases) {
        const CommandRun r = tool(c.args);
        EXPECT_EQ(r.status, 2) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.named), std::string::npos) << c.args << "\n" << r.out;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << c.args << "\n" << r.out;
    }
    EXPECT_EQ(filesIn("."), 0);
}

TEST(InsolationTool, ValuesOutsideTheirRangesAndNonFiniteResultsAreRefused)
{
    TestDir dir;
    const std::string records = "0 0.01 100 23 0\n-1 0.02 110 24 0\n";
    dir.write("e1.series", std::string(headerLines) + "0 0.01 100 23 0\n-1 1 110 24 0\n");
    dir.write("obl.series", std::string(headerLines) + "0 0.01 100 23 0\n-1 0.02 110 90.5 0\n");
    dir.write("cr.series", "h1\rh2\rh3\r0 0.01 100 23 0\r-1 0.02 110 24 0\r");
    dir.write("crlf.series", "h1\r\nh2\r\nh3\r\n0 0.01 100 23 0\r\n-1 0.02 110 90 0\r\n");
    dir.write("a\nb.series", std::string(headerLines) + records);
    // Without its header, the first three records would be taken as one.
    dir.write("headless.series", "1 0.01 100 23 0\n" + records);
    struct Case {
        std::string args;
        int status;
        const char* found;  // in the output: the message, or a column
    };
    const Case cases[] = {
        {"annual --lat 65 --solar-constant 0", 2, "(0, 100000]"},
        {"annual --lat 65 --solar-constant 1e308", 2, "(0, 100000]"},
        {"annual --lat 65 --solar-constant 100000", 0, "insolation_lat65"},
        {"annual --lat 65 --solar-constant 0x10", 2, "0x10"},
        {"annual --lat 65 --orbit e1.series", 2, "record 2"},
        {"annual --lat 65 --orbit obl.series", 2, "record 2"},
        {"annual --lat 65 --orbit cr.series --time -0.5", 0, "\n-0.5,"},
        {"annual --lat 65 --orbit headless.series", 2, "line 1 is a record: the three header lines are missing"},
        {"annual --lat 65 --orbit crlf.series --time -1", 0, "\n-1,"},
        // obliquity 90 degrees: the Sun over the pole at the solstice
        {"daily --lat 0 --lon 90 --orbit crlf.series --time -1", 0, "\n-1,"},
        {"integrated --lat 65 --start 0 --end 1e-300", 2, "not a finite number"},
        {"annual --lat 010", 0, "insolation_lat10\n"},
        {"annual --lat 65,65.00000000001", 2, "twice"},
        {"daily --lat 65 --lon 361", 2, "361"},
        {"daily --lat 65 --day 366", 2, "366"},
        {"annual --lat 65 --time 0:-2:-1", 0, "\n-2,"},
        {"annual --lat 65 --time 0:2:-1", 2, "0:2:-1"},
        {"annual --lat 65 -o x.nc --format csv", 2, "contradicts"},
    };
    for (const Case& c : cases) {
        const CommandRun r = tool(c.args);
        EXPECT_EQ(r.status, c.status) << c.args << "\n" << r.out;
        EXPECT_NE(r.out.find(c.found), std::string::npos) << c.args << "\n" << r.out;
    }
    // A series file through a pipe is read to its end.
    const CommandRun piped = runCommand("cat crlf.series | " + std::string(PALEOVIZ_INSOLATION_TOOL) +
                                        " annual --lat 65 --orbit /dev/stdin --time -1");
    EXPECT_EQ(piped.status, 0) << piped.out;
    EXPECT_NE(piped.out.find("\n-1,"), std::string::npos) << piped.out;
    // A newline in a file name stays inside its header line.
    const CommandRun named = tool("annual --lat 65 --orbit 'a\nb.series'");
    ASSERT_EQ(named.status, 0) << named.out;
    std::istringstream lines(named.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(line[0] == '#' || line.rfind("time_kyr,", 0) == 0 || line[0] == '0' || line[0] == '-') << line;
}
