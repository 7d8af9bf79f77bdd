// The values of one row of the tool's table (one time, or one orbit given
// by hand), computed through the kernels of the request's quantity in the
// insolation library's registry. What the table holds is
// table::describeTable's.
#ifndef PALEOVIZ_TOOLS_INSOLATION_COMMANDS_H
#define PALEOVIZ_TOOLS_INSOLATION_COMMANDS_H

#include "insolation/registry.h"
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
// REQUIRES: request.command names a quantity; values sized by the table.
void computeRow(const Request& request, const orbit::Elements& e, std::vector<std::vector<double>>& values);

#endif
