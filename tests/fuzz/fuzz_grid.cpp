// The elevation grid reader on any bytes, reusing one globe of the scene.
#include "scene/data_files.h"
#include "fuzz_scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Globe& globe = *fuzzScene().globeMarch;
    writeInput(gridFileName, data, size);
    InSceneFolder inside;
    globe.load(gridFileName, size % 2 == 1);
    return 0;
}
