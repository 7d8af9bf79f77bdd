// Mouse zones, time-axis picking and scrolling, toggles, drag, zoom, mesh step.
#include "app/mouse_zones.h"
#include "app/shell.h"
#include "loaded_scene.h"

namespace {

enum { left = 0, middle = 1, right = 2 };
enum { down = 0, up = 1 };

// Window x of the plot's fraction f for a 600-pixel-wide window.
int plotX(double f) { return static_cast<int>(600 * (0.08166666666666667 + f * 0.825)); }

class MouseTest : public LoadedSceneTest {
protected:
    void SetUp() override
    {
        LoadedSceneTest::SetUp();
        hideGlobeMeshes();
    }
};

}  // namespace

TEST(MouseZones, BandsOfA600PixelWindow)
{
    struct Case { double y; MouseBand band; };
    for (const Case& c : {Case{0, MouseBand::none}, Case{1, MouseBand::timeAxis},
                          Case{49, MouseBand::timeAxis}, Case{50, MouseBand::eccRow},
                          Case{74, MouseBand::eccRow}, Case{75, MouseBand::precRow},
                          Case{99, MouseBand::precRow}, Case{100, MouseBand::oblRow},
                          Case{124, MouseBand::oblRow}, Case{125, MouseBand::view},
                          Case{599, MouseBand::view}, Case{-3, MouseBand::none}}) {
        EXPECT_EQ(bandOfY(c.y, 600), c.band) << "y " << c.y;
    }
    EXPECT_EQ(bandOfY(5, 0), MouseBand::view);  // a zero-height window is all view
}

TEST(MouseZones, AxisValueSpansTheWindowOfRecords)
{
    EXPECT_EQ(axisLeftEnd(-100), 0);
    EXPECT_EQ(axisLeftEnd(-349), 0);
    EXPECT_EQ(axisLeftEnd(-350), 0);
    EXPECT_EQ(axisLeftEnd(-1000), -650);
    EXPECT_EQ(axisValueAt(544, 600, 0), 0);       // f = 1: the newest record
    EXPECT_EQ(axisValueAt(49, 600, 0), -750);     // f = 0
    EXPECT_EQ(axisValueAt(544, 600, -650), -650);
    EXPECT_GT(axisValueAt(590, 600, 0), 0);       // right of the plot
    EXPECT_LT(axisValueAt(10, 600, 0), -750);     // left of the plot
}

TEST_F(MouseTest, PicksAtThePlotsEnds)
{
    struct Case { int time; double f; int expected; };
    for (const Case& c : {Case{100, 1, 0}, Case{100, 0, 750}, Case{1000, 1, 650},
                          Case{1000, 0, 1400}, Case{100, 0.5, 375}}) {
        scene->timeIndex = c.time;
        onMouse(left, down, plotX(c.f), 20);
        EXPECT_EQ(scene->timeIndex, c.expected) << c.time << " at " << c.f;
        EXPECT_TRUE(leftDown);
        EXPECT_FALSE(scrollPresent || scrollPast);
        EXPECT_DOUBLE_EQ(scene->ecc, seriesEcc(c.expected));  // the press updates
        onMouse(left, up, plotX(c.f), 20);
    }
}

TEST_F(MouseTest, HoldingPastAnEndScrollsUntilRelease)
{
    scene->timeIndex = 1000;
    onMouse(left, down, 595, 20);  // right of the plot: toward the present
    EXPECT_TRUE(scrollPresent);
    EXPECT_EQ(scene->timeIndex, 975);  // the press draws one frame at once
    onDisplay();
    onDisplay();
    EXPECT_EQ(scene->timeIndex, 925);
    onMouse(left, up, 595, 20);
    EXPECT_FALSE(leftDown);
    EXPECT_DOUBLE_EQ(scene->ecc, seriesEcc(925));
    onDisplay();
    EXPECT_EQ(scene->timeIndex, 925);

    onMouse(left, down, 5, 20);  // left of the plot: into the past
    EXPECT_TRUE(scrollPast);
    onDisplay();
    EXPECT_EQ(scene->timeIndex, 975);
    onMotion(300, 20);  // dragging back inside picks instead
    EXPECT_FALSE(scrollPast);
    onMouse(left, up, 300, 20);
}

