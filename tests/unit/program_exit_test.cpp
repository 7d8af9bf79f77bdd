// How the programs end on a request they cannot serve: a message naming the
// program and status 1 or 2, never an abort; the last-resort handler that
// ensures it; and orbit_fit's report, which compares each solution only
// within its own span.
#include "command_run.h"
#include "test_dir.h"
#include "files/program_guard.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

// Rows 0, -1, ... kyr of a plausible Laskar table (time, e, obliquity in
// radians, perihelion in radians).
std::string laskarRows(int rows)
{
    std::string text;
    char line[120];
    for (int j = 0; j < rows; ++j) {
        std::snprintf(line, sizeof line, "%d %.10E %.10E %.10E\n", -j,
                      0.02 + 0.01 * std::sin(j / 15.0), 0.408 + 0.01 * std::cos(j / 6.5), -j / 3.5);
        text += line;
    }
    return text;
}

}  // namespace

TEST(ProgramExit, BadRequestsEndWithAMessageAndStatusNeverAnAbort)
{
    TestDir dir;
    struct Case {
        const char* program;
        const char* name;  // as the program names itself
        const char* arguments;
        int status;
    };
    for (const Case& c : {
             Case{PALEOVIZ_INSOLATION_TOOL, "paleoviz-insolation",
                  "elements --orbit berger1990 --time -6000", 2},
             Case{PALEOVIZ_INSOLATION_TOOL, "paleoviz-insolation",
                  "daily --orbit zb18a --time 0 --lat 65 --lon 90", 2},
             Case{ORBIT_SERIES_TOOL, "paleoviz-orbit-series", "berger1990 out", 2},
             Case{ORBIT_SERIES_TOOL, "paleoviz-orbit-series", "laskar missing.txt out", 1},
             Case{ORBIT_FIT_TOOL, "orbit_fit", "report missing.txt", 1},
             Case{ORBIT_FIT_TOOL, "orbit_fit", "report", 2},
             Case{LOGO_IMAGE_TOOL, "logo_image", "no-such-dir/logo.rgba", 2},
             Case{LOGO_ICON_TOOL, "logo_icon", "missing.rgba icon.png", 1}}) {
        const CommandRun run = runCommand(std::string(c.program) + " " + c.arguments);
        EXPECT_EQ(run.status, c.status) << c.name << " " << c.arguments << "\n" << run.out;
        EXPECT_EQ(run.out.rfind(std::string(c.name) + ": ", 0), 0u) << c.arguments << "\n" << run.out;
    }
}

TEST(ProgramExit, AnEscapedExceptionGivesItsMessageAndStatus)
{
    struct Case {
        void (*raise)();
        int status;
        const char* message;
    };
    for (const Case& c : {
             Case{[] { throw std::out_of_range("time -9 kyr is outside"); }, 2,
                  "prog: time -9 kyr is outside\n"},
             Case{[] { throw std::invalid_argument("not a number"); }, 2, "prog: not a number\n"},
             Case{[] { throw std::domain_error("no such day"); }, 2, "prog: no such day\n"},
             Case{[] { throw std::runtime_error("disk gone"); }, 1, "prog: disk gone\n"},
             Case{[] { throw 7; }, 1, "prog: unexpected error\n"}}) {
        testing::internal::CaptureStderr();
        const int status = guardProgram("prog", [&] {
            c.raise();
            return 0;
        });
        EXPECT_EQ(status, c.status) << c.message;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
    }
}

TEST(ProgramExit, FitReportComparesEachSolutionWithinItsSpan)
{
    TestDir dir;
    dir.write("table.txt", laskarRows(5800));
    const CommandRun run = runCommand(std::string(ORBIT_FIT_TOOL) + " report table.txt");
    ASSERT_EQ(run.status, 0) << run.out;
    for (const char* expected :
         {"Berger and Loutre (1991), BER90 (time 0 at 1950):\n"
          "  compared at 0 to -5000 kyr, within its span -5000 to 0 kyr\n",
          "  (-3000 to -5000 kyr only)\n", "  (0 to -5000 kyr only)\n",
          "  compared at 0 to -5799 kyr, within its span -51000 to 21000 kyr\n",
          "  compared at 0 to -5799 kyr, within its span -100000 to 0 kyr; it gives the "
          "eccentricity only"}) {
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n" << run.out;
    }
}
