// The solutions of the other published tables: every record equal to the
// shipped table as read here (to the digits it prints), values between
// records at both ends of each span against an independent one-sided cubic
// (4-point Lagrange) of the records, and eccentricity-only solutions
// giving e alone.
#include "command_run.h"
#include "math/constants.h"
#include "orbit/orbital_elements.h"
#include "orbit/published_tables.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using math::radiansPerDegree;

namespace {

const std::string dataDir = std::string(PALEOVIZ_SOURCE_DIR) + "/data/";

// A number as printed and how closely it pins the value: half a unit of
// its last decimal when written without an exponent, exact otherwise.
struct Printed {
    double value;
    double tolerance;
};

Printed printed(std::string token)
{
    const bool exponent = token.find_first_of("DEde") != std::string::npos;
    std::replace(token.begin(), token.end(), 'D', 'E');
    const size_t point = token.find('.');
    const int decimals = point == std::string::npos ? 0 : int(token.size() - point - 1);
    return {std::strtod(token.c_str(), nullptr), exponent ? 0.0 : 0.5 * std::pow(10.0, -decimals)};
}

// The rows of a (possibly gzip-compressed) table, header lines skipped,
// each split into its printed numbers.
std::vector<std::vector<Printed>> readRows(const std::string& path)
{
    std::vector<std::vector<Printed>> rows;
    gzFile file = gzopen(path.c_str(), "rb");  // reads plain text as it is
    if (file == nullptr)
        return rows;
    char line[256];
    while (gzgets(file, line, sizeof line) != nullptr) {
        if (std::strchr("#%\"", line[0]) != nullptr)
            continue;
        std::vector<Printed> row;
        for (char* token = std::strtok(line, " \t\r\n"); token; token = std::strtok(nullptr, " \t\r\n"))
            row.push_back(printed(token));
        rows.push_back(row);
    }
    gzclose(file);
    return rows;
}

struct Table {
    const char* key;
    const char* file;
    int rows;
    // Columns: the time (-1: the row number, negated), e, perihelion and
    // obliquity (-1: none); angles in radians when inRadians.
    int time, e, perihelion, obliquity;
    bool inRadians;
    double timeSign;  // +1 when the file counts the past as positive
};

const Table tables[] = {
    {"berger1990", "ber90/ber90-elements-past-0-5000kyr.txt", 5001, 0, 1, 2, 3, false, -1},
    {"la93-01", "la93/la93-01-past-0-20000kyr.asc.gz", 20001, 0, 1, 3, 2, true, -1},
    {"la93-01", "la93/la93-01-future-0-10000kyr.asc.gz", 10001, 0, 1, 3, 2, true, -1},
    {"la93-11", "la93/la93-11-past-0-20000kyr.asc.gz", 20001, 0, 1, 3, 2, true, -1},
    {"la93-11", "la93/la93-11-future-0-10000kyr.asc.gz", 10001, 0, 1, 3, 2, true, -1},
    {"la2010a", "la2010/la2010a-eccentricity-past-0-249000kyr.txt.gz", 249001, -1, 0, -1, -1, false, -1},
    {"la2010b", "la2010/la2010b-eccentricity-past-0-249000kyr.txt.gz", 249001, -1, 0, -1, -1, false, -1},
    {"la2010c", "la2010/la2010c-eccentricity-past-0-249000kyr.txt.gz", 249001, -1, 0, -1, -1, false, -1},
    {"la2010d", "la2010/la2010d-eccentricity-past-0-249000kyr.txt.gz", 249001, -1, 0, -1, -1, false, -1},
    {"la2011", "la2011/la2011-eccentricity-past-0-99999kyr.txt.gz", 100000, -1, 0, -1, -1, false, -1},
    {"zb18a", "zb18a/zb18a-eccentricity-past-0-100000kyr.txt.gz", 62501, 0, 1, -1, -1, false, 1},
};

double angleDifference(double a, double b)
{
    return std::fabs(std::remainder(a - b, 360.0));
}

}  // namespace

