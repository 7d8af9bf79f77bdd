#include "table/table.h"

#include "insolation/registry.h"
#include "math/constants.h"
#include "math/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

using insolation::Request;
using orbit::OrbitSource;

namespace table {
namespace {

// Rows of orbits given by hand are numbered from 1; the elements
// themselves are variables of the row, added by describeTable.
Axis timeAxis(const Request& request, const OrbitSource& source)
{
    if (!request.orbits.empty()) {
        std::vector<double> numbers;
        for (size_t i = 1; i <= request.orbits.size(); ++i)
            numbers.push_back(double(i));
        return Axis{"orbit", "orbit given by hand, numbered from 1 in the order given", "1", "", "orbit",
                    "", numbers};
    }
    return Axis{"time", "time from the present (" + source.origin + "), negative in the past",
                "kyr", "", "time_kyr", "T", request.times};
}

// "; model calendar noleap" where the days are not the default tropical
// calendar's.
std::string modelText(const Request& request)
{
    const std::string model = insolation::modelCalendarOf(request);
    return model == insolation::modelCalendars[0].name ? "" : "; model calendar " + model;
}

std::string calendarText(const Request& request)
{
    using math::formatNumber;
    const insolation::DayCalendar c = insolation::requestCalendar(request);
    return "calendar day of a " + formatNumber(c.yearDays) + "-day year, March equinox on day "
           + formatNumber(c.equinoxDay) + (c.dayMean ? "; each value the mean over the day [d, d + 1)" : "")
           + modelText(request);
}

// Days counted in a model calendar carry its CF name as the axis's calendar.
Axis dayAxis(const Request& request)
{
    Axis day{"day", calendarText(request), "day", "", "day", "", request.days};
    const std::string model = insolation::modelCalendarOf(request);
    if (model != insolation::modelCalendars[0].name)
        day.calendar = model;
    return day;
}

bool takesMonthCalendar(const Request& request)
{
    const insolation::Quantity* q = insolation::findQuantity(request.command);
    return q != nullptr && q->use(insolation::arguments::monthCalendar.name) != nullptr;
}

Axis latitudeAxis(const Request& request)
{
    return Axis{"lat", "latitude", "degrees_north", "latitude", "lat", "Y", request.latitudes};
}

Axis axisOf(insolation::AxisKind kind, const Request& request)
{
    using insolation::AxisKind;
    switch (kind) {
    case AxisKind::latitude: return latitudeAxis(request);
    case AxisKind::month:
        return Axis{"month",
                    insolation::findModelCalendar(request.calendar) != nullptr
                        ? "month of the " + request.calendar + " calendar, 1 January .. 12 December"
                    // Months not chosen by --calendar are the celestial ones.
                    : request.calendar == "angular" || !takesMonthCalendar(request)
                        ? "month of the angular calendar: month m is the arc of true longitude from "
                          "30 (m - 1) to 30 m degrees, month 1 beginning at the March equinox"
                        : "calendar month of a 365.2422-day year, March equinox on day 80 "
                          "(21 March): 1 January .. 12 December",
                    "1", "", "month", "", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}};
    case AxisKind::hour:
        return Axis{"hour",
                    std::isnan(request.lonEast)
                        ? "local apparent solar time, 12 at noon (hour angle (t - 12) x 15 degrees)"
                        : "universal time (UTC) at " + math::formatNumber(request.lonEast)
                              + " degrees east: local apparent solar time = UTC + lon_east / 15 h + the "
                                "equation of time",
                    "hour", "", "hour", "", request.hours};
    case AxisKind::longitudeOrDay:
        if (!request.days.empty())
            return dayAxis(request);
        return Axis{"solar_longitude", "true solar longitude from the March equinox", "degree", "",
                    "lon", "", request.longitudes};
    case AxisKind::none: break;
    }
    return Axis{};
}

std::vector<std::pair<std::string, std::string>> conventions(const Request& request,
                                                             const OrbitSource& source)
{
    std::vector<std::pair<std::string, std::string>> a = {
        {"orbit", source.name},
        {"orbit_reference", source.citation},
        {"time_convention", "thousands of years (kyr) from the present (" + source.origin
                                + "), negative in the past: -21 is 21,000 years before the present"},
        {"perihelion_convention",
         "varpi is the longitude of perihelion from the moving March equinox, heliocentric "
         "(about 103 degrees today, perihelion in early January); the Sun passes perihelion at "
         "true longitude varpi + 180 degrees, so the true anomaly is lambda - varpi - 180 degrees"},
        {"insolation_formula",
         "daily-mean top-of-atmosphere insolation on a horizontal surface, Q = (S0/pi) (a/r)^2 "
         "(h0 sin(lat) sin(dec) + cos(lat) cos(dec) sin(h0)); sin(dec) = sin(obliquity) sin(lambda)"},
        {"true_longitude", "lambda in degrees from the March equinox: 0 March equinox, 90 June "
                           "solstice, 180 September equinox, 270 December solstice"},
        {"year", "tropical year of 365.2422 days of 86400 s; durations from Kepler's second law"},
        {"source", "paleoviz-insolation"},
    };
    if (!request.orbits.empty())
        a[2] = {"time_convention", "none: each row is an orbit given by hand (eccentricity, perihelion "
                                   "and obliquity are its variables)"};
    // Times before the oldest its authors vouch for carry their caveat.
    if (source.solution != nullptr && *source.solution->reliabilityNote != '\0') {
        for (double t : request.times) {
            if (t < source.solution->reliableOldest) {
                a.push_back({"reliability", source.solution->reliabilityNote});
                break;
            }
        }
    }
    const insolation::Quantity* q = insolation::findQuantity(request.command);
    if (q != nullptr && q->attributes != nullptr)
        for (const auto& attribute : q->attributes(request))
            a.push_back(attribute);
    // A quantity that takes a calendar states it whether days or longitudes
    // were given: with longitudes its outputs (the calendar day, for one)
    // may still be counted in it, and a file says which calendar it used.
    const insolation::DayCalendar c = insolation::requestCalendar(request);
    const bool takesCalendar = q != nullptr && q->use(insolation::arguments::yearDays.name) != nullptr;
    if (!request.days.empty() || takesCalendar)
        a.push_back({"calendar", "March equinox fixed at day " + math::formatNumber(c.equinoxDay) + " of a "
                                 + math::formatNumber(c.yearDays) + "-day year, each day 1/"
                                 + math::formatNumber(c.yearDays)
                                 + " of the tropical year; the mean longitude advances uniformly and "
                                 "the true longitude follows from Kepler's equation; "
                                 + (c.dayMean ? "each value is the mean over the day [d, d + 1)"
                                              : "a day d is the instant d")
                                 + modelText(request)});
    return a;
}

Extent extentOf(insolation::Extent extent)
{
    switch (extent) {
    case insolation::Extent::row: return Extent::time;
    case insolation::Extent::first: return Extent::latitude;
    case insolation::Extent::grid: return Extent::grid;
    }
    return Extent::time;
}

std::vector<Variable> variablesOf(const std::vector<insolation::OutputInfo>& outputs)
{
    std::vector<Variable> v;
    for (const insolation::OutputInfo& o : outputs)
        v.push_back({o.name, o.longName, o.units, o.standardName, extentOf(o.extent), o.nanWhereUndefined});
    return v;
}

}  // namespace

