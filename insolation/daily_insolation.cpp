#include "insolation/daily_insolation.h"

#include "math/constants.h"

#include <cmath>

using math::pi;

namespace insolation {

double declination(double obliquity, double trueLongitude)
{
    return std::asin(std::sin(obliquity) * std::sin(trueLongitude));
}

double sunsetHourAngle(double latitude, double declination)
{
    return std::acos(cosSunsetHourAngle(std::tan(latitude), std::tan(declination)));
}

double trueAnomaly(double trueLongitude, double perihelion)
{
    return trueLongitude - perihelion - pi;
}

double dailyMean(const Orbit& orbit, double solarConstant, double latitude, double trueLongitude)
{
    const double e = orbit.eccentricity;
    const double d = declination(orbit.obliquity, trueLongitude);
    const double h0 = sunsetHourAngle(latitude, d);
    const double v = trueAnomaly(trueLongitude, orbit.perihelion);
    const double q = inverseDistance(e, std::cos(v), e * e);
    const double sum = dailyCosineSum(std::sin(latitude), std::cos(latitude), std::sin(d),
                                      std::cos(d), h0, std::sin(h0));
    return solarConstant / pi * q * q * sum;
}

double hourAngleAt(double hours)
{
    return (hours - 12.0) * (pi / 12.0);
}

double instantaneous(const Orbit& orbit, double solarConstant, double latitude, double trueLongitude,
                     double hourAngle)
{
    return instantaneous(sunPosition(orbit, solarConstant, trueLongitude), latitude, hourAngle);
}

SunPosition sunPosition(const Orbit& orbit, double solarConstant, double trueLongitude)
{
    const double e = orbit.eccentricity;
    const double d = declination(orbit.obliquity, trueLongitude);
    const double v = trueAnomaly(trueLongitude, orbit.perihelion);
    const double q = inverseDistance(e, std::cos(v), e * e);
    return SunPosition{std::sin(d), std::cos(d), solarConstant * q * q};
}

double instantaneous(const SunPosition& sun, double latitude, double hourAngle)
{
    const double cosZenith = std::sin(latitude) * sun.sinDeclination
                             + std::cos(latitude) * sun.cosDeclination * std::cos(hourAngle);
    return cosZenith > 0 ? sun.flux * cosZenith : 0.0;
}

}  // namespace insolation
