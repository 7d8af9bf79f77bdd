// Local apparent solar time from universal time (UTC) and a geographic
// longitude, through the equation of time of the orbit in use.
//
// Conventions: the Sun's true longitude lambda is in radians from the March
// equinox; the orbit's varpi is heliocentric (insolation::Orbit), so the
// Sun passes perihelion at lambda = varpi + pi. Longitudes are degrees
// east of Greenwich (any finite value; 360 degrees is a whole day). Hours
// are hours of 3,600 s; UTC stands for mean solar time at Greenwich (UT1),
// within about a second.
//
// The equation of time is apparent minus mean solar time: the right
// ascension of the mean Sun (which moves uniformly along the equator, at
// the Sun's mean longitude L = M + varpi + pi, M the mean anomaly) minus the
// true Sun's right ascension alpha = atan2(cos(eps) sin(lambda),
// cos(lambda)), 24 hours a turn. It is exact for the Keplerian orbit of the
// elements: no nutation, aberration or light time (each under a second).
// Today it reaches about -14.2 min in mid-February and +16.4 min in early
// November.
#ifndef PALEOVIZ_INSOLATION_SOLAR_TIME_H
#define PALEOVIZ_INSOLATION_SOLAR_TIME_H

#include "insolation/daily_insolation.h"

namespace insolation {

constexpr double degreesPerHourOfLongitude = 15;  // the Earth turns 360 degrees in 24 hours

// Equation of time in hours, in (-12, 12]: positive when the sundial is
// ahead of the clock.
double equationOfTimeHours(const Orbit& orbit, double trueLongitude);

// Local apparent solar time in hours, [0, 24), at universal time utcHours
// and longitude lonEastDegrees, the Sun at true longitude lambda:
// UTC + lon / 15 + the equation of time, brought into one day.
double localSolarHour(const Orbit& orbit, double trueLongitude, double utcHours, double lonEastDegrees);

}  // namespace insolation

#endif