size_t Table::count(Extent extent) const
{
    switch (extent) {
    case Extent::time: return 1;
    case Extent::latitude: return latitude.values.size();
    case Extent::grid: return latitude.values.size() * third.values.size();
    }
    return 0;
}

namespace {

// "%.10g" of a negative number with a three-digit exponent, and its comma.
constexpr double csvFieldBytes = 18;
constexpr double columnNameBytes = 48;
constexpr double bytesPerValue = sizeof(double);
// A time step's values, a copy on their way to the file, and room for the
// rest of the program.
constexpr double stepCopies = 2;
constexpr double memoryShare = 0.5;

std::string text(const char* format, double a, double b)
{
    char line[320];
    std::snprintf(line, sizeof line, format, a, b);
    return line;
}

}  // namespace

double Table::valuesPerStep() const
{
    double n = 0;
    for (const Variable& v : variables)
        n += double(count(v.extent));
    return n;
}

double Table::csvBytes(bool longForm) const
{
    const double times = double(time.values.size());
    if (!longForm)
        return valuesPerStep() * columnNameBytes + times * (valuesPerStep() + 1) * csvFieldBytes;
    const double points = double(std::max<size_t>(1, latitude.values.size()))
                          * double(std::max<size_t>(1, third.values.size()));
    const double fields = 1 + !latitude.values.empty() + !third.values.empty() + double(variables.size());
    return times * points * fields * csvFieldBytes;
}

std::string sizeProblem(const Table& table, bool netcdf, bool longForm)
{
    const double perStep = table.valuesPerStep();
    const double values = perStep * double(table.time.values.size());
    const double memory = insolation::memoryAllowed();
    if (perStep * bytesPerValue * stepCopies > memory)
        return text("one time step holds %.3g values (%.3g bytes), more than this machine's memory "
                    "allows; use a coarser step or fewer latitudes, longitudes or days",
                    perStep, perStep * bytesPerValue);
    if (netcdf && values > maxNetcdfValues)
        return text("the request gives %.3g values, more than the %.3g a NetCDF file may hold; "
                    "use a coarser step or fewer times", values, maxNetcdfValues);
    const double bytes = table.csvBytes(longForm);
    if (!netcdf && bytes > maxCsvBytes)
        return text("the CSV would take up to %.3g bytes, more than the limit of %.3g; write "
                    "NetCDF (-o FILE.nc) or use a coarser step", bytes, maxCsvBytes);
    return "";
}

Table describeTable(const Request& request, const OrbitSource& source)
{
    const insolation::Quantity& q = *insolation::findQuantity(request.command);
    Table table;
    table.title = "paleoviz-insolation " + request.command;
    table.attributes = conventions(request, source);
    table.numbers = {{"solar_constant", request.solarConstant, "W m-2"}};
    table.time = timeAxis(request, source);
    table.latitude = axisOf(q.firstAxis, request);
    table.third = axisOf(q.secondAxis, request);
    table.variables = variablesOf(q.outputsFor(!request.days.empty()));
    // The orbit's own elements: an eccentricity-only solution gives the
    // first column alone.
    if (q.point == nullptr && !source.insolationProblem().empty())
        table.variables.resize(1);
    if (!request.orbits.empty() && q.point != nullptr) {
        const std::vector<Variable> labels = variablesOf(insolation::quantities().front().outputs);
        table.variables.insert(table.variables.begin(), labels.begin(), labels.begin() + 3);
    }
    return table;
}

}  // namespace table
