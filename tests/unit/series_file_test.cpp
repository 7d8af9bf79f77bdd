// The orbital series file reader and the start-up load, on files the tests
// write, and on the committed data/orbit95b.
#include "gl_recorder.h"
#include "scene/paleo_scene.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>

namespace {

constexpr double pi = 3.141592653589793;

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
        dir.write("partetopo", fullGrid(land));
        scene = std::make_unique<PaleoScene>();
    }
    // Writes text as "orbit95b", reads 5800 records, returns what was printed.
    std::string read(const std::string& text)
    {
        dir.write("orbit95b", text);
        testing::internal::CaptureStdout();
        scene->readSeries("orbit95b", 5800);
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
        otherColumns += recordFields(j, j * 1000 + 77, j % 2 ? "-1e30" : "42", "\t") + "\r\n";
    }
    const std::string longLine(300, 'x');
    struct Case { const char* name; std::string text; };
    for (const Case& c : {
             Case{"one record per line", header + records(0, 10)},
             Case{"all records on one line", header + onOneLine + "\n"},
             Case{"one field per line", header + fieldPerLine},
             Case{"other times and extras, tabs, CRLF", header + otherColumns},
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
        bool message;   // a fault rather than a clean end of input
    };
    for (const Case& c : {
             Case{"word in column 3", header + records(0, 4) + "-4 0.0104 abc 22.00004 0\n" +
                  records(5, 20), 4, 1, true},
             Case{"word in column 1", header + records(0, 2) + "now 0.0102 0.074 22.00002 0\n" +
                  records(3, 20), 2, 0, true},
             Case{"word in column 5", header + records(0, 6) +
                  recordFields(6, -6, "n/a", " ") + "\n" + records(7, 20), 6, 3, true},
             Case{"end after column 3", header + records(0, 9) + "-9 0.0109 0.333", 9, 2, true},
             Case{"end after column 1", header + records(0, 9) + "-9\n", 9, 0, true},
             Case{"end after the last whole record", header + records(0, 9) + "\n\n", 9, 0, false},
             Case{"end inside the header", "h1\nh2", 0, 0, false},
             Case{"empty file", "", 0, 0, false}}) {
        // Arrays freed by a full read are likely reused with their values, so
        // a slot the reader fails to zero shows.
        EXPECT_EQ(read(header + records(0, 5800)), "");
        const std::string expected =
            c.message ? "orbit95b: record " + std::to_string(c.record) +
                            " is not five numbers; it and the later records are 0\n"
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

TEST_F(SeriesFileTest, RecordsAfterThe5800thAreNotRead)
{
    EXPECT_EQ(read(header + records(0, 5800) + "garbage\n" + records(5801, 5810)), "");
    EXPECT_EQ(scene->recordCount, 5800);
    expectValuesBefore(5800);
}

TEST_F(SeriesFileTest, MissingFileEndsTheProcessBeforeTheLogo)
{
    const ChildResult reader = runInChild([this] { scene->readSeries("orbit95b", 5800); });
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
        dir.write("orbit95b", header + records(0, 3));
        std::remove("logo.rgba");
        if (logo)
            dir.write("logo.rgba", std::string(logoBytes, '\x40'));
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
    dir.copyData("orbit95b");
    std::ifstream file("orbit95b");
    std::string line;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(std::getline(file, line));
        EXPECT_LE(line.size(), 254u) << "header line " << i;
    }
    testing::internal::CaptureStdout();
    scene->readSeries("orbit95b", 5800);
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
