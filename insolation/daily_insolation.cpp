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

double dailyMean(double solarConstant, double latitude, double obliquity, double eccentricity,
                 double perihelion, double trueLongitude)
{
    const double d = declination(obliquity, trueLongitude);
    const double h0 = sunsetHourAngle(latitude, d);
    const double v = trueAnomaly(trueLongitude, perihelion);
    const double q = inverseDistance(eccentricity, std::cos(v), eccentricity * eccentricity);
    const double sum = dailyCosineSum(std::sin(latitude), std::cos(latitude), std::sin(d),
                                      std::cos(d), h0, std::sin(h0));
    return solarConstant / pi * q * q * sum;
}

double hourAngleAt(double hours)
{
    return (hours - 12.0) * (pi / 12.0);
}

double instantaneous(double solarConstant, double latitude, double obliquity, double eccentricity,
                     double perihelion, double trueLongitude, double hourAngle)
{
    const double d = declination(obliquity, trueLongitude);
    const double v = trueAnomaly(trueLongitude, perihelion);
    const double q = inverseDistance(eccentricity, std::cos(v), eccentricity * eccentricity);
    const double cosZenith = std::sin(latitude) * std::sin(d)
                             + std::cos(latitude) * std::cos(d) * std::cos(hourAngle);
    return cosZenith > 0 ? solarConstant * q * q * cosZenith : 0.0;
}

}  // namespace insolation
