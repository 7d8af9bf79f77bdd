// The commands of paleoviz-insolation: what each table holds and the
// values of one time step, computed through the insolation library.
#ifndef PALEOVIZ_TOOLS_INSOLATION_COMMANDS_H
#define PALEOVIZ_TOOLS_INSOLATION_COMMANDS_H

#include "insolation/daily_grid.h"
#include "insolation/year_insolation.h"
#include "orbit_source.h"
#include "table_output.h"

#include <string>
#include <vector>

struct Request {
    std::string command;  // elements, daily, integrated, threshold, caloric, monthly, instant or annual
    std::vector<double> times;       // kyr, negative in the past
    std::vector<double> latitudes;   // degrees north, -90..90
    std::vector<double> longitudes;  // daily, instant: true longitudes, degrees
    std::vector<double> days;        // daily, instant: calendar days instead of longitudes
    std::vector<double> hours;       // instant: local solar times, hours
    double start = 0;                // integrated: true longitudes, degrees
    double end = 180;
    double threshold = 275;          // threshold: W/m^2
    double solarConstant = 1365;     // W/m^2
    std::string calendar = "equinox";  // monthly: equinox or angular
    // Filled by prepare() from latitudes.
    insolation::LatitudeGrid latitudeGrid;
};

// Computes what every time step shares. REQUIRES: latitudes final.
void prepare(Request& request);

// Axes, variables and the conventions of the request's table.
Table describeTable(const Request& request, const OrbitSource& source);

// The values of every variable at time kyr, laid out as describeTable says.
// REQUIRES: source.covers(kyr).
void computeStep(const Request& request, const OrbitSource& source, double kyr,
                 std::vector<std::vector<double>>& values);

// The library's orbit from the elements (angles to radians).
insolation::Orbit toOrbit(const orbit::Elements& elements);
double toDegrees(double radians);
// "equinox" or "angular".
insolation::Calendar calendarOf(const std::string& name);

// The values of one latitude (degrees) for the commands that compute per
// latitude, in the order of their variables (energies in GJ/m^2, means in
// W/m^2, durations in days, longitudes in degrees), so that the tool and
// the Python module compute the same numbers the same way.
constexpr int caloricValueCount = 8;
// lambda of a true longitude in degrees, or of a calendar day when byDay.
double trueLongitudeOf(const insolation::Orbit& orbit, double value, bool byDay);
void integratedValues(const insolation::Orbit& orbit, double s0, double latitude, double start, double end,
                      double* out);  // energy, mean, duration
void thresholdValues(const insolation::Orbit& orbit, double s0, double latitude, double threshold,
                     double* out);  // energy, duration
void caloricValues(const insolation::Orbit& orbit, double s0, double latitude, double* out);
void monthlyValues(const insolation::Orbit& orbit, double s0, double latitude, insolation::Calendar calendar,
                   double* out);  // 12 means
double instantValue(const insolation::Orbit& orbit, double s0, double latitude, double lambda, double hour);
double annualValue(const insolation::Orbit& orbit, double s0, double latitude);

// Limits of the request's values, for the tool's checks and the Python
// module's: true longitudes and calendar days lie within one turn, one year.
constexpr double maxSolarConstant = 1e5;  // W/m^2
constexpr double degreesPerTurn = 360;
constexpr double daysPerYear = 365.2422;
bool solarConstantAllowed(double s0);
// "-5 W/m^2 is outside (0, 100000]; ..."
std::string solarConstantMessage(double s0);

// The message for a time outside the source's span: "-9000 kyr is outside
// the span of ...".
std::string outsideSpanMessage(const OrbitSource& source, double kyr);

#endif
