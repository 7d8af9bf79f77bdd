// The orbit library: its registry and spans, the published solution against
// the committed orbit95b (whole kyr), every solution between records
// (smoothness), and the fit against the published solution everywhere and,
// more closely, at the present and over the last 20 kyr.
#include "orbit/orbital_elements.h"
#include "orbit/la2004_fit_terms.h"
#include "orbit_series.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string committedSeries = std::string(PALEOVIZ_SOURCE_DIR) + "/data/orbit95b";

// The record lines of a series file, header skipped.
std::vector<std::string> recordLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    std::string line;
    for (int i = 0; std::getline(in, line); ++i) {
        if (i >= 3)
            lines.push_back(line + "\n");
    }
    return lines;
}

}  // namespace

TEST(OrbitLibrary, RegistryEntriesAreCompleteAndSpansEndWhereTheySay)
{
    struct Case {
        orbit::Solution id;
        const char* key;
        const char* origin;
        double oldest, newest;
    };
    const Case cases[] = {{orbit::Solution::laskar2004, "la2004", "J2000", -51000, 21000},
                          {orbit::Solution::laskar2004Fit, "la2004-fit", "J2000", -5799, 0},
                          {orbit::Solution::berger1978, "berger1978", "1950", -5799, 1000},
                          {orbit::Solution::berger1990, "berger1990", "1950", -5000, 0},
                          {orbit::Solution::laskar1993zero, "la93-01", "J2000", -20000, 10000},
                          {orbit::Solution::laskar1993one, "la93-11", "J2000", -20000, 10000},
                          {orbit::Solution::laskar2010a, "la2010a", "J2000", -249000, 0},
                          {orbit::Solution::laskar2010b, "la2010b", "J2000", -249000, 0},
                          {orbit::Solution::laskar2010c, "la2010c", "J2000", -249000, 0},
                          {orbit::Solution::laskar2010d, "la2010d", "J2000", -249000, 0},
                          {orbit::Solution::laskar2011, "la2011", "J2000", -99999, 0},
                          {orbit::Solution::zeebe2018a, "zb18a", "J2000", -100000, 0}};
    ASSERT_EQ(orbit::solutionCount, 12);
    EXPECT_EQ(orbit::solutionRegistry[0].id, orbit::Solution::laskar2004);  // the default first
    for (const Case& c : cases) {
        const orbit::SolutionInfo* entry = orbit::findSolution(c.key);
        ASSERT_NE(entry, nullptr) << c.key;
        EXPECT_EQ(entry->id, c.id);
        EXPECT_EQ(&orbit::solutionInfo(c.id), entry);
        EXPECT_GT(std::string(entry->name).size(), 5u) << c.key;
        EXPECT_GT(std::string(entry->citation).size(), 40u) << c.key;
        EXPECT_LE(entry->reliableOldest, 0.0);
        EXPECT_GE(entry->reliableOldest, entry->span.oldest);
        EXPECT_STREQ(entry->origin, c.origin);
        EXPECT_EQ(entry->span.oldest, c.oldest);
        EXPECT_EQ(entry->span.newest, c.newest);
        EXPECT_GT(std::string(entry->spanReason).size(), 10u);
        for (double kyr : {c.oldest, c.newest, (c.oldest + c.newest) / 2})
            EXPECT_NO_THROW(orbit::elementsAt(*entry, kyr)) << c.key << " " << kyr;
        // Just inside the tolerance past an end: that end's elements, bit for bit.
        constexpr double tolerance = orbit::spanToleranceKyr;
        for (const auto& [end, past] : {std::pair{c.oldest, c.oldest - 0.9 * tolerance},
                                        std::pair{c.newest, c.newest + 0.9 * tolerance}}) {
            ASSERT_TRUE(orbit::covers(c.id, past)) << c.key << " " << past;
            const orbit::Elements atEnd = orbit::elementsAt(c.id, end);
            const orbit::Elements atPast = orbit::elementsAt(c.id, past);
            EXPECT_EQ(std::memcmp(&atEnd, &atPast, sizeof atEnd), 0) << c.key << " " << past;
        }
        for (double kyr : {c.oldest - 1, c.oldest - 1.1 * tolerance, c.newest + 1.1 * tolerance,
                           c.newest + 1, std::nan(""), HUGE_VAL, -HUGE_VAL}) {
            EXPECT_FALSE(orbit::covers(c.id, kyr)) << kyr;
            EXPECT_THROW(orbit::elementsAt(c.id, kyr), std::out_of_range) << c.key << " " << kyr;
        }
    }
    EXPECT_EQ(orbit::findSolution("la2004fit"), nullptr);
    EXPECT_EQ(orbit::unknownSolutionMessage("x"),
              "unknown solution \"x\"; the known ones are la2004, la2004-fit, berger1978, "
              "berger1990, la93-01, la93-11, la2010a, la2010b, la2010c, la2010d, la2011, zb18a");
    try {
        orbit::elementsAt(orbit::Solution::laskar2004, 21000.5);
        FAIL() << "no error for a time past the span";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "time 21000.5 kyr is outside the span of Laskar et al. (2004), "
                                   "published solution (la2004), -51000 to 21000 kyr");
    }
}

TEST(OrbitLibrary, CommittedSeriesIsThePublishedSolutionAtWholeKyr)
{
    const std::vector<std::string> lines = recordLines(committedSeries);
    ASSERT_EQ(lines.size(), 5800u);
    for (int j = 0; j < 5800; ++j) {
        ASSERT_EQ(formatRecord(-j, orbit::elementsAt(orbit::Solution::laskar2004, -j)),
                  lines[size_t(j)]);
    }
}

