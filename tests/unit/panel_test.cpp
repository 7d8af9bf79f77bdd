// The time-series panel: readout, marker, time axis, curves.
#include "math/constants.h"
#include "loaded_scene.h"
#include "scene/panel_layout.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdio>
#include <limits>

using math::pi;

namespace {

using glrec::Primitive;
using glrec::TextRun;

class PanelTest : public LoadedSceneTest {
protected:
    std::vector<TextRun> textsIn(const std::string& font)
    {
        std::vector<TextRun> out;
        for (const TextRun& run : glrec::texts())
            if (run.font == font)
                out.push_back(run);
        return out;
    }
    // The one line strip a curve routine draws.
    Primitive curve(void (PaleoScene::*drawCurve)() const)
    {
        glrec::reset();
        (scene->*drawCurve)();
        const auto prims = glrec::primitives();
        EXPECT_EQ(prims.size(), 1u);
        return prims.empty() ? Primitive{} : prims[0];
    }
};

}  // namespace

TEST_F(PanelTest, ReadoutAndMarkerFollowTheTime)
{
    struct Case { int time; const char* readout; int readoutX; int marker; };
    for (const Case& c : {Case{0, " 0 kY", 385, 500}, Case{5, "-5 kY", 385, 490},
                          Case{349, "-349 kY", 305, -198}, Case{350, "-350 kY", 305, -200},
                          Case{5799, "-5799 kY", 265, -200}}) {
        scene->timeIndex = c.time;
        glrec::reset();
        scene->drawHeader();
        const auto readouts = textsIn("TIMES_ROMAN_24");
        ASSERT_EQ(readouts.size(), 1u);
        EXPECT_EQ(readouts[0].text, c.readout);
        EXPECT_EQ(readouts[0].x, c.readoutX);
        EXPECT_EQ(readouts[0].y, -1100);
        const auto prims = glrec::primitives();
        ASSERT_GE(prims.size(), 2u);
        ASSERT_EQ(prims[0].vertices.size(), 3u);  // the caret
        EXPECT_EQ(prims[0].vertices[1].x, c.marker) << c.time;
        EXPECT_EQ(prims[0].vertices[1].y, 480);
        EXPECT_EQ(prims[0].vertices[0].x, c.marker - 10);
        EXPECT_EQ(prims[1].vertices[0].y, 200);  // the line down through the curves
        EXPECT_EQ(prims[1].vertices[1].x, c.marker);
        const auto widths = glrec::named("glLineWidth");
        EXPECT_EQ(widths.front().args[0], 2);
        EXPECT_EQ(widths.back().args[0], 1);
    }
}

TEST_F(PanelTest, AxisTicksAndLabelsForTheFirstWindow)
{
    scene->timeIndex = 120;  // window start 350
    glrec::reset();
    scene->drawTimeAxis();
    std::vector<double> minor, major;
    for (const Primitive& p : glrec::primitives()) {
        ASSERT_EQ(p.vertices.size(), 2u);
        EXPECT_EQ(p.vertices[0].y, 480);
        (p.vertices[1].y == 490 ? minor : major).push_back(p.vertices[0].x);
    }
    ASSERT_EQ(minor.size(), 76u);
    EXPECT_EQ(minor.front(), -1000);
    EXPECT_EQ(minor.back(), 500);
    EXPECT_EQ(major, (std::vector<double>{-900, -700, -500, -300, -100, 100, 300, 500}));
    const auto labels = textsIn("HELVETICA_12");
    ASSERT_EQ(labels.size(), 8u);
    EXPECT_EQ(labels.front().text, "-700");
    EXPECT_EQ(labels.front().x, -940);
    EXPECT_EQ(labels.back().text, "0");
    EXPECT_EQ(labels.back().x, 490);
    EXPECT_EQ(labels.back().y, 510);
}

TEST_F(PanelTest, AxisScrollsWithTheWindow)
{
    scene->timeIndex = 1234;
    glrec::reset();
    scene->drawTimeAxis();
    const auto labels = textsIn("HELVETICA_12");
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front().text, "-1600");  // at x = 34 x 2 - 1000 = -932
    EXPECT_EQ(labels.front().x, -932 - 50);
    for (const TextRun& run : labels)
        EXPECT_EQ(std::stoi(run.text) % 100, 0) << run.text;
    EXPECT_EQ(axisLabelAt(-200, 1234), -1234);  // the marker's place shows the time
}

TEST_F(PanelTest, CurvesPlotTheirRecordsInTheirColours)
{
    scene->timeIndex = 0;
    scene->updateCurrentValues();
    struct Case {
        void (PaleoScene::*draw)() const;
        double (*value)(int);
        float r, g, b;
        const char* label;
        int labelX, labelY;
    };
    const Case cases[] = {
        {&PaleoScene::drawEccCurve, seriesEcc, 1, 0, 0, "ecc", -1130, 420},
        {&PaleoScene::drawPrecCurve, seriesPrec, 0, 1, 0, "sin(p)", -1145, 340},
        {&PaleoScene::drawOblCurve, seriesObl, 0, 1, 1, "obl", -1130, 250},
    };
    const Curve kinds[] = {Curve::eccentricity, Curve::precession, Curve::obliquity};
    for (int k = 0; k < 3; ++k) {
        const Case& c = cases[k];
        const Primitive strip = curve(c.draw);
        EXPECT_EQ(strip.mode, GL_LINE_STRIP);
        ASSERT_EQ(strip.vertices.size(), 750u) << c.label;
        // With window start 350, x = -1000 plots record 750 and x = 498 record 1.
        EXPECT_EQ(strip.vertices.front().x, -1000);
        EXPECT_EQ(strip.vertices.front().y, plottedHeight(kinds[k], c.value(750)));
        EXPECT_EQ(strip.vertices.back().x, 498);
        EXPECT_EQ(strip.vertices.back().y, plottedHeight(kinds[k], c.value(1)));
        EXPECT_TRUE(strip.vertices[0].r == c.r && strip.vertices[0].g == c.g && strip.vertices[0].b == c.b);
        const auto texts = glrec::texts();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0].text, c.label);
        EXPECT_EQ(texts[0].font, "HELVETICA_18");
        EXPECT_EQ(texts[0].x, c.labelX);
        EXPECT_EQ(texts[0].y, c.labelY);
        EXPECT_EQ(texts[1].font, "HELVETICA_10");
        EXPECT_EQ(texts[1].x, 520);
        EXPECT_EQ(texts[1].y, c.labelY);
    }
    glrec::reset();
    scene->drawEccCurve();
    EXPECT_EQ(glrec::texts()[1].text, "0.010000");  // the current value, "%lf"
}

