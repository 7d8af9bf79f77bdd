// The command-line options through the real program: snapshots against the
// live window, snapshots from a folder without data files, refusals of bad
// input, and the installed program.
#include "window_regions.h"
#include "x11_harness.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#ifndef PALEOVIZ_BINARY_DIR
#define PALEOVIZ_BINARY_DIR "."
#endif

namespace fs = std::filesystem;

namespace {

constexpr int snapshotWaitMs = 20000;
constexpr int installWaitMs = 60000;
const Region panelRows{0, 0, windowSide, 140};
// What does not spin: the panel, the Sun, the logo, the key help line and
// the time readout.
const Region stillRegions[] = {panelRows, sunRegion, logoCorner, helpLineRegion, readoutRegion};

Image readPng(const std::string& path)
{
    return parsePpm(runTool({"convert", path, "-depth", "8", "ppm:-"}, 10000).out);
}

// Everything in the folder but the harness's own logs.
std::set<std::string> leftFiles(const std::string& dir)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    for (const char* harnessFile : {"stdout.txt", "stderr.txt", "xvfb.log"})
        names.erase(harnessFile);
    return names;
}

class SnapshotTest : public X11Test {
protected:
    // Runs the program to its end in dir; returns its exit status.
    int runToEnd(const std::vector<std::string>& args, const std::string& dir, int waitMs = snapshotWaitMs)
    {
        startProgram(args, dir);
        if (!program.waitExit(waitMs))
            return -2;
        return program.status();
    }
    std::string emptyFolder(const std::string& name)
    {
        fs::create_directory(work->file(name));
        return work->file(name);
    }
};

TEST_F(SnapshotTest, TenThousandYearsBackMatchesTheWindowAfterTenKeyPresses)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    const std::string shot = work->file("shot.png");
    ASSERT_EQ(runToEnd({"--time", "-10", "--snapshot", shot}, work->path()), 0) << programErrors();
    const Image snapshot = readPng(shot);
    ASSERT_EQ(snapshot.width, windowSide);
    ASSERT_EQ(snapshot.height, windowSide);
    EXPECT_GT(countPixels(snapshot, juneGlobeRegion, isGlobeColour), 1000);

    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
    ASSERT_NO_FATAL_FAILURE(pressKeyTimes("y", 10));
    // A key that is no command takes the caret off the help line, as in the
    // snapshot, where no key has been pressed.
    ASSERT_NO_FATAL_FAILURE(pressKeys({"x"}));
    const auto stillPartsMatch = [&](const Image& image) {
        return std::all_of(std::begin(stillRegions), std::end(stillRegions),
                           [&](Region r) { return countChanged(image, snapshot, r) == 0; });
    };
    const Image window = captureUntil(stillPartsMatch, pictureWaitMs);
    for (const Region& region : stillRegions)
        EXPECT_EQ(countChanged(window, snapshot, region), 0)
            << "region " << region.x0 << "," << region.y0 << " - " << region.x1 << "," << region.y1;
    EXPECT_EQ(quitWithEscape(), 0);
}

TEST_F(SnapshotTest, DataAndOrbitOptionsWorkFromAFolderWithoutDataAtTheRequestedSize)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    std::ofstream(work->file("other-series")) << standInSeries();
    const std::string empty = emptyFolder("empty");
    const std::string own = work->file("own.png"), other = work->file("other.png");

    ASSERT_EQ(runToEnd({"--data", work->path(), "--size", "320x200", "--snapshot", own}, empty), 0)
        << programErrors();
    ASSERT_EQ(runToEnd({"--data", work->path(), "--orbit", work->file("other-series"), "--size", "320x200",
                        "--snapshot", other},
                       empty),
              0)
        << programErrors();
    EXPECT_EQ(programOutput(), "");
    EXPECT_TRUE(leftFiles(empty).empty());
    const Image a = readPng(own), b = readPng(other);
    EXPECT_EQ(a.width, 320);
    EXPECT_EQ(a.height, 200);
    const Region curves{0, 0, 320, 50};
    EXPECT_GT(countPixels(a, curves, isLit), 200);
    EXPECT_GT(countChanged(a, b, curves), 50) << "--orbit did not change the curves";
}

struct BadInputCase {
    std::vector<std::string> args;
    const char* message;  // the line on standard error holds this
};

void PrintTo(const BadInputCase& c, std::ostream* out)
{
    for (const std::string& a : c.args)
        *out << a << " ";
}

class BadInputTest : public SnapshotTest, public ::testing::WithParamInterface<BadInputCase> {};

