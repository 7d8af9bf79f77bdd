#include "insolation/solar_time.h"

#include "insolation/year_insolation.h"

#include <cmath>

namespace insolation {
namespace {

constexpr double hoursPerTurn = 24;

// An angle in radians brought into (-pi, pi].
double centred(double angle)
{
    const double wrapped = wrapRadians(angle);
    return wrapped > math::pi ? wrapped - 2 * math::pi : wrapped;
}

}  // namespace

double equationOfTimeHours(const Orbit& orbit, double trueLongitude)
{
    const double meanLongitude = meanAnomalyAt(orbit, trueLongitude) + orbit.perihelion + math::pi;
    const double rightAscension =
        std::atan2(std::cos(orbit.obliquity) * std::sin(trueLongitude), std::cos(trueLongitude));
    return centred(meanLongitude - rightAscension) * hoursPerTurn / (2 * math::pi);
}

double localSolarHour(const Orbit& orbit, double trueLongitude, double utcHours, double lonEastDegrees)
{
    const double hours =
        utcHours + lonEastDegrees / degreesPerHourOfLongitude + equationOfTimeHours(orbit, trueLongitude);
    const double inDay = std::fmod(hours, hoursPerTurn);
    return inDay < 0 ? inDay + hoursPerTurn : inDay;
}

}  // namespace insolation
