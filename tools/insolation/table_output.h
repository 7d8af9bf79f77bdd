// The tool's output: one step of values per time, written as CSV or as
// CF-convention NetCDF (deflated, in chunks of at most a few MB, so memory
// stays bounded), always to a temporary file that replaces the destination
// only once it is complete.
//
// A table has a time axis, an optional latitude axis and an optional third
// axis (true longitude or calendar day). Each variable spans time and
// either no other axis, the latitudes, or the latitudes and the third axis;
// its values for one time are laid out latitude-major.
#ifndef PALEOVIZ_TOOLS_INSOLATION_TABLE_OUTPUT_H
#define PALEOVIZ_TOOLS_INSOLATION_TABLE_OUTPUT_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

struct Axis {
    std::string name;          // NetCDF name and CSV column stem
    std::string longName;
    std::string units;         // UDUNITS spelling
    std::string standardName;  // CF standard name, may be empty
    std::string csvLabel;      // prefix of a value in CSV column names
    std::string cfAxis;        // "T", "Y" or empty
    std::vector<double> values;
};

enum class Extent { time, latitude, grid };

struct Variable {
    std::string name;
    std::string longName;
    std::string units;
    std::string standardName;
    Extent extent;
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

class TableWriter {
public:
    virtual ~TableWriter() = default;
    // Writes the header. False with a message on failure.
    virtual bool begin(const Table& table, std::string& error) = 0;
    // Values of step t, one vector per variable.
    virtual bool write(size_t t, const std::vector<std::vector<double>>& values, std::string& error) = 0;
    // Completes the file and moves it to its destination.
    virtual bool finish(std::string& error) = 0;
};

// A writer for path ("" or "-" is standard output, CSV only), in format
// "csv" or "netcdf", through an AtomicOutput (files/atomic_output.h). The
// temporary file is created at once: a null result comes with a message
// when it cannot be. An unfinished writer removes it. Header texts are
// escaped (a newline in a file name is written \n). longForm: one row per
// time, latitude and longitude or day instead of one per time.
std::unique_ptr<TableWriter> makeCsvWriter(const std::string& path, bool longForm, std::string& error);
std::unique_ptr<TableWriter> makeNetcdfWriter(const std::string& path, std::string& error);

#endif
