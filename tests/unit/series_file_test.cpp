// The orbital series file reader and the start-up load, on files the tests
// write, and on the committed data/orbit95b.
#include "scene/data_files.h"
#include "math/constants.h"
#include "gl_recorder.h"
#include "orbit_series.h"
#include "scene/paleo_scene.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sys/stat.h>

using math::pi;

namespace {


int16_t land(int, int) { return 10; }

// Record j's values, exact in decimal so that the scanned doubles equal them.
double eccOf(int j) { return (100 + j) / 10000.0; }
double precOf(int j) { return (j * 37 % 360000) / 1000.0; }
double oblOf(int j) { return (2200000 + j) / 100000.0; }

std::string recordFields(int j, int time, const char* extra, const char* separator)
{
    char text[160];
    std::snprintf(text, sizeof text, "%d%s%.4f%s%.3f%s%.5f%s%s", time, separator, eccOf(j),
                  separator, precOf(j), separator, oblOf(j), separator, extra);
    return text;
}

std::string records(int from, int to)
{
    std::string text;
    for (int j = from; j < to; ++j)
        text += recordFields(j, -j, "0.0125", " ") + "\n";
    return text;
}

const std::string header = "orbital elements\nsource\ncolumns\n";

class SeriesFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        glrec::reset();
        dir.write(gridFileName, fullGrid(land));
        scene = std::make_unique<PaleoScene>();
    }
    // Writes text as "orbit95b", reads 5800 records, returns what was printed.
    std::string read(const std::string& text)
    {
        dir.write(seriesFileName, text);
        testing::internal::CaptureStdout();
        scene->readSeries(seriesFileName, 5800);
        return testing::internal::GetCapturedStdout();
    }
    // Records first..5799 hold zeros in all three arrays.
    void expectZerosFrom(int first) const
    {
        for (int j = first; j < scene->recordCount; ++j) {
            ASSERT_EQ(scene->eccSeries[j], 0.0) << j;
            ASSERT_EQ(scene->precSeries[j], 0.0) << j;
            ASSERT_EQ(scene->oblSeries[j], 0.0) << j;
        }
    }
    // Records 0..count-1 hold the values of records().
    void expectValuesBefore(int count) const
    {
        for (int j = 0; j < count; ++j) {
            ASSERT_EQ(scene->eccSeries[j], eccOf(j)) << j;
            ASSERT_EQ(scene->precSeries[j], precOf(j)) << j;
            ASSERT_EQ(scene->oblSeries[j], oblOf(j)) << j;
        }
    }
    std::vector<Globe*> globes() const
    {
        return {scene->globeMarch, scene->globeJune, scene->globeSeptember, scene->globeDecember};
    }

    TestDir dir;
    std::unique_ptr<PaleoScene> scene;
};

}  // namespace

TEST_F(SeriesFileTest, TenRecordsAreFollowedByZeros)
{
    EXPECT_EQ(read(header + records(0, 10)), "");
    EXPECT_EQ(scene->recordCount, 5800);
    expectValuesBefore(10);
    expectZerosFrom(10);
}

TEST_F(SeriesFileTest, LayoutAndUnusedColumnsChangeNothing)
{
    std::string onOneLine;
    std::string fieldPerLine;
    std::string otherColumns;
    for (int j = 0; j < 10; ++j) {
        onOneLine += recordFields(j, -j, "0.0125", " ") + "  ";
        fieldPerLine += recordFields(j, -j, "0.0125", "\n") + "\n";
        otherColumns += recordFields(j, -j, j % 2 ? "-1e30" : "42", "\t") + "\r\n";
    }
    const std::string longLine(300, 'x');
    struct Case { const char* name; std::string text; };
    for (const Case& c : {
             Case{"one record per line", header + records(0, 10)},
             Case{"all records on one line", header + onOneLine + "\n"},
             Case{"one field per line", header + fieldPerLine},
             Case{"other extras, tabs, CRLF", header + otherColumns},
             Case{"CR LF header lines", "h1\r\nh2\r\nh3\r\n" + records(0, 10)},
             Case{"CR-only line ends", "h1\rh2\rh3\r" + fieldPerLine},
             Case{"a 300-character header line", "h1\n" + longLine + "\nh3\n" + records(0, 10)},
             Case{"a 600-character last header line",
                  "h1\nh2\n" + longLine + longLine + "\n" + records(0, 10)}}) {
        EXPECT_EQ(read(c.text), "") << c.name;
        EXPECT_EQ(scene->recordCount, 5800) << c.name;
        expectValuesBefore(10);
        expectZerosFrom(10);
        if (HasFailure()) {
            ADD_FAILURE() << c.name;
            return;
        }
    }
}

