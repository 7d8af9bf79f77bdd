// Energy received between two true longitudes at every latitude of a grid
// at once. The same composite Simpson rule as energyBetween (the same nodes,
// at most longitudeStep apart), but each node's declination and distance are
// computed once for all latitudes and the cosine sums come from the grid
// kernel's vector path: per latitude and node a few vector lanes instead of
// six calls to the maths library. Agrees with energyBetween to about 1e-12
// relatively.
#ifndef PALEOVIZ_INSOLATION_LATITUDE_INTEGRALS_H
#define PALEOVIZ_INSOLATION_LATITUDE_INTEGRALS_H

#include "insolation/daily_grid.h"
#include "insolation/year_insolation.h"

#include <vector>

namespace insolation {

// out[k] = energyBetween(orbit, solarConstant, latitude k of the grid,
// lambda1, lambda2) in J/m^2 (equal ends: the whole year). `row` is scratch
// space, resized as needed, so that a caller looping over times allocates once.
// REQUIRES: out holds grid.size() values.
void energiesBetween(const Orbit& orbit, double solarConstant, const LatitudeGrid& grid, double lambda1,
                     double lambda2, double* out, std::vector<double>& row);

}  // namespace insolation

#endif