TEST_P(BadInputTest, EndsWithStatusTwoAndItsMessageBeforeAnyWindowLeavingNoFile)
{
    const BadInputCase& c = GetParam();
    fs::create_directory(work->file("a-folder.png"));
    WindowCreationWatch watch(xServer->display());
    ASSERT_TRUE(watch.connected());
    EXPECT_EQ(runToEnd(c.args, work->path(), exitWaitMs), 2);
    const std::string errors = programErrors();
    EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
    EXPECT_FALSE(watch.sawWindowCreated());
    EXPECT_EQ(leftFiles(work->path()), std::set<std::string>{"a-folder.png"});
}

INSTANTIATE_TEST_SUITE_P(
    Options, BadInputTest,
    ::testing::Values(BadInputCase{{"--colour", "red", "--snapshot", "x.png"}, "--colour"},
                      BadInputCase{{"--snapshot", "x.png", "--time"}, "--time"},
                      BadInputCase{{"--time", "ten", "--snapshot", "x.png"}, "ten"},
                      BadInputCase{{"--time", "21", "--snapshot", "x.png"}, "--time -21"},
                      BadInputCase{{"--time", "-2.5", "--snapshot", "x.png"}, "whole number"},
                      BadInputCase{{"--step", "5", "--snapshot", "x.png"}, "--step 5"},
                      BadInputCase{{"--spin", "1.5", "--snapshot", "x.png"}, "1.5"},
                      BadInputCase{{"--size", "99x100", "--snapshot", "x.png"}, "99x100"},
                      BadInputCase{{"--size", "8192x8193", "--snapshot", "x.png"}, "8192x8193"},
                      BadInputCase{{"--size", "600", "--snapshot", "x.png"}, "--size 600"},
                      BadInputCase{{"--size", "600x600"}, "--snapshot"},
                      BadInputCase{{"--data", "no-such-folder", "--snapshot", "x.png"}, "no-such-folder"},
                      BadInputCase{{"--orbit", "no-such-file", "--snapshot", "x.png"}, "no-such-file"},
                      BadInputCase{{"--snapshot", "no-such-folder/x.png"}, "no-such-folder/x.png"},
                      BadInputCase{{"--snapshot", "a-folder.png"}, "a-folder.png"},
                      BadInputCase{{"--snapshot", "x.jpg"}, "x.jpg"},
                      BadInputCase{{"--snapshot", ""}, "--snapshot"},
                      BadInputCase{{"-geometry", "0x0", "--snapshot", "x.png"}, "-geometry 0x0"},
                      BadInputCase{{"-geometry", "big", "--snapshot", "x.png"}, "-geometry big"}));

// cmake --install into a scratch prefix; the installed program then finds
// its data from an empty folder without any copying.
TEST_F(SnapshotTest, InstalledProgramMakesASnapshotFromAnEmptyFolder)
{
    const std::string prefix = work->file("prefix");
    const ToolResult install =
        runTool({"cmake", "--install", PALEOVIZ_BINARY_DIR, "--prefix", prefix}, installWaitMs);
    ASSERT_EQ(install.status, 0) << install.out;
    for (const char* installed :
         {"bin/paleoviz", "bin/paleoviz-orbit-series", "bin/paleoviz-insolation", "share/man/man1/paleoviz-insolation.1.gz",
          "share/man/man1/paleoviz-orbit-series.1.gz",
          "share/paleoviz/partetopo", "share/paleoviz/orbit95b", "share/paleoviz/logo.rgba", "share/applications/paleoviz.desktop",
          "share/icons/hicolor/256x256/apps/paleoviz.png", "share/man/man1/paleoviz.1.gz"})
        EXPECT_TRUE(fs::exists(prefix + "/" + installed)) << installed;
    if (toolInstalled("desktop-file-validate")) {
        const ToolResult check =
            runTool({"desktop-file-validate", prefix + "/share/applications/paleoviz.desktop"}, 10000);
        EXPECT_EQ(check.status, 0) << check.out;
    }
    EXPECT_EQ(readPng(prefix + "/share/icons/hicolor/256x256/apps/paleoviz.png").width, 256);

    const std::string empty = emptyFolder("empty");
    const std::string shot = work->file("installed.png");
    program.start({prefix + "/bin/paleoviz", "--snapshot", shot}, empty, work->file("stdout.txt"),
                  work->file("stderr.txt"), {"DISPLAY=" + xServer->display(), "LIBGL_ALWAYS_SOFTWARE=1"});
    ASSERT_TRUE(program.waitExit(snapshotWaitMs));
    EXPECT_EQ(program.status(), 0) << programOutput() << programErrors();
    EXPECT_EQ(programOutput(), "");
    EXPECT_TRUE(leftFiles(empty).empty());
    const Image image = readPng(shot);
    EXPECT_GT(countPixels(image, logoCorner, isLit), 1000) << "the installed logo was not found";
    EXPECT_GT(countPixels(image, curveRegion, isCurveRed), 100);
}

}  // namespace