TEST_F(SeriesFileTest, UnreadableRecordsAreZeroFromTheFaultOn)
{
    struct Case {
        const char* name;
        std::string text;
        int record;     // first record not read whole
        int kept;       // of its eccentricity, precession, obliquity: fields kept
        const char* fault;  // the message's account of the field, or null at a clean end
    };
    for (const Case& c : {
             Case{"word in column 3", header + records(0, 4) + "-4 0.0104 abc 22.00004 0\n" +
                  records(5, 20), 4, 1, "column 3 (precession angle) is not a number"},
             Case{"word in column 1", header + records(0, 2) + "now 0.0102 0.074 22.00002 0\n" +
                  records(3, 20), 2, 0, "column 1 (time) is not a number"},
             Case{"word in column 5", header + records(0, 6) +
                  recordFields(6, -6, "n/a", " ") + "\n" + records(7, 20), 6, 3,
                  "column 5 (extra value) is not a number"},
             Case{"end after column 4", header + records(0, 9) + recordFields(9, -9, "", " ") + "\n",
                  9, 3, "column 5 (extra value) is missing at the end of the file"},
             Case{"end after column 3", header + records(0, 9) + "-9 0.0109 0.333", 9, 2,
                  "column 4 (obliquity) is missing at the end of the file"},
             Case{"end after column 1", header + records(0, 9) + "-9\n", 9, 0,
                  "column 2 (eccentricity) is missing at the end of the file"},
             Case{"decimal comma in column 2", header + records(0, 4) + "-4 0,0104 0.148 22.00004 0\n" +
                  records(5, 20), 4, 0,
                  "column 2 (eccentricity) holds a comma (numbers here take a decimal point)"},
             Case{"decimal comma in column 4", header + records(0, 4) + "-4 0.0104 0.148 22,00004 0\n" +
                  records(5, 20), 4, 2,
                  "column 4 (obliquity) holds a comma (numbers here take a decimal point)"},
             Case{"end after the last whole record", header + records(0, 9) + "\n\n", 9, 0, nullptr},
             Case{"end inside the header", "h1\nh2", 0, 0, nullptr},
             Case{"empty file", "", 0, 0, nullptr}}) {
        // Arrays freed by a full read are likely reused with their values, so
        // a slot the reader fails to zero shows.
        EXPECT_EQ(read(header + records(0, 5800)), "");
        const std::string expected =
            c.fault ? "orbit95b: record " + std::to_string(c.record) + ": " + c.fault +
                          "; it and every later field are 0\n"
                    : "";
        EXPECT_EQ(read(c.text), expected) << c.name;
        EXPECT_EQ(scene->recordCount, 5800) << c.name;
        expectValuesBefore(c.record);
        const int j = c.record;
        EXPECT_EQ(scene->eccSeries[j], c.kept >= 1 ? eccOf(j) : 0.0) << c.name;
        EXPECT_EQ(scene->precSeries[j], c.kept >= 2 ? precOf(j) : 0.0) << c.name;
        EXPECT_EQ(scene->oblSeries[j], c.kept >= 3 ? oblOf(j) : 0.0) << c.name;
        expectZerosFrom(j + 1);
        if (HasFailure()) {
            ADD_FAILURE() << c.name;
            return;
        }
    }
}

