// The registry of quantities: one row per quantity the front ends compute
// (the insolation tool's commands, the Python module's functions, the
// page's calls), each with its arguments (units, limits, defaults and the
// name each front end gives them), its outputs (units, long names, CF
// attributes) and the library functions that compute it. The front ends
// derive their commands, help, checks, metadata and calls from these rows,
// so that a rule is written once: adding a quantity is one kernel here and
// one row in registry.cpp.
//
// Units: latitudes in degrees north, true longitudes in degrees from the
// March equinox, calendar days of the request's DayCalendar, hours of local
// apparent solar time, energies in GJ/m^2, insolation in W/m^2, durations
// in days of 86,400 s, distances in astronomical units.
#ifndef PALEOVIZ_INSOLATION_REGISTRY_H
#define PALEOVIZ_INSOLATION_REGISTRY_H

#include "insolation/daily_grid.h"
#include "insolation/quantities.h"
#include "insolation/request.h"

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace insolation {

// How an argument's values are given.
enum class ArgumentShape {
    list,    // numbers or FROM:TO:STEP ranges on the command line; an array in Python
    one,     // exactly one number taken from a list option (instant's --lon/--day)
    number,  // one number on the command line; broadcast as an array in Python
    flag,    // on or off
    choice,  // one of `choices`
    dates,   // ISO 8601 dates on the command line; datetime64 or cftime dates in Python
};

// One argument as every front end knows it.
struct ArgumentInfo {
    const char* name;       // the registry's own name, e.g. "lat"
    const char* option;     // command line, "--lat"
    const char* keyword;    // Python, "lat_deg"
    const char* parameter;  // the page's address parameter, "" where it has none
    const char* units;      // UDUNITS spelling, "" for none
    double lowest;          // inclusive limits, checked by requestProblem; +-inf: finite only
    double highest;
    // Where the request keeps it (one of these is set); a default-made
    // Request holds each argument's default.
    std::vector<double>& (*list)(Request&) = nullptr;
    double& (*number)(Request&) = nullptr;
    bool& (*flag)(Request&) = nullptr;
    std::string& (*text)(Request&) = nullptr;
};

// The arguments the registry knows, each once.
namespace arguments {
extern const ArgumentInfo time, latitude, longitude, day, hour, start, end, threshold, solarConstant,
    yearDays, equinoxDay, dayMean, monthCalendar, modelCalendar, lonEast, date;
}  // namespace arguments

// One argument of one quantity: its help there, whether it must be given,
// and the argument it excludes (--lon or --day).
struct ArgumentUse {
    const ArgumentInfo* info;
    ArgumentShape shape;
    const char* help;
    bool required = false;
    const ArgumentInfo* excludes = nullptr;
    std::vector<const char*> choices = {};
};

// "" or why `value` is none of the use's choices, for a front end to put
// after the argument's name: "julian not in {equinox,angular} nor a model
// calendar {noleap,...}" where its own choices come before model calendars'.
std::string choiceProblem(const ArgumentUse& use, const std::string& value);

// Which values of a result vary with what: the row alone (one value per
// time or orbit), the row and the first axis (latitudes, or the longitudes
// or days of a conversion), or the row, the first and the second axis.
enum class Extent { row, first, grid };

// One output, with its CF attributes.
struct OutputInfo {
    const char* name;          // NetCDF variable, CSV column stem, Python key
    const char* longName;
    const char* units;         // UDUNITS spelling
    const char* standardName;  // CF standard name, "" for none
    Extent extent;
    bool nanWhereUndefined = false;  // NaN is a value, stated in the output
};

// The axes of a quantity's table after its row axis.
enum class AxisKind {
    none,
    latitude,        // --lat
    longitudeOrDay,  // --lon, or --day of the request's calendar
    hour,            // --hour
    month,           // the 12 months of the request's month calendar
};

// The values of one point of a quantity; each kernel reads those it needs.
struct Point {
    double latitude = 0;  // degrees north
    double lonOrDay = 0;  // true longitude (degrees) or, with Settings::byDay, calendar day
    double hour = 0;
    double start = 0;  // degrees
    double end = 0;
    double threshold = 0;  // W/m^2
    // Degrees east of Greenwich where `hour` is universal time (UTC); NaN
    // where `hour` is local apparent solar time.
    double lonEast = std::numeric_limits<double>::quiet_NaN();
};

// Where each point argument's values go in a kernel's Point; a row's other
// arguments are settings, shared by every point of a call. A new point
// argument is an ArgumentInfo, a Point member and a line of this list.
struct PointField {
    const ArgumentInfo* info;
    double Point::*field;
};
std::vector<PointField> pointFields();
// The member an argument fills, or nullptr for a setting.
double Point::*pointFieldOf(const ArgumentInfo& info);

// What every point of a call shares.
struct Settings {
    double solarConstant = math::defaultSolarConstant;
    DayCalendar dayCalendar;
    bool byDay = false;  // Point::lonOrDay is a calendar day
    MonthCalendar monthCalendar;
};
Settings settingsOf(const Request& request);

// Computes one point: out gets valueCount() doubles, output k's `trailing`
// values at out[k * trailing ...].
using PointKernel = void (*)(const Orbit& orbit, const Settings& settings, const Point& point, double* out);
// The same at every latitude of a grid at once (point.latitude unused):
// latitude i's values at out[i * valueCount() ...]. The same values as the
// point kernel to about 1e-12 relatively, many times faster. False, with
// nothing written, where the settings need the point kernel.
using LatitudeKernel = bool (*)(const Orbit& orbit, const Settings& settings, const Point& point,
                                const LatitudeGrid& grid, double* out, GridScratch& scratch);

struct Quantity {
    const char* name;        // the tool's command, "daily"
    const char* definition;  // one line: the command's description
    const char* example;     // one command line
    std::vector<ArgumentUse> arguments;
    std::vector<OutputInfo> outputs;
    // The Python functions computing it (a conversion has one per direction).
    std::vector<const char*> pythonFunctions;
    AxisKind firstAxis;
    AxisKind secondAxis;
    int trailing = 1;  // values per output and point: 12 for monthly means
    PointKernel point = nullptr;  // nullptr for `elements`, computed from the orbit source
    LatitudeKernel latitudes = nullptr;
    // Global attributes of its outputs beyond those every output has.
    std::vector<std::pair<std::string, std::string>> (*attributes)(const Request&) = nullptr;
    // The outputs when the request gives calendar days, where they differ.
    std::vector<OutputInfo> dayOutputs = {};

    size_t valueCount() const { return outputs.size() * static_cast<size_t>(trailing); }
    const std::vector<OutputInfo>& outputsFor(bool byDay) const
    {
        return byDay && !dayOutputs.empty() ? dayOutputs : outputs;
    }
    // The use of the argument named `name`, or nullptr.
    const ArgumentUse* use(const char* name) const;
};

// Every quantity, in the order of the tool's help.
const std::vector<Quantity>& quantities();
// The row named `name`, or nullptr.
const Quantity* findQuantity(const std::string& name);
// "elements, daily, ..., calendar": for messages.
std::string quantityNames();

// The registry as JSON: every quantity's name, definition, arguments (with
// option, keyword, units, limits and default) and outputs (with units, long
// name and CF standard name). The tool prints it; the module parses it.
std::string registryJson();

}  // namespace insolation

#endif
