// The command line: GLUT's options kept apart, the program's own options
// read and checked, the data files located, and the start state a snapshot
// is drawn in, against the recording stand-in.
#include "scene/data_files.h"
#include "app/data_location.h"
#include "app/options.h"
#include "app/shell.h"
#include "gl_recorder.h"
#include "scene/paleo_scene.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <sys/stat.h>

namespace {

std::vector<std::string> program(std::vector<std::string> args)
{
    args.insert(args.begin(), "paleoviz");
    return args;
}

TEST(OptionsTest, GlutOptionsGoToGlutAndTheRestToTheProgram)
{
    const char* given[] = {"paleoviz", "-display", ":3", "--time", "5",
                           "-iconic",  "-geometry", "9x9", "--step"};
    std::vector<char*> argv;
    for (const char* a : given)
        argv.push_back(const_cast<char*>(a));
    std::vector<char*> glut, own;
    splitGlutOptions(static_cast<int>(argv.size()), argv.data(), glut, own);
    const auto texts = [](const std::vector<char*>& v) {
        EXPECT_EQ(v.back(), nullptr);
        return std::vector<std::string>(v.begin(), v.end() - 1);
    };
    EXPECT_EQ(texts(glut),
              (std::vector<std::string>{"paleoviz", "-display", ":3", "-iconic", "-geometry", "9x9"}));
    EXPECT_EQ(texts(own), (std::vector<std::string>{"paleoviz", "--time", "5", "--step"}));
}

struct GoodCase {
    std::vector<std::string> args;
    int timeKyr, step, spinDegrees, width, height;
};

TEST(OptionsTest, AcceptedValuesAreReadAsGiven)
{
    const GoodCase cases[] = {
        {{}, -1, 0, -1, 600, 600},
        {{"--time", "-21", "--step", "010", "--spin", "090"}, 21, 10, 90, 600, 600},
        {{"--time=0", "--spin", "-90", "--snapshot", "a.png", "--size", "8192x100"}, 0, 0, 270, 8192, 100},
        {{"--spin", "725", "--snapshot", "a.PNG", "--size", "100X8192"}, -1, 0, 5, 100, 8192},
        // Any number of digits: 2^31 - 1 is 127 past a whole number of
        // turns, 36 * 10^21 is a whole number of turns; times beyond every
        // series act as its end.
        {{"--time", "-2147483647", "--spin", "2147483647"}, 1000000000, 0, 127, 600, 600},
        {{"--time", "-000099999999999999999999", "--spin", "-36000000000000000000001"}, 1000000000, 0,
         359, 600, 600},
    };
    TestDir dir;
    for (const GoodCase& c : cases) {
        ProgramOptions o;
        std::string text;
        ASSERT_EQ(parseOptions(program(c.args), o, text), OptionsOutcome::run) << text;
        EXPECT_EQ(o.timeKyr, c.timeKyr);
        EXPECT_EQ(o.step, c.step);
        EXPECT_EQ(o.spinDegrees, c.spinDegrees);
        EXPECT_EQ(o.width, c.width);
        EXPECT_EQ(o.height, c.height);
    }
    ProgramOptions o;
    std::string help;
    EXPECT_EQ(parseOptions(program({"--help"}), o, help), OptionsOutcome::help);
    for (const char* option : {"--data", "--orbit", "--time", "--step", "--spin", "--snapshot", "--size"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

// Every file that is in the working folder comes from there; the others
// from the first fallback folder holding them; a file found nowhere keeps
// its bare name, so that its usual message names it.
TEST(DataLocationTest, WorkingFolderFirstThenFallbackThenTheBareName)
{
    TestDir dir;
    mkdir((dir.path() + "/first").c_str(), 0755);
    mkdir((dir.path() + "/second").c_str(), 0755);
    dir.write(gridFileName, "x");
    dir.write("first/orbit95b", "x");
    dir.write("second/orbit95b", "x");
    const std::vector<std::string> fallback{dir.path() + "/first", dir.path() + "/second"};

    DataFiles files = locateDataFiles(ProgramOptions{}, fallback);
    EXPECT_EQ(files.grid, gridFileName);
    EXPECT_EQ(files.series, dir.path() + "/first/orbit95b");
    EXPECT_EQ(files.logo, logoFileName);

    ProgramOptions options;
    options.dataDir = "second";
    options.orbitFile = "mine.txt";
    files = locateDataFiles(options, fallback);
    EXPECT_EQ(files.grid, "second/partetopo");
    EXPECT_EQ(files.series, "mine.txt");
    EXPECT_EQ(files.logo, "second/logo.rgba");
}

// What the snapshot writer is called with, and the scene as it stands then.
struct SnapshotCall {
    std::string path;
    int width = 0, height = 0, timeIndex = -1, spin = -1, step = -1;
    double ecc = 0, prec = 0, obl = 0;
    bool capsByValue = false;
};
SnapshotCall lastSnapshot;

int fakeSnapshot(const char* path, int width, int height)
{
    lastSnapshot = {path, width, height, theScene->timeIndex, theScene->spin, theScene->globeJune->step,
                    theScene->ecc, theScene->prec, theScene->obl, theScene->globeDecember->capsByValue};
    return 0;
}

int runWith(std::vector<std::string> args)
{
    args = program(args);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    return runProgram(static_cast<int>(args.size()), argv.data(), fakeSnapshot);
}

TEST(SnapshotStartTest, TheFrameIsDrawnInTheStateTheOptionsAskForInsteadOfTheMainLoop)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TestDir dir;
    dir.write(gridFileName, fullGrid([](int, int) -> int16_t { return 1; }));
    dir.write(seriesFileName, "h\nh\nh\n0 0.01 10 23 0\n-1 0.02 20 24 0\n");
    const struct {
        std::vector<std::string> args;
        int timeIndex, spin, step;
        double ecc, prec, obl;  // NaN: not checked
        bool caps;
    } cases[] = {
        {{"--time", "-1", "--step", "4", "--spin", "90"}, 1, 89, 4, 0.02, 20, 24, false},
        {{"--time", "-99999", "--spin", "0"}, seriesRecords - 1, spinPeriod - 1, normalStep, nan, nan, nan, false},
        {{"--time", "-99999999999999999999", "--spin", "2147483647"}, seriesRecords - 1, 126, normalStep, nan, nan, nan, false},
        {{}, 0, 0, normalStep, 0.01, 10, 23, false},
        // The given elements whatever the time; the caps by value on every globe.
        {{"--time", "-1", "--elements", "0.05,24.5,200", "--caps", "value"}, 1, 0, normalStep, 0.05, 200, 24.5, true},
    };
    for (const auto& c : cases) {
        glrec::reset();
        lastSnapshot = SnapshotCall{};
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--snapshot", "shot.png", "--size", "300x200"});
        EXPECT_EQ(runWith(args), 0);
        EXPECT_EQ(lastSnapshot.path, "shot.png");
        EXPECT_EQ(lastSnapshot.width, 300);
        EXPECT_EQ(lastSnapshot.height, 200);
        EXPECT_EQ(lastSnapshot.timeIndex, c.timeIndex);
        EXPECT_EQ(lastSnapshot.spin, c.spin);
        EXPECT_EQ(lastSnapshot.step, c.step);
        if (!std::isnan(c.ecc)) {
            EXPECT_EQ(lastSnapshot.ecc, c.ecc);
            EXPECT_EQ(lastSnapshot.prec, c.prec);
            EXPECT_EQ(lastSnapshot.obl, c.obl);
        }
        EXPECT_EQ(lastSnapshot.capsByValue, c.caps);
        EXPECT_EQ(glrec::count("glutMainLoop"), 0u);
        EXPECT_EQ(theScene, nullptr);
    }
    glrec::reset();
    EXPECT_EQ(runWith({"--step", "3"}), badInputStatus);
    EXPECT_EQ(glrec::count("glutInit"), 0u) << "bad input must stop before GLUT starts";
    detailStep = zoomStep = 0;
}

}  // namespace

// Times carry the time axis' sign, numbers are decimal, and GLUT's geometry
// is checked before GLUT could refuse it with an X error.
TEST(OptionsTest, TimeSignDecimalsAndGeometry)
{
    const struct {
        std::vector<std::string> args;
        const char* problem;  // "" accepted
    } cases[] = {
        {{"--time", "-21"}, ""},
        {{"--time", "21"}, "--time -21 is 21,000 years ago"},
        {{"--time", "+0099999999999"}, "--time -99999999999 is 99999999999,000 years ago"},
        {{"--time", "-2.5"}, "whole number"},
        {{"--time", "-0x10"}, "not a whole number"},
        {{"--step", "010"}, ""},
        {{"--step", "0x8"}, "--step 0x8"},
        {{"--snapshot", ""}, "--snapshot"},
    };
    for (const auto& c : cases) {
        ProgramOptions o;
        std::string text;
        const OptionsOutcome outcome = parseOptions(program(c.args), o, text);
        EXPECT_EQ(outcome == OptionsOutcome::run, *c.problem == '\0') << c.args[1] << ": " << text;
        EXPECT_NE(text.find(c.problem), std::string::npos) << c.args[1] << ": " << text;
    }
    const struct {
        const char* value;
        bool good, size, place;
    } geometries[] = {{"800x600+10-20", true, true, true}, {"=640x480", true, true, false},
                      {"-5+5", true, false, true},         {"0x600", false, false, false},
                      {"800x", false, false, false},       {"big", false, false, false},
                      {"", false, false, false},           {"40000x10", false, false, false}};
    for (const auto& g : geometries) {
        std::vector<char*> glut{const_cast<char*>("paleoviz"), const_cast<char*>("-geometry"),
                                const_cast<char*>(g.value), nullptr};
        GlutGeometry geometry;
        std::string text;
        EXPECT_EQ(readGeometry(glut, geometry, text), g.good) << g.value;
        EXPECT_EQ(geometry.hasSize, g.size) << g.value;
        EXPECT_EQ(geometry.hasPlace, g.place) << g.value;
    }
}

TEST(OptionsTest, ElementsAreCheckedAsSeriesValues)
{
    const struct {
        const char* value;
        const char* problem;  // "" accepted
    } cases[] = {
        {"0.0167,23.44,102.9", ""}, {"0,0,-90", ""}, {"0.99,90,1e3", ""},
        {"1,23,0", "eccentricity"}, {"-0.01,23,0", "eccentricity"}, {"nan,23,0", "eccentricity"},
        {"0.01,90.5,0", "obliquity"}, {"0.01,-1,0", "obliquity"}, {"0.01,23,inf", "precession"},
        {"0.01,23,-1e6", ""}, {"0.01,23,1.000001e6", "precession"}, {"0.01,23,1e308", "precession"},
        {"0.01,23", "three numbers"}, {"0.01,23,1,2", "three numbers"}, {"0.01,,1", "obliquity"},
    };
    for (const auto& c : cases) {
        ProgramOptions o;
        std::string text;
        const OptionsOutcome outcome = parseOptions(program({"--elements", c.value}), o, text);
        EXPECT_EQ(outcome == OptionsOutcome::run, *c.problem == '\0') << c.value << ": " << text;
        EXPECT_NE(text.find(c.problem), std::string::npos) << c.value << ": " << text;
        EXPECT_EQ(o.holdElements, *c.problem == '\0') << c.value;
    }
    ProgramOptions o;
    std::string text;
    ASSERT_EQ(parseOptions(program({"--elements", "0.0167,23.44,102.9", "--caps", "value"}), o, text),
              OptionsOutcome::run);
    EXPECT_EQ(o.heldEcc, 0.0167);
    EXPECT_EQ(o.heldObl, 23.44);
    EXPECT_EQ(o.heldPrec, 102.9);
    EXPECT_TRUE(o.capsByValue);
    EXPECT_EQ(parseOptions(program({"--caps", "blue"}), o, text), OptionsOutcome::bad);
    EXPECT_NE(text.find("--caps blue"), std::string::npos);
}

// Only a folder that no other user can change serves as the data folder.
TEST(DataLocationTest, FoldersOthersCanWriteAreNeverUsed)
{
    TestDir dir;  // under the sticky, world-writable temporary folder
    mkdir("mine", 0755);
    mkdir("shared", 0777);
    chmod("shared", 0777);
    mkdir("shared/inner", 0755);
    EXPECT_TRUE(safeFolder(dir.path() + "/mine"));
    EXPECT_FALSE(safeFolder(dir.path() + "/shared"));
    EXPECT_FALSE(safeFolder(dir.path() + "/shared/inner"));
    EXPECT_FALSE(safeFolder("/tmp"));
    EXPECT_FALSE(safeFolder(dir.path() + "/missing"));
}
