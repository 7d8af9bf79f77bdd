// Scene state: construction, clamps, switches and what reaches the globes.
#include "math/constants.h"
#include "scene/paleo_scene.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using math::pi;

namespace {

int16_t land(int, int) { return 10; }

// Record j: eccentricity 0.01 + j/1e5, precession j degrees, obliquity 22 + j/1000.
std::string seriesFile(int records)
{
    std::string text = "header one\nheader two\nheader three\n";
    char line[128];
    for (int j = 0; j < records; ++j) {
        std::snprintf(line, sizeof line, "%d %.6f %.3f %.4f %.6f\n", -j, 0.01 + j / 1e5,
                      double(j), 22 + j / 1000.0, 0.0);
        text += line;
    }
    return text;
}

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write(gridFileName, fullGrid(land));
        scene = std::make_unique<PaleoScene>();
    }
    // Reads a series of 5800 records, as the start-up load does.
    void readSeries()
    {
        dir.write("series", seriesFile(5800));
        scene->readSeries("series", 5800);
    }
    std::vector<Globe*> globes() const
    {
        return {scene->globeMarch, scene->globeJune, scene->globeSeptember, scene->globeDecember};
    }

    TestDir dir;
    std::unique_ptr<PaleoScene> scene;
};

}  // namespace

TEST_F(SceneTest, ConstructionState)
{
    EXPECT_EQ(scene->ecc, 0.03);
    EXPECT_EQ(scene->prec, -90.0);
    EXPECT_EQ(scene->obl, 23.5);
    EXPECT_EQ(scene->recordCount, 1);
    EXPECT_EQ(scene->timeIndex, 0);
    EXPECT_EQ(scene->rotX, -60.0);
    EXPECT_EQ(scene->rotY, 0.0);
    EXPECT_EQ(scene->rotZ, 0.0);
    EXPECT_EQ(scene->spin, 0);
    EXPECT_EQ(scene->zoom, 0.0);
    EXPECT_TRUE(scene->showPrec && scene->showEcc && scene->showObl && scene->showLogo);
    EXPECT_FALSE(scene->autoAdvance);
    EXPECT_EQ(scene->semiMajorAxis, 800);
    EXPECT_EQ(scene->eccSeries, nullptr);
    EXPECT_EQ(scene->precSeries, nullptr);
    EXPECT_EQ(scene->oblSeries, nullptr);
    const std::vector<Globe*> g = globes();
    for (int season = 0; season < 4; ++season) {
        ASSERT_NE(g[season], nullptr);
        EXPECT_EQ(g[season]->season, season);
        EXPECT_EQ(g[season]->elevation[100][100], 10);
    }
}

TEST_F(SceneTest, TimeClampsToTheSeries)
{
    scene->advanceTime(7);  // before the series is read there is one record
    EXPECT_EQ(scene->timeIndex, 0);
    readSeries();
    struct Case { int start, n, expected; };
    for (const Case& c : {Case{5790, 25, 5799}, Case{10, -25, 0}, Case{5799, 1, 5799},
                          Case{0, -1, 0}, Case{100, 25, 125}, Case{0, 2000000000, 5799}}) {
        scene->timeIndex = c.start;
        scene->advanceTime(c.n);
        EXPECT_EQ(scene->timeIndex, c.expected) << c.start << " + " << c.n;
    }
    struct AxisCase { int v, expected; };
    for (const AxisCase& c : {AxisCase{7, 0}, AxisCase{-120, 120}, AxisCase{-6000, 5799}}) {
        scene->setTimeFromAxis(c.v);
        EXPECT_EQ(scene->timeIndex, c.expected) << "axis " << c.v;
        EXPECT_EQ(scene->axisTime(), -c.expected);
    }
}

TEST_F(SceneTest, ZoomClampsAndRotationsAccumulate)
{
    struct Case { double start; int n; double expected; };
    for (const Case& c : {Case{320, 10, 325}, Case{3, -5, 0}, Case{0, 10, 10}, Case{325, 1, 325},
                          Case{100, -5, 95}}) {
        scene->zoom = c.start;
        scene->changeZoom(c.n);
        EXPECT_EQ(scene->zoom, c.expected);
    }
    for (int i = 0; i < 400; ++i)
        scene->rotateX(1.0);
    scene->rotateY(-2.5);
    scene->rotateZ(720);
    EXPECT_EQ(scene->rotX, 340.0);  // not wrapped
    EXPECT_EQ(scene->rotY, -2.5);
    EXPECT_EQ(scene->rotZ, 720.0);
    EXPECT_EQ(pi, 3.141592653589793);
    EXPECT_EQ(PaleoScene::degToRad(180), pi);
    EXPECT_EQ(PaleoScene::degToRad(23.5), 23.5 * pi / 180);
}

