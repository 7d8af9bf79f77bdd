// Cost of a snapshot beyond the frame itself: opens the program's window,
// loads the data as the program does and, for several sizes, times one
// frame drawn in the window (to glFinish), the same frame drawn off screen
// and read back (renderFrame), and the PNG encoding and writing (writePng).
//
// Usage: paleoviz_snapshot_bench [data-dir [runs]]
// Prints "snapshot WxH frame_ms=A offscreen_ms=B png_ms=C own_ms=D" lines,
// medians of the runs; own_ms = B - A + C, what a snapshot adds to a frame.
#include "app/shell.h"
#include "app/snapshot.h"
#include "bench/bench_support.h"
#include "png/png_file.h"
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
constexpr int defaultRuns = 9;
const int sizes[][2] = {{600, 600}, {1200, 1200}, {1920, 1080}, {4096, 4096}};

double windowFrameMs(int width, int height)
{
    onReshape(width, height);
    const Clock::time_point start = Clock::now();
    onDisplay();
    glFinish();
    return bench::secondsSince(start) * 1e3;
}

void timeSize(int width, int height, int runs, const std::string& pngPath)
{
    std::vector<double> frame, offscreen, png;
    std::vector<unsigned char> rgb;
    std::string message;
    for (int run = 0; run < runs; ++run) {
        frame.push_back(windowFrameMs(windowSize, windowSize));
        Clock::time_point start = Clock::now();
        if (!renderFrame(width, height, rgb, message)) {
            std::printf("snapshot %dx%d failed: %s\n", width, height, message.c_str());
            return;
        }
        offscreen.push_back(bench::secondsSince(start) * 1e3);
        start = Clock::now();
        if (!writePng(pngPath, PixelImage{width, height, 3, rgb.data(), true}, message)) {
            std::printf("snapshot %dx%d: %s\n", width, height, message.c_str());
            return;
        }
        png.push_back(bench::secondsSince(start) * 1e3);
    }
    const double f = bench::median(frame), o = bench::median(offscreen), p = bench::median(png);
    std::printf("snapshot %dx%d frame_ms=%.1f offscreen_ms=%.1f png_ms=%.1f own_ms=%.1f\n", width, height,
                f, o, p, o - f + p);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dataDir = argc > 1 ? argv[1] : PALEOVIZ_SOURCE_DIR "/data";
    const int runs = argc > 2 && std::atoi(argv[2]) > 0 ? std::atoi(argv[2]) : defaultRuns;
    std::printf("paleoviz_snapshot_bench on %s\n", bench::machineName().c_str());
    const ScratchDir workDir("paleoviz-bench");
    const std::string work = workDir.path();
    if (!bench::prepareWorkDir(dataDir, workDir) || chdir(work.c_str()) != 0) {
        std::printf("cannot prepare a working directory\n");
        return 1;
    }
    theScene = new PaleoScene();
    int glutArgc = 1;
    glutInit(&glutArgc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(windowSize, windowSize);
    glutCreateWindow("Paleoclimatology Visualization");
    glEnable(GL_DEPTH_TEST);
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    theScene->loadData();
    for (const auto& size : sizes)
        timeSize(size[0], size[1], runs, work + "/snapshot.png");
    delete theScene;
    theScene = nullptr;
    return 0;
}
