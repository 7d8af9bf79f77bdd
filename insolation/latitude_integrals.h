// Energies received over arcs of the orbit at every latitude of a grid at
// once: the quadrature of arc_integrals.h, with the nodes of all latitudes
// and arcs evaluated together in the grid kernel's vector lanes. Each
// latitude's values are those of energyBetween.
#ifndef PALEOVIZ_INSOLATION_LATITUDE_INTEGRALS_H
#define PALEOVIZ_INSOLATION_LATITUDE_INTEGRALS_H

#include "insolation/daily_grid.h"
#include "insolation/year_insolation.h"

namespace insolation {

// out[k * arcs + m] = energyBetween(orbit, solarConstant, latitude k of
// the grid, starts[m], starts[m + 1]) in J/m^2, for m < arcs (equal ends:
// the whole year).
// REQUIRES: starts holds arcs + 1 longitudes (radians); out holds
// grid.size() * arcs values.
void energiesOverArcs(const Orbit& orbit, double solarConstant, const LatitudeGrid& grid, const double* starts,
                      int arcs, double* out);

// One arc: out[k] = energyBetween(..., lambda1, lambda2).
void energiesBetween(const Orbit& orbit, double solarConstant, const LatitudeGrid& grid, double lambda1,
                     double lambda2, double* out);

}  // namespace insolation

#endif