TEST_F(SeriesFileTest, FirstImplausibleRecordIsReportedOnceAndKept)
{
    const std::string sound = header + records(0, 5800);
    auto replaced = [&](int j, const std::string& fields) {
        std::string text = header + records(0, j) + fields + "\n" + records(j + 1, 5800);
        return text;
    };
    struct Case {
        const char* name;
        std::string text;
        const char* message;
        int keptBefore;  // records before this one hold their values
    };
    for (const Case& c : {
             Case{"eccentricity 1", replaced(3, "-3 1.0 0.111 22.00003 0"),
                  "orbit95b: record 3: column 2 (eccentricity) 1 is outside 0 <= e < 1\n", 3},
             Case{"negative eccentricity", replaced(7, "-7 -0.01 0.259 22.00007 0"),
                  "orbit95b: record 7: column 2 (eccentricity) -0.01 is outside 0 <= e < 1\n", 7},
             Case{"obliquity not a finite number", replaced(2, "-2 0.0102 0.074 nan 0"),
                  "orbit95b: record 2: column 4 (obliquity) is not finite\n", 2},
             Case{"infinite extra value", replaced(5, "-5 0.0105 0.185 22.00005 1e99"),
                  "orbit95b: record 5: column 5 (extra value) is not finite\n", 5},
             Case{"time in thousands of years", replaced(0, "77 0.01 0 22 0"),
                  "orbit95b: record 0: column 1 (time) 77 where 0 was expected; are the columns "
                  "shifted?\n", 0},
             Case{"a sixth column", header + records(0, 4) + recordFields(4, -4, "0 0.5", " ") +
                  "\n" + records(5, 5800),
                  "orbit95b: record 5: column 1 (time) 0 where -5 was expected; are the columns "
                  "shifted?\n", 5}}) {
        EXPECT_EQ(read(c.text), c.message) << c.name;
        expectValuesBefore(c.keptBefore);
        if (HasFailure()) {
            ADD_FAILURE() << c.name;
            return;
        }
    }
    // The values as read are kept: the plausibility check reads on.
    read(replaced(3, "-3 1.0 0.111 22.00003 0"));
    EXPECT_EQ(scene->eccSeries[3], 1.0);
    EXPECT_EQ(scene->eccSeries[4], eccOf(4));
    EXPECT_EQ(read(sound), "");
}

// Values no orbit has are refused, the first with the line it lies on: the
// record holds 0 and the rest of the file is read on. Record j of records()
// lies on line j + 4, after the three header lines.
TEST_F(SeriesFileTest, ValuesBeyondAnyOrbitAreRefusedNamingTheLine)
{
    const std::string after = "; the record is refused and holds 0\n";
    struct Case {
        const char* name;
        std::string fields;  // record 3, its line ended
        std::string message;
    };
    for (const Case& c : {
             Case{"precession 1e308 degrees", "-3 0.0103 1e308 22.00003 0\n",
                  "orbit95b: line 7: record 3: column 3 (precession angle) 1e+308 is beyond +-1e6 degrees"},
             Case{"obliquity -2e6 degrees over two lines", "-3 0.0103\n0.111 -2e6 0\n",
                  "orbit95b: line 8: record 3: column 4 (obliquity) -2e+06 is beyond +-1e6 degrees"},
             Case{"infinite precession", "-3 0.0103 -inf 22.00003 0\n",
                  "orbit95b: line 7: record 3: column 3 (precession angle) -inf is beyond +-1e6 degrees"},
             Case{"time past int", "2147483648 0.0103 0.111 22.00003 0\n",
                  "orbit95b: line 7: record 3: column 1 (time) 2147483648 is outside the whole "
                  "numbers the reader takes"},
             Case{"time of thirty digits", "-" + std::string(30, '9') + " 0.0103 0.111 22.00003 0\n",
                  "orbit95b: line 7: record 3: column 1 (time) -" + std::string(24, '9') +
                      "... is outside the whole numbers the reader takes"}}) {
        EXPECT_EQ(read(header + records(0, 3) + c.fields + records(4, 5800)),
                  c.message + after)
            << c.name;
        expectValuesBefore(3);
        EXPECT_EQ(scene->eccSeries[3], 0.0) << c.name;
        EXPECT_EQ(scene->precSeries[3], 0.0) << c.name;
        EXPECT_EQ(scene->oblSeries[3], 0.0) << c.name;
        EXPECT_EQ(scene->eccSeries[4], eccOf(4)) << c.name;
    }
    // The last int is a time like any other: the usual implausible-time
    // line shows it as written.
    EXPECT_EQ(read(header + records(0, 3) + "-2147483648 0.0103 0.111 22.00003 0\n" + records(4, 5800)),
              "orbit95b: record 3: column 1 (time) -2147483648 where -3 was expected; are the columns "
              "shifted?\n");
    EXPECT_EQ(scene->eccSeries[3], 0.0103);
}

