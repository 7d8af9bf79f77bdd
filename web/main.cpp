// The web build's entry: the window's own start-up with the page's
// arguments, what the page around the canvas reads from the scene (the
// current elements, the insolation at a chosen latitude on the globes' days
// and along the panel's window, the latitude x season map, the globes'
// palettes) and the few things it changes (held elements, caps, keys), and
// the libraries' constants, limits and elements check, so that the page
// restates none of them. Every orbit is given as e, obliquity, perihelion.
#include "app/shell.h"
#include "globe/earth.h"
#include "insolation/daily_grid.h"
#include "insolation/daily_insolation.h"
#include "insolation/quantities.h"
#include "insolation/registry.h"
#include "insolation/request.h"
#include "insolation/year_insolation.h"
#include "math/constants.h"
#include "orbit/elements.h"
#include "scene/orbit_geometry.h"
#include "scene/paleo_scene.h"
#include "scene/panel_layout.h"
#include "web/gl_layer.h"
#include "web/glut_window.h"

#include <emscripten.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr double solarConstant = math::defaultSolarConstant;  // W/m^2
using math::pi;
// The time axis's oldest label lies this many records beyond the window start.
constexpr int oldestLabelled = -plotLeft / unitsPerRecord - markerOffset;
constexpr int escapeKey = 27;  // ends the program; no button sends it
// The page's largest drawn eccentricity (fourfold the true one): at 0.3 the
// orbit keeps within 92% of the square canvas's half-width whatever the
// perihelion's direction, each globe's centre well inside and the globes
// apart, where the window's 0.9 sends the aphelion past the edge. It is
// above every orbit of the series (true e up to about 0.07), which draw as
// in the window; the readout, globes and map keep the true eccentricity.
constexpr double pageDrawnEccLimit = 0.3;

double radians(double degrees) { return degrees * pi / 180; }

// The library's orbit from degrees; the window's precession angle is the
// longitude of perihelion the insolation library takes.
insolation::Orbit orbitOf(double e, double oblDegrees, double varpiDegrees)
{
    return insolation::Orbit{e, radians(oblDegrees), radians(varpiDegrees)};
}

double dailyAt(double latitudeDegrees, double trueLongitudeDegrees, double e, double oblDegrees,
               double varpiDegrees)
{
    return insolation::dailyMean(orbitOf(e, oblDegrees, varpiDegrees), solarConstant,
                                 radians(latitudeDegrees), radians(trueLongitudeDegrees));
}

// Whole numbers as integers, others in the fewest significant digits that
// read back as the same double, so that 365.2422 is written as itself and
// JavaScript reads the value C++ holds.
std::string shortestText(double x)
{
    constexpr double largestWhole = 1e15;  // printed exactly by "%.0f"
    char text[32];
    if (x == std::trunc(x) && std::fabs(x) < largestWhole) {
        std::snprintf(text, sizeof text, "%.0f", x);
        return text;
    }
    for (int digits = 1; digits < 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, x);
        if (std::strtod(text, nullptr) == x)
            return text;
    }
    std::snprintf(text, sizeof text, "%.17g", x);
    return text;
}

std::string rangeText(double lowest, double highest)
{
    return "[" + shortestText(lowest) + "," + shortestText(highest) + "]";
}

// One JSON object of what the page would otherwise restate (see
// paleoviz_constants for the fields).
std::string constantsJson()
{
    const std::pair<const char*, std::string> fields[] = {
        {"solarConstant", shortestText(solarConstant)},
        {"yearDays", shortestText(insolation::yearDays)},
        {"equinoxDay", shortestText(insolation::equinoxDay)},
        {"seriesRecords", shortestText(math::seriesRecordCount)},
        {"panelRecords", shortestText(plotRecords)},
        {"latitude", rangeText(insolation::arguments::latitude.lowest, insolation::arguments::latitude.highest)},
        {"longitude", rangeText(insolation::arguments::longitude.lowest, insolation::arguments::longitude.highest)},
        {"day", rangeText(0, insolation::yearDays)},
        {"eccentricity", rangeText(0, orbit::eccentricityLimit)},
        {"obliquity", rangeText(0, orbit::maxObliquity)},
        {"paletteSize", shortestText(paletteSize)},
        {"paletteStep", shortestText(paletteFullScale * solarConstant / (paletteSize * pi))},
    };
    std::string json;
    for (const auto& field : fields)
        json += (json.empty() ? "{\"" : ",\"") + std::string(field.first) + "\":" + field.second;
    return json + "}";
}

