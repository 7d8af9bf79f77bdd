// Insolation over the year for one orbit: the Sun's place on calendar days,
// durations between true longitudes, and energies received, in double.
//
// Conventions: angles are radians; the year is the tropical year of
// yearDays days; the Sun's mean longitude advances uniformly in time and
// its true longitude follows from Kepler's equation. Calendar days are real
// numbers with the March equinox fixed at day equinoxDay. Energies are in
// J/m^2 and means in W/m^2 when the solar constant is in W/m^2.
#ifndef PALEOVIZ_INSOLATION_YEAR_INSOLATION_H
#define PALEOVIZ_INSOLATION_YEAR_INSOLATION_H

#include "math/constants.h"
#include "insolation/daily_insolation.h"

#include <cmath>

namespace insolation {

constexpr double yearDays = 365.2422;
constexpr double equinoxDay = 80.0;
constexpr double secondsPerDay = 86400.0;
// Largest step of true longitude in the integrals over the year: 0.1 degree.
constexpr double longitudeStep = math::pi / 1800.0;

struct Orbit {
    double eccentricity;  // 0 <= e < 1
    double perihelion;    // varpi, radians from the moving equinox, heliocentric
    double obliquity;     // radians
};

// Brings an angle in radians into [0, 2 pi).
double wrapRadians(double angle);

// Mean anomaly in [0, 2 pi) at true longitude lambda, and back.
double meanAnomalyAt(const Orbit& orbit, double trueLongitude);
double trueLongitudeAt(const Orbit& orbit, double meanAnomaly);

// True longitude in [0, 2 pi) on calendar day `day` (real, any value).
double trueLongitudeOfDay(const Orbit& orbit, double day);

// Forward arc from lambda1 to lambda2 in (0, 2 pi]: equal ends mean a year.
double forwardArc(double lambda1, double lambda2);

// Days the Sun takes from lambda1 forward to lambda2 (Kepler's second law).
double daysBetween(const Orbit& orbit, double lambda1, double lambda2);

// Energy received at a latitude from lambda1 forward to lambda2.
double energyBetween(const Orbit& orbit, double solarConstant, double latitude, double lambda1,
                     double lambda2);

// Energy of the part of the year in which the daily mean exceeds threshold.
double energyAbove(const Orbit& orbit, double solarConstant, double latitude, double threshold);

// Annual-mean insolation at a latitude.
double annualMean(const Orbit& orbit, double solarConstant, double latitude);

// One day's quantities shared by every latitude, for grids of daily means
// (LatitudeGrid in daily_grid.h).
struct DayGeometry {
    double sinDeclination;
    double cosDeclination;
    double tanDeclination;
    double scale;  // S0 / pi * (a / r)^2
};
struct LatitudeGeometry {
    double sinLatitude;
    double cosLatitude;
    double tanLatitude;
};
DayGeometry dayGeometry(const Orbit& orbit, double solarConstant, double trueLongitude);
LatitudeGeometry latitudeGeometry(double latitude);

}  // namespace insolation

#endif
