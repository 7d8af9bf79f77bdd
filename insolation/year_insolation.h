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

// Mean insolation from lambda1 forward to lambda2: energyBetween over the
// duration daysBetween.
double meanBetween(const Orbit& orbit, double solarConstant, double latitude, double lambda1,
                   double lambda2);

// The part of the year in which the daily mean exceeds a threshold: the
// energy received then and its duration in days.
struct Exceedance {
    double energy;
    double days;
};
Exceedance aboveThreshold(const Orbit& orbit, double solarConstant, double latitude, double threshold);
// aboveThreshold(...).energy
double energyAbove(const Orbit& orbit, double solarConstant, double latitude, double threshold);

// Milankovitch's caloric half-years: the caloric summer is the half of the
// tropical year (yearDays / 2 = 182.62 days) in which the daily mean is
// greater than on any day of the other half, the caloric winter. Energies
// and means as above. Where the summer is one arc of the orbit, it runs
// from true longitude summerStart forward to summerEnd (radians in
// [0, 2 pi)) and the winter from summerEnd to summerStart. Where it is not
// (near the equator, where the daily mean peaks twice a year, or where the
// days without sunlight fill more than half of the year), both are NaN.
struct CaloricHalfYears {
    double summerEnergy;
    double summerMean;
    double winterEnergy;
    double winterMean;
    double summerStart;
    double summerEnd;
};
CaloricHalfYears caloricHalfYears(const Orbit& orbit, double solarConstant, double latitude);

// Months, for monthly means. The equinox calendar is the calendar of
// trueLongitudeOfDay: month m (0 January .. 11 December) runs from day
// monthStartDay(m) to monthStartDay(m + 1), the day counts of a 365-day
// year (31, 28, 31, ...) stretched to yearDays, 1 January beginning at day
// 1.0 (so the March equinox, day 80.0, is the start of 21 March). The
// angular calendar has twelve arcs of 30 degrees of true longitude: month m
// runs from lambda = 30 m degrees to 30 (m + 1), month 0 beginning at the
// March equinox.
enum class Calendar { equinox, angular };
constexpr int monthCount = 12;
// m in 0..12; monthStartDay(12) = monthStartDay(0) + yearDays.
double monthStartDay(int month);
// True longitudes of the months' starts, out[0..12] (out[12] = out[0]).
void monthStartLongitudes(const Orbit& orbit, Calendar calendar, double* out);

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
