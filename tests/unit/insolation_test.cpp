// Insolation colour index, the two palettes and the land/ocean colour choice.
#include "math/constants.h"
#include "globe/earth.h"
#include "scene/data_files.h"
#include "gl_recorder.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

using math::pi;

namespace {

int16_t land(int, int) { return 10; }

std::unique_ptr<Globe> makeGlobe(int season)
{
    TestDir dir;
    dir.write(gridFileName, fullGrid(land));
    return std::make_unique<Globe>(season, gridFileName);
}

int indexAtRow(Globe& globe, int season, int row)
{
    globe.season = season;
    return globe.colourIndex(static_cast<float>(globe.latitudeOfRow(row)));
}

// Textbook HSV to RGB with hue in degrees and s, v in 0..1, in double.
void referenceHsv(double hueDegrees, double s, double v, double rgb[3])
{
    const double c = v * s;
    const double h = hueDegrees / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    const double m = v - c;
    const int sector = static_cast<int>(h);
    const double table[6][3] = {{c, x, 0}, {x, c, 0}, {0, c, x}, {0, x, c}, {x, 0, c}, {c, 0, x}};
    for (int k = 0; k < 3; ++k)
        rgb[k] = table[sector][k] + m;
}

}  // namespace

TEST(InsolationIndex, LatitudeOfRow)
{
    auto globe = makeGlobe(seasonMarch);
    EXPECT_DOUBLE_EQ(globe->latitudeOfRow(0), pi / 2);
    EXPECT_DOUBLE_EQ(globe->latitudeOfRow(270), 0.0);
    EXPECT_DOUBLE_EQ(globe->latitudeOfRow(135), pi / 4);
    EXPECT_DOUBLE_EQ(globe->latitudeOfRow(539), -269.0 / 540 * pi);
}

TEST(InsolationIndex, DefaultOrbitAtChosenRows)
{
    struct Case {
        int season;
        int row;
        int index;
    };
    const Case cases[] = {
        {seasonMarch, 270, 146},     // equator, value 146.78
        {seasonSeptember, 270, 148},
        {seasonMarch, 0, 0},         // cos of the float latitude is a hair below 0
        {seasonJune, 135, 176},      // 45 N
        {seasonDecember, 405, 164},  // 45 S
        {seasonJune, 405, 41},
        {seasonDecember, 135, 38},
        {seasonJune, 71, 175},       // first row inside the lit zone
        {seasonJune, 469, 0},        // last row inside, value about 0.057
        {4, 270, 0},
        {4, 135, 0},
        {-1, 270, 0},
        {-1, 405, 0},
    };
    auto globe = makeGlobe(seasonMarch);
    for (const Case& c : cases)
        EXPECT_EQ(indexAtRow(*globe, c.season, c.row), c.index)
            << "season " << c.season << " row " << c.row;
}

TEST(InsolationIndex, SolsticeCapsAreGreyAndTheZoneBetweenIsLit)
{
    auto globe = makeGlobe(seasonJune);
    for (int season : {seasonJune, seasonDecember}) {
        for (int row = 0; row <= 70; ++row)
            EXPECT_EQ(indexAtRow(*globe, season, row), 0) << "season " << season << " row " << row;
        for (int row = 470; row < gridRows; ++row)
            EXPECT_EQ(indexAtRow(*globe, season, row), 0) << "season " << season << " row " << row;
    }
    // The lit side of the zone stays coloured right up to its edge.
    for (int row = 71; row <= 270; ++row)
        EXPECT_GT(indexAtRow(*globe, seasonJune, row), 0) << "row " << row;
    for (int row = 270; row <= 469; ++row)
        EXPECT_GT(indexAtRow(*globe, seasonDecember, row), 0) << "row " << row;
    // Equinoxes colour every row but those within a third of a degree of a pole.
    for (int row = 2; row < gridRows - 1; ++row)
        EXPECT_GT(indexAtRow(*globe, seasonMarch, row), 0) << "row " << row;
}

