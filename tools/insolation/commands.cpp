#include "commands.h"
#include "value_lists.h"

#include "math/constants.h"

#include <algorithm>
#include <sstream>

using math::pi;
using math::radiansPerDegree;

namespace {

constexpr double joulesPerGigajoule = 1e9;

std::string number(double x)
{
    std::ostringstream out;
    out << x;
    return out.str();
}

Axis timeAxis(const Request& request, const OrbitSource& source)
{
    return Axis{"time", "time from the present (" + source.origin + "), negative in the past",
                "kyr", "", "time_kyr", "T", request.times};
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
        return Axis{"day", "calendar day of a 365.2422-day year, March equinox on day 80", "day", "",
                    "day", "", request.days};
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
    if (!request.days.empty() && request.command != "monthly")
        a.push_back({"calendar", "March equinox fixed at day 80.0 of a 365.2422-day year; the mean "
                                 "longitude advances uniformly and the true longitude follows from "
                                 "Kepler's equation"});
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

insolation::Orbit orbitAt(const OrbitSource& source, double kyr)
{
    return toOrbit(source.at(kyr));
}

void dailyStep(const Request& request, const insolation::Orbit& orbit, std::vector<double>& out)
{
    const bool byDay = !request.days.empty();
    const std::vector<double>& columns = byDay ? request.days : request.longitudes;
    const size_t n = columns.size();
    for (size_t j = 0; j < n; ++j) {
        const double lambda = trueLongitudeOf(orbit, columns[j], byDay);
        const insolation::DayGeometry day = insolation::dayGeometry(orbit, request.solarConstant, lambda);
        request.latitudeGrid.dailyMeans(day, &out[j], n);
    }
}

// Commands with a row of values per latitude: value k of latitude i goes
// to values[k][i] (to values[k][0] for a variable of time alone, the same
// at every latitude), or for a row per month or hour, to values[0][i * n + k].
template <class Row>
void latitudeRows(const Request& request, std::vector<std::vector<double>>& values, size_t n, Row row)
{
    std::vector<double> out(n);
    for (size_t i = 0; i < request.latitudes.size(); ++i) {
        row(request.latitudes[i], out.data());
        for (size_t k = 0; k < n; ++k) {
            if (values.size() == 1)
                values[0][i * n + k] = out[k];
            else
                values[k][values[k].size() == 1 ? 0 : i] = out[k];
        }
    }
}

}  // namespace

insolation::Orbit toOrbit(const orbit::Elements& e)
{
    return insolation::Orbit{e.eccentricity, e.perihelion * radiansPerDegree,
                             e.obliquity * radiansPerDegree};
}

double toDegrees(double radians)
{
    return radians / radiansPerDegree;
}

insolation::Calendar calendarOf(const std::string& name)
{
    return name == "angular" ? insolation::Calendar::angular : insolation::Calendar::equinox;
}

double trueLongitudeOf(const insolation::Orbit& orbit, double value, bool byDay)
{
    return byDay ? insolation::trueLongitudeOfDay(orbit, value) : value * radiansPerDegree;
}

void integratedValues(const insolation::Orbit& orbit, double s0, double latitude, double start, double end,
                      double* out)
{
    const double lambda1 = start * radiansPerDegree;
    const double lambda2 = end * radiansPerDegree;
    const double days = insolation::daysBetween(orbit, lambda1, lambda2);
    const double energy = insolation::energyBetween(orbit, s0, latitude * radiansPerDegree, lambda1, lambda2);
    out[0] = energy / joulesPerGigajoule;
    out[1] = energy / (days * insolation::secondsPerDay);
    out[2] = days;
}

void thresholdValues(const insolation::Orbit& orbit, double s0, double latitude, double threshold, double* out)
{
    const insolation::Exceedance above =
        insolation::aboveThreshold(orbit, s0, latitude * radiansPerDegree, threshold);
    out[0] = above.energy / joulesPerGigajoule;
    out[1] = above.days;
}

void caloricValues(const insolation::Orbit& orbit, double s0, double latitude, double* out)
{
    const insolation::CaloricHalfYears c = insolation::caloricHalfYears(orbit, s0, latitude * radiansPerDegree);
    const double row[caloricValueCount] = {c.summerEnergy / joulesPerGigajoule, c.summerMean,
                                           toDegrees(c.summerStart), toDegrees(c.summerEnd),
                                           c.winterEnergy / joulesPerGigajoule, c.winterMean,
                                           toDegrees(c.summerEnd), toDegrees(c.summerStart)};
    std::copy(row, row + caloricValueCount, out);
}

void monthlyValues(const insolation::Orbit& orbit, double s0, double latitude, insolation::Calendar calendar,
                   double* out)
{
    double starts[insolation::monthCount + 1];
    insolation::monthStartLongitudes(orbit, calendar, starts);
    for (int m = 0; m < insolation::monthCount; ++m)
        out[m] = insolation::meanBetween(orbit, s0, latitude * radiansPerDegree, starts[m], starts[m + 1]);
}

double instantValue(const insolation::Orbit& orbit, double s0, double latitude, double lambda, double hour)
{
    return insolation::instantaneous(s0, latitude * radiansPerDegree, orbit.obliquity, orbit.eccentricity,
                                     orbit.perihelion, lambda, insolation::hourAngleAt(hour));
}

double annualValue(const insolation::Orbit& orbit, double s0, double latitude)
{
    return insolation::annualMean(orbit, s0, latitude * radiansPerDegree);
}

bool solarConstantAllowed(double s0)
{
    return s0 > 0 && s0 <= maxSolarConstant;
}

std::string solarConstantMessage(double s0)
{
    return formatNumber(s0) + " W/m^2 is outside (0, 100000]; the present value is about 1361";
}

std::string outsideSpanMessage(const OrbitSource& source, double kyr)
{
    if (source.solution != nullptr)
        return orbit::outsideSpanMessage(*source.solution, kyr);
    const orbit::Span span = source.span();
    return formatNumber(kyr) + " kyr is outside the span of " + source.name + " ("
           + formatNumber(span.oldest) + " to " + formatNumber(span.newest) + " kyr)";
}

void prepare(Request& request)
{
    std::vector<double> radians;
    for (double latitude : request.latitudes)
        radians.push_back(latitude * radiansPerDegree);
    request.latitudeGrid = insolation::LatitudeGrid(radians);
}

Table describeTable(const Request& request, const OrbitSource& source)
{
    Table table;
    table.title = "paleoviz-insolation " + request.command;
    table.attributes = conventions(request, source);
    table.numbers = {{"solar_constant", request.solarConstant, "W m-2"}};
    table.time = timeAxis(request, source);
    if (request.command != "elements")
        table.latitude = latitudeAxis(request);
    if (request.command == "daily" || request.command == "monthly" || request.command == "instant")
        table.third = thirdAxis(request);
    table.variables = variables(request.command);
    // An eccentricity-only solution gives the first column alone.
    if (request.command == "elements" && source.solution != nullptr &&
        source.solution->available != orbit::Availability::allElements)
        table.variables.resize(1);
    return table;
}

void computeStep(const Request& request, const OrbitSource& source, double kyr,
                 std::vector<std::vector<double>>& values)
{
    if (request.command == "elements") {
        const orbit::Elements e = source.at(kyr);
        const double row[] = {e.eccentricity, e.perihelion, e.obliquity, e.precessionIndex};
        for (size_t k = 0; k < values.size(); ++k)
            values[k][0] = row[k];
        return;
    }
    const insolation::Orbit orbit = orbitAt(source, kyr);
    const double s0 = request.solarConstant;
    if (request.command == "daily") {
        dailyStep(request, orbit, values[0]);
        return;
    }
    const Request& r = request;
    if (r.command == "caloric") {
        latitudeRows(r, values, caloricValueCount,
                     [&](double lat, double* out) { caloricValues(orbit, s0, lat, out); });
    } else if (r.command == "monthly") {
        latitudeRows(r, values, insolation::monthCount, [&](double lat, double* out) {
            monthlyValues(orbit, s0, lat, calendarOf(r.calendar), out);
        });
    } else if (r.command == "instant") {
        const bool byDay = !r.days.empty();
        const double lambda = trueLongitudeOf(orbit, byDay ? r.days[0] : r.longitudes[0], byDay);
        latitudeRows(r, values, r.hours.size(), [&](double lat, double* out) {
            for (size_t j = 0; j < r.hours.size(); ++j)
                out[j] = instantValue(orbit, s0, lat, lambda, r.hours[j]);
        });
    } else if (r.command == "integrated") {
        latitudeRows(r, values, 3, [&](double lat, double* out) {
            integratedValues(orbit, s0, lat, r.start, r.end, out);
        });
    } else if (r.command == "threshold") {
        latitudeRows(r, values, 2,
                     [&](double lat, double* out) { thresholdValues(orbit, s0, lat, r.threshold, out); });
    } else {
        latitudeRows(r, values, 1, [&](double lat, double* out) { out[0] = annualValue(orbit, s0, lat); });
    }
}