TEST(PublishedSolutions, EveryRecordIsTheTablesValueToItsPrintedDigits)
{
    for (const Table& t : tables) {
        const std::vector<std::vector<Printed>> rows = readRows(dataDir + t.file);
        ASSERT_EQ(int(rows.size()), t.rows) << t.file;
        const orbit::SolutionInfo* solution = orbit::findSolution(t.key);
        ASSERT_NE(solution, nullptr) << t.key;
        const double angle = t.inRadians ? 1.0 / radiansPerDegree : 1.0;
        for (int j = 0; j < t.rows; ++j) {
            const std::vector<Printed>& row = rows[size_t(j)];
            const double time = t.time < 0 ? -j : -t.timeSign * row[size_t(t.time)].value;
            const orbit::Elements el = orbit::elementsAt(*solution, time);
            const Printed& e = row[size_t(t.e)];
            ASSERT_NEAR(el.eccentricity, e.value, e.tolerance) << t.file << " row " << j;
            if (t.perihelion < 0) {
                ASSERT_TRUE(std::isnan(el.perihelion) && std::isnan(el.obliquity) &&
                            std::isnan(el.precessionIndex)) << t.file << " row " << j;
                continue;
            }
            const Printed& w = row[size_t(t.perihelion)];
            const Printed& o = row[size_t(t.obliquity)];
            ASSERT_LE(angleDifference(el.perihelion, w.value * angle), w.tolerance * angle + 1e-12)
                << t.file << " row " << j;
            ASSERT_NEAR(el.obliquity, o.value * angle, o.tolerance * angle + 1e-12)
                << t.file << " row " << j;
            if (row.size() == 5) {  // BER90 prints e sin(w) too
                const Printed& index = row[4];
                // Its rounding plus that of e and w, which the library's e sin(w) uses.
                ASSERT_NEAR(el.precessionIndex, index.value,
                            index.tolerance + e.tolerance + e.value * w.tolerance * radiansPerDegree)
                    << t.file << " row " << j;
            }
        }
    }
}

TEST(PublishedSolutions, NearBothEndsBetweenRecordsTheyFollowAOneSidedCubic)
{
    // 4-point Lagrange through the first (last) four records, in the first
    // (last) interval: what a spline with ends that do not force the
    // curvature to zero must follow.
    for (int s = 0; s < orbit::solutionCount; ++s) {
        const orbit::SolutionInfo& solution = orbit::solutionRegistry[s];
        if (solution.id == orbit::Solution::laskar2004Fit || solution.id == orbit::Solution::berger1978)
            continue;  // series, not tables
        const double step = solution.id == orbit::Solution::zeebe2018a ? 1.6 : 1.0;
        const bool full = solution.available == orbit::Availability::allElements;
        for (double start : {solution.span.oldest, solution.span.newest - 3 * step}) {
            double x[4], y[4], e[4], obliquity[4];
            for (int k = 0; k < 4; ++k) {
                const orbit::Elements el = orbit::elementsAt(solution, start + k * step);
                e[k] = el.eccentricity;
                x[k] = el.eccentricity * std::cos(el.perihelion * radiansPerDegree);
                y[k] = el.precessionIndex;
                obliquity[k] = el.obliquity;
            }
            const double firstInterval = start == solution.span.oldest ? 0.0 : 2.0;
            for (double f : {0.1, 0.25, 0.5, 0.75, 0.9}) {
                const double p = firstInterval + f;  // position among the four nodes
                const double w[4] = {-(p - 1) * (p - 2) * (p - 3) / 6, p * (p - 2) * (p - 3) / 2,
                                     -p * (p - 1) * (p - 3) / 2, p * (p - 1) * (p - 2) / 6};
                double cx = 0, cy = 0, ce = 0, co = 0;
                for (int k = 0; k < 4; ++k) {
                    cx += w[k] * x[k];
                    cy += w[k] * y[k];
                    ce += w[k] * e[k];
                    co += w[k] * obliquity[k];
                }
                const orbit::Elements el = orbit::elementsAt(solution, start + p * step);
                const std::string where = std::string(solution.key) + " at " + std::to_string(start + p * step);
                if (!full) {
                    EXPECT_NEAR(el.eccentricity, ce, 5e-5) << where;
                    continue;
                }
                EXPECT_NEAR(el.eccentricity, std::hypot(cx, cy), 5e-5) << where;
                EXPECT_NEAR(el.precessionIndex, cy, 5e-5) << where;
                EXPECT_NEAR(el.obliquity, co, 1e-3) << where;
            }
        }
    }
}