TEST_F(SceneTest, CurrentValuesFollowTheSwitches)
{
    readSeries();
    scene->timeIndex = 1000;
    scene->enableAllSeries();
    EXPECT_DOUBLE_EQ(scene->ecc, 0.02);
    EXPECT_DOUBLE_EQ(scene->prec, 1000.0);
    EXPECT_DOUBLE_EQ(scene->obl, 23.0);

    scene->toggleEcc();  // a switch alone changes no value
    EXPECT_DOUBLE_EQ(scene->ecc, 0.02);
    scene->updateCurrentValues();
    EXPECT_EQ(scene->ecc, 0.03);
    EXPECT_DOUBLE_EQ(scene->prec, 1000.0);
    EXPECT_DOUBLE_EQ(scene->obl, 23.0);
    for (Globe* g : globes()) {
        EXPECT_EQ(g->eccentricity, 0.03f);
        EXPECT_EQ(g->omega, static_cast<float>(1000 * pi / 180 + pi));
        EXPECT_EQ(g->obliquity, static_cast<float>(23.0 * pi / 180));
    }

    scene->togglePrec();
    scene->toggleObl();
    scene->updateCurrentValues();
    EXPECT_EQ(scene->prec, -90.0);
    EXPECT_EQ(scene->obl, 23.5);
    for (Globe* g : globes()) {
        EXPECT_EQ(g->omega, static_cast<float>(1.5707963267948966));
        EXPECT_EQ(g->eccentricity, 0.03f);
        EXPECT_EQ(g->obliquity, static_cast<float>(23.5 * pi / 180));
    }
}

TEST_F(SceneTest, HeldElementsStandInForTheSeriesUntilReleased)
{
    readSeries();
    scene->timeIndex = 1000;
    scene->holdElements(0.05, 120.0, 24.0);
    for (int time : {1000, 3}) {  // whatever the time
        scene->timeIndex = time;
        scene->updateCurrentValues();
        EXPECT_EQ(scene->ecc, 0.05);
        EXPECT_EQ(scene->prec, 120.0);
        EXPECT_EQ(scene->obl, 24.0);
    }
    for (Globe* g : globes()) {
        EXPECT_EQ(g->eccentricity, 0.05f);
        EXPECT_EQ(g->omega, static_cast<float>(120 * pi / 180 + pi));
    }
    scene->toggleEcc();  // a switched-off element still shows its reference
    scene->updateCurrentValues();
    EXPECT_EQ(scene->ecc, 0.03);
    EXPECT_EQ(scene->obl, 24.0);
    scene->toggleEcc();
    scene->releaseElements();
    EXPECT_DOUBLE_EQ(scene->ecc, 0.01003);  // record 3 of the series
    EXPECT_DOUBLE_EQ(scene->prec, 3.0);
}

TEST_F(SceneTest, AutoAdvanceAndResetSetTheMeshStep)
{
    readSeries();
    scene->setGlobeStep(8);
    scene->toggleAutoAdvance();
    EXPECT_TRUE(scene->autoAdvance);
    for (Globe* g : globes())
        EXPECT_EQ(g->step, 6);
    scene->toggleAutoAdvance();
    EXPECT_FALSE(scene->autoAdvance);
    for (Globe* g : globes())
        EXPECT_EQ(g->step, 8);

    scene->toggleAutoAdvance();
    scene->timeIndex = 42;
    scene->rotX = 3;
    scene->rotY = 4;
    scene->rotZ = 5;
    scene->spin = 77;
    scene->zoom = 50;
    scene->showEcc = scene->showPrec = scene->showObl = scene->showLogo = false;
    scene->resetView();
    EXPECT_EQ(scene->timeIndex, 0);
    EXPECT_EQ(scene->rotX, -60.0);
    EXPECT_EQ(scene->rotY, 0.0);
    EXPECT_EQ(scene->rotZ, 0.0);
    EXPECT_EQ(scene->spin, 0);
    EXPECT_EQ(scene->zoom, 0.0);
    EXPECT_TRUE(scene->showEcc && scene->showPrec && scene->showObl && scene->showLogo);
    EXPECT_FALSE(scene->autoAdvance);
    EXPECT_DOUBLE_EQ(scene->ecc, 0.01);  // record 0, pushed by the reset
    EXPECT_EQ(scene->globeJune->eccentricity, 0.01f);
    for (Globe* g : globes())
        EXPECT_EQ(g->step, 6);  // the reset leaves the step alone
    EXPECT_EQ(scene->recordCount, 5800);
}

TEST_F(SceneTest, MissingGlobesAreSkipped)
{
    readSeries();
    destroyGlobe(scene->globeJune);
    scene->globeJune = nullptr;
    destroyGlobe(scene->globeSeptember);
    scene->globeSeptember = nullptr;
    scene->setGlobeStep(4);
    scene->pushOrbitToGlobes(1.0, 0.05, 0.4);
    EXPECT_EQ(scene->globeMarch->step, 4);
    EXPECT_EQ(scene->globeDecember->eccentricity, 0.05f);
    EXPECT_EQ(scene->globeMarch->omega, 1.0f);
    // Destroying a scene with no globes at all releases only the arrays.
    destroyGlobe(scene->globeMarch);
    destroyGlobe(scene->globeDecember);
    scene->globeMarch = scene->globeDecember = nullptr;
    scene.reset();
}
