// The orbital series generator: the Berger (1978) computation against its
// published check values, the record format as the program scans it, the
// Laskar et al. (2004) importer, and the command line of the tool.
#include "command_run.h"
#include "math/constants.h"
#include "orbit_series.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

using math::radiansPerDegree;

namespace {

constexpr double degree = radiansPerDegree;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool fileExists(const std::string& path)
{
    return std::ifstream(path).good();
}

// A Laskar table of rows 0, -1, ... kyr written as the distributed file
// writes them; row j has eccentricity 0.01 + j/1e6, obliquity 0.4 rad and
// perihelion j/100 rad.
std::vector<std::string> laskarRows(int rows)
{
    std::vector<std::string> lines;
    char line[160];
    for (int j = 0; j < rows; ++j) {
        std::snprintf(line, sizeof line, "%14.3f %24.16E %24.16E %24.16E", -double(j),
                      0.01 + j / 1e6, 0.4, j / 100.0);
        lines.push_back(line);
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

const orbit::SolutionInfo& berger = orbit::solutionInfo(orbit::Solution::berger1978);
const orbit::SolutionInfo& fit = orbit::solutionInfo(orbit::Solution::laskar2004Fit);
const orbit::SolutionInfo& la2004 = orbit::solutionInfo(orbit::Solution::laskar2004);

CommandRun runTool(const std::string& arguments)
{
    return runCommand(std::string(ORBIT_SERIES_TOOL) + " " + arguments);
}

}  // namespace

TEST(BergerSeries, ReproducesThePublishedCheckValues)
{
    // Tolerances: half a unit in the last published digit.
    struct Case { double years, e, perihelion, obliquity; };
    for (const Case& c : {Case{0, 0.016724, 102.039, 23.44627},
                          Case{-10000, 0.019419, 294.817, 24.22696},
                          Case{-21000, 0.018994, 114.425, 22.94902}}) {
        const orbit::Elements el = orbit::elementsAt(orbit::Solution::berger1978, c.years / 1000);
        EXPECT_NEAR(el.eccentricity, c.e, 5e-7) << c.years;
        EXPECT_NEAR(el.perihelion, c.perihelion, 5e-4) << c.years;
        EXPECT_NEAR(el.obliquity, c.obliquity, 5e-6) << c.years;
        EXPECT_NEAR(el.precessionIndex, c.e * std::sin(c.perihelion * degree), 1e-6) << c.years;
    }
}

TEST(BergerSeries, RecordsRunIntoThePastWithinPhysicalRanges)
{
    const std::vector<orbit::Elements> records = solutionSeries(berger);
    ASSERT_EQ(records.size(), 5800u);
    EXPECT_NEAR(records[10].perihelion, 294.817, 5e-4);  // record j is j kyr ago
    EXPECT_NEAR(records[21].obliquity, 22.94902, 5e-6);
    int perihelionPassages = 0;
    for (size_t j = 0; j < records.size(); ++j) {
        const orbit::Elements& el = records[j];
        EXPECT_GE(el.perihelion, 0.0) << j;
        EXPECT_LT(el.perihelion, 360.0) << j;
        EXPECT_GT(el.eccentricity, 0.0) << j;
        EXPECT_LT(el.eccentricity, 0.07) << j;
        EXPECT_GT(el.obliquity, 22.0) << j;
        EXPECT_LT(el.obliquity, 24.6) << j;
        if (j > 0 && el.perihelion > records[j - 1].perihelion + 180.0)
            ++perihelionPassages;
    }
    // Going back in time the perihelion longitude falls through 0 about once
    // every 21 to 23 thousand years.
    EXPECT_GT(perihelionPassages, 5800 / 26);
    EXPECT_LT(perihelionPassages, 5800 / 19);
}

TEST(SeriesFormat, WrapsAnglesIntoOneTurn)
{
    struct Case { double in, out; };
    for (const Case& c : {Case{0, 0}, Case{102.5, 102.5}, Case{-0.5, 359.5}, Case{720.25, 0.25},
                          Case{360, 0}, Case{-360, 0}, Case{-1e-15, 0}, Case{-725, 355}}) {
        EXPECT_NEAR(orbit::wrapDegrees(c.in), c.out, 1e-9) << c.in;
        EXPECT_LT(orbit::wrapDegrees(c.in), 360.0) << c.in;
    }
}

TEST(SeriesFormat, RecordsReadBackWithTheProgramsScan)
{
    struct Case { int kyr; orbit::Elements el; const char* text; };
    for (const Case& c : {
             Case{0, {0.016723933, 23.4462713, 102.0390495, 0.0163561013},
                  "     0 0.01672393  102.039050  23.446271  0.01635610\n"},
             Case{-5799, {0.05, 22.1, 359.25, -0.000654321},
                  " -5799 0.05000000  359.250000  22.100000 -0.00065432\n"},
             Case{-17, {0.02, 24.0, 359.99999999, -0.0000000035},
                  "   -17 0.02000000    0.000000  24.000000 -0.00000000\n"}}) {
        const std::string line = formatRecord(c.kyr, c.el);
        EXPECT_EQ(line, c.text);
        int kyr = 1;
        double e = 0, perihelion = 0, obliquity = 0;
        float index = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %lf %lf %lf %f", &kyr, &e, &perihelion,
                              &obliquity, &index), 5);
        EXPECT_EQ(kyr, c.kyr);
        EXPECT_NEAR(e, c.el.eccentricity, 5e-9);
        EXPECT_NEAR(obliquity, c.el.obliquity, 5e-7);
    }
}

