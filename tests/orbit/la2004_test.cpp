// The published solution of Laskar et al. (2004) as the orbit library gives
// it: every record equal to the shipped tables as parsed here, values
// between records against an independent cubic (4-point Lagrange) of the
// same records, and the library's parser and the build step that compiles
// the tables refusing damaged ones.
#include "command_run.h"
#include "math/constants.h"
#include "orbit/orbital_elements.h"
#include "orbit/published_tables.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

orbit::FileBytes bytesOf(const std::string& bytes)
{
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

// A synthetic gzip-compressed table of rows 0, direction, 2 * direction, ...
// kyr: e = 0.01, obliquity 0.4 rad, perihelion 1 rad at every time, with
// damage in place of row damagedRow (-1: none). Returns its path.
std::string writeTable(const ScratchDir& dir, const std::string& name, int direction, int rows,
                       int damagedRow, const char* damage)
{
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
}

const char* const malformedRow = "    -4.000   0.1E-01   abc   0.1E+01\n";  // row 4, line 5

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
    const std::string future = writeTable(dir, "future.gz", 1, 21001, -1, "");
    struct Case {
        int row;  // -1: none; the line number is row + 1
        const char* damage;
        int rows;
        const char* expected;
    };
    const Case cases[] = {
        {-1, "", 51001, nullptr},
        {4, malformedRow, 51001, "past.gz line 5: expected 4 numbers"},
        {6, "    -7.000   0.1E-01   0.4E+00   0.1E+01\n", 51001, "past.gz line 7: time -7"},
        {0, "     1.000   0.1E-01   0.4E+00   0.1E+01\n", 51001, "past.gz line 1: time 1"},
        {9, "    -9.000   0.1E+01   0.4E+00   0.1E+01\n", 51001, "past.gz line 10: eccentricity"},
        {-1, "", 51000, "past.gz line 51000: the table ends after 51000 rows"},
        {0, "     0.000   0.2E-01   0.4E+00   0.1E+01\n", 51001, "past.gz and future.gz differ at t = 0"},
    };
    // La2004's line of the list, with the synthetic files in place of its own.
    orbit::PublishedTable la2004 = orbit::publishedTable(orbit::TableId::laskar2004);
    la2004.past = "past.gz";
    la2004.future = "future.gz";
    const std::string futureBytes = readWholeFile(future);
    for (const Case& c : cases) {
        const std::string past =
            readWholeFile(writeTable(dir, "past.gz", -1, c.rows, c.row, c.damage));
        orbit::TableRecords records;
        std::string message;
        const bool parsed =
            orbit::parseTable(la2004, bytesOf(past), bytesOf(futureBytes), records, message);
        EXPECT_EQ(parsed, c.expected == nullptr) << message;
        if (c.expected == nullptr) {
            EXPECT_EQ(records.eccentricity.size(), 72001u);
            continue;
        }
        EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    }
    // A checksum that does not match stops the build before the tool runs.
    const CommandRun check = runCommand(std::string(CMAKE_COMMAND) + " -DFILE=" + future +
                                        " -DSHA256=00 -P " + PALEOVIZ_SOURCE_DIR +
                                        "/orbit/embed/check_sha256.cmake");
    EXPECT_NE(check.status, 0);
    EXPECT_NE(check.out.find("SHA-256"), std::string::npos) << check.out;
}

TEST(La2004, BuildStepRefusesADamagedShippedTableAndWritesNothing)
{
    // Every shipped file but La2004's past, which is damaged.
    namespace fs = std::filesystem;
    ScratchDir dir("paleoviz-la2004");
    const std::string damaged = orbit::publishedTable(orbit::TableId::laskar2004).past;
    for (const orbit::PublishedTable& table : orbit::publishedTables) {
        for (const char* file : {table.past, table.future}) {
            if (file == nullptr || file == damaged)
                continue;
            const fs::path link = dir.file("data/") + file;
            fs::create_directories(link.parent_path());
            fs::create_symlink(std::string(PALEOVIZ_SOURCE_DIR) + "/data/" + file, link);
        }
    }
    fs::create_directories(fs::path(dir.file("data/" + damaged)).parent_path());
    fs::copy_file(writeTable(dir, "past.gz", -1, 51001, 4, malformedRow), dir.file("data/" + damaged));
    const CommandRun run = runCommand(std::string(TABLES_EMBED_TOOL) + " " + dir.file("data") + " " +
                                      dir.file("out.cpp"));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find(damaged + " line 5: expected 4 numbers"), std::string::npos) << run.out;
    EXPECT_FALSE(exists(dir.file("out.cpp")));
}
