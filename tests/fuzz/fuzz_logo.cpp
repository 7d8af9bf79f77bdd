// The logo reader on any bytes, then the logo's draw.
#include "scene/data_files.h"
#include "fuzz_scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PaleoScene& scene = fuzzScene();
    writeInput(logoFileName, data, size);
    InSceneFolder inside;
    scene.showLogo = true;
    scene.loadLogo();
    scene.drawLogo();
    return 0;
}
