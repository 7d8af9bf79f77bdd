// The tool's output: one row of values per time (or orbit given by hand),
// written as CSV or as CF-convention NetCDF (deflated, in chunks of at
// most a few MB, so memory stays bounded), always to a temporary file that
// replaces the destination only once it is complete. What a table holds is
// described in table/table.h.
#ifndef PALEOVIZ_TOOLS_INSOLATION_TABLE_OUTPUT_H
#define PALEOVIZ_TOOLS_INSOLATION_TABLE_OUTPUT_H

#include "table/table.h"

#include <memory>
#include <string>
#include <vector>

using table::Axis;
using table::Extent;
using table::NumberAttribute;
using table::Table;
using table::Variable;

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
