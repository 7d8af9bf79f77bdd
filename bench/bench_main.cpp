// CPU benchmarks of the program's own work, with every GL call a no-op
// (the recording stand-in with recording off):
//   1. building the scene: four grid reads and four meshes;
//   2. drawing one globe, per emitted vertex, at each mesh step;
//   3. reading the orbital series file;
//   4. one whole frame (scene, help line, swap) at each mesh step.
//
// Usage: paleoviz_bench [data-dir]      all of them, figures on standard output
//        paleoviz_bench --frames [data-dir]   only 4, as "noop step=N ms=X" lines
// data-dir defaults to the project's data/ folder; files missing there are
// replaced by synthetic ones of the same shape.
#include "app/shell.h"
#include "bench/bench_support.h"
#include "gl_recorder.h"
#include "scene/paleo_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#ifndef PALEOVIZ_SOURCE_DIR
#define PALEOVIZ_SOURCE_DIR "."
#endif

namespace {

using bench::Clock;
using bench::median;
using bench::secondsSince;

constexpr int sceneRuns = 15;
constexpr int seriesRuns = 31;
constexpr int drawSamples = 15;
constexpr long verticesPerSample = 4000000;  // draws per sample fill about this many
constexpr int frameSamples = 15;
constexpr double sceneTargetMs = 20;
constexpr double vertexTargetNs = 10;
constexpr double seriesTargetMs = 5;
constexpr size_t globeBytes = sizeof(Globe);
constexpr int globesPerScene = 4;
// The decimals the mesh is defined with.
constexpr double meshHalfTurn = 3.1415927;
constexpr double meshFullTurn = 6.2831853;
const int drawSteps[] = {2, 3, 4, 6, 8, 10};
const int frameSteps[] = {2, 4, 6, 8, 10};

// Vertices one globe emits in its quad strips at a step (the axis aside),
// counted the way the strips walk the grid.
long stripVertices(int step)
{
    long bands = 0, columns = 0;
    for (int a = 0; a < gridRows - step; a += step)
        ++bands;
    for (int d = 0; d < gridCols - step; d += step)
        ++columns;
    return bands * 2 * (columns + 1);
}

// The mesh computed with fresh trigonometry at every vertex.
void naiveMesh(Globe& g)
{
    for (int i = 0; i < g.rows; ++i)
        for (int j = 0; j < g.cols; ++j) {
            const double theta = i * meshHalfTurn / g.rows;
            const double phi = j * meshFullTurn / g.cols;
            float* v = g.vertices[i][j];
            v[0] = static_cast<float>(std::sin(theta) * (std::cos(phi) * g.radius));
            v[1] = static_cast<float>(std::sin(theta) * (std::sin(phi) * g.radius));
            v[2] = static_cast<float>(std::cos(theta) * g.radius);
        }
}

double msOf(void (*f)(Globe&), Globe& g)
{
    const Clock::time_point start = Clock::now();
    f(g);
    return secondsSince(start) * 1e3;
}

void tableMesh(Globe& g) { g.buildVertices(); }

// Median time to map and fill as much fresh memory as four globes hold:
// the page faults every start-up pays before any data is read.
double freshMemoryMs()
{
    const size_t bytes = globesPerScene * globeBytes;
    std::vector<double> ms;
    for (int run = 0; run < sceneRuns; ++run) {
        const Clock::time_point start = Clock::now();
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (block == MAP_FAILED)
            return 0;
        std::memset(block, 1, bytes);
        ms.push_back(secondsSince(start) * 1e3);
        munmap(block, bytes);
    }
    return median(ms);
}

long minorFaults()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// One mesh built from row and column tables (the program) against fresh
// trigonometry at every vertex; sceneMs is the measured scene construction.
void compareMeshBuilds(double sceneMs)
{
    auto globe = std::make_unique<Globe>(seasonMarch, gridFileName);
    std::vector<double> table, naive;
    for (int run = 0; run < sceneRuns; ++run) {
        naive.push_back(msOf(naiveMesh, *globe));
        table.push_back(msOf(tableMesh, *globe));
    }
    auto check = std::make_unique<Globe>(seasonMarch, gridFileName);
    naiveMesh(*check);
    const bool same = std::memcmp(check->vertices, globe->vertices, sizeof globe->vertices) == 0;
    std::printf("   one mesh: row/column trigonometry tables %.2f ms, trigonometry at every vertex %.2f ms"
                " (x%.1f; meshes bit-for-bit %s)\n",
                median(table), median(naive), median(naive) / median(table), same ? "equal" : "DIFFERENT");
    std::printf("   the scene built with per-vertex trigonometry would take about %.2f ms\n",
                sceneMs + globesPerScene * (median(naive) - median(table)));
}

void benchSceneConstruction()
{
    std::vector<double> ms;
    long faults = 0;
    for (int run = 0; run < sceneRuns; ++run) {
        const long faultsBefore = minorFaults();
        const Clock::time_point start = Clock::now();
        PaleoScene* scene = new PaleoScene();
        ms.push_back(secondsSince(start) * 1e3);
        faults += minorFaults() - faultsBefore;
        delete scene;
    }
    std::printf("\n1. Scene construction (4 x read partetopo + build mesh), %d runs\n", sceneRuns);
    std::printf("   median %.2f ms, first %.2f ms, %ld page faults per construction   [target < %.0f ms: %s]\n",
                median(ms), ms[0], faults / sceneRuns, sceneTargetMs,
                median(ms) < sceneTargetMs ? "met" : "MISSED");
    compareMeshBuilds(median(ms));
    std::printf("   mapping and filling the scene's %.1f MB of fresh memory alone: %.2f ms\n",
                globesPerScene * globeBytes / 1e6, freshMemoryMs());
}

void benchGlobeDraw()
{
    auto globe = std::make_unique<Globe>(seasonJune, gridFileName);
    std::printf("\n2. Globe::draw, GL calls are no-ops, median of %d samples\n", drawSamples);
    std::printf("   step  vertices  us/draw  ns/vertex\n");
    for (int step : drawSteps) {
        globe->setStep(step);
        const long vertices = stripVertices(step);
        const long draws = std::max(1L, verticesPerSample / vertices);
        std::vector<double> ns;
        for (int sample = 0; sample < drawSamples; ++sample) {
            const Clock::time_point start = Clock::now();
            for (long k = 0; k < draws; ++k)
                globe->draw();
            ns.push_back(secondsSince(start) * 1e9 / double(draws));
        }
        const double perDraw = median(ns);
        std::printf("   %4d  %8ld  %7.1f  %9.2f   [target < %.0f ns: %s]\n", step, vertices,
                    perDraw / 1e3, perDraw / vertices, vertexTargetNs,
                    perDraw / vertices < vertexTargetNs ? "met" : "MISSED");
    }
}

void benchReadSeries()
{
    auto scene = std::make_unique<PaleoScene>();
    std::vector<double> ms;
    for (int run = 0; run < seriesRuns; ++run) {
        const Clock::time_point start = Clock::now();
        scene->readSeries(seriesFileName, seriesRecords);
        ms.push_back(secondsSince(start) * 1e3);
    }
    std::printf("\n3. readSeries(\"orbit95b\", %d), %d runs\n", seriesRecords, seriesRuns);
    std::printf("   median %.3f ms   [target < %.0f ms: %s]\n", median(ms), seriesTargetMs,
                median(ms) < seriesTargetMs ? "met" : "MISSED");
}

// Median milliseconds of one frame as the display callback draws it.
double noopFrameMs(int step)
{
    theScene->setGlobeStep(step);
    std::vector<double> ms;
    for (int sample = 0; sample < frameSamples; ++sample) {
        const Clock::time_point start = Clock::now();
        onDisplay();
        ms.push_back(secondsSince(start) * 1e3);
    }
    return median(ms);
}

void benchFrames(bool machineReadable)
{
    auto scene = std::make_unique<PaleoScene>();
    theScene = scene.get();
    scene->loadData();
    if (!machineReadable)
        std::printf("\n4. One frame (scene draw, help line, swap), GL calls are no-ops\n"
                    "   step  vertices/frame  ms/frame\n");
    for (int step : frameSteps) {
        const double ms = noopFrameMs(step);
        if (machineReadable)
            std::printf("noop step=%d ms=%.4f\n", step, ms);
        else
            std::printf("   %4d  %14ld  %8.3f\n", step, globesPerScene * stripVertices(step), ms);
    }
    theScene = nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    const bool framesOnly = argc > 1 && std::strcmp(argv[1], "--frames") == 0;
    const int dataArg = framesOnly ? 2 : 1;
    const std::string dataDir = argc > dataArg ? argv[dataArg] : PALEOVIZ_SOURCE_DIR "/data";
    glrec::setRecording(false);

    if (!framesOnly)
        std::printf("paleoviz_bench on %s\n", bench::machineName().c_str());
    const ScratchDir work("paleoviz-bench");
    if (!bench::prepareWorkDir(dataDir, work) || chdir(work.path().c_str()) != 0) {
        std::printf("cannot prepare a working directory\n");
        return 1;
    }
    if (!framesOnly) {
        benchSceneConstruction();
        benchGlobeDraw();
        benchReadSeries();
    }
    benchFrames(framesOnly);
    return 0;
}
