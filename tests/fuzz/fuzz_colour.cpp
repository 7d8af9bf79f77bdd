// The colour index for any orbit, season and latitude: the index must lie
// in the palette, and the colour must be found there.
#include "fuzz_scene.h"

#include <cstdlib>
#include <cstring>

namespace {

struct Input {
    float omega, eccentricity, obliquity, latitude;
    int32_t season;
    int16_t sample;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Input in{};
    std::memcpy(&in, data, size < sizeof in ? size : sizeof in);
    Globe& globe = *fuzzScene().globeJune;
    globe.setOmega(in.omega);
    globe.setEccentricity(in.eccentricity);
    globe.setObliquity(in.obliquity);
    globe.season = in.season & 3;
    const int index = globe.colourIndex(in.latitude);
    if (index < 0 || index >= paletteSize)
        std::abort();
    globe.setColour(in.sample, index);
    return 0;
}
