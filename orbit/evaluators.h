// The evaluators behind the registry's entries, one per solution. Each
// REQUIRES a time inside its solution's span; elementsAt checks that.
#ifndef PALEOVIZ_ORBIT_EVALUATORS_H
#define PALEOVIZ_ORBIT_EVALUATORS_H

#include "orbit/orbital_elements.h"
#include "orbit/published_tables.h"

namespace orbit {

Elements la2004Elements(double kyr);
// Record index (0: the oldest) of the La2004 table, exactly as published.
Elements la2004RecordElements(int index);
Elements la2004FitElements(double kyr);
Elements berger1978Elements(double kyr);
// A published table's solution (loaded on first use).
Elements publishedElements(TableId id, double kyr);
template <TableId id>
Elements tableElements(double kyr)
{
    return publishedElements(id, kyr);
}

}  // namespace orbit

#endif