// The texts handed to the page, kept until the next call asks again.
std::string constantsText;
std::string elementsProblemText;

// The map's latitudes, made again only when their number changes.
std::unique_ptr<insolation::LatitudeGrid> mapGrid;

const insolation::LatitudeGrid& gridOf(int latitudes)
{
    if (mapGrid == nullptr || static_cast<int>(mapGrid->size()) != latitudes) {
        std::vector<double> phi(static_cast<size_t>(latitudes));
        for (int i = 0; i < latitudes; ++i)
            phi[static_cast<size_t>(i)] = radians(-90.0 + 180.0 * i / (latitudes - 1));
        mapGrid = std::make_unique<insolation::LatitudeGrid>(phi);
    }
    return *mapGrid;
}

}  // namespace

// The window's options, plus --still: draw one frame, then stop the loop.
// The globes hand their bands to the GL layer whole.
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
    setBandDrawer(webgl_layer::drawGlobeBand);
    setDrawnEccLimit(pageDrawnEccLimit);
    return runProgram(static_cast<int>(args.size()) - 1, args.data());
}

extern "C" {

// For the tests: the globes' bands whole (1, as the page runs) or through
// the per-vertex calls (0), which must give the same vertices.
EMSCRIPTEN_KEEPALIVE void paleoviz_whole_bands(int on)
{
    setBandDrawer(on != 0 ? webgl_layer::drawGlobeBand : nullptr);
}

// The current state into out[0..11]: time on the axis (kyr, negative in the
// past), e, varpi and obliquity in degrees as the globes use them, the
// daily-mean insolation at latitudeDegrees (W/m^2) on the March equinox,
// June solstice, September equinox and December solstice, then 1 or 0 for:
// elements held, ecc, prec and obl following their series (switches).
// 0 before the scene exists.
EMSCRIPTEN_KEEPALIVE int paleoviz_current(double* out, double latitudeDegrees)
{
    if (theScene == nullptr)
        return 0;
    const PaleoScene& s = *theScene;
    out[0] = s.axisTime();
    out[1] = s.ecc;
    out[2] = s.prec;
    out[3] = s.obl;
    for (int season = 0; season < 4; ++season)
        out[4 + season] = dailyAt(latitudeDegrees, 90.0 * season, s.ecc, s.obl, s.prec);
    out[8] = s.holdGiven;
    out[9] = s.showEcc;
    out[10] = s.showPrec;
    out[11] = s.showObl;
    return 1;
}

// The daily mean (W/m^2) at a latitude and true longitude (degrees) for
// the elements given (e, obliquity and precession angle in degrees).
EMSCRIPTEN_KEEPALIVE double paleoviz_daily(double latitudeDegrees, double trueLongitudeDegrees,
                                           double e, double oblDegrees, double varpiDegrees)
{
    return dailyAt(latitudeDegrees, trueLongitudeDegrees, e, oblDegrees, varpiDegrees);
}

// True longitude (degrees, 0..360) of calendar day `day` (March equinox on
// day 80) for the elements given.
EMSCRIPTEN_KEEPALIVE double paleoviz_longitude_of_day(double day, double e, double oblDegrees,
                                                      double varpiDegrees)
{
    return insolation::trueLongitudeOfDay(orbitOf(e, oblDegrees, varpiDegrees), day) * 180 / pi;
}

// The insolation at a latitude (degrees) on one day of the year for each of
// the 750 records of the panel's time axis (its labels' span), from the
// series as read (whatever the switches), oldest first; NaN for records
// beyond the series. The day is a true longitude in degrees, or with byDay
// a calendar day, placed on each record's own orbit. Returns the time (kyr,
// negative) of out[0].
EMSCRIPTEN_KEEPALIVE int paleoviz_window_insolation(double* out, double latitudeDegrees, double day,
                                                    int byDay)
{
    if (theScene == nullptr || theScene->eccSeries == nullptr)
        return 0;
    const PaleoScene& s = *theScene;
    const int oldest = windowStart(s.timeIndex) + oldestLabelled;
    for (int i = 0; i < plotRecords; ++i) {
        const int record = oldest - i;
        if (record < 0 || record >= s.recordCount) {
            out[i] = std::numeric_limits<double>::quiet_NaN();
            continue;
        }
        const double e = s.eccSeries[record], varpi = s.precSeries[record], obl = s.oblSeries[record];
        const double lambda = byDay != 0 ? paleoviz_longitude_of_day(day, e, obl, varpi) : day;
        out[i] = dailyAt(latitudeDegrees, lambda, e, obl, varpi);
    }
    return -oldest;
}

// The forcing measures the chart offers, in the units the insolation tool
// prints them: the caloric summer's energy (GJ/m^2), the energy of the days
// whose daily mean exceeds a threshold (GJ/m^2), the annual mean (W/m^2),
// and the daily mean on one day (W/m^2), the day a true longitude in
// degrees or, with byDay, a calendar day.
enum ForcingMeasure { caloricSummerEnergy = 0, energyAboveThreshold = 1, annualMeanInsolation = 2, dailyOnDay = 3 };

// One measure at a latitude (degrees) for the elements given; NaN for a
// measure not listed above.
static double forcingOf(int measure, double e, double oblDegrees, double varpiDegrees, double latitudeDegrees,
                 double day, int byDay, double threshold)
{
    const insolation::Orbit orbit = orbitOf(e, oblDegrees, varpiDegrees);
    double values[insolation::caloricValueCount];
    switch (measure) {
    case caloricSummerEnergy:
        insolation::caloricValues(orbit, solarConstant, latitudeDegrees, values);
        return values[0];
    case energyAboveThreshold:
        insolation::thresholdValues(orbit, solarConstant, latitudeDegrees, threshold, values);
        return values[0];
    case annualMeanInsolation:
        return insolation::annualValue(orbit, solarConstant, latitudeDegrees);
    case dailyOnDay: {
        const double lambda = byDay != 0 ? paleoviz_longitude_of_day(day, e, oblDegrees, varpiDegrees) : day;
        return dailyAt(latitudeDegrees, lambda, e, oblDegrees, varpiDegrees);
    }
    default:
        return std::numeric_limits<double>::quiet_NaN();
    }
}

// A forcing measure (ForcingMeasure above) at a latitude (degrees) from the
// series as read (whatever the switches) at count times one kyr apart,
// oldest first from firstKyr (negative in the past): out[i] at time
// firstKyr + i, NaN beyond the series or after the present. Returns 0
// before the series exist.
EMSCRIPTEN_KEEPALIVE int paleoviz_forcing(double* out, int firstKyr, int count, int measure,
                                          double latitudeDegrees, double day, int byDay, double threshold)
{
    if (theScene == nullptr || theScene->eccSeries == nullptr)
        return 0;
    const PaleoScene& s = *theScene;
    for (int i = 0; i < count; ++i) {
        const int record = -(firstKyr + i);
        out[i] = record < 0 || record >= s.recordCount
                     ? std::numeric_limits<double>::quiet_NaN()
                     : forcingOf(measure, s.eccSeries[record], s.oblSeries[record], s.precSeries[record],
                                 latitudeDegrees, day, byDay, threshold);
    }
    return 1;
}

// The series' elements at axis time kyr (clamped to the series) into
// out[0..2]: e, precession angle and obliquity in degrees. Returns the
// clamped time (kyr, negative in the past), or 1 before the series exist.
EMSCRIPTEN_KEEPALIVE int paleoviz_series_at(int kyr, double* out)
{
    if (theScene == nullptr || theScene->eccSeries == nullptr)
        return 1;
    const PaleoScene& s = *theScene;
    const int record = kyr > 0 ? 0 : (-kyr >= s.recordCount ? s.recordCount - 1 : -kyr);
    out[0] = s.eccSeries[record];
    out[1] = s.precSeries[record];
    out[2] = s.oblSeries[record];
    return -record;
}

// The latitude x season map of daily means (W/m^2) for the elements given:
// row i at latitude -90 + 180 i / (latitudes - 1) degrees, column j at true
// longitude 360 j / columns degrees, or, with byDay, on calendar day
// 1 + yearDays j / columns (its true longitude written to longitudes[j]).
// values holds latitudes x columns doubles, row by row. Returns 0 for
// fewer than 2 latitudes or no column.
EMSCRIPTEN_KEEPALIVE int paleoviz_map(double* values, double* longitudes, int latitudes, int columns,
                                      int byDay, double e, double oblDegrees, double varpiDegrees)
{
    if (latitudes < 2 || columns < 1)
        return 0;
    const insolation::LatitudeGrid& grid = gridOf(latitudes);
    const insolation::Orbit orbit = orbitOf(e, oblDegrees, varpiDegrees);
    for (int j = 0; j < columns; ++j) {
        const double lambda =
            byDay != 0 ? insolation::trueLongitudeOfDay(orbit, 1 + insolation::yearDays * j / columns)
                       : radians(360.0 * j / columns);
        longitudes[j] = lambda * 180 / pi;
        grid.dailyMeans(insolation::dayGeometry(orbit, solarConstant, lambda), values + j,
                        static_cast<size_t>(columns));
    }
    return 1;
}

// A hypothetical orbit held in place of the series (e, obliquity and
// precession angle in degrees), or, with hold 0, the series again.
EMSCRIPTEN_KEEPALIVE void paleoviz_hold(int hold, double e, double oblDegrees, double varpiDegrees)
{
    if (theScene == nullptr)
        return;
    if (hold != 0)
        theScene->holdElements(e, varpiDegrees, oblDegrees);
    else
        theScene->releaseElements();
}

// A key command, as if the key had been pressed (the on-screen buttons).
EMSCRIPTEN_KEEPALIVE void paleoviz_key(int key)
{
    if (theScene != nullptr && key > 0 && key < 256 && key != escapeKey)
        onKeyboard(static_cast<unsigned char>(key), 0, 0);
}

// Axis time (kyr, negative in the past) set as a click on the axis sets it.
EMSCRIPTEN_KEEPALIVE void paleoviz_set_time(int kyr)
{
    if (theScene == nullptr)
        return;
    theScene->setTimeFromAxis(kyr);
    theScene->updateCurrentValues();
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

// The libraries' constants and limits as one JSON object, valid until the
// next call: solarConstant (W/m^2), yearDays and equinoxDay (calendar
// days), seriesRecords (records of the series, one a kyr), panelRecords
// (records of the panel's time axis), the ranges [lowest, highest] of
// latitude and longitude (degrees), day (calendar days), eccentricity (the
// highest excluded) and obliquity (degrees), paletteSize (entries of each
// globe palette) and paletteStep (W/m^2 that one entry covers).
EMSCRIPTEN_KEEPALIVE const char* paleoviz_constants()
{
    constantsText = constantsJson();
    return constantsText.c_str();
}

// "" when elements given by hand (e, obliquity and perihelion in degrees)
// may describe an orbit, else what is wrong with them, the message every
// front end gives; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* paleoviz_elements_problem(double e, double oblDegrees, double varpiDegrees)
{
    elementsProblemText = orbit::elementsProblem(e, oblDegrees, varpiDegrees);
    return elementsProblemText.c_str();
}

}  // extern "C"
