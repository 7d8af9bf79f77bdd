// The web build's entry: the window's own start-up with the page's
// arguments, and what the page around the canvas reads from the scene (the
// current elements, the 65°N insolation on the globes' days and along the
// panel's window, the globes' palettes).
#include "app/shell.h"
#include "insolation/daily_insolation.h"
#include "math/constants.h"
#include "scene/paleo_scene.h"
#include "scene/panel_layout.h"
#include "web/glut_window.h"

#include <emscripten.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr double solarConstant = math::defaultSolarConstant;  // W/m^2
constexpr double pageLatitude = 65;     // degrees north
using math::pi;
// The time axis's oldest label lies this many records beyond the window start.
constexpr int oldestLabelled = -plotLeft / unitsPerRecord - markerOffset;

double radians(double degrees) { return degrees * pi / 180; }

double june65(double e, double varpiDegrees, double oblDegrees, double trueLongitudeDegrees)
{
    return insolation::dailyMean(solarConstant, radians(pageLatitude), radians(oblDegrees), e,
                                 radians(varpiDegrees), radians(trueLongitudeDegrees));
}

}  // namespace

// The window's options, plus --still: draw one frame, then stop the loop.
int main(int argc, char** argv)
{
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--still") == 0)
            webgl_layer::stopAfterFrames(1);
        else
            args.push_back(argv[i]);
    }
    args.push_back(nullptr);
    return runProgram(static_cast<int>(args.size()) - 1, args.data());
}

extern "C" {

// The current state into out[0..7]: time on the axis (kyr, negative in the
// past), e, varpi and obliquity in degrees as the globes use them, and the
// daily-mean insolation at 65°N (W/m^2) on the March equinox, June solstice,
// September equinox and December solstice. 0 before the scene exists.
EMSCRIPTEN_KEEPALIVE int paleoviz_current(double* out)
{
    if (theScene == nullptr)
        return 0;
    const PaleoScene& s = *theScene;
    out[0] = s.axisTime();
    out[1] = s.ecc;
    out[2] = s.prec;
    out[3] = s.obl;
    for (int season = 0; season < 4; ++season)
        out[4 + season] = june65(s.ecc, s.prec, s.obl, 90.0 * season);
    return 1;
}

// The June-solstice insolation at 65°N for each of the 750 records of the
// panel's time axis (its labels' span), from
// the series as read (whatever the switches), oldest first; NaN for records
// beyond the series. Returns the time (kyr, negative) of out[0].
EMSCRIPTEN_KEEPALIVE int paleoviz_june65_window(double* out)
{
    if (theScene == nullptr || theScene->eccSeries == nullptr)
        return 0;
    const PaleoScene& s = *theScene;
    const int oldest = windowStart(s.timeIndex) + oldestLabelled;
    for (int i = 0; i < plotRecords; ++i) {
        const int record = oldest - i;
        out[i] = record < 0 || record >= s.recordCount
                     ? std::numeric_limits<double>::quiet_NaN()
                     : june65(s.eccSeries[record], s.precSeries[record], s.oblSeries[record], 90);
    }
    return -oldest;
}

// The globes' 192-entry palettes: land then sea, three floats an entry.
EMSCRIPTEN_KEEPALIVE int paleoviz_palettes(float* out)
{
    if (theScene == nullptr || theScene->globeJune == nullptr)
        return 0;
    std::memcpy(out, theScene->globeJune->landPalette, sizeof(InsolationPalette));
    std::memcpy(out + paletteSize * 3, theScene->globeJune->oceanPalette, sizeof(InsolationPalette));
    return paletteSize;
}

}  // extern "C"
