// The orbit library: its spans, the fitted solution against the committed
// orbit95b (whole kyr) and between records (smoothness), and the committed
// file against the reference table of Laskar et al. (2004) when it exists,
// everywhere and, more closely, at the present and over the last 20 kyr.
#include "orbit/orbital_elements.h"
#include "orbit/la2004_fit_terms.h"
#include "orbit_series.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr orbit::Solution solutions[] = {orbit::Solution::laskar2004Fit,
                                         orbit::Solution::berger1978};

const std::string committedSeries = std::string(PALEOVIZ_SOURCE_DIR) + "/data/orbit95b";
const std::string referenceTable =
    std::string(PALEOVIZ_SOURCE_DIR) + "/../shared/data/la2004-past-0-6000kyr.asc";

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

TEST(OrbitLibrary, SpansAreTheSeriesRecordsAndOutsideIsAnError)
{
    for (orbit::Solution solution : solutions) {
        const orbit::Span span = orbit::span(solution);
        EXPECT_EQ(span.oldest, -5799.0);
        EXPECT_EQ(span.newest, 0.0);
        for (double kyr : {0.0, -0.25, -2899.5, -5799.0})
            EXPECT_TRUE(orbit::covers(solution, kyr)) << kyr;
        for (double kyr : {1e-9, 0.5, -5799.001, -1e6, std::nan("")}) {
            EXPECT_FALSE(orbit::covers(solution, kyr)) << kyr;
            EXPECT_THROW(orbit::elementsAt(solution, kyr), std::out_of_range) << kyr;
        }
    }
    try {
        orbit::elementsAt(orbit::Solution::laskar2004Fit, 12.5);
        FAIL() << "no error for a time in the future";
    } catch (const std::out_of_range& error) {
        EXPECT_STREQ(error.what(), "time 12.5 kyr is outside the La2004 fit span -5799 to 0 kyr");
    }
    EXPECT_NE(std::string(orbit::solutionCitation(orbit::Solution::laskar2004Fit)).find("(2004)"),
              std::string::npos);
    EXPECT_NE(std::string(orbit::solutionCitation(orbit::Solution::berger1978)).find("(1978)"),
              std::string::npos);
}

TEST(OrbitLibrary, FitAtWholeKyrIsTheCommittedRecord)
{
    const std::vector<std::string> lines = recordLines(committedSeries);
    ASSERT_EQ(lines.size(), 5800u);
    for (int j = 0; j < 5800; ++j) {
        ASSERT_EQ(formatRecord(-j, orbit::elementsAt(orbit::Solution::laskar2004Fit, -j)),
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
    // misses the chord by half the step.
    using Field = double orbit::Elements::*;
    const Field fields[] = {&orbit::Elements::eccentricity, &orbit::Elements::obliquity,
                            &orbit::Elements::precessionIndex};
    for (orbit::Solution solution : solutions) {
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

TEST(OrbitLibrary, CommittedSeriesAgreesWithTheReferenceTable)
{
    std::ifstream table(referenceTable);
    if (!table)
        GTEST_SKIP() << "no reference table at " << referenceTable
                     << " (it sits beside the project only in the project's own workspace)";
    std::vector<orbit::Elements> reference;
    std::string message;
    ASSERT_TRUE(readLaskarTable(table, reference, message)) << message;
    const std::vector<std::string> lines = recordLines(committedSeries);
    ASSERT_EQ(lines.size(), 5800u);
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
