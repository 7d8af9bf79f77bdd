// The registry's kernels: each quantity's point and latitude-grid
// functions, thin adapters from a Point and Settings to the library
// functions of quantities.h, which hold the physics.
#include "insolation/kernels.h"

#include "insolation/solar_time.h"
#include "math/constants.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

using math::pi;
using math::radiansPerDegree;

namespace insolation {
namespace kernels {
namespace {

double lambdaOf(const Orbit& orbit, const Settings& s, const Point& p)
{
    return trueLongitudeOf(orbit, p.lonOrDay, s.byDay, s.dayCalendar);
}

// The means of cos z = a + b cos h over the hour angle h, with
// a = sin(phi) sin(d) and b = cos(phi) cos(d), cos z > 0 for |h| < h0.
struct ZenithMeans {
    double time;        // of max(0, cos z) over the whole day
    double sunlit;      // of cos z over |h| < h0; NaN in polar night
    double insolation;  // of cos z weighted by cos z; NaN where no light comes
};

ZenithMeans zenithMeans(double sinLat, double cosLat, double sinD, double cosD, double h0, double sinH0)
{
    const double a = sinLat * sinD, b = cosLat * cosD;
    // Half the integrals over [-h0, h0] of cos z and of cos^2 z; the first
    // in the order `daily` sums it, so that the daily mean is S0 (a/r)^2 time.
    // Where the Sun barely rises the two terms of the first almost cancel;
    // no sunlight is negative.
    const double linear = std::max(0.0, dailyCosineSum(sinLat, cosLat, sinD, cosD, h0, sinH0));
    const double square = a * a * h0 + 2 * a * b * sinH0 + b * b * (h0 + sinH0 * std::cos(h0)) / 2;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {linear / pi, h0 > 0 ? linear / h0 : nan, linear > 0 ? square / linear : nan};
}

// The sunset hour angle, radians in [0, pi]. At a pole (cos(phi) exactly 0)
// the horizon is the equator's plane, so the sign of the declination alone
// keeps the Sun up or down all day: tan of the rounded pole is finite, and
// would leave h0 anywhere in [0, pi] for a declination of a rounding error.
double sunsetAt(const LatitudeGeometry& place, double latitude, double declination)
{
    if (place.cosLatitude != 0)
        return sunsetHourAngle(latitude, declination);
    const double tilt = place.sinLatitude * std::sin(declination);
    return tilt > 0 ? pi : tilt < 0 ? 0.0 : pi / 2;
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

// The point's local apparent solar time: its hour itself, or where it is
// universal time at a longitude, that time moved by the longitude and the
// equation of time of the Sun at lambda.
double localHourOf(const Orbit& orbit, const Point& p, double lambda)
{
    return std::isnan(p.lonEast) ? p.hour : localSolarHour(orbit, lambda, p.hour, p.lonEast);
}

void instant(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    const double lambda = lambdaOf(orbit, s, p);
    out[0] = instantValue(orbit, s.solarConstant, p.latitude, lambda, localHourOf(orbit, p, lambda));
}

bool instantLatitudes(const Orbit& orbit, const Settings& s, const Point& p, const LatitudeGrid& grid,
                      double* out, GridScratch&)
{
    // The Sun's place once for the instant, then each latitude of the grid
    // (kept there in radians, +|phi| and -|phi| per entry).
    const double lambda = lambdaOf(orbit, s, p);
    const SunPosition sun = sunAt(orbit, s.solarConstant, lambda);
    const double hourAngle = hourAngleAt(localHourOf(orbit, p, lambda));
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

void geometry(const Orbit& orbit, const Settings& s, const Point& p, double* out)
{
    const double lambda = lambdaOf(orbit, s, p);
    const double d = declination(orbit.obliquity, lambda);
    const double phi = p.latitude * radiansPerDegree;
    // cos(phi) exactly 0 at a pole, as the daily mean takes it.
    const LatitudeGeometry place = latitudeGeometry(phi);
    const double h0 = sunsetAt(place, phi, d);
    const bool polarDay = h0 == pi, polarNight = h0 == 0;
    // sin(pi) would round to 1.2e-16 rather than the 0 of a Sun never setting.
    const double sinH0 = polarDay ? 0.0 : std::sin(h0);
    const double e = orbit.eccentricity;
    const double q = inverseDistance(e, std::cos(trueAnomaly(lambda, orbit.perihelion)), e * e);
    const ZenithMeans z = zenithMeans(place.sinLatitude, place.cosLatitude, std::sin(d), std::cos(d), h0, sinH0);
    const double values[] = {toDegrees(d), 1 / q,    q * q,        hoursPerDay * h0 / pi, z.time,
                             z.sunlit,     z.insolation, polarDay ? 1.0 : 0.0, polarNight ? 1.0 : 0.0};
    std::copy(std::begin(values), std::end(values), out);
}

void celestialMonths(const Orbit& orbit, const Settings& s, const Point&, double* out)
{
    celestialMonthValues(orbit, s.dayCalendar, out);
}

}  // namespace kernels
}  // namespace insolation
