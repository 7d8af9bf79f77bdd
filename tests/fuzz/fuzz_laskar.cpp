// The Laskar-table importer on any text; a table it accepts must format.
#include "orbit_series.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<orbit::Elements> records;
    std::string message;
    const bool accepted = readLaskarTable(in, records, message);
    if (accepted && seriesText(importedTable, records).empty())
        std::abort();
    if (!accepted && message.empty())
        std::abort();
    return 0;
}
