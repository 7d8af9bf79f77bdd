// The logo reader on any bytes, then the logo's draw.
#include "fuzz_scene.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PaleoScene& scene = fuzzScene();
    writeInput("logo.rgba", data, size);
    InSceneFolder inside;
    scene.showLogo = true;
    scene.loadLogo();
    scene.drawLogo();
    return 0;
}