TEST(SeriesFormat, FileHasThreeShortHeaderLinesNamingTheSource)
{
    struct Case { SeriesSource source; const char* names; };
    for (const Case& c : {Case{&berger, "Berger (1978)"},
                          Case{&berger, "(0, 1950)"},
                          Case{importedTable, "Levrard (2004)"},
                          Case{&la2004, "Laskar et al. (2004), published solution"},
                          Case{&la2004, "time 0 at J2000"},
                          Case{&la2004, "from the moving equinox"},
                          Case{&fit, "Laskar et al. (2004) by the project's fitted series"},
                          Case{&fit, "time 0 at J2000"},
                          Case{&fit, "max differences from the reference: "
                                     "e 0.00014, obliquity 0.0019 deg"}}) {
        std::istringstream text(seriesText(c.source, solutionSeries(berger)));
        std::string line;
        std::string header;
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(std::getline(text, line));
            EXPECT_LT(line.size(), 255u) << line;
            header += line + "\n";
        }
        EXPECT_EQ(header, seriesHeader(c.source));
        EXPECT_NE(header.find(c.names), std::string::npos) << header;
        int records = 0;
        while (std::getline(text, line)) {
            EXPECT_EQ(std::atoi(line.c_str()), -records) << line;
            ++records;
        }
        EXPECT_EQ(records, 5800);
    }
}

TEST(LaskarImport, ConvertsRadiansAndWrapsThePerihelion)
{
    struct Case { double e, oblRad, perRad, obliquity, perihelion, index; };
    for (const Case& c : {
             Case{0.1670236225492288E-01, 0.4090928042223415, 1.796256991128036,
                  23.439291111, 102.917944513, 0.016279645952},
             Case{0.1716138713254424E-01, 0.4113529838787881, 1.497928479545051,
                  23.568789866, 85.824979890, 0.017115846181},
             Case{0.05, 0.4, -0.5, 22.918311805, 331.352110243, -0.023971276930},
             Case{0.05, 0.4, 7.0, 22.918311805, 41.070456592, 0.032849329936}}) {
        const orbit::Elements el = laskarElements(c.e, c.oblRad, c.perRad);
        EXPECT_EQ(el.eccentricity, c.e);
        EXPECT_NEAR(el.obliquity, c.obliquity, 1e-8) << c.perRad;
        EXPECT_NEAR(el.perihelion, c.perihelion, 1e-8) << c.perRad;
        EXPECT_NEAR(el.precessionIndex, c.index, 1e-11) << c.perRad;
    }
}

