// The orbital series reader on any bytes, then the panel's mapping of every
// value read. Every slot must be filled: the run reads each one.
#include "scene/data_files.h"
#include "fuzz_scene.h"
#include "scene/panel_layout.h"

#include <cstdlib>

namespace {

volatile float heightSink;  // keeps the heights from being optimised away

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PaleoScene& scene = fuzzScene();
    writeInput(seriesFileName, data, size);
    InSceneFolder inside;
    scene.readSeries(seriesFileName, seriesRecords);
    if (scene.recordCount != seriesRecords)
        std::abort();
    float sum = 0;
    for (int j = 0; j < scene.recordCount; ++j)
        sum += plottedHeight(Curve::eccentricity, scene.eccSeries[j])
               + plottedHeight(Curve::precession, scene.precSeries[j])
               + plottedHeight(Curve::obliquity, scene.oblSeries[j]);
    scene.updateCurrentValues();
    heightSink = sum;
    return 0;
}
