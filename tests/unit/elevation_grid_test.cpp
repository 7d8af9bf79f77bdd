// The globe's elevation grid file, its byte order and the sphere mesh.
#include "scene/data_files.h"
#include "globe/earth.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int16_t sea(int, int) { return -1; }

// Distinct sample per position so that a misplaced read shows.
int16_t positional(int r, int c) { return static_cast<int16_t>((r * 1080 + c) * 7 - 20000); }

}  // namespace

TEST(ElevationGrid, ReadsLittleEndianSamplesAtTheirOffsets)
{
    TestDir dir;
    std::string bytes = fullGrid(positional);
    // Sample (0,0) from 0x2C 0x01, sample (0,1) from 0x00 0x80, (1,0) from 0xFF 0xFF.
    bytes[0] = 0x2C; bytes[1] = 0x01;
    bytes[2] = 0x00; bytes[3] = static_cast<char>(0x80);
    bytes[2160] = static_cast<char>(0xFF); bytes[2161] = static_cast<char>(0xFF);
    dir.write("grid", bytes);
    auto globe = std::make_unique<Globe>(seasonMarch, "grid");
    EXPECT_EQ(globe->elevation[0][0], 300);
    EXPECT_EQ(globe->elevation[0][1], -32768);
    EXPECT_EQ(globe->elevation[1][0], -1);
    for (int r : {0, 1, 269, 539})
        for (int c : {2, 517, 1079})
            EXPECT_EQ(globe->elevation[r][c], positional(r, c)) << "row " << r << " col " << c;
}

TEST(ElevationGrid, ByteSwapHelpers)
{
    EXPECT_FALSE(hostIsBigEndian());  // every build host of this project is little-endian
    int16_t sample = 0x2C01;
    swap16(sample);
    EXPECT_EQ(sample, 0x012C);
    sample = static_cast<int16_t>(0x0080);
    swap16(sample);
    EXPECT_EQ(sample, -32768);
}

TEST(ElevationGrid, ShortFileLeavesZerosAndSaysHowMuchWasReadOncePerRun)
{
    TestDir dir;
    std::vector<int16_t> samples(1500, -5);  // one row and a part of the next
    std::string bytes = gridBytes(samples);
    bytes.push_back(0x7F);  // an odd trailing byte is not a sample
    dir.write("short", bytes);
    const ChildResult result = runInChild([] {
        auto globe = std::make_unique<Globe>(seasonJune, "short");
        auto another = std::make_unique<Globe>(seasonMarch, "short");  // says nothing more
        const bool ok = globe->elevation[0][0] == -5 && globe->elevation[1][419] == -5
                        && globe->elevation[1][420] == 0 && globe->elevation[539][1079] == 0;
        std::exit(ok ? 0 : 3);
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "short: short elevation grid, read 1500 of 583200 samples; the rest are 0\n");
}

// A FIFO is read once, by the first globe, to its end; the others take its
// grid, since the FIFO has nothing left for them.
TEST(ElevationGrid, AGridFromAPipeServesEveryGlobe)
{
    TestDir dir;
    ASSERT_EQ(mkfifo("piped", 0600), 0);
    const std::string bytes = fullGrid(positional);
    const ChildResult result = runInChild([&bytes] {
        // Held open for writing before any globe opens it, as a shell's
        // writer would be.
        const int writer = open("piped", O_RDWR);
        std::thread feed([&] {
            for (size_t at = 0; at < bytes.size();)
                at += size_t(std::max<ssize_t>(0, write(writer, bytes.data() + at, bytes.size() - at)));
            close(writer);
        });
        auto first = std::make_unique<Globe>(seasonMarch, "piped");
        feed.join();
        auto second = std::make_unique<Globe>(seasonJune, "piped");
        bool same = true;
        for (int r : {0, 1, 269, 539})
            for (int c : {0, 517, 1079})
                same = same && first->elevation[r][c] == positional(r, c) &&
                       second->elevation[r][c] == positional(r, c);
        std::exit(same ? 0 : 3);
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
}

TEST(ElevationGrid, MissingFileEndsTheProcessWithItsMessage)
{
    TestDir dir;
    const ChildResult result = runInChild([] { Globe* g = new Globe(seasonMarch, gridFileName); delete g; });
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(result.out,
              "earth.cpp: line (__LINE__Var+3): file pointer is null!\n\nBailing Out....\n");
}

TEST(ElevationGrid, VerticesMatchTheSphereFormulaBitForBit)
{
    TestDir dir;
    dir.write("grid", fullGrid(sea));
    auto globe = std::make_unique<Globe>(seasonDecember, "grid");
    int mismatches = 0;
    for (int i = 0; i < gridRows; ++i) {
        for (int j = 0; j < gridCols; ++j) {
            const double theta = i * 3.1415927 / gridRows;
            const double phi = j * 6.2831853 / gridCols;
            const double radius = 200.0f;
            const float x = static_cast<float>(std::sin(theta) * (std::cos(phi) * radius));
            const float y = static_cast<float>(std::sin(theta) * (std::sin(phi) * radius));
            const float z = static_cast<float>(std::cos(theta) * radius);
            const float* v = globe->vertices[i][j];
            mismatches += v[0] != x || v[1] != y || v[2] != z;
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(globe->vertices[0][517][0], 0.0f);
    EXPECT_EQ(globe->vertices[0][517][2], 200.0f);
    EXPECT_NEAR(globe->vertices[270][0][0], 200.0f, 1e-4);
    EXPECT_NEAR(globe->vertices[270][0][2], 0.0f, 1e-4);
}

TEST(Globe, ConstructionDefaultsAndMonthNames)
{
    TestDir dir;
    dir.write("grid", fullGrid(sea));
    const char* expected[] = {"March", "June", "September", "December"};
    for (int season = 0; season < 4; ++season) {
        auto globe = std::make_unique<Globe>(season, "grid");
        EXPECT_STREQ(globe->monthName(), expected[season]);
        EXPECT_EQ(globe->season, season);
        EXPECT_EQ(globe->step, 3);
        EXPECT_EQ(globe->radius, 200.0f);
        EXPECT_EQ(globe->rows, 540);
        EXPECT_EQ(globe->cols, 1080);
        EXPECT_EQ(globe->omega, 1.7692402601242065f);
        EXPECT_EQ(globe->eccentricity, 0.017236f);
        EXPECT_EQ(globe->obliquity, 0.4092099f);
    }
}
