// Daily-mean top-of-atmosphere insolation at one latitude on one day of the
// orbit, as a few pure functions that callers combine.
//
//   declination          sin d = sin eps sin lambda
//   sunset hour angle    h0 = acos(-tan phi tan d), 0 in polar night, pi in polar day
//   inverse distance     a / r = (1 + e cos v) / (1 - e^2)
//   daily mean           Q = (S0 / pi) (a / r)^2 (h0 sin phi sin d + cos phi cos d sin h0)
//
// Angles are radians. lambda is the Sun's true longitude from the March
// equinox (0 March equinox, pi/2 June solstice). varpi is the longitude of
// perihelion from the moving equinox in the heliocentric frame (about 103
// degrees today): the Sun passes perihelion at lambda = varpi + pi, so the
// true anomaly is v = lambda - varpi - pi. S0 is in W/m^2 and so is Q.
#ifndef PALEOVIZ_INSOLATION_DAILY_INSOLATION_H
#define PALEOVIZ_INSOLATION_DAILY_INSOLATION_H

namespace insolation {

// The radians form of orbit::Elements, which insolation::toOrbit makes;
// fields in the same order.
struct Orbit {
    double eccentricity;  // 0 <= e < 1
    double obliquity;     // radians
    double perihelion;    // varpi, radians from the moving equinox, heliocentric
};

// Declination of the Sun, radians in [-eps, eps].
double declination(double obliquity, double trueLongitude);

// cos h0 = -tan(phi) tan(d) clamped to [-1, 1]: 1 when the Sun stays down
// all day, -1 when it stays up. A NaN stays NaN.
inline double cosSunsetHourAngle(double tanLatitude, double tanDeclination)
{
    const double c = -tanLatitude * tanDeclination;
    return c >= 1.0 ? 1.0 : (c <= -1.0 ? -1.0 : c);
}

// Hour angle of sunset, radians in [0, pi]: 0 in polar night, pi in polar day.
double sunsetHourAngle(double latitude, double declination);

// v = lambda - varpi - pi, radians.
double trueAnomaly(double trueLongitude, double perihelion);

// a / r from e, cos v and e^2. The square is passed in so that a caller
// holding e in lower precision can form it there; e < 1.
inline double inverseDistance(double eccentricity, double cosTrueAnomaly, double eccentricitySquared)
{
    return (1 + eccentricity * cosTrueAnomaly) / (1.0 - eccentricitySquared);
}

// h0 sin phi sin d + cos phi cos d sin h0, evaluated in exactly this order:
// pi times the daily-mean cosine of the solar zenith angle. sinH0 is passed
// in so that callers may round h0 or take sin h0 from cos h0.
inline double dailyCosineSum(double sinLatitude, double cosLatitude, double sinDeclination,
                             double cosDeclination, double h0, double sinH0)
{
    return cosDeclination * cosLatitude * sinH0 + sinDeclination * sinLatitude * h0;
}

// Q in the units of solarConstant; latitude in [-pi/2, pi/2].
double dailyMean(const Orbit& orbit, double solarConstant, double latitude, double trueLongitude);

// Hour angle h in radians at local apparent solar time `hours` (0 to 24,
// 12 at noon, when the Sun crosses the meridian): h = (hours - 12) pi / 12.
double hourAngleAt(double hours);

// Instantaneous insolation on a horizontal surface at the top of the
// atmosphere, in the units of solarConstant:
//   I = S0 (a / r)^2 max(0, sin phi sin d + cos phi cos d cos h)
// with the Sun held at true longitude lambda for the whole day (its
// declination and distance change little in a day), so that the average of
// I over the hour angle is dailyMean.
double instantaneous(const Orbit& orbit, double solarConstant, double latitude, double trueLongitude,
                     double hourAngle);

// The same in two steps, for callers that evaluate one instant at many
// latitudes and hours: the Sun's declination and distance once, then each
// place and hour. Gives exactly the values instantaneous gives.
struct SunPosition {
    double sinDeclination;
    double cosDeclination;
    double flux;  // solarConstant (a / r)^2
};
SunPosition sunPosition(const Orbit& orbit, double solarConstant, double trueLongitude);
double instantaneous(const SunPosition& sun, double latitude, double hourAngle);

}  // namespace insolation

#endif