TEST(LaskarImport, ReadsTheFirst5800RowsOfTheTable)
{
    std::vector<std::string> lines = laskarRows(5800);
    lines.insert(lines.begin(), "# columns: t e obl pibar");
    lines.insert(lines.begin() + 3, "   ");
    lines[5] = "        -3.000   0.10003000000000000D-01   0.4D+00   0.3D-01";
    lines.push_back("not read: the table is long enough already");
    std::istringstream in(joinLines(lines));
    std::vector<orbit::Elements> records;
    std::string message;
    ASSERT_TRUE(readLaskarTable(in, records, message)) << message;
    ASSERT_EQ(records.size(), 5800u);
    for (int j : {0, 1, 3, 4999, 5799}) {
        EXPECT_NEAR(records[j].eccentricity, 0.01 + j / 1e6, 1e-15) << j;
        EXPECT_NEAR(records[j].obliquity, 0.4 / degree, 1e-9) << j;
        EXPECT_NEAR(records[j].perihelion, orbit::wrapDegrees(j / 100.0 / degree), 1e-8) << j;
    }
}

TEST(LaskarImport, RejectsMalformedTablesNamingTheLine)
{
    const std::string fourNumbers = "expected four numbers: time (kyr), eccentricity, "
                                    "obliquity (rad), perihelion longitude (rad)";
    struct Case { int row; const char* replacement; std::string message; };
    for (const Case& c : {
             Case{3, "-3.0 0.01 abc 0.1", "line 4: " + fourNumbers},
             Case{3, "-3.0 0.01 0.4", "line 4: " + fourNumbers},
             Case{3, "-3.0 0.01 0.4 0.1 7", "line 4: " + fourNumbers},
             Case{3, "-3.0 0.01 0.4x 0.1", "line 4: " + fourNumbers},
             Case{3, "-3.0 0.01 nan 0.1", "line 4: " + fourNumbers},
             Case{0, "1.000 0.01 0.4 0.1",
                  "line 1: time 1 kyr lies in the future; use the table of the past "
                  "(0, -1, -2, ... kyr)"},
             Case{0, "-1.000 0.01 0.4 0.1",
                  "line 1: time -1 kyr where 0 was expected; rows must run 0, -1, -2, ... kyr, "
                  "one per thousand years"},
             Case{5, "-6.000 0.01 0.4 0.1",
                  "line 6: time -6 kyr where -5 was expected; rows must run 0, -1, -2, ... kyr, "
                  "one per thousand years"},
             Case{7, "-7.500 0.01 0.4 0.1",
                  "line 8: time -7.5 kyr where -7 was expected; rows must run 0, -1, -2, ... "
                  "kyr, one per thousand years"},
             Case{9, "-9.000 1.2 0.4 0.1", "line 10: eccentricity 1.2 is outside 0 to 1"},
             Case{9, "-9.000 -0.01 0.4 0.1", "line 10: eccentricity -0.01 is outside 0 to 1"}}) {
        std::vector<std::string> lines = laskarRows(5800);
        lines[c.row] = c.replacement;
        std::istringstream in(joinLines(lines));
        std::vector<orbit::Elements> records;
        std::string message;
        EXPECT_FALSE(readLaskarTable(in, records, message)) << c.replacement;
        EXPECT_EQ(message, c.message);
    }
}

TEST(LaskarImport, RejectsShortTables)
{
    for (int rows : {0, 1, 5799}) {
        std::istringstream in(joinLines(laskarRows(rows)));
        std::vector<orbit::Elements> records;
        std::string message;
        EXPECT_FALSE(readLaskarTable(in, records, message));
        EXPECT_EQ(message, "the table ends at line " + std::to_string(rows) + " with " +
                               std::to_string(rows) +
                               " rows; the series file needs 5800 (0 to -5799 kyr)");
    }
}