TEST_F(PanelTest, SwitchedOffCurveIsOneFlatLineWithTheReferenceValue)
{
    scene->showEcc = scene->showPrec = scene->showObl = false;
    scene->updateCurrentValues();
    struct Case { void (PaleoScene::*draw)() const; double y; const char* value; };
    for (const Case& c : {Case{&PaleoScene::drawEccCurve, 430, "0.030000"},
                          Case{&PaleoScene::drawPrecCurve, 350, "-90.000000"},
                          Case{&PaleoScene::drawOblCurve, 250, "23.500000"}}) {
        const Primitive strip = curve(c.draw);
        ASSERT_EQ(strip.vertices.size(), 2u);
        EXPECT_EQ(strip.vertices[0].x, -1000);
        EXPECT_EQ(strip.vertices[1].x, 500);
        EXPECT_EQ(strip.vertices[0].y, c.y);
        EXPECT_EQ(strip.vertices[1].y, c.y);
        EXPECT_EQ(glrec::texts()[1].text, c.value);
    }
}

TEST_F(PanelTest, CurvesStopShortAtTheOldestRecord)
{
    scene->timeIndex = 5500;  // window start 5500: x = -798 plots record 5799
    const Primitive strip = curve(&PaleoScene::drawOblCurve);
    ASSERT_EQ(strip.vertices.size(), 649u);
    EXPECT_EQ(strip.vertices.front().x, -798);
    EXPECT_EQ(strip.vertices.front().y, plottedHeight(Curve::obliquity, seriesObl(5799)));
}

TEST(PanelLayout, ValuesOutsideTheBandUseTheSubstituteHeight)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case { Curve curve; double value; float expected; };
    for (const Case& c : {Case{Curve::eccentricity, 0.03, 430}, Case{Curve::eccentricity, 0.1, 500},
                          Case{Curve::eccentricity, 0.11, 430}, Case{Curve::eccentricity, 0.0, 400}, Case{Curve::eccentricity, -0.05, 350},
                          Case{Curve::eccentricity, 0.05, 450}, Case{Curve::eccentricity, nan, 430},
                          Case{Curve::obliquity, 23.5, 260}, Case{Curve::obliquity, 30, 250},
                          Case{Curve::obliquity, 0, 250}, Case{Curve::obliquity, 25.5, 300},
                          Case{Curve::precession, -57.29577951308232, 350},
                          Case{Curve::precession, nan, 350}}) {
        EXPECT_FLOAT_EQ(plottedHeight(c.curve, c.value), c.expected) << c.value;
    }
    // sin(90 degrees in radians + 1) x 25 + 350
    EXPECT_FLOAT_EQ(curveHeight(Curve::precession, 90),
                    static_cast<float>(std::sin(pi / 2 + 1.0) * 25 + 350));
}

TEST_F(PanelTest, ACurveDropsToItsSubstituteHeight)
{
    scene->eccSeries[600] = 0.5;  // plots at x = 2 x (350 - 100 - 600) = -700
    const Primitive strip = curve(&PaleoScene::drawEccCurve);
    ASSERT_EQ(strip.vertices.size(), 750u);
    EXPECT_EQ(strip.vertices[150].x, -700);
    EXPECT_EQ(strip.vertices[150].y, 430);
    EXPECT_EQ(strip.vertices[149].y, plottedHeight(Curve::eccentricity, seriesEcc(601)));
}

TEST_F(PanelTest, ThePointUnderTheMarkerIsThePrintedValue)
{
    // The axis label under the marker names the time shown; the curve point
    // there must be the height of the value printed beside the curve.
    for (int time : {1, 5, 121, 216, 349, 350, 1234, 5799}) {
        scene->timeIndex = time;
        scene->updateCurrentValues();
        const int marker = markerX(time);
        EXPECT_EQ(axisLabelAt(marker, windowStart(time)), -time);
        struct Case { void (PaleoScene::*draw)() const; Curve kind; double current; };
        for (const Case& c : {Case{&PaleoScene::drawEccCurve, Curve::eccentricity, scene->ecc},
                              Case{&PaleoScene::drawPrecCurve, Curve::precession, scene->prec},
                              Case{&PaleoScene::drawOblCurve, Curve::obliquity, scene->obl}}) {
            const Primitive strip = curve(c.draw);
            bool found = false;
            for (const auto& v : strip.vertices) {
                if (v.x != marker)
                    continue;
                found = true;
                EXPECT_EQ(v.y, plottedHeight(c.kind, c.current)) << "time " << time;
            }
            EXPECT_TRUE(found) << "no curve point under the marker at time " << time;
            char printed[textBufferSize];
            std::snprintf(printed, sizeof printed, "%lf", c.current);
            EXPECT_EQ(glrec::texts()[1].text, printed);
        }
    }
}