TEST(InsolationIndex, IndexFallsWithLatitudeAtTheEquinoxes)
{
    auto globe = makeGlobe(seasonMarch);
    for (int season : {seasonMarch, seasonSeptember}) {
        for (int row = 1; row < 270; ++row) {
            EXPECT_LE(indexAtRow(*globe, season, row), indexAtRow(*globe, season, row + 1))
                << "season " << season << " row " << row;
            // Both hemispheres alike on an equinox day.
            EXPECT_EQ(indexAtRow(*globe, season, row), indexAtRow(*globe, season, 540 - row))
                << "season " << season << " row " << row;
        }
    }
}

TEST(InsolationIndex, OutOfRangeValues)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        float omega, eccentricity, obliquity;
        int season, row, index;
    };
    const Case cases[] = {
        // ((1 + 0.5) / 0.75)^2 = 4 times the circular-orbit value: capped.
        {"large eccentricity", 0.0f, 0.5f, 0.4092099f, seasonMarch, 270, 191},
        {"large eccentricity, high latitude", 0.0f, 0.5f, 0.4092099f, seasonMarch, 90, 191},
        {"unit eccentricity", 1.0f, 1.0f, 0.4092099f, seasonJune, 270, 191},
        {"NaN eccentricity", 1.7692403f, nan, 0.4092099f, seasonMarch, 270, 0},
        {"NaN perihelion angle", nan, 0.017236f, 0.4092099f, seasonSeptember, 270, 0},
        {"NaN obliquity", 1.7692403f, 0.017236f, nan, seasonJune, 270, 0},
        {"NaN obliquity", 1.7692403f, 0.017236f, nan, seasonDecember, 135, 0},
    };
    auto globe = makeGlobe(seasonMarch);
    for (const Case& c : cases) {
        globe->setOmega(c.omega);
        globe->setEccentricity(c.eccentricity);
        globe->setObliquity(c.obliquity);
        EXPECT_EQ(indexAtRow(*globe, c.season, c.row), c.index) << c.what;
    }
    globe->setEccentricity(0.017236f);
    globe->setObliquity(0.4092099f);
    globe->setOmega(1.7692403f);
    globe->season = seasonMarch;
    EXPECT_EQ(globe->colourIndex(nan), 0) << "NaN latitude";
}

TEST(InsolationIndex, InfiniteValuesAreOutOfRangeValues)
{
    // With |e| = 1 in float, 1 - e^2 is 0 and the distance factor infinite:
    // the sign of the daily factor then decides between the two ends. An
    // infinity handed to the float-to-int conversion is undefined; built
    // with -fsanitize=float-cast-overflow this test stops there.
    struct Case {
        const char* what;
        float eccentricity, omega;
        int season, row, index;
    };
    const Case cases[] = {
        {"e 1, lit equator", 1.0f, 1.0f, seasonMarch, 270, 191},
        {"e -1, lit equator", -1.0f, 1.0f, seasonJune, 270, 191},
        {"e 1, cos of the pole below 0", 1.0f, 1.0f, seasonMarch, 0, 0},
        {"e -1, cos of the pole below 0", -1.0f, 1.0f, seasonSeptember, 0, 0},
        {"e 1, numerator 0", 1.0f, 0.0f, seasonSeptember, 270, 0},
    };
    auto globe = makeGlobe(seasonMarch);
    for (const Case& c : cases) {
        globe->setEccentricity(c.eccentricity);
        globe->setOmega(c.omega);
        EXPECT_EQ(indexAtRow(*globe, c.season, c.row), c.index) << c.what;
    }
}

TEST(InsolationPalette, HsvConversionAtNamedPoints)
{
    struct Case {
        unsigned h, s, v;
        float red, green, blue;
    };
    const float sat = 100 / 255.0f;
    // Hue 190 of 256 is 267.1875 degrees: sector 4, fraction 0.453125.
    const float f = 0.453125f;
    const float v100 = 100 / 255.0f;
    const Case cases[] = {
        {0, 100, 200, 200 / 255.0f, (1 - sat) * 200 / 255.0f, (1 - sat) * 200 / 255.0f},
        {190, 100, 100, (1 - (1 - f) * sat) * v100, (1 - sat) * v100, v100},
        {0, 0, 127, 127 / 255.0f, 127 / 255.0f, 127 / 255.0f},
        {77, 0, 64, 64 / 255.0f, 64 / 255.0f, 64 / 255.0f},  // hue ignored without saturation
        {256, 100, 100, v100, (1 - sat) * v100, (1 - sat) * v100},  // a full turn is hue 0
    };
    for (const Case& c : cases) {
        float red = -1, green = -1, blue = -1;
        hsvToRgb(c.h, c.s, c.v, red, green, blue);
        EXPECT_NEAR(red, c.red, 1e-6) << "h " << c.h;
        EXPECT_NEAR(green, c.green, 1e-6) << "h " << c.h;
        EXPECT_NEAR(blue, c.blue, 1e-6) << "h " << c.h;
    }
    float red = -1, green = -2, blue = -3;
    hsvToRgb(300, 100, 100, red, green, blue);  // beyond a full turn: nothing written
    EXPECT_EQ(red, -1);
    EXPECT_EQ(green, -2);
    EXPECT_EQ(blue, -3);
}

