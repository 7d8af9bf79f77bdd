#include "app/shell.h"

#include "app/data_location.h"
#include "app/options.h"
#include "scene/paleo_scene.h"

#include <GL/glut.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

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

// Reads the program's own options; false with the exit status set when the
// program is to stop at once (help or bad input).
bool readOptions(const std::vector<char*>& ownArgs, ProgramOptions& options, int& status)
{
    std::string text;
    switch (parseOptions(std::vector<std::string>(ownArgs.begin(), ownArgs.end() - 1), options, text)) {
    case OptionsOutcome::run: return true;
    case OptionsOutcome::help:
        std::printf("%s", text.c_str());
        status = 0;
        return false;
    case OptionsOutcome::bad: break;
    }
    std::fprintf(stderr, "paleoviz: %s\n", text.c_str());
    status = badInputStatus;
    return false;
}

// The start state the options ask for, on the loaded scene: time clamped
// as the keys clamp, the mesh step (where the right button's cycle then
// goes on from), the spin the first frame shows.
void applyStartOptions(const ProgramOptions& options)
{
    if (options.timeKyr >= 0) {
        theScene->advanceTime(options.timeKyr);
        theScene->updateCurrentValues();
    }
    if (options.holdElements)
        theScene->holdElements(options.heldEcc, options.heldPrec, options.heldObl);
    if (options.capsByValue)
        theScene->setCapsByValue(true);
    if (options.step != 0) {
        detailStep = options.step;
        theScene->setGlobeStep(options.step);
    }
    // Every frame turns the globes by one degree before drawing them.
    if (options.spinDegrees >= 0)
        theScene->spin = (options.spinDegrees + spinPeriod - 1) % spinPeriod;
}

}  // namespace

int runProgram(int argc, char** argv, SnapshotWriter writeSnapshot)
{
    std::vector<char*> glutArgs, ownArgs;
    splitGlutOptions(argc, argv, glutArgs, ownArgs);
    ProgramOptions options;
    int status = 0;
    if (!readOptions(ownArgs, options, status))
        return status;
    // GLUT takes -geometry's size and place; the fixed ones apply only to
    // what it does not give.
    GlutGeometry geometry;
    std::string geometryProblem;
    if (!readGeometry(glutArgs, geometry, geometryProblem)) {
        std::fprintf(stderr, "paleoviz: %s\n", geometryProblem.c_str());
        return badInputStatus;
    }
    const DataFiles files = locateDataFiles(options, installedDataFolders());

    theScene = new (std::nothrow) PaleoScene(files.grid.c_str());
    if (theScene == nullptr) {
        std::printf("not enough memory for the scene\n");
        return 1;
    }
    int glutArgc = static_cast<int>(glutArgs.size()) - 1;
    glutInit(&glutArgc, glutArgs.data());
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow(windowTitle);
    if (!geometry.hasPlace)
        glutPositionWindow(windowX, windowY);
    setUpProjection();
    registerCallbacks();
    if (!geometry.hasSize)
        glutReshapeWindow(windowSize, windowSize);
    glEnable(GL_DEPTH_TEST);
    zoomStep = startZoomStep;
    theScene->loadData(files.series.c_str(), files.logo.c_str());
    applyStartOptions(options);
    if (options.snapshot.empty())
        glutMainLoop();
    else if (writeSnapshot == nullptr)
        status = 1;
    else
        status = writeSnapshot(options.snapshot.c_str(), options.width, options.height);
    delete theScene;
    theScene = nullptr;
    return status;
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
