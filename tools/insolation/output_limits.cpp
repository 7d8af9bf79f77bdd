// How large a table is before any of it is computed.
#include "table_output.h"

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// "%.10g" of a negative number with a three-digit exponent, and its comma.
constexpr double csvFieldBytes = 18;
constexpr double columnNameBytes = 48;
constexpr double bytesPerValue = sizeof(double);
// A time step's values, a copy on their way to the file, and room for the
// rest of the program.
constexpr double stepCopies = 2;
constexpr double memoryShare = 0.5;

double memoryAllowed()
{
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    double bytes = pages > 0 && pageSize > 0 ? double(pages) * double(pageSize) : 1e18;
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit;
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            bytes = std::min(bytes, double(limit.rlim_cur));
    }
    return bytes * memoryShare;
}

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
    const double memory = memoryAllowed();
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
