#include "commands.h"

#include "globe/math_constants.h"

#include <sstream>

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
    if (!request.days.empty())
        a.push_back({"calendar", "March equinox fixed at day 80.0 of a 365.2422-day year; the mean "
                                 "longitude advances uniformly and the true longitude follows from "
                                 "Kepler's equation"});
    if (request.command == "integrated")
        a.push_back({"interval", "true longitudes " + number(request.start) + " to "
                                     + number(request.end) + " degrees, forward"});
    if (request.command == "threshold")
        a.push_back({"threshold", number(request.threshold) + " W m-2: energy of the part of the "
                                                              "year whose daily mean exceeds it"});
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
                 "GJ m-2", "", Extent::latitude}};
    return {{"insolation", "annual-mean top-of-atmosphere insolation", "W m-2", toa, Extent::latitude}};
}

insolation::Orbit orbitAt(const OrbitSource& source, double kyr)
{
    const orbit::Elements e = source.at(kyr);
    return insolation::Orbit{e.eccentricity, e.perihelion * radiansPerDegree,
                             e.obliquity * radiansPerDegree};
}

void dailyStep(const Request& request, const insolation::Orbit& orbit, std::vector<double>& out)
{
    const bool byDay = !request.days.empty();
    const std::vector<double>& columns = byDay ? request.days : request.longitudes;
    const size_t n = columns.size();
    for (size_t j = 0; j < n; ++j) {
        const double lambda = byDay ? insolation::trueLongitudeOfDay(orbit, columns[j])
                                    : columns[j] * radiansPerDegree;
        const insolation::DayGeometry day = insolation::dayGeometry(orbit, request.solarConstant, lambda);
        request.latitudeGrid.dailyMeans(day, &out[j], n);
    }
}

}  // namespace

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
    if (request.command == "daily")
        table.third = thirdAxis(request);
    table.variables = variables(request.command);
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
    const double lambda1 = request.start * radiansPerDegree;
    const double lambda2 = request.end * radiansPerDegree;
    const double days = insolation::daysBetween(orbit, lambda1, lambda2);
    for (size_t i = 0; i < request.latitudes.size(); ++i) {
        const double phi = request.latitudes[i] * radiansPerDegree;
        if (request.command == "integrated") {
            const double energy = insolation::energyBetween(orbit, s0, phi, lambda1, lambda2);
            values[0][i] = energy / joulesPerGigajoule;
            values[1][i] = energy / (days * insolation::secondsPerDay);
            values[2][0] = days;
        } else if (request.command == "threshold") {
            values[0][i] = insolation::energyAbove(orbit, s0, phi, request.threshold) / joulesPerGigajoule;
        } else {
            values[0][i] = insolation::annualMean(orbit, s0, phi);
        }
    }
}
