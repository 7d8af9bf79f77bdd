// The program's window, its exit status and its console output, with all
// data files present and with each one missing.
#include "window_regions.h"
#include "x11_harness.h"

#include <sys/stat.h>

namespace {

constexpr int fatalFileStatus = 255;  // exit(-1) as the shell sees it
constexpr int settleMs = 300;

using StartUpTest = X11Test;

TEST_F(StartUpTest, WindowHasCaptionSizeAndPositionAndNothingIsPrinted)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());

    EXPECT_EQ(windowName(), windowCaption);
    const WindowGeometry g = geometry();
    EXPECT_EQ(g.width, windowSide);
    EXPECT_EQ(g.height, windowSide);
    EXPECT_EQ(g.x, windowLeft);
    EXPECT_EQ(g.y, windowTop);
    const Image shot = capture();
    EXPECT_EQ(shot.width, windowSide);
    EXPECT_EQ(shot.height, windowSide);

    // Output sent to a file is buffered until the process ends, so the
    // check that a normal run prints nothing is made after it has ended.
    EXPECT_EQ(quitWithEscape(), 0);
    EXPECT_EQ(programOutput(), "");
}

TEST_F(StartUpTest, EscapeEndsTheProgramWithStatusZeroAndClosesTheWindow)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
    ASSERT_TRUE(program.running());

    EXPECT_EQ(quitWithEscape(), 0);
    const ToolResult left =
        runTool({"xdotool", "search", "--onlyvisible", "--name", windowCaption}, exitWaitMs);
    EXPECT_EQ(left.out, "") << "the window outlived the program";
}

// GLUT's -geometry gives the size and the place instead of the fixed ones.
TEST_F(StartUpTest, GeometryGivesTheWindowsSizeAndPlace)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    ASSERT_NO_FATAL_FAILURE(startProgram({"-geometry", "400x300+50+60"}));
    window = waitForWindow();
    ASSERT_FALSE(window.empty()) << "no window appeared; program output:\n" << programOutput();
    pauseMs(settleMs);
    const WindowGeometry g = geometry();
    EXPECT_EQ(g.width, 400);
    EXPECT_EQ(g.height, 300);
    EXPECT_EQ(g.x, 50);
    EXPECT_EQ(g.y, 60);
    EXPECT_EQ(quitWithEscape(), 0);
}

struct MissingFileCase {
    const char* missing;
    const char* output;  // everything printed, whole
    int status;
    bool windowStays;  // the program runs on and is ended with Escape
    bool windowNeverCreated;
    bool unreadable = false;  // a directory of that name instead of no file
    bool fifo = false;        // a FIFO of that name that nobody writes
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const MissingFileCase& c, std::ostream* out)
{
    *out << (c.fifo ? "FIFO " : c.unreadable ? "unreadable " : "missing ") << c.missing;
}

class MissingFileTest : public X11Test, public ::testing::WithParamInterface<MissingFileCase> {};

TEST_P(MissingFileTest, PrintsItsMessageAndEndsOrRunsOn)
{
    const MissingFileCase& c = GetParam();
    WindowCreationWatch watch(xServer->display());
    ASSERT_TRUE(watch.connected());
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(c.missing));
    // A directory opens for reading but cannot be read.
    if (c.unreadable) {
        ASSERT_EQ(mkdir(work->file(c.missing).c_str(), 0700), 0) << c.missing;
    }
    if (c.fifo) {
        ASSERT_EQ(mkfifo(work->file(c.missing).c_str(), 0600), 0) << c.missing;
    }
    ASSERT_NO_FATAL_FAILURE(startProgram());

    if (c.windowStays) {
        ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
        EXPECT_EQ(quitWithEscape(), c.status);
    } else {
        ASSERT_TRUE(program.waitExit(exitWaitMs)) << "the program did not end by itself";
        EXPECT_EQ(program.status(), c.status);
    }
    EXPECT_EQ(programOutput(), c.output);
    if (c.windowNeverCreated) {
        pauseMs(settleMs);
        EXPECT_FALSE(watch.sawWindowCreated()) << "a window was created before the fatal error";
    }
}

const MissingFileCase missingFileCases[] = {
    {"partetopo", "earth.cpp: line (__LINE__Var+3): file pointer is null!\n\nBailing Out....\n",
     fatalFileStatus, false, true},
    {"orbit95b", "Unable to open file \"orbit95b\" for read\n", fatalFileStatus, false, false},
    {"logo.rgba", "unable to load logo\n", 0, true, false},
    {"partetopo", "earth.cpp: line (__LINE__Var+3): file pointer is null!\n\nBailing Out....\n",
     fatalFileStatus, false, true, true},
    {"orbit95b", "Unable to open file \"orbit95b\" for read\n", fatalFileStatus, false, false, true},
    // A FIFO nobody writes is an empty file, read at once.
    {"partetopo", "partetopo: short elevation grid, read 0 of 583200 samples; the rest are 0\n", 0, true,
     false, false, true},
    {"orbit95b", "", 0, true, false, false, true},
};

std::string caseName(const ::testing::TestParamInfo<MissingFileCase>& info)
{
    std::string name = std::string(info.param.fifo ? "Fifo_" : info.param.unreadable ? "Unreadable_" : "No_") +
                       info.param.missing;
    for (char& c : name)
        if (c == '.')
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(EachStartUpFile, MissingFileTest, ::testing::ValuesIn(missingFileCases), caseName);

}  // namespace