TEST_F(SeriesFileTest, FilesThatOpenButCannotBeReadCountAsMissing)
{
    // A directory opens for reading on this system, but every read fails.
    ASSERT_EQ(mkdir(seriesFileName, 0700), 0);
    const ChildResult series = runInChild([this] { scene->readSeries(seriesFileName, 5800); });
    EXPECT_EQ(series.status, 255);
    EXPECT_EQ(series.out, "Unable to open file \"orbit95b\" for read\n");

    ASSERT_EQ(mkdir(logoFileName, 0700), 0);
    const ChildResult logo = runInChild([this] {
        scene->loadLogo();
        std::printf("showLogo=%d calls=%zu\n", int(scene->showLogo), glrec::calls().size());
    });
    EXPECT_EQ(logo.status, 0);
    EXPECT_EQ(logo.out, "unable to load logo\nshowLogo=0 calls=0\n");

    std::remove(gridFileName);
    ASSERT_EQ(mkdir(gridFileName, 0700), 0);
    const ChildResult grid = runInChild([] { PaleoScene unreadable; });
    EXPECT_EQ(grid.status, 255);
    EXPECT_EQ(grid.out, "earth.cpp: line (__LINE__Var+3): file pointer is null!\n\nBailing Out....\n");
}

TEST_F(SeriesFileTest, RecordsAfterThe5800thAreNotRead)
{
    EXPECT_EQ(read(header + records(0, 5800) + "garbage\n" + records(5801, 5810)), "");
    EXPECT_EQ(scene->recordCount, 5800);
    expectValuesBefore(5800);
}

TEST_F(SeriesFileTest, MissingFileEndsTheProcessBeforeTheLogo)
{
    const ChildResult reader = runInChild([this] { scene->readSeries(seriesFileName, 5800); });
    EXPECT_EQ(reader.status, 255);
    EXPECT_EQ(reader.out, "Unable to open file \"orbit95b\" for read\n");

    // No logo.rgba either: had the logo been loaded first, its message would show.
    const ChildResult load = runInChild([this] { scene->loadData(); });
    EXPECT_EQ(load.status, 255);
    EXPECT_EQ(load.out, "Unable to open file \"orbit95b\" for read\n");
}

TEST_F(SeriesFileTest, LoadDataSwitchesOnPushesRecordZeroLoadsTheLogoAndSetsTheStep)
{
    for (bool logo : {true, false}) {
        glrec::reset();
        dir.write(seriesFileName, header + records(0, 3));
        std::remove(logoFileName);
        if (logo)
            dir.write(logoFileName, std::string(logoBytes, '\x40'));
        scene->showEcc = scene->showPrec = scene->showObl = false;
        scene->showLogo = true;
        scene->setGlobeStep(3);

        testing::internal::CaptureStdout();
        scene->loadData();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), logo ? "" : "unable to load logo\n");
        EXPECT_EQ(glrec::count("gluBuild2DMipmaps"), logo ? 1u : 0u);
        EXPECT_EQ(scene->showLogo, logo);
        EXPECT_TRUE(scene->showEcc && scene->showPrec && scene->showObl);
        EXPECT_EQ(scene->ecc, eccOf(0));
        EXPECT_EQ(scene->prec, precOf(0));
        EXPECT_EQ(scene->obl, oblOf(0));
        for (const Globe* g : globes()) {
            EXPECT_EQ(g->eccentricity, static_cast<float>(eccOf(0)));
            EXPECT_EQ(g->omega, static_cast<float>(PaleoScene::degToRad(precOf(0)) + pi));
            EXPECT_EQ(g->obliquity, static_cast<float>(PaleoScene::degToRad(oblOf(0))));
            EXPECT_EQ(g->step, 8);
        }
    }
}