TEST(InsolationPalette, TablesFollowTheHueRamp)
{
    auto globe = makeGlobe(seasonMarch);
    for (int k = 0; k < 3; ++k) {
        EXPECT_FLOAT_EQ(globe->landPalette[0][k], 127 / 255.0f);
        EXPECT_FLOAT_EQ(globe->oceanPalette[0][k], 64 / 255.0f);
    }
    for (int i = 1; i < paletteSize; ++i) {
        const double hue = (191 - i) * 360.0 / 256.0;
        double land[3], ocean[3];
        referenceHsv(hue, 100 / 255.0, 200 / 255.0, land);
        referenceHsv(hue, 100 / 255.0, 100 / 255.0, ocean);
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(globe->landPalette[i][k], land[k], 2e-6) << "entry " << i << " channel " << k;
            EXPECT_NEAR(globe->oceanPalette[i][k], ocean[k], 2e-6) << "entry " << i << " channel " << k;
        }
    }
    // Low end blue-violet, high end red.
    EXPECT_GT(globe->landPalette[1][2], globe->landPalette[1][0]);
    EXPECT_GT(globe->landPalette[1][0], globe->landPalette[1][1]);
    EXPECT_FLOAT_EQ(globe->landPalette[191][0], 200 / 255.0f);
    EXPECT_FLOAT_EQ(globe->oceanPalette[191][0], 100 / 255.0f);
}

TEST(InsolationPalette, SetColourPicksTheTableBySign)
{
    struct Case {
        int16_t sample;
        bool ocean;
    };
    const Case cases[] = {{-1, true}, {-32767, true}, {-500, true},
                          {0, false}, {-32768, false}, {32767, false}, {1, false}};
    auto globe = makeGlobe(seasonMarch);
    for (const Case& c : cases) {
        for (int index : {0, 1, 100, 191}) {
            glrec::reset();
            globe->setColour(c.sample, index);
            const auto colours = glrec::named("glColor3fv");
            ASSERT_EQ(colours.size(), 1u);
            const float* expected = c.ocean ? globe->oceanPalette[index] : globe->landPalette[index];
            for (int k = 0; k < 3; ++k)
                EXPECT_EQ(colours[0].args[k], expected[k])
                    << "sample " << c.sample << " index " << index << " channel " << k;
        }
    }
    glrec::reset();
}

TEST(InsolationIndex, CapsByValueColourPolarDayAndLeavePolarNightAtZero)
{
    auto globe = makeGlobe(seasonJune);
    globe->setEccentricity(0.0f);
    globe->setObliquity(0.4092099f);  // 23.446 degrees
    // Polar day at the June pole: D = pi sin(eps) = 1.2486, so the value is
    // 1.2486 / 1.3 x 192 = 184.4 with e = 0.
    struct Case { bool byValue; int season; int row; int index; };
    for (const Case& c : {Case{false, seasonJune, 0, 0}, Case{true, seasonJune, 0, 184},
                          Case{true, seasonJune, 539, 0}, Case{true, seasonDecember, 539, 184},
                          Case{true, seasonDecember, 0, 0}}) {
        globe->capsByValue = c.byValue;
        EXPECT_NEAR(indexAtRow(*globe, c.season, c.row), c.index, 1) << c.byValue << " row " << c.row;
    }
    // Inside the lit zone the option changes nothing.
    globe->capsByValue = false;
    const int lit = indexAtRow(*globe, seasonJune, 135);
    globe->capsByValue = true;
    EXPECT_EQ(indexAtRow(*globe, seasonJune, 135), lit);
}