TEST(OrbitSeriesTool, CommandLineAndFiles)
{
    TestDir dir;
    dir.write("table.txt", joinLines(laskarRows(5800)));
    dir.write("short.txt", joinLines(laskarRows(12)));
    const std::string usage =
        "usage: paleoviz-orbit-series SOLUTION OUTPUT   (SOLUTION: la2004, la2004-fit, berger1978, la93-01, "
        "la93-11)\n"
        "       paleoviz-orbit-series laskar INPUT OUTPUT\n";
    struct Case { std::string arguments; int status; std::string out; const char* made; };
    for (const Case& c : {
             Case{"", 2, "paleoviz-orbit-series: no source given\n" + usage, nullptr},
             Case{"laskr table.txt x", 2,
                  "paleoviz-orbit-series: unknown solution \"laskr\"; the known ones are la2004, "
                  "la2004-fit, berger1978, berger1990, la93-01, la93-11, la2010a, la2010b, "
                  "la2010c, la2010d, la2011, zb18a, or laskar to convert a table\n" + usage, "x"},
             Case{"berger1990 ber90.out", 2,
                  "paleoviz-orbit-series: Berger and Loutre (1991), BER90 (berger1990) spans -5000 to 0 "
                  "kyr, 5001 records back from the present; the series file needs 5800 (0 to "
                  "-5799 kyr)\n", "ber90.out"},
             Case{"zb18a zb.out", 2,
                  "paleoviz-orbit-series: Zeebe and Lourens (2019), ZB18a (zb18a) gives the eccentricity "
                  "only; insolation needs all three elements, which these solutions give: "
                  "la2004, la2004-fit, berger1978, berger1990, la93-01, la93-11; the series file "
                  "needs them too\n", "zb.out"},
             Case{"berger1978", 2,
                  "paleoviz-orbit-series: berger1978 takes one argument, the output file\n" + usage,
                  nullptr},
             Case{"laskar table.txt", 2,
                  "paleoviz-orbit-series: laskar takes two arguments, the input table and the output "
                  "file\n" + usage, nullptr},
             Case{"laskar missing.txt out", 1,
                  "paleoviz-orbit-series: cannot open \"missing.txt\" for reading\n", "out"},
             Case{"laskar short.txt out", 1,
                  "paleoviz-orbit-series: short.txt: the table ends at line 12 with 12 rows; the series "
                  "file needs 5800 (0 to -5799 kyr)\n", "out"},
             Case{"berger1978 no-such-dir/out", 2,
                  "paleoviz-orbit-series: cannot write \"no-such-dir/out\": there is no folder no-such-dir\n", nullptr},
             Case{"laskar table.txt laskar.out", 0, "", "laskar.out"},
             Case{"la2004-fit", 2,
                  "paleoviz-orbit-series: la2004-fit takes one argument, the output file\n" + usage, nullptr},
             Case{"berger1978 berger.out", 0, "", "berger.out"},
             Case{"la2004-fit fit.out", 0, "", "fit.out"},
             Case{"la2004 la2004.out", 0, "", "la2004.out"}}) {
        const CommandRun run = runTool(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_EQ(run.out, c.out) << c.arguments;
        if (c.made != nullptr) {
            EXPECT_EQ(fileExists(c.made), c.status == 0) << c.arguments;
        }
    }
    std::vector<orbit::Elements> records;
    std::string message;
    std::istringstream table(joinLines(laskarRows(5800)));
    ASSERT_TRUE(readLaskarTable(table, records, message));
    EXPECT_EQ(readFile("laskar.out"), seriesText(importedTable, records));
    EXPECT_EQ(readFile("berger.out"), seriesText(&berger, solutionSeries(berger)));
    EXPECT_EQ(readFile("fit.out"), seriesText(&fit, solutionSeries(fit)));
    EXPECT_EQ(readFile("la2004.out"), seriesText(&la2004, solutionSeries(la2004)));
    // The published table converted row by row is the file the solution writes.
    const std::string shared = std::string(PALEOVIZ_SOURCE_DIR) + "/../shared/data/la2004-past-0-6000kyr.asc";
    if (fileExists(shared)) {
        EXPECT_EQ(runTool("laskar " + shared + " imported.out").status, 0);
        EXPECT_EQ(readFile("imported.out"), readFile("la2004.out"));
    }
}
