// The kernels of the registry's rows (registry.h): one point, and where a
// quantity has one, every latitude of a grid at once. Only registry.cpp
// names them; front ends reach them through the rows.
#ifndef PALEOVIZ_INSOLATION_KERNELS_H
#define PALEOVIZ_INSOLATION_KERNELS_H

#include "insolation/registry.h"

namespace insolation {
namespace kernels {

void daily(const Orbit& orbit, const Settings& s, const Point& p, double* out);
bool dailyLatitudes(const Orbit& orbit, const Settings& s, const Point& p, const LatitudeGrid& grid,
                    double* out, GridScratch& scratch);
void integrated(const Orbit& orbit, const Settings& s, const Point& p, double* out);
bool integratedLatitudes(const Orbit& orbit, const Settings& s, const Point& p, const LatitudeGrid& grid,
                         double* out, GridScratch& scratch);
void threshold(const Orbit& orbit, const Settings& s, const Point& p, double* out);
void caloric(const Orbit& orbit, const Settings& s, const Point& p, double* out);
void monthly(const Orbit& orbit, const Settings& s, const Point& p, double* out);
bool monthlyLatitudes(const Orbit& orbit, const Settings& s, const Point& p, const LatitudeGrid& grid,
                      double* out, GridScratch& scratch);
// At local apparent solar time p.hour, or with p.lonEast at universal time
// p.hour there (solar_time.h).
double localHourOf(const Orbit& orbit, const Point& p, double lambda);
void instant(const Orbit& orbit, const Settings& s, const Point& p, double* out);
bool instantLatitudes(const Orbit& orbit, const Settings& s, const Point& p, const LatitudeGrid& grid,
                      double* out, GridScratch& scratch);
void annual(const Orbit& orbit, const Settings& s, const Point& p, double* out);
bool annualLatitudes(const Orbit& orbit, const Settings& s, const Point& p, const LatitudeGrid& grid,
                     double* out, GridScratch& scratch);
// perihelion day, then the true longitude of a day or the day of a longitude.
void calendar(const Orbit& orbit, const Settings& s, const Point& p, double* out);
// The Earth-Sun distance r in astronomical units (semi-major axes):
// r / a = (1 - e^2) / (1 + e cos v).
void distance(const Orbit& orbit, const Settings& s, const Point& p, double* out);
// The Sun's geometry on the day at the latitude, nine values: declination
// (degrees), distance r / a, irradiance factor (a / r)^2, day length
// (hours, 0..24), the daily means of cos(zenith) weighted by time over 24 h,
// over the sunlit hours (NaN in polar night) and by insolation (NaN where
// no sunlight comes), then 1 or 0 for polar day and for polar night.
// S0 (a / r)^2 times the time-weighted mean is the daily mean of `daily`.
void geometry(const Orbit& orbit, const Settings& s, const Point& p, double* out);
// The celestial months' start days, end days and lengths (celestialMonthValues).
void celestialMonths(const Orbit& orbit, const Settings& s, const Point& p, double* out);

}  // namespace kernels
}  // namespace insolation

#endif
