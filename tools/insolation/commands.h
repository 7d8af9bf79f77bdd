// The commands of paleoviz-insolation: the values of one row of the table
// (one time, or one orbit given by hand), computed through the insolation
// library. What the table holds is table::describeTable's.
#ifndef PALEOVIZ_TOOLS_INSOLATION_COMMANDS_H
#define PALEOVIZ_TOOLS_INSOLATION_COMMANDS_H

#include "insolation/request.h"
#include "orbit/orbit_source.h"
#include "table_output.h"

#include <vector>

using insolation::Request;
using orbit::OrbitSource;

// The elements of row `row`: the source's at the row's time, or the orbit
// given by hand. REQUIRES: the source covers the row's time.
orbit::Elements rowElements(const Request& request, const OrbitSource& source, size_t row);

// The values of every variable for elements e, laid out as describeTable
// says (for orbits given by hand, the elements' own columns first).
void computeRow(const Request& request, const orbit::Elements& e, std::vector<std::vector<double>>& values);

#endif
