// The registry's kernels: each quantity's point and latitude-grid
// functions, thin adapters from a Point and Settings to the library
// functions of quantities.h, which hold the physics.
#include "insolation/kernels.h"

#include "math/constants.h"

#include <cmath>

using math::pi;
using math::radiansPerDegree;

namespace insolation {
namespace kernels {
namespace {

double lambdaOf(const Orbit& orbit, const Settings& s, const Point& p)
{
    return trueLongitudeOf(orbit, p.lonOrDay, s.byDay, s.dayCalendar);
}

}  // namespace

void daily(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    if (s.byDay && s.dayCalendar.dayMean) {
        out[0] = dailyValueOfDay(orbit, s.solarConstant, p.latitude, p.lonOrDay, s.dayCalendar);
        return;
    }
    out[0] = LatitudeGrid::dailyMeanAt(dayGeometry(orbit, s.solarConstant, lambdaOf(orbit, s, p)),
                                       p.latitude * radiansPerDegree);
}

bool dailyLatitudes(const Orbit& orbit, const Settings& s, const Point& p, const LatitudeGrid& grid,
                    double* out, GridScratch&)
{
    // The mean over a whole day is an integral at each latitude.
    if (s.byDay && s.dayCalendar.dayMean)
        return false;
    grid.dailyMeans(dayGeometry(orbit, s.solarConstant, lambdaOf(orbit, s, p)), out);
    return true;
}

void integrated(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    integratedValues(orbit, s.solarConstant, p.latitude, p.start, p.end, out);
}

bool integratedLatitudes(const Orbit& orbit, const Settings& s, const Point& p, const LatitudeGrid& grid,
                         double* out, GridScratch& scratch)
{
    integratedGrid(orbit, s.solarConstant, grid, p.start, p.end, out, scratch);
    return true;
}

void threshold(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    thresholdValues(orbit, s.solarConstant, p.latitude, p.threshold, out);
}

void caloric(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    caloricValues(orbit, s.solarConstant, p.latitude, out);
}

void monthly(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    monthlyValues(orbit, s.solarConstant, p.latitude, s.monthCalendar, out);
}

bool monthlyLatitudes(const Orbit& orbit, const Settings& s, const Point&, const LatitudeGrid& grid,
                      double* out, GridScratch& scratch)
{
    monthlyGrid(orbit, s.solarConstant, grid, s.monthCalendar, out, scratch);
    return true;
}

void instant(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    out[0] = instantValue(orbit, s.solarConstant, p.latitude, lambdaOf(orbit, s, p), p.hour);
}

bool instantLatitudes(const Orbit& orbit, const Settings& s, const Point& p, const LatitudeGrid& grid,
                      double* out, GridScratch&)
{
    // The Sun's place once for the instant, then each latitude of the grid
    // (kept there in radians, +|phi| and -|phi| per entry).
    const SunPosition sun = sunAt(orbit, s.solarConstant, lambdaOf(orbit, s, p));
    const double hourAngle = hourAngleAt(p.hour);
    for (size_t j = 0; j < grid.absLatitude.size(); ++j) {
        if (grid.north[j] != LatitudeGrid::none)
            out[grid.north[j]] = instantaneous(sun, grid.absLatitude[j], hourAngle);
        if (grid.south[j] != LatitudeGrid::none)
            out[grid.south[j]] = instantaneous(sun, -grid.absLatitude[j], hourAngle);
    }
    return true;
}

void annual(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    out[0] = annualValue(orbit, s.solarConstant, p.latitude);
}

bool annualLatitudes(const Orbit& orbit, const Settings& s, const Point&, const LatitudeGrid& grid,
                     double* out, GridScratch& scratch)
{
    annualGrid(orbit, s.solarConstant, grid, out, scratch);
    return true;
}

void calendar(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    out[0] = perihelionDay(orbit, s.dayCalendar);
    out[1] = s.byDay ? longitudeDegrees(trueLongitudeOfDay(orbit, p.lonOrDay, s.dayCalendar))
                     : calendarDayOf(orbit, p.lonOrDay, s.dayCalendar);
}

void distance(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    const double e = orbit.eccentricity;
    const double v = trueAnomaly(lambdaOf(orbit, s, p), orbit.perihelion);
    out[0] = 1 / inverseDistance(e, std::cos(v), e * e);
}

}  // namespace kernels
}  // namespace insolation