TEST_F(MouseTest, CurveRowsToggleTheirElements)
{
    onMouse(left, down, 300, 60);
    EXPECT_FALSE(scene->showEcc);
    EXPECT_DOUBLE_EQ(scene->ecc, 0.03);
    onMouse(left, up, 300, 60);
    onMouse(left, down, 300, 80);
    EXPECT_FALSE(scene->showPrec);
    onMouse(left, down, 300, 110);
    EXPECT_FALSE(scene->showObl);
    EXPECT_EQ(scene->obl, 23.5);
    onMouse(left, down, 300, 60);
    EXPECT_TRUE(scene->showEcc);
    onMouse(left, down, 300, 0);  // the top row of pixels is no band
    EXPECT_TRUE(scene->showEcc);
    EXPECT_EQ(scene->timeIndex, 0);
}

TEST_F(MouseTest, DraggingInTheViewRotates)
{
    onMouse(left, down, 300, 300);
    onMotion(330, 291);
    EXPECT_DOUBLE_EQ(scene->rotX, -63);
    EXPECT_DOUBLE_EQ(scene->rotY, 10);
    onMotion(330, 300);
    EXPECT_DOUBLE_EQ(scene->rotX, -60);
    onMotion(330, 80);  // through a curve row: only the position is kept
    EXPECT_DOUBLE_EQ(scene->rotX, -60);
    EXPECT_FALSE(scene->showPrec == false);
    EXPECT_EQ(lastMouseY, 80);
    onMouse(left, up, 330, 80);
    glrec::reset();
    onMotion(400, 400);  // no button: nothing at all
    EXPECT_DOUBLE_EQ(scene->rotY, 10);
    EXPECT_EQ(glrec::calls().size(), 0u);
}

TEST_F(MouseTest, MotionNeitherUpdatesNorDraws)
{
    scene->timeIndex = 100;
    onMouse(left, down, plotX(1), 20);
    glrec::reset();
    onMotion(plotX(0.5), 20);
    EXPECT_EQ(scene->timeIndex, 375);
    EXPECT_DOUBLE_EQ(scene->ecc, seriesEcc(0));  // values follow at the release
    EXPECT_EQ(glrec::count("glutSwapBuffers"), 0u);
    onMouse(left, up, plotX(0.5), 20);
    EXPECT_DOUBLE_EQ(scene->ecc, seriesEcc(375));
}

TEST_F(MouseTest, RightButtonCyclesTheMeshStep)
{
    glrec::setRecording(false);  // the steps are checked, not the frames drawn
    for (int expected : {2, 4, 6, 8, 10, 2, 4}) {
        onMouse(right, down, 300, 300);
        onMouse(right, up, 300, 300);  // a release changes nothing
        EXPECT_EQ(detailStep, expected);
        for (Globe* g : {scene->globeMarch, scene->globeJune, scene->globeSeptember, scene->globeDecember})
            EXPECT_EQ(g->step, expected);
    }
}

TEST_F(MouseTest, MiddleButtonZoomsAlternatelyInAndOut)
{
    onMouse(middle, down, 300, 300);  // +5 per frame, the press draws one frame
    EXPECT_EQ(scene->zoom, 5.0);
    onDisplay();
    EXPECT_EQ(scene->zoom, 10.0);
    onMouse(middle, up, 300, 300);
    onDisplay();
    EXPECT_EQ(scene->zoom, 10.0);
    onMouse(middle, down, 300, 300);  // now -5 per frame
    onDisplay();
    onDisplay();
    EXPECT_EQ(scene->zoom, 0.0);
    onMouse(middle, up, 300, 300);
}

TEST_F(MouseTest, EveryButtonEventUpdatesAndDrawsOnce)
{
    for (int button : {0, 1, 2, 3, 4}) {
        for (int state : {down, up}) {
            scene->ecc = 0.9;
            glrec::reset();
            onMouse(button, state, 300, 400);
            EXPECT_EQ(glrec::count("glutSwapBuffers"), 1u) << button << "/" << state;
            EXPECT_DOUBLE_EQ(scene->ecc, seriesEcc(scene->timeIndex));
        }
    }
}

TEST_F(MouseTest, ZeroWidthWindowIgnoresTheTimeAxis)
{
    windowWidth = 0;
    scene->timeIndex = 42;
    onMouse(left, down, 0, 20);
    onMotion(10, 20);
    EXPECT_EQ(scene->timeIndex, 42);
    EXPECT_FALSE(scrollPresent || scrollPast);
    onMouse(left, up, 10, 20);
}