TEST(PublishedSolutions, EccentricityOnlySolutionsGiveEAloneAndSayWhichHaveAll)
{
    const char* eccentricityOnly[] = {"la2010a", "la2010b", "la2010c", "la2010d", "la2011", "zb18a"};
    for (const char* key : eccentricityOnly) {
        const orbit::SolutionInfo* s = orbit::findSolution(key);
        ASSERT_NE(s, nullptr) << key;
        EXPECT_EQ(s->available, orbit::Availability::eccentricityOnly) << key;
        const orbit::Elements el = orbit::elementsAt(*s, -1234.3);
        EXPECT_TRUE(el.eccentricity > 0.0 && el.eccentricity < 0.1) << key;
        EXPECT_TRUE(std::isnan(el.perihelion) && std::isnan(el.obliquity)) << key;
        const std::string message = orbit::eccentricityOnlyMessage(*s);
        EXPECT_NE(message.find(key), std::string::npos) << message;
        EXPECT_NE(message.find("la2004, la2004-fit, berger1978, berger1990, la93-01, la93-11"),
                  std::string::npos) << message;
        EXPECT_EQ(message.find("la2011,"), std::string::npos) << message;
    }
}

TEST(PublishedSolutions, SeriesToolHelpListsEverySolutionAndWhichGiveNoFile)
{
    // Its manual page is made from this text.
    const CommandRun run = runCommand(std::string(ORBIT_SERIES_TOOL) + " --help");
    ASSERT_EQ(run.status, 0);
    for (int s = 0; s < orbit::solutionCount; ++s) {
        const orbit::SolutionInfo& solution = orbit::solutionRegistry[s];
        const size_t at = run.out.find("\n  " + std::string(solution.key) + " ");
        ASSERT_NE(at, std::string::npos) << solution.key << "\n" << run.out;
        const std::string line = run.out.substr(at + 1, run.out.find('\n', at + 1) - at - 1);
        const bool full = solution.available == orbit::Availability::allElements;
        const char* mark = !full ? "(e only)" : solution.span.oldest > -5799 ? "(too short)" : "";
        EXPECT_TRUE(*mark == '\0' ? line.find('(', line.find("kyr")) == std::string::npos
                                  : line.find(mark) != std::string::npos) << line;
    }
}

TEST(PublishedSolutions, DamagedTablesAreRefusedNamingTheLine)
{
    // Four records, 0 to -3 kyr, in three of the layouts the build checks.
    using orbit::TableLayout;
    struct Case {
        TableLayout layout;
        std::string text;
        const char* expected;  // nullptr: parses
    };
    const std::string berger = "# a\n# b\n0 0.01 100.5 23.4 0.01\n-1 0.01 90 23.4 0.01\n";
    const Case cases[] = {
        {TableLayout::bergerColumns, berger + "-2 0.01 80 23 0.01\n-3 0.01 70 23 0.01\n", nullptr},
        {TableLayout::bergerColumns, berger + "-2 0.01 80 23 0.01\n", "t line 5: the table ends after 3 rows"},
        {TableLayout::bergerColumns, berger + "-2 0.01 x 23 0.01\n-3 0.01 70 23 0.01\n",
         "t line 5: expected 5 numbers"},
        {TableLayout::bergerColumns, berger + "-4 0.01 80 23 0.01\n-3 0.01 70 23 0.01\n",
         "t line 5: time -4"},
        {TableLayout::bergerColumns, berger + "-2 1.5 80 23 0.01\n-3 0.01 70 23 0.01\n",
         "t line 5: eccentricity outside [0, 1)"},
        {TableLayout::eccentricityList, "\"ecc\"\n0.01\n0.02\n0.03\n0.04\n0.05\n",
         "t line 6: more than the 4 rows expected"},
        {TableLayout::laskarColumns, "0.0 0.1D-01 0.4D+00 0.1D+01\n-1.0 0.1D-01 0.4D+00 0.1D+01\n"
                                     "-2.0 0.1D-01 0.4D+00 0.1D+01\n-3.0 0.1D-01 0.4D+00 0.1D+01\n", nullptr},
    };
    for (const Case& c : cases) {
        const orbit::PublishedTable table{orbit::TableId::berger1990, "x", c.layout, "t", nullptr,
                                          -3.0, 1.0, 4};
        const orbit::FileBytes bytes{reinterpret_cast<const unsigned char*>(c.text.data()), c.text.size()};
        orbit::TableRecords records;
        std::string message;
        const bool parsed = orbit::parseTable(table, bytes, {nullptr, 0}, records, message);
        EXPECT_EQ(parsed, c.expected == nullptr) << c.text << message;
        if (c.expected != nullptr) {
            EXPECT_NE(message.find(c.expected), std::string::npos) << message;
            continue;
        }
        ASSERT_EQ(records.eccentricity.size(), 4u);
        EXPECT_EQ(records.eccentricity[0], 0.01);  // oldest first
        if (c.layout == TableLayout::bergerColumns) {
            EXPECT_EQ(records.perihelion, (std::vector<double>{70, 80, 90, 100.5}));
        }
    }
}
