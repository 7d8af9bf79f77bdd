#include "table/table.h"

#include "math/constants.h"
#include "math/number_text.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

using insolation::Request;
using orbit::OrbitSource;

namespace table {
namespace {

std::string number(double x)
{
    std::ostringstream out;
    out << x;
    return out.str();
}

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

std::string calendarText(const insolation::DayCalendar& c)
{
    using math::formatNumber;
    return "calendar day of a " + formatNumber(c.yearDays) + "-day year, March equinox on day "
           + formatNumber(c.equinoxDay) + (c.dayMean ? "; each value the mean over the day [d, d + 1)" : "");
}

Axis latitudeAxis(const Request& request)
{
    return Axis{"lat", "latitude", "degrees_north", "latitude", "lat", "Y", request.latitudes};
}

Axis thirdAxis(const Request& request)
{
    if (request.command == "monthly")
        return Axis{"month",
                    request.calendar == "angular"
                        ? "month of the angular calendar: month m is the arc of true longitude from "
                          "30 (m - 1) to 30 m degrees, month 1 beginning at the March equinox"
                        : "calendar month of a 365.2422-day year, March equinox on day 80 "
                          "(21 March): 1 January .. 12 December",
                    "1", "", "month", "", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}};
    if (request.command == "instant")
        return Axis{"hour", "local apparent solar time, 12 at noon (hour angle (t - 12) x 15 degrees)",
                    "hour", "", "hour", "", request.hours};
    if (!request.days.empty())
        return Axis{"day", calendarText(request.dayCalendar), "day", "", "day", "", request.days};
    return Axis{"solar_longitude", "true solar longitude from the March equinox", "degree", "",
                "lon", "", request.longitudes};
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
    if (request.command == "instant")
        a.push_back({"instant",
                     "insolation on a horizontal surface at the top of the atmosphere at one moment, "
                     "I = S0 (a/r)^2 max(0, sin(lat) sin(dec) + cos(lat) cos(dec) cos(h)), h the hour "
                     "angle; the Sun is held at the day's true longitude "
                     + (request.days.empty() ? number(request.longitudes[0]) + " degrees"
                                             : "on day " + number(request.days[0]))
                     + " for the whole day, so the average over the day is the daily mean"});
    if (request.command == "caloric")
        a.push_back({"caloric_half_year",
                     "Milankovitch's caloric summer: the half of the tropical year (182.6211 days) "
                     "whose days have greater daily-mean insolation than any day of the other half, "
                     "the caloric winter; start and end are the true longitudes where the summer "
                     "begins and ends, NaN where it is not one arc (near the equator, where the "
                     "daily mean peaks twice a year)"});
    if (request.command == "monthly")
        a.push_back({"months", request.calendar == "angular"
                                   ? "angular calendar: twelve arcs of 30 degrees of true longitude, "
                                     "month 1 from 0 to 30 degrees (beginning at the March equinox); "
                                     "means over each arc's duration (Kepler's second law)"
                                   : "equinox calendar: the day counts of a 365-day year (31, 28, "
                                     "31, ...) stretched to 365.2422 days, 1 January beginning at "
                                     "day 1.0 and the March equinox at day 80.0 (21 March 00:00); "
                                     "means over each month's duration"});
    const insolation::DayCalendar& c = request.dayCalendar;
    if (!request.days.empty() && request.command != "monthly")
        a.push_back({"calendar", "March equinox fixed at day " + math::formatNumber(c.equinoxDay) + " of a "
                                 + math::formatNumber(c.yearDays) + "-day year, each day 1/"
                                 + math::formatNumber(c.yearDays)
                                 + " of the tropical year; the mean longitude advances uniformly and "
                                 "the true longitude follows from Kepler's equation; "
                                 + (c.dayMean ? "each value is the mean over the day [d, d + 1)"
                                              : "a day d is the instant d")});
    if (request.command == "integrated")
        a.push_back({"interval", "true longitudes " + number(request.start) + " to "
                                     + number(request.end) + " degrees, forward"});
    if (request.command == "threshold")
        a.push_back({"threshold", number(request.threshold) + " W m-2: energy and duration of the "
                                                              "part of the year whose daily mean exceeds it"});
    return a;
}

std::vector<Variable> variables(const std::string& command)
{
    const std::string toa = "toa_incoming_shortwave_flux";
    if (command == "elements")
        return {{"eccentricity", "eccentricity of the Earth's orbit", "1", "", Extent::time},
                {"perihelion", "longitude of perihelion varpi from the moving equinox", "degree", "",
                 Extent::time},
                {"obliquity", "obliquity of the ecliptic", "degree", "", Extent::time},
                {"precession_index", "precession index e sin(varpi)", "1", "", Extent::time}};
    if (command == "daily")
        return {{"insolation", "daily-mean top-of-atmosphere insolation", "W m-2", toa, Extent::grid}};
    if (command == "integrated")
        return {{"energy", "top-of-atmosphere energy received over the interval", "GJ m-2", "",
                 Extent::latitude},
                {"mean_insolation", "mean insolation over the interval's duration", "W m-2", toa,
                 Extent::latitude},
                {"duration", "duration of the interval", "day", "", Extent::time}};
    if (command == "threshold")
        return {{"energy", "energy of the days whose daily-mean insolation exceeds the threshold",
                 "GJ m-2", "", Extent::latitude},
                {"duration", "days whose daily-mean insolation exceeds the threshold", "day", "",
                 Extent::latitude}};
    if (command == "caloric")
        return {{"summer_energy", "energy of the caloric summer half-year", "GJ m-2", "", Extent::latitude},
                {"summer_mean", "mean insolation of the caloric summer half-year", "W m-2", toa,
                 Extent::latitude},
                {"summer_start", "true longitude where the caloric summer begins", "degree", "",
                 Extent::latitude, true},
                {"summer_end", "true longitude where the caloric summer ends", "degree", "",
                 Extent::latitude, true},
                {"winter_energy", "energy of the caloric winter half-year", "GJ m-2", "", Extent::latitude},
                {"winter_mean", "mean insolation of the caloric winter half-year", "W m-2", toa,
                 Extent::latitude},
                {"winter_start", "true longitude where the caloric winter begins", "degree", "",
                 Extent::latitude, true},
                {"winter_end", "true longitude where the caloric winter ends", "degree", "",
                 Extent::latitude, true}};
    if (command == "monthly")
        return {{"insolation", "monthly-mean top-of-atmosphere insolation", "W m-2", toa, Extent::grid}};
    if (command == "instant")
        return {{"insolation", "instantaneous top-of-atmosphere insolation on a horizontal surface",
                 "W m-2", toa, Extent::grid}};
    return {{"insolation", "annual-mean top-of-atmosphere insolation", "W m-2", toa, Extent::latitude}};
}

std::vector<Variable> calendarVariables(bool byDay)
{
    const Variable perihelion{"perihelion_day", "calendar day of perihelion (true longitude varpi + 180 degrees)",
                              "day", "", Extent::time};
    if (byDay)
        return {perihelion, {"true_longitude", "true solar longitude from the March equinox at the day",
                             "degree", "", Extent::latitude}};
    return {perihelion, {"calendar_day", "calendar day when the Sun reaches the true longitude", "day", "",
                         Extent::latitude}};
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
    Table table;
    table.title = "paleoviz-insolation " + request.command;
    table.attributes = conventions(request, source);
    table.numbers = {{"solar_constant", request.solarConstant, "W m-2"}};
    table.time = timeAxis(request, source);
    if (request.command == "calendar") {
        // Conversions have no latitude: the days or longitudes take its place.
        table.latitude = thirdAxis(request);
        table.variables = calendarVariables(!request.days.empty());
    } else {
        if (request.command != "elements")
            table.latitude = latitudeAxis(request);
        if (request.command == "daily" || request.command == "monthly" || request.command == "instant")
            table.third = thirdAxis(request);
        table.variables = variables(request.command);
    }
    // An eccentricity-only solution gives the first column alone.
    if (request.command == "elements" && !source.insolationProblem().empty())
        table.variables.resize(1);
    if (!request.orbits.empty() && request.command != "elements") {
        const std::vector<Variable> labels = variables("elements");
        table.variables.insert(table.variables.begin(), labels.begin(), labels.begin() + 3);
    }
    return table;
}

}  // namespace table