TEST(OrbitLibrary, FitIsTheSumOfItsTermsAtAnyTime)
{
    // The term table summed with the C library's sin and cos, as its
    // opening comment defines it.
    constexpr double degree = 3.141592653589793 / 180.0;
    for (double kyr : {0.0, -0.3, -21.0, -1234.567, -4000.25, -5799.0}) {
        const double years = kyr * 1000.0;
        double re = 0.0, im = 0.0;
        for (const orbit::La2004FitTerm& term : orbit::la2004EccentricityTerms) {
            const double argument = (term.rate * years / 3600.0 + term.phase) * degree;
            re += term.amplitude * std::cos(argument);
            im += term.amplitude * std::sin(argument);
        }
        double obliquity = orbit::la2004MeanObliquity;
        for (const orbit::La2004FitTerm& term : orbit::la2004ObliquityTerms)
            obliquity += term.amplitude * std::cos((term.rate * years / 3600.0 + term.phase) * degree);
        const orbit::Elements el = orbit::elementsAt(orbit::Solution::laskar2004Fit, kyr);
        EXPECT_NEAR(el.eccentricity, std::hypot(re, im), 1e-13) << kyr;
        EXPECT_NEAR(el.precessionIndex, im, 1e-13) << kyr;
        EXPECT_NEAR(el.perihelion, orbit::wrapDegrees(std::atan2(im, re) / degree), 1e-8) << kyr;
        EXPECT_NEAR(el.obliquity, obliquity, 1e-12) << kyr;
    }
}

TEST(OrbitLibrary, ElementsAreSmoothBetweenRecords)
{
    // At the midpoint between two records a smooth series lies on their
    // chord to within a quarter of the nearby second differences (exactly
    // an eighth for a parabola); a value held or stepped between records
    // misses the chord by half the step. (The published solution, a spline
    // through records with their own jitter, has its own test against an
    // independent cubic.)
    using Field = double orbit::Elements::*;
    const Field fields[] = {&orbit::Elements::eccentricity, &orbit::Elements::obliquity,
                            &orbit::Elements::precessionIndex};
    for (orbit::Solution solution : {orbit::Solution::laskar2004Fit, orbit::Solution::berger1978}) {
        for (Field field : fields) {
            auto at = [&](double kyr) { return orbit::elementsAt(solution, kyr).*field; };
            for (int j = 1; j + 2 < 5800; j += 7) {
                const double a = at(-j), b = at(-j - 1);
                const double curvature = std::max(std::fabs(at(-j + 1) - 2 * a + b),
                                                  std::fabs(a - 2 * b + at(-j - 2)));
                EXPECT_NEAR(at(-j - 0.5), (a + b) / 2, curvature / 4 + 1e-12) << j;
            }
        }
    }
}

TEST(OrbitLibrary, FitAgreesWithThePublishedSolution)
{
    // The fit, rounded as orbit95b rounds it, against the published records.
    std::vector<orbit::Elements> reference;
    std::vector<std::string> lines;
    for (int j = 0; j < 5800; ++j) {
        reference.push_back(orbit::elementsAt(orbit::Solution::laskar2004, -j));
        lines.push_back(formatRecord(-j, orbit::elementsAt(orbit::Solution::laskar2004Fit, -j)));
    }
    double worstE = 0, worstObliquity = 0, worstIndex = 0;
    // The present and the last 20 kyr, weighted in the fit, are held closer:
    // the largest differences over records [0, presentRecords[i]) stay
    // within the bounds of row i (e, perihelion in degrees, obliquity in
    // degrees).
    constexpr int presentRecords[2] = {1, 21};
    constexpr double presentBounds[2][3] = {{2e-5, 0.03, 0.0005}, {5e-5, 0.12, 0.0005}};
    double present[2][3] = {};
    for (int j = 0; j < 5800; ++j) {
        int kyr = 0;
        double e = 0, perihelion = 0, obliquity = 0, index = 0;
        ASSERT_EQ(std::sscanf(lines[size_t(j)].c_str(), "%d %lf %lf %lf %lf", &kyr, &e,
                              &perihelion, &obliquity, &index), 5);
        ASSERT_EQ(kyr, -j);
        worstE = std::max(worstE, std::fabs(e - reference[size_t(j)].eccentricity));
        worstObliquity = std::max(worstObliquity, std::fabs(obliquity - reference[size_t(j)].obliquity));
        worstIndex = std::max(worstIndex, std::fabs(index - reference[size_t(j)].precessionIndex));
        const double differences[3] = {
            std::fabs(e - reference[size_t(j)].eccentricity),
            std::fabs(std::remainder(perihelion - reference[size_t(j)].perihelion, 360.0)),
            std::fabs(obliquity - reference[size_t(j)].obliquity)};
        for (int i = 0; i < 2; ++i) {
            for (int k = 0; k < 3 && j < presentRecords[i]; ++k)
                present[i][k] = std::max(present[i][k], differences[k]);
        }
    }
    EXPECT_LE(worstE, 0.0003);
    EXPECT_LE(worstObliquity, 0.005);
    EXPECT_LE(worstIndex, 0.0003);
    for (int i = 0; i < 2; ++i) {
        for (int k = 0; k < 3; ++k)
            EXPECT_LE(present[i][k], presentBounds[i][k]) << presentRecords[i] << " records, " << k;
    }
}
