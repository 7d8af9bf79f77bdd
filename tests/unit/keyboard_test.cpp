// Keyboard commands and the key help line, through the GLUT callbacks.
#include "app/shell.h"
#include "loaded_scene.h"

#include <GL/glut.h>

namespace {

class KeyboardTest : public LoadedSceneTest {
protected:
    // The caret row of the help line: the second run of 8 x 13 text.
    std::string caretRow()
    {
        glrec::reset();
        drawKeyHelp();
        const auto runs = glrec::texts();
        EXPECT_EQ(runs.size(), 2u);
        return runs.size() == 2 ? runs[1].text : std::string();
    }
    // A state snapshot of what the keys can change.
    struct View {
        int time;
        double zoom, rotX, rotY, rotZ;
        bool ecc, prec, obl, logo, autoAdvance;
        bool operator==(const View& o) const
        {
            return time == o.time && zoom == o.zoom && rotX == o.rotX && rotY == o.rotY
                   && rotZ == o.rotZ && ecc == o.ecc && prec == o.prec && obl == o.obl
                   && logo == o.logo && autoAdvance == o.autoAdvance;
        }
    };
    View view() const
    {
        return {scene->timeIndex, scene->zoom, scene->rotX, scene->rotY, scene->rotZ, scene->showEcc,
                scene->showPrec, scene->showObl, scene->showLogo, scene->autoAdvance};
    }
};

}  // namespace

TEST_F(KeyboardTest, EveryCommandKeyActsOnTheScene)
{
    struct Case { unsigned char key; void (*change)(View&); };
    const Case cases[] = {
        {'y', [](View& v) { v.time = 101; }},
        {'Y', [](View& v) { v.time = 99; }},
        {'7', [](View& v) { v.time = 125; }},
        {'&', [](View& v) { v.time = 75; }},
        {'z', [](View& v) { v.zoom = 60; }},
        {'Z', [](View& v) { v.zoom = 40; }},
        {'r', [](View& v) { v.rotX = -59; }},
        {'R', [](View& v) { v.rotX = -61; }},
        {'a', [](View& v) { v.rotY = 1; }},
        {'A', [](View& v) { v.rotY = -1; }},
        {'s', [](View& v) { v.rotZ = 1; }},
        {'S', [](View& v) { v.rotZ = -1; }},
        {'e', [](View& v) { v.ecc = false; }},
        {'p', [](View& v) { v.prec = false; }},
        {'o', [](View& v) { v.obl = false; }},
        {'m', [](View& v) { v.autoAdvance = true; }},
        {'l', [](View& v) { v.logo = false; }},
        {'q', [](View&) {}},
        {' ', [](View& v) { v.time = 0; v.zoom = 0; }},
    };
    for (const Case& c : cases) {
        scene->resetView();
        scene->timeIndex = 100;
        scene->zoom = 50;
        View expected = view();
        c.change(expected);
        onKeyboard(c.key, 5, 5);
        EXPECT_TRUE(view() == expected) << "key '" << c.key << "'";
        EXPECT_EQ(lastKey, c.key);
        // Every key recomputes the current values from the time and switches.
        EXPECT_DOUBLE_EQ(scene->ecc, scene->showEcc ? seriesEcc(scene->timeIndex) : 0.03) << c.key;
        EXPECT_EQ(scene->globeMarch->eccentricity, static_cast<float>(scene->ecc)) << c.key;
    }
}

TEST_F(KeyboardTest, ClampsAtBothEndsOfTheSeriesAndTheZoom)
{
    scene->timeIndex = 5799;
    onKeyboard('y', 0, 0);
    EXPECT_EQ(scene->timeIndex, 5799);
    onKeyboard('7', 0, 0);
    EXPECT_EQ(scene->timeIndex, 5799);
    scene->timeIndex = 0;
    onKeyboard('Y', 0, 0);
    EXPECT_EQ(scene->timeIndex, 0);
    onKeyboard('&', 0, 0);
    EXPECT_EQ(scene->timeIndex, 0);
    for (int i = 0; i < 10; ++i)
        onKeyboard('z', 0, 0);
    EXPECT_EQ(scene->zoom, 100.0);
    scene->zoom = 320;
    onKeyboard('z', 0, 0);
    EXPECT_EQ(scene->zoom, 325.0);
    scene->zoom = 5;
    onKeyboard('Z', 0, 0);
    EXPECT_EQ(scene->zoom, 0.0);
}

