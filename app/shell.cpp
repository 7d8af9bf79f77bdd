#include "app/shell.h"

#include "scene/paleo_scene.h"

#include <GL/glut.h>

#include <cstdio>
#include <new>

PaleoScene* theScene = nullptr;
int windowWidth = 0;
int windowHeight = 0;
int lastKey = 0;
int detailStep = 0;
int zoomStep = 0;
bool leftDown = false;
bool middleDown = false;
bool scrollPresent = false;
bool scrollPast = false;
double lastMouseX = 0;
double lastMouseY = 0;

namespace {

const char* const windowTitle = "Paleoclimatology Visualization";
constexpr int windowX = 600, windowY = 400;
constexpr int windowSize = 600;
constexpr int scrollRecords = 25;   // records per frame while scrolling the axis

void setUpProjection()
{
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(static_cast<GLenum>(mode));
}

void registerCallbacks()
{
    glutKeyboardFunc(onKeyboard);
    glutSpecialFunc(onSpecialKey);
    glutMouseFunc(onMouse);
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutIdleFunc(onDisplay);
    glutMotionFunc(onMotion);
}

}  // namespace

int runProgram(int argc, char** argv)
{
    theScene = new (std::nothrow) PaleoScene();
    if (theScene == nullptr) {
        std::printf("not enough memory for the scene\n");
        return 1;
    }
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(windowTitle);
    glutPositionWindow(windowX, windowY);
    setUpProjection();
    registerCallbacks();
    glutReshapeWindow(windowSize, windowSize);
    glEnable(GL_DEPTH_TEST);
    zoomStep = startZoomStep;
    theScene->loadData();
    glutMainLoop();
    delete theScene;
    theScene = nullptr;
    return 0;
}

void onReshape(int width, int height)
{
    windowWidth = width;
    windowHeight = height;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-10, 10, -10, 10, 30, 6000);
    // Puts the modelview origin on the near plane, where the help line sits.
    glTranslatef(0, 0, -30);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void onDisplay()
{
    if (leftDown) {
        if (scrollPresent)
            theScene->advanceTime(-scrollRecords);
        if (scrollPast)
            theScene->advanceTime(scrollRecords);
    } else if (middleDown) {
        theScene->changeZoom(zoomStep);
    }
    theScene->draw();
    drawKeyHelp();
    glutSwapBuffers();
}
