// The entry, the reshape and the display callback, run against the
// recording stand-in.
#include "app/shell.h"
#include "gl_recorder.h"
#include "scene/paleo_scene.h"
#include "test_dir.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

int16_t land(int, int) { return 1; }

std::string tinySeries()
{
    return "h1\nh2\nh3\n0 0.0187 101.0 23.44 0.018\n-1 0.0190 100.0 23.40 0.019\n";
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        glrec::reset();
        dir.write(gridFileName, fullGrid(land));
        dir.write(seriesFileName, tinySeries());
        dir.write(logoFileName, std::string(logoBytes, '\x7f'));
    }
    void TearDown() override
    {
        delete theScene;
        theScene = nullptr;
        leftDown = middleDown = scrollPresent = scrollPast = false;
        lastKey = detailStep = zoomStep = 0;
    }
    // A scene as the entry leaves it after start-up.
    void makeLoadedScene()
    {
        theScene = new PaleoScene();
        theScene->loadData();
        glrec::reset();
    }
    TestDir dir;
};

}  // namespace

TEST_F(ShellTest, EntryOpensTheWindowAndRegistersCallbacksInOrder)
{
    char name[] = "paleoviz";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(runProgram(1, argv), 0);  // the stand-in's main loop returns
    EXPECT_EQ(theScene, nullptr);       // and the scene is destroyed after it

    std::vector<std::string> expected = {
        "glutInit", "glutInitDisplayMode", "glutCreateWindow", "glutPositionWindow",
        "glGetIntegerv", "glMatrixMode", "glLoadIdentity", "glMatrixMode",
        "glutKeyboardFunc", "glutSpecialFunc", "glutMouseFunc", "glutDisplayFunc",
        "glutReshapeFunc", "glutIdleFunc", "glutMotionFunc", "glutReshapeWindow", "glEnable"};
    std::vector<std::string> got = glrec::names();
    ASSERT_GE(got.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + expected.size()), expected);
    EXPECT_EQ(got.back(), "glutMainLoop");
    EXPECT_EQ(glrec::named("glutInitDisplayMode")[0].args[0], 18);
    EXPECT_EQ(glrec::named("glutCreateWindow")[0].text, "Paleoclimatology Visualization");
    EXPECT_EQ(glrec::named("glutPositionWindow")[0].args, (std::vector<double>{600, 400}));
    EXPECT_EQ(glrec::named("glutReshapeWindow")[0].args, (std::vector<double>{600, 600}));
    EXPECT_EQ(glrec::named("glEnable")[0].args[0], GL_DEPTH_TEST);
    const auto modes = glrec::named("glMatrixMode");
    EXPECT_EQ(modes[0].args[0], GL_PROJECTION);
    EXPECT_EQ(modes[1].args[0], GL_MODELVIEW);  // the saved mode comes back
    EXPECT_EQ(zoomStep, -5);
    // The texture of the logo is made between the window and the main loop.
    EXPECT_EQ(glrec::count("gluBuild2DMipmaps"), 1u);

    const glrec::Callbacks& cb = glrec::callbacks();
    EXPECT_EQ(cb.display, &onDisplay);
    EXPECT_EQ(cb.idle, &onDisplay);
    EXPECT_EQ(cb.reshape, &onReshape);
    EXPECT_EQ(cb.keyboard, &onKeyboard);
    EXPECT_EQ(cb.special, &onSpecialKey);
    EXPECT_EQ(cb.mouse, &onMouse);
    EXPECT_EQ(cb.motion, &onMotion);
}

TEST_F(ShellTest, EntryWithoutTheGridFilePrintsTheMessageBeforeAnyWindow)
{
    std::remove(gridFileName);
    const ChildResult result = runInChild([] {
        char name[] = "paleoviz";
        char* argv[] = {name, nullptr};
        runProgram(1, argv);
    });
    EXPECT_EQ(result.status, 255);
    EXPECT_EQ(result.out, "earth.cpp: line (__LINE__Var+3): file pointer is null!\n\nBailing Out....\n");
}

TEST_F(ShellTest, ReshapeSetsTheProjectionAndRemembersTheSize)
{
    for (const auto& size : {std::pair<int, int>{600, 600}, {801, 333}, {0, 0}}) {
        glrec::reset();
        onReshape(size.first, size.second);
        EXPECT_EQ(windowWidth, size.first);
        EXPECT_EQ(windowHeight, size.second);
        const std::vector<std::string> expected = {"glViewport", "glMatrixMode", "glLoadIdentity",
                                                   "glFrustum", "glTranslatef", "glMatrixMode",
                                                   "glLoadIdentity"};
        EXPECT_EQ(glrec::names(), expected);
        EXPECT_EQ(glrec::named("glViewport")[0].args,
                  (std::vector<double>{0, 0, double(size.first), double(size.second)}));
        EXPECT_EQ(glrec::named("glFrustum")[0].args, (std::vector<double>{-10, 10, -10, 10, 30, 6000}));
        EXPECT_EQ(glrec::named("glTranslatef")[0].args, (std::vector<double>{0, 0, -30}));
        EXPECT_EQ(glrec::named("glMatrixMode")[0].args[0], GL_PROJECTION);
        EXPECT_EQ(glrec::currentMatrixMode(), GL_MODELVIEW);
    }
}

TEST_F(ShellTest, DisplaySpinsDrawsAndSwapsOncePerFrame)
{
    makeLoadedScene();
    onReshape(600, 600);
    glrec::reset();
    for (int frame = 1; frame <= 3; ++frame)
        onDisplay();
    EXPECT_EQ(theScene->spin, 3);
    EXPECT_EQ(glrec::count("glutSwapBuffers"), 3u);
    EXPECT_EQ(glrec::count("glClear"), 3u);
    EXPECT_EQ(glrec::names().back(), "glutSwapBuffers");
    EXPECT_EQ(glrec::matrixDepth(GL_MODELVIEW), 0);
    EXPECT_EQ(glrec::matrixDepth(GL_PROJECTION), 0);
    theScene->spin = 3599;
    onDisplay();
    EXPECT_EQ(theScene->spin, 0);
}

TEST_F(ShellTest, HeldButtonsScrollAndZoomEachFrame)
{
    makeLoadedScene();
    glrec::setRecording(false);  // the scene's state is checked, not the frames drawn
    theScene->timeIndex = 3000;

    leftDown = true;  // held with no scroll flag: nothing but the spin
    onDisplay();
    EXPECT_EQ(theScene->timeIndex, 3000);
    scrollPast = true;
    onDisplay();
    EXPECT_EQ(theScene->timeIndex, 3025);
    scrollPast = false;
    scrollPresent = true;
    onDisplay();
    onDisplay();
    EXPECT_EQ(theScene->timeIndex, 2975);
    EXPECT_DOUBLE_EQ(theScene->ecc, 0.0187);  // the values follow only at the next event

    middleDown = true;  // the left button takes precedence
    zoomStep = 5;
    onDisplay();
    EXPECT_EQ(theScene->zoom, 0.0);
    leftDown = false;
    for (int i = 0; i < 70; ++i)
        onDisplay();
    EXPECT_EQ(theScene->zoom, 325.0);
    zoomStep = -5;
    onDisplay();
    EXPECT_EQ(theScene->zoom, 320.0);
}

TEST_F(ShellTest, EscapeEndsTheProgramWithStatusZero)
{
    makeLoadedScene();
    EXPECT_EXIT(onKeyboard(27, 0, 0), ::testing::ExitedWithCode(0), "");
}
