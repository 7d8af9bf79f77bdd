// A request for insolation as the front ends (the insolation tool and the
// Python module) take it, and the one set of checks both run on it, so
// that a message cannot differ between them: each check names the value by
// the front end's own name for it (Names), "--lat" on the command line,
// "lat_deg" in Python.
//
// Limits: latitudes -90..90 degrees north, true longitudes 0..360 degrees,
// calendar days 0..yearDays, local solar times 0..24 hours, the solar
// constant in (0, 100000] W/m^2; a request whose result would not fit in
// memory is refused before any work, with its size and what to do instead.
#ifndef PALEOVIZ_INSOLATION_REQUEST_H
#define PALEOVIZ_INSOLATION_REQUEST_H

#include "insolation/daily_grid.h"
#include "insolation/quantities.h"
#include "math/constants.h"
#include "orbit/elements.h"

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

namespace insolation {

struct Request {
    std::string command;  // a quantity of the registry (insolation/registry.h)
    std::vector<double> times;       // kyr, negative in the past
    // Orbits given by hand instead of times (one row each).
    std::vector<orbit::Elements> orbits;
    std::vector<double> latitudes;   // degrees north, -90..90
    std::vector<double> longitudes;  // daily, instant: true longitudes, degrees
    std::vector<double> days;        // daily, instant: calendar days instead of longitudes
    std::vector<double> hours;       // instant: local solar times, hours (UTC where lonEast is given)
    // instant: degrees east of Greenwich, -180..360, making the hours
    // universal time; NaN: the hours are local apparent solar time.
    double lonEast = std::numeric_limits<double>::quiet_NaN();
    double start = 0;                // integrated: true longitudes, degrees
    double end = 180;
    double threshold = 275;          // threshold: W/m^2
    double solarConstant = math::defaultSolarConstant;  // W/m^2
    std::string calendar = "equinox";  // monthly: equinox, angular or a model calendar (noleap, ...)
    std::string modelCalendar = "tropical";  // a name of modelCalendars, counting the days
    // How calendar days are counted; a member left ofModelCalendar is the
    // model calendar's (its year length, 21 March 00:00), filled in by
    // prepare().
    DayCalendar dayCalendar{ofModelCalendar, ofModelCalendar, false};
    // Filled by prepare() from latitudes.
    LatitudeGrid latitudeGrid;

    // Rows of the result: one per time, or one per orbit given by hand.
    size_t rows() const { return orbits.empty() ? times.size() : orbits.size(); }
};

// Computes what every row shares and fills in the day calendar
// (requestCalendar). REQUIRES: latitudes final.
void prepare(Request& request);

// The model calendar counting the request's days: the months of monthly
// means where they name one (--calendar noleap), else modelCalendar.
std::string modelCalendarOf(const Request& request);
// The request's day calendar with what it leaves to its model calendar
// filled in (resolvedCalendar); an unknown model calendar is taken as
// "tropical" (requestProblem refuses it).
DayCalendar requestCalendar(const Request& request);

// What a front end calls each value in its messages.
struct Names {
    std::string time, latitude, longitude, day, hour, solarConstant, start, end, threshold, yearDays,
        equinoxDay, calendar, modelCalendar, lonEast;
};
extern const Names commandLineNames;
extern const Names pythonNames;

// Limits of the values.
constexpr double maxSolarConstant = 1e5;  // W/m^2
constexpr double degreesPerTurn = 360;
constexpr double hoursPerDay = 24;

// "" or the first fault of the request: a value outside its limits, a
// value twice on an axis, a start, end or threshold that is not finite,
// a calendar that is not one of those known.
std::string requestProblem(const Request& request, const Names& names);

// Each check alone, for a front end that holds its values elsewhere; the
// same messages. values[0..n).
std::string rangeProblem(const std::string& name, const double* values, size_t n, double lowest,
                         double highest);
std::string finiteProblem(const std::string& name, const double* values, size_t n);
std::string solarConstantProblem(const std::string& name, double s0);
// Values that print alike to ten digits would name two columns alike.
std::string distinctProblem(const std::string& name, const std::vector<double>& values);
// Longitudes within a turn and calendar days within the calendar's year.
std::string longitudeOrDayProblem(const Names& names, const double* values, size_t n, bool byDay,
                                  const DayCalendar& calendar);

// "" or why the months of monthly means named `calendar` do not take an
// equinox day (NaN where none is given): only a model calendar's do, the
// equinox and angular calendars fixing the equinox themselves.
std::string monthEquinoxProblem(const std::string& calendar, double equinoxDay, const Names& names);

// The bytes a process may take for its results: half of the machine's
// memory or of its address-space limit, whichever is less.
double memoryAllowed();
// "" or why a result of `values` doubles (computed at once, beside a copy)
// is too large for memory: its size and a suggestion.
std::string resultSizeProblem(double values, const std::string& suggestion);

}  // namespace insolation

#endif