TEST_F(KeyboardTest, EccentricitySwitchTakesEffectAtOnceWithItsCaret)
{
    scene->timeIndex = 40;
    scene->updateCurrentValues();
    EXPECT_EQ(caretRow(), std::string(17, ' '));  // no key pressed yet
    onKeyboard('e', 0, 0);
    EXPECT_DOUBLE_EQ(scene->ecc, 0.03);
    EXPECT_EQ(scene->globeDecember->eccentricity, 0.03f);
    EXPECT_EQ(caretRow(), "   ^             ");
    onKeyboard('Y', 0, 0);
    EXPECT_EQ(caretRow(), "      ^          ");
    onKeyboard('&', 0, 0);
    EXPECT_EQ(caretRow(), "        ^        ");
}

TEST_F(KeyboardTest, KeyOutsideTheTableRecomputesWithoutACaret)
{
    scene->timeIndex = 7;
    scene->ecc = 0.5;  // stale value: the key must bring back the series value
    onKeyboard('q', 0, 0);
    EXPECT_DOUBLE_EQ(scene->ecc, seriesEcc(7));
    EXPECT_EQ(caretRow(), std::string(17, ' '));
}

TEST_F(KeyboardTest, ArrowKeysStepAndRotateWithoutACaret)
{
    scene->timeIndex = 10;
    struct Case { int key; int time; double rotX; };
    for (const Case& c : {Case{GLUT_KEY_LEFT, 11, -60}, Case{GLUT_KEY_RIGHT, 9, -60},
                          Case{GLUT_KEY_UP, 10, -61}, Case{GLUT_KEY_DOWN, 10, -59},
                          Case{GLUT_KEY_F1, 10, -60}}) {
        scene->timeIndex = 10;
        scene->rotX = -60;
        onSpecialKey(c.key, 0, 0);
        EXPECT_EQ(scene->timeIndex, c.time) << c.key;
        EXPECT_EQ(scene->rotX, c.rotX) << c.key;
        EXPECT_DOUBLE_EQ(scene->ecc, seriesEcc(c.time));
        // The up arrow's code is that of 'e', yet no caret marks the e.
        EXPECT_EQ(caretRow(), std::string(17, ' ')) << c.key;
    }
}

TEST_F(KeyboardTest, HelpLineSitsNearTheBottomForTheWindowWidth)
{
    struct Case { int width; double x0; };
    for (const Case& c : {Case{600, -3.9196}, Case{1200, -1.6521}, Case{0, -6.187}}) {
        windowWidth = c.width;
        glrec::reset();
        drawKeyHelp();
        const auto t = glrec::named("glTranslatef");
        ASSERT_EQ(t.size(), 1u);
        EXPECT_NEAR(t[0].args[0], c.x0, 1e-4);
        EXPECT_FLOAT_EQ(t[0].args[1], -9.6f);
        const auto runs = glrec::texts();
        ASSERT_EQ(runs.size(), 2u);
        EXPECT_EQ(runs[0].text, "lmoepyY7&zZrRaAsS<spc><esc>");
        EXPECT_EQ(runs[0].font, "8_BY_13");
        EXPECT_EQ(runs[1].y, static_cast<double>(-0.36f));
        EXPECT_EQ(glrec::matrixDepth(GL_MODELVIEW), 0);
    }
}

TEST_F(KeyboardTest, EscapeAsASpecialCodeEndsWithStatusZero)
{
    EXPECT_EXIT(onSpecialKey(27, 0, 0), ::testing::ExitedWithCode(0), "");
}
