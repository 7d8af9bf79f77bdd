// Frame time with the real OpenGL: opens the program's 600 x 600 window,
// loads the data as the program does and, for each mesh step, times frames
// drawn by the display callback (scene, help line, buffer swap) up to the
// end of a glFinish, so that the figure includes the GL implementation's
// work on the frame.
//
// Usage: paleoviz_frame_bench [data-dir [frames]]
// data-dir defaults to the project's data/ folder; files missing there are
// replaced by synthetic ones. Prints "frame step=N ms=X frames=F" lines.
#include "app/shell.h"
#include "bench/bench_support.h"
#include "scene/paleo_scene.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#ifndef PALEOVIZ_SOURCE_DIR
#define PALEOVIZ_SOURCE_DIR "."
#endif

namespace {

using bench::Clock;

constexpr int windowSize = 600;
constexpr int defaultFrames = 50;
constexpr int warmUpFrames = 5;
constexpr int maxEventRounds = 200;
const int frameSteps[] = {2, 4, 6, 8, 10};

void openWindow(int* argc, char** argv)
{
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(windowSize, windowSize);
    glutCreateWindow("Paleoclimatology Visualization");
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glEnable(GL_DEPTH_TEST);
    // Let the window appear and take its size before any frame is timed.
    for (int round = 0; round < maxEventRounds && windowWidth != windowSize; ++round)
        glutMainLoopEvent();
    if (windowWidth != windowSize)
        onReshape(windowSize, windowSize);
}

double frameMs()
{
    const Clock::time_point start = Clock::now();
    onDisplay();
    glFinish();
    const double ms = bench::secondsSince(start) * 1e3;
    glutMainLoopEvent();
    return ms;
}

void timeSteps(int frames)
{
    for (int step : frameSteps) {
        theScene->setGlobeStep(step);
        for (int k = 0; k < warmUpFrames; ++k)
            frameMs();
        std::vector<double> ms;
        for (int k = 0; k < frames; ++k)
            ms.push_back(frameMs());
        std::printf("frame step=%d ms=%.3f frames=%d\n", step, bench::median(ms), frames);
        std::fflush(stdout);
    }
}

// Pixels of one more frame, read before its swap, that are not background
// black: a frame that drew nothing would time nothing worth knowing.
long litPixels()
{
    theScene->draw();
    drawKeyHelp();
    glFinish();
    std::vector<unsigned char> rgb(size_t(windowSize) * windowSize * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, windowSize, windowSize, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    long lit = 0;
    for (size_t i = 0; i < rgb.size(); i += 3)
        lit += (rgb[i] | rgb[i + 1] | rgb[i + 2]) != 0;
    return lit;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dataDir = argc > 1 ? argv[1] : PALEOVIZ_SOURCE_DIR "/data";
    const int frames = argc > 2 ? std::atoi(argv[2]) : defaultFrames;
    std::printf("paleoviz_frame_bench on %s\n", bench::machineName().c_str());
    const ScratchDir work("paleoviz-bench");
    if (!bench::prepareWorkDir(dataDir, work) || chdir(work.path().c_str()) != 0) {
        std::printf("cannot prepare a working directory\n");
        return 1;
    }
    theScene = new PaleoScene();
    int glutArgc = 1;
    openWindow(&glutArgc, argv);
    std::printf("renderer: %s, %s\n", reinterpret_cast<const char*>(glGetString(GL_VENDOR)),
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    theScene->loadData();
    timeSteps(frames > 0 ? frames : defaultFrames);
    std::printf("lit pixels in a frame: %ld of %d\n", litPixels(), windowSize * windowSize);
    delete theScene;
    theScene = nullptr;
    return 0;
}
