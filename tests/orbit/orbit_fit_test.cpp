// The fitting tool: recovery of known series, and its refusal of bad
// tables with no output written.
#include "command_run.h"
#include "orbit_fit.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

using Complex = std::complex<double>;

std::vector<double> pastTimes(int count, int step)
{
    std::vector<double> times;
    for (int j = 0; j < count; j += step)
        times.push_back(-j);
    return times;
}

// Rows 0, -1, ... kyr of a plausible table: e about 0.02, obliquity about
// 23.4 degrees, perihelion turning once per 22 kyr.
std::string tableRows(int rows)
{
    std::string text;
    char line[160];
    for (int j = 0; j < rows; ++j) {
        std::snprintf(line, sizeof line, "%14.3f %24.16E %24.16E %24.16E\n", -double(j),
                      0.02 + 0.01 * std::sin(j / 15.0), 0.408 + 0.01 * std::cos(j / 6.5),
                      -j * 2 * 3.141592653589793 / 22.0);
        text += line;
    }
    return text;
}

CommandRun runFit(const std::string& arguments)
{
    return runCommand(std::string(ORBIT_FIT_TOOL) + " " + arguments);
}

}  // namespace

TEST(OrbitFit, RecoversTheTermsOfAKnownSeries)
{
    // Three complex and two cosine terms, the closest two 1.5 frequency
    // resolutions apart, sampled every kyr or every second kyr.
    const FitTerm complexTerms[] = {{0.012, 0.31, 1.0}, {0.007, 0.3147, -2.0}, {0.003, 0.27, 0.5}};
    const FitTerm cosineTerms[] = {{0.6, 0.153, 0.3}, {0.2, 0.1, -1.2}};
    for (int step : {1, 2}) {
        const std::vector<double> times = pastTimes(2000, step);
        std::vector<Complex> z;
        std::vector<double> obliquity;
        for (double t : times) {
            Complex sum = 0.0;
            for (const FitTerm& term : complexTerms)
                sum += std::polar(term.amplitude, term.rate * t + term.phase);
            z.push_back(sum);
            double angle = 23.3;
            for (const FitTerm& term : cosineTerms)
                angle += term.amplitude * std::cos(term.rate * t + term.phase);
            obliquity.push_back(angle);
        }
        const std::vector<FitTerm> fitted = fitComplexSeries(times, z, 3);
        double mean = 0.0;
        const std::vector<FitTerm> cosines = fitRealSeries(times, obliquity, 2, mean);
        ASSERT_EQ(fitted.size(), 3u);
        ASSERT_EQ(cosines.size(), 2u);
        for (size_t k = 0; k < 3; ++k) {  // sorted by amplitude, as given
            EXPECT_NEAR(fitted[k].amplitude, complexTerms[k].amplitude, 1e-9) << step;
            EXPECT_NEAR(fitted[k].rate, complexTerms[k].rate, 1e-9) << step;
            EXPECT_NEAR(std::remainder(fitted[k].phase - complexTerms[k].phase, 2 * M_PI), 0, 1e-6);
        }
        EXPECT_NEAR(mean, 23.3, 1e-9);
        for (size_t k = 0; k < 2; ++k) {
            EXPECT_NEAR(cosines[k].amplitude, cosineTerms[k].amplitude, 1e-9) << step;
            EXPECT_NEAR(cosines[k].rate, cosineTerms[k].rate, 1e-9) << step;
            EXPECT_NEAR(std::remainder(cosines[k].phase - cosineTerms[k].phase, 2 * M_PI), 0, 1e-6);
        }
        FittedSeries series{fitted, mean, cosines};
        const orbit::Elements at = evaluateSeries(series, -1234.5);
        Complex expected = 0.0;
        for (const FitTerm& term : complexTerms)
            expected += std::polar(term.amplitude, term.rate * -1234.5 + term.phase);
        EXPECT_NEAR(at.eccentricity, std::abs(expected), 1e-10);
        EXPECT_NEAR(at.precessionIndex, expected.imag(), 1e-10);
    }
}

TEST(OrbitFit, RefusesBadTablesNamingTheLineAndWritesNothing)
{
    TestDir dir;
    std::string malformed = tableRows(5800);
    malformed.replace(malformed.find(" -41.000 "), 9, " -41.0x0 ");
    std::string gap = tableRows(5800);
    gap.replace(gap.find(" -77.000 "), 9, " -78.000 ");
    dir.write("malformed.txt", malformed);
    dir.write("gap.txt", gap);
    dir.write("short.txt", tableRows(5799));
    dir.write("table.txt", tableRows(5800));
    struct Case { const char* arguments; int status; std::string message; };
    for (const Case& c : {
             Case{"malformed.txt out.h", 1,
                  "orbit_fit: malformed.txt: line 42: expected four numbers: time (kyr), "
                  "eccentricity, obliquity (rad), perihelion longitude (rad)\n"},
             Case{"gap.txt out.h", 1,
                  "orbit_fit: gap.txt: line 78: time -78 kyr where -77 was expected; rows must "
                  "run 0, -1, -2, ... kyr, one per thousand years\n"},
             Case{"short.txt out.h", 1,
                  "orbit_fit: short.txt: the table ends at line 5799 with 5799 rows; the series "
                  "file needs 5800 (0 to -5799 kyr)\n"},
             Case{"missing.txt out.h", 1, "orbit_fit: cannot open \"missing.txt\" for reading\n"},
             Case{"table.txt no-such-dir/out.h", 2,
                  "orbit_fit: cannot write \"no-such-dir/out.h\": there is no folder no-such-dir\n"},
             Case{"report short.txt", 1,
                  "orbit_fit: short.txt: the table ends at line 5799 with 5799 rows; the series "
                  "file needs 5800 (0 to -5799 kyr)\n"},
             Case{"gap.txt out.h 0", 2,
                  "orbit_fit: the number of terms must be a whole number from 1 to 1000\n"
                  "usage: orbit_fit TABLE OUTPUT [TERMS]\n       orbit_fit report TABLE\n"}}) {
        const CommandRun run = runFit(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_EQ(run.out, c.message) << c.arguments;
        EXPECT_FALSE(std::ifstream("out.h").good()) << c.arguments;
        EXPECT_FALSE(std::ifstream("out.h.tmp").good()) << c.arguments;
    }
}

TEST(OrbitFit, WritesTheTermTableSource)
{
    TestDir dir;
    dir.write("table.txt", tableRows(5800));
    const CommandRun run = runFit("table.txt terms.h 3");
    ASSERT_EQ(run.status, 0) << run.out;
    std::ifstream in("terms.h");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* expected :
         {"Astronomy and Astrophysics 428, 261-285", "K = 3 terms for z and 3 for the obliquity",
          "fitted over 0 to -5799 kyr", "//   0-20 kyr", "//   3-5.8 Myr", "// Cross-validation:",
          "1 + 1000 exp(-t / 10 kyr) times",
          "constexpr int la2004EccentricityTermCount = 3;",
          "constexpr int la2004ObliquityTermCount = 3;", "la2004FitMaxObliquityDifference"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
    }
    EXPECT_NE(run.out.find("// Cross-validation:"), std::string::npos) << run.out;
}
