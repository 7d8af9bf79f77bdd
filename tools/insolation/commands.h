// The five commands of paleoviz-insolation: what each table holds and the
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
    std::string command;             // elements, daily, integrated, threshold or annual
    std::vector<double> times;       // kyr, negative in the past
    std::vector<double> latitudes;   // degrees north, -90..90
    std::vector<double> longitudes;  // daily: true longitudes, degrees
    std::vector<double> days;        // daily: calendar days instead of longitudes
    double start = 0;                // integrated: true longitudes, degrees
    double end = 180;
    double threshold = 275;          // threshold: W/m^2
    double solarConstant = 1365;     // W/m^2
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

#endif