TEST_F(SeriesFileTest, CommittedSeriesFollowsTheLaskar2004Solution)
{
    dir.copyData(seriesFileName);
    std::ifstream file(seriesFileName);
    std::string line;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(std::getline(file, line));
        EXPECT_LE(line.size(), 254u) << "header line " << i;
    }
    testing::internal::CaptureStdout();
    scene->readSeries(seriesFileName, 5800);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    // Values of Laskar et al. (2004), A&A 428, 261-285 (time 0 at J2000,
    // perihelion from the moving equinox), which the committed fitted series
    // follows within 0.0003 in e and 0.005 degrees in obliquity; the
    // perihelion within a degree where e is near 0.02.
    struct Case { int record; double e, perihelion, obliquity; };
    for (const Case& c : {Case{0, 0.016702, 102.918, 23.43929}, Case{10, 0.019425, 295.267, 24.23072},
                          Case{21, 0.018835, 115.234, 22.96414},
                          Case{5799, 0.054141, 4.289, 22.66216}}) {
        EXPECT_NEAR(scene->eccSeries[c.record], c.e, 3e-4) << c.record;
        EXPECT_NEAR(scene->precSeries[c.record], c.perihelion, 1.0) << c.record;
        EXPECT_NEAR(scene->oblSeries[c.record], c.obliquity, 5e-3) << c.record;
    }
    for (int j = 0; j < 5800; ++j) {
        ASSERT_GT(scene->eccSeries[j], 0.0) << j;
        ASSERT_GE(scene->precSeries[j], 0.0) << j;
        ASSERT_LT(scene->precSeries[j], 360.0) << j;
        ASSERT_GT(scene->oblSeries[j], 22.0) << j;
    }
}

TEST_F(SeriesFileTest, La93SeriesFromTheGeneratorFillsEveryRecord)
{
    // The generator's file for another full solution: the window reads all
    // 5800 records of it, each the solution's value at -j kyr as printed.
    const orbit::SolutionInfo* la93 = orbit::findSolution("la93-11");
    ASSERT_NE(la93, nullptr);
    std::string message;
    ASSERT_TRUE(writeSolutionFile(*la93, seriesFileName, message)) << message;
    std::ifstream file(seriesFileName);
    int lines = 0;
    for (std::string line; std::getline(file, line);)
        ++lines;
    EXPECT_EQ(lines, 3 + 5800);
    testing::internal::CaptureStdout();
    scene->readSeries(seriesFileName, 5800);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_EQ(scene->recordCount, 5800);
    for (int j = 0; j < 5800; ++j) {
        const orbit::Elements el = orbit::elementsAt(*la93, -j);
        ASSERT_NEAR(scene->eccSeries[j], el.eccentricity, 5e-9) << j;
        ASSERT_NEAR(std::remainder(scene->precSeries[j] - el.perihelion, 360.0), 0.0, 5e-7) << j;
        ASSERT_NEAR(scene->oblSeries[j], el.obliquity, 5e-7) << j;
    }
    // BER90 is 5001 records long: refused, naming its span, and no file.
    const orbit::SolutionInfo* ber90 = orbit::findSolution("berger1990");
    ASSERT_NE(ber90, nullptr);
    EXPECT_FALSE(writeSolutionFile(*ber90, "short", message));
    EXPECT_NE(message.find("-5000 to 0 kyr, 5001 records"), std::string::npos) << message;
    EXPECT_FALSE(std::ifstream("short").good());
}
