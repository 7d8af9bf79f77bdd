// The published solution of Laskar et al. (2004) as the orbit library gives
// it: every record equal to the shipped tables as parsed here, values
// between records against an independent cubic (4-point Lagrange) of the
// same records, and the build step that compiles the tables refusing
// damaged ones.
#include "command_run.h"
#include "math/constants.h"
#include "orbit/orbital_elements.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using math::radiansPerDegree;

namespace {

const std::string tableDir = std::string(PALEOVIZ_SOURCE_DIR) + "/data/la2004/";

struct Row {
    double time, e, obliquity, perihelion;  // kyr, 1, rad, rad
};

std::vector<Row> readTable(const std::string& path)
{
    std::vector<Row> rows;
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr)
        return rows;
    char line[256];
    while (gzgets(file, line, sizeof line) != nullptr) {
        Row r;
        if (std::sscanf(line, "%lf %lf %lf %lf", &r.time, &r.e, &r.obliquity, &r.perihelion) == 4)
            rows.push_back(r);
    }
    gzclose(file);
    return rows;
}

// Both tables as one list from -51000 to +21000 kyr.
const std::vector<Row>& publishedRows()
{
    static const std::vector<Row> rows = [] {
        std::vector<Row> past = readTable(tableDir + "la2004-past-0-51000kyr.asc.gz");
        const std::vector<Row> future = readTable(tableDir + "la2004-future-0-21000kyr.asc.gz");
        std::vector<Row> all(past.rbegin(), past.rend());
        if (!future.empty())
            all.insert(all.end(), future.begin() + 1, future.end());
        return all;
    }();
    return rows;
}

bool exists(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file != nullptr)
        std::fclose(file);
    return file != nullptr;
}

double angleDifference(double a, double b)
{
    return std::fabs(std::remainder(a - b, 360.0));
}

}  // namespace

TEST(La2004, EveryRecordIsThePublishedValue)
{
    const std::vector<Row>& rows = publishedRows();
    ASSERT_EQ(rows.size(), 72001u);
    for (const Row& r : rows) {
        const orbit::Elements el = orbit::elementsAt(orbit::Solution::laskar2004, r.time);
        ASSERT_EQ(el.eccentricity, r.e) << r.time;
        ASSERT_EQ(el.obliquity, r.obliquity / radiansPerDegree) << r.time;
        ASSERT_NEAR(angleDifference(el.perihelion, r.perihelion / radiansPerDegree), 0.0, 1e-12) << r.time;
        ASSERT_EQ(el.precessionIndex, r.e * std::sin(r.perihelion)) << r.time;
    }
}

TEST(La2004, BetweenRecordsItFollowsAnIndependentCubic)
{
    // 4-point Lagrange interpolation of e cos w, e sin w and the obliquity
    // from the records around t, at a spread of fractions of a kyr.
    const std::vector<Row>& rows = publishedRows();
    ASSERT_EQ(rows.size(), 72001u);
    double worstE = 0, worstIndex = 0, worstObliquity = 0;
    for (size_t i = 1; i + 2 < rows.size(); i += 37) {
        for (double f : {0.13, 0.5, 0.91}) {
            const double w[4] = {-f * (f - 1) * (f - 2) / 6, (f + 1) * (f - 1) * (f - 2) / 2,
                                 -(f + 1) * f * (f - 2) / 2, (f + 1) * f * (f - 1) / 6};
            double x = 0, y = 0, obliquity = 0;
            for (int k = 0; k < 4; ++k) {
                const Row& r = rows[i - 1 + size_t(k)];
                x += w[k] * r.e * std::cos(r.perihelion);
                y += w[k] * r.e * std::sin(r.perihelion);
                obliquity += w[k] * r.obliquity / radiansPerDegree;
            }
            const orbit::Elements el =
                orbit::elementsAt(orbit::Solution::laskar2004, rows[i].time + f);
            worstE = std::max(worstE, std::fabs(el.eccentricity - std::hypot(x, y)));
            worstIndex = std::max(worstIndex, std::fabs(el.precessionIndex - y));
            worstObliquity = std::max(worstObliquity, std::fabs(el.obliquity - obliquity));
        }
    }
    EXPECT_LT(worstE, 5e-5);
    EXPECT_LT(worstIndex, 5e-5);
    EXPECT_LT(worstObliquity, 0.001);
    // Not a step or a chord: somewhere the two differ from a straight line
    // between the records by more than they differ from each other.
    EXPECT_GT(worstE, 0.0);
}

TEST(La2004, DamagedTablesAreRefusedNamingTheLine)
{
    ScratchDir dir("paleoviz-la2004");
    // Synthetic tables of the right length: e = 0.01, obliquity 0.4 rad,
    // perihelion 1 rad at every time.
    auto table = [&](const std::string& name, int direction, int rows, int damagedRow,
                     const char* damage) {
        gzFile file = gzopen(dir.file(name).c_str(), "wb");
        for (int j = 0; j < rows; ++j) {
            if (j == damagedRow)
                gzputs(file, damage);
            else
                gzprintf(file, "%14.3f   0.1000000000000000E-01   0.4000000000000000E+00   "
                               "0.1000000000000000E+01\n", double(direction * j));
        }
        gzclose(file);
        return dir.file(name);
    };
    const std::string future = table("future.gz", 1, 21001, -1, "");
    struct Case {
        int row;  // -1: none; the line number is row + 1
        const char* damage;
        int rows;
        const char* expected;
    };
    const Case cases[] = {
        {-1, "", 51001, nullptr},
        {4, "    -4.000   0.1E-01   abc   0.1E+01\n", 51001, "past.gz line 5: expected four numbers"},
        {6, "    -7.000   0.1E-01   0.4E+00   0.1E+01\n", 51001, "past.gz line 7: time -7"},
        {0, "     1.000   0.1E-01   0.4E+00   0.1E+01\n", 51001, "past.gz line 1: time 1"},
        {9, "    -9.000   0.1E+01   0.4E+00   0.1E+01\n", 51001, "past.gz line 10: eccentricity"},
        {-1, "", 51000, "past.gz line 51000: the table ends after 51000 rows"},
    };
    for (const Case& c : cases) {
        const std::string past = table("past.gz", -1, c.rows, c.row, c.damage);
        std::remove(dir.file("out.cpp").c_str());
        const CommandRun run = runCommand(std::string(LA2004_EMBED_TOOL) + " " + past + " " +
                                          future + " " + dir.file("out.cpp"));
        if (c.expected == nullptr) {
            EXPECT_EQ(run.status, 0) << run.out;
            EXPECT_TRUE(exists(dir.file("out.cpp")));
            continue;
        }
        EXPECT_EQ(run.status, 1) << c.expected;
        EXPECT_NE(run.out.find(c.expected), std::string::npos) << run.out;
        EXPECT_FALSE(exists(dir.file("out.cpp"))) << c.expected;
    }
    // A checksum that does not match stops the build before the tool runs.
    const CommandRun check = runCommand(std::string(CMAKE_COMMAND) + " -DFILE=" + future +
                                        " -DSHA256=00 -P " + PALEOVIZ_SOURCE_DIR +
                                        "/orbit/embed/check_sha256.cmake");
    EXPECT_NE(check.status, 0);
    EXPECT_NE(check.out.find("SHA-256"), std::string::npos) << check.out;
}
