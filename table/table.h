// The description of a front end's table of results, as CF-convention
// NetCDF and CSV write it and xarray shows it: axes, variables with their
// units and CF names, and global attributes stating every convention. The
// insolation tool writes it; the Python module labels its xarray results
// from the same description, so the two cannot drift apart.
//
// A table has a row axis (time, or the orbits given by hand), an optional
// latitude axis and an optional third axis (true longitude, calendar day,
// month or hour). Each variable spans the rows and either no other axis,
// the latitudes, or the latitudes and the third axis; its values for one
// row are laid out latitude-major.
#ifndef PALEOVIZ_TABLE_TABLE_H
#define PALEOVIZ_TABLE_TABLE_H

#include "insolation/request.h"
#include "orbit/orbit_source.h"

#include <string>
#include <utility>
#include <vector>

namespace table {

struct Axis {
    std::string name;          // NetCDF name and CSV column stem
    std::string longName;
    std::string units;         // UDUNITS spelling
    std::string standardName;  // CF standard name, may be empty
    std::string csvLabel;      // prefix of a value in CSV column names
    std::string cfAxis;        // "T", "Y" or empty
    std::vector<double> values;
    // CF calendar of a day axis counted in a model calendar ("noleap",
    // "360_day", ...); empty for the tropical year, which CF does not name.
    std::string calendar{};
};

enum class Extent { time, latitude, grid };

struct Variable {
    std::string name;
    std::string longName;
    std::string units;
    std::string standardName;
    Extent extent;
    bool nanWhereUndefined = false;  // NaN is a value, stated in the header
};

// A global attribute that is a number: a number attribute with a companion
// NAME_units in NetCDF, "NAME: VALUE UNITS" in CSV.
struct NumberAttribute {
    std::string name;
    double value;
    std::string units;
};

struct Table {
    std::string title;
    // Global attributes; also the CSV "#" header lines.
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<NumberAttribute> numbers;
    Axis time;
    Axis latitude;  // empty values: no latitude axis
    Axis third;     // empty values: no third axis
    std::vector<Variable> variables;

    size_t count(Extent extent) const;
    // Values of all variables at one time.
    double valuesPerStep() const;
    // At most how many bytes the CSV of the whole table takes, wide (one
    // row per time) or long (one row per time and point).
    double csvBytes(bool longForm) const;
};

// Why the table is too large to write, or "": a CSV beyond maxCsvBytes, a
// NetCDF file beyond maxNetcdfValues, or one time step beyond what memory
// allows. The message gives the size and a suggestion.
constexpr double maxCsvBytes = 1e10;
constexpr double maxNetcdfValues = 1e10;
std::string sizeProblem(const Table& table, bool netcdf, bool longForm);


// Axes, variables and the conventions of the request's table.
Table describeTable(const insolation::Request& request, const orbit::OrbitSource& source);

}  // namespace table

#endif
