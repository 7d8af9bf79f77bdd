#include "insolation/quantities.h"
#include "insolation/latitude_integrals.h"

#include "math/constants.h"
#include "math/number_text.h"

#include <algorithm>
#include <cmath>

using math::formatNumber;
using math::pi;
using math::radiansPerDegree;

namespace insolation {
namespace {

constexpr double joulesPerGigajoule = 1e9;
constexpr double twoPi = 2 * pi;

// Calendar day of mean anomaly m: the equinox's day plus the year's share
// swept since the equinox, wrapped into [0, yearDays).
double dayOfMeanAnomaly(const Orbit& orbit, double m, const DayCalendar& calendar)
{
    const double sinceEquinox = wrapRadians(m - meanAnomalyAt(orbit, 0.0)) / twoPi * calendar.yearDays;
    const double day = std::fmod(calendar.equinoxDay + sinceEquinox, calendar.yearDays);
    return day >= calendar.yearDays ? 0.0 : day;
}

}  // namespace

std::string calendarProblem(const DayCalendar& calendar, const std::string& yearDaysName,
                            const std::string& equinoxDayName)
{
    const auto& allowed = allowedYearDays;
    if (std::find(std::begin(allowed), std::end(allowed), calendar.yearDays) == std::end(allowed))
        return yearDaysName + ": " + formatNumber(calendar.yearDays)
               + " is not a year length of the calendars known (365.2422, 365 or 360 days)";
    if (!(calendar.equinoxDay >= 0 && calendar.equinoxDay < calendar.yearDays))
        return equinoxDayName + ": " + formatNumber(calendar.equinoxDay) + " is outside [0, "
               + formatNumber(calendar.yearDays) + ")";
    return "";
}

Orbit toOrbit(const orbit::Elements& e)
{
    return Orbit{e.eccentricity, e.obliquity * radiansPerDegree, e.perihelion * radiansPerDegree};
}

double toDegrees(double radians)
{
    return radians / radiansPerDegree;
}

double longitudeDegrees(double radians)
{
    const double fullTurnSlack = 1e-9;  // degrees, far below any printed digit
    const double degrees = toDegrees(radians);
    return degrees > 360.0 - fullTurnSlack ? 0.0 : degrees;
}

Calendar monthCalendarNamed(const std::string& name)
{
    return name == "angular" ? Calendar::angular : Calendar::equinox;
}

double trueLongitudeOfDay(const Orbit& orbit, double day, const DayCalendar& calendar)
{
    // The default calendar goes through the library's own function, so
    // that its results stay exactly as they were.
    if (calendar.yearDays == yearDays && calendar.equinoxDay == equinoxDay)
        return trueLongitudeOfDay(orbit, day);
    const double m = meanAnomalyAt(orbit, 0.0) + twoPi * (day - calendar.equinoxDay) / calendar.yearDays;
    return trueLongitudeAt(orbit, m);
}

double calendarDayOf(const Orbit& orbit, double lambdaDegrees, const DayCalendar& calendar)
{
    return dayOfMeanAnomaly(orbit, meanAnomalyAt(orbit, wrapRadians(lambdaDegrees * radiansPerDegree)),
                            calendar);
}

double perihelionDay(const Orbit& orbit, const DayCalendar& calendar)
{
    return calendarDayOf(orbit, toDegrees(orbit.perihelion) + 180.0, calendar);
}

double trueLongitudeOf(const Orbit& orbit, double value, bool byDay, const DayCalendar& calendar)
{
    return byDay ? trueLongitudeOfDay(orbit, value, calendar) : value * radiansPerDegree;
}

double dailyValueOfDay(const Orbit& orbit, double s0, double latitude, double day, const DayCalendar& calendar)
{
    const double phi = latitude * radiansPerDegree;
    const double lambda1 = trueLongitudeOfDay(orbit, day, calendar);
    if (!calendar.dayMean)
        return dailyMean(orbit, s0, phi, lambda1);
    return meanBetween(orbit, s0, phi, lambda1, trueLongitudeOfDay(orbit, day + 1.0, calendar));
}

void integratedValues(const Orbit& orbit, double s0, double latitude, double start, double end, double* out)
{
    const double lambda1 = start * radiansPerDegree;
    const double lambda2 = end * radiansPerDegree;
    const double days = daysBetween(orbit, lambda1, lambda2);
    const double energy = energyBetween(orbit, s0, latitude * radiansPerDegree, lambda1, lambda2);
    out[0] = energy / joulesPerGigajoule;
    out[1] = energy / (days * secondsPerDay);
    out[2] = days;
}

void thresholdValues(const Orbit& orbit, double s0, double latitude, double threshold, double* out)
{
    const Exceedance above = aboveThreshold(orbit, s0, latitude * radiansPerDegree, threshold);
    out[0] = above.energy / joulesPerGigajoule;
    out[1] = above.days;
}

void caloricValues(const Orbit& orbit, double s0, double latitude, double* out)
{
    const CaloricHalfYears c = caloricHalfYears(orbit, s0, latitude * radiansPerDegree);
    const double row[caloricValueCount] = {c.summerEnergy / joulesPerGigajoule, c.summerMean,
                                           toDegrees(c.summerStart), toDegrees(c.summerEnd),
                                           c.winterEnergy / joulesPerGigajoule, c.winterMean,
                                           toDegrees(c.summerEnd), toDegrees(c.summerStart)};
    std::copy(row, row + caloricValueCount, out);
}

void monthlyValues(const Orbit& orbit, double s0, double latitude, Calendar calendar, double* out)
{
    double starts[monthCount + 1];
    monthStartLongitudes(orbit, calendar, starts);
    for (int m = 0; m < monthCount; ++m)
        out[m] = meanBetween(orbit, s0, latitude * radiansPerDegree, starts[m], starts[m + 1]);
}

double instantValue(const Orbit& orbit, double s0, double latitude, double lambda, double hour)
{
    return instantValue(sunAt(orbit, s0, lambda), latitude, hour);
}

SunPosition sunAt(const Orbit& orbit, double s0, double lambda)
{
    return sunPosition(orbit, s0, lambda);
}

double instantValue(const SunPosition& sun, double latitude, double hour)
{
    return instantaneous(sun, latitude * radiansPerDegree, hourAngleAt(hour));
}

double annualValue(const Orbit& orbit, double s0, double latitude)
{
    return annualMean(orbit, s0, latitude * radiansPerDegree);
}

void integratedGrid(const Orbit& orbit, double s0, const LatitudeGrid& grid, double start, double end,
                    double* out, GridScratch& scratch)
{
    const double lambda1 = start * radiansPerDegree;
    const double lambda2 = end * radiansPerDegree;
    const double days = daysBetween(orbit, lambda1, lambda2);
    scratch.energies.resize(grid.size());
    energiesBetween(orbit, s0, grid, lambda1, lambda2, scratch.energies.data(), scratch.row);
    for (size_t k = 0; k < grid.size(); ++k) {
        const double energy = scratch.energies[k];
        out[k * 3] = energy / joulesPerGigajoule;
        out[k * 3 + 1] = energy / (days * secondsPerDay);
        out[k * 3 + 2] = days;
    }
}

void monthlyGrid(const Orbit& orbit, double s0, const LatitudeGrid& grid, Calendar calendar, double* out,
                 GridScratch& scratch)
{
    double starts[monthCount + 1];
    monthStartLongitudes(orbit, calendar, starts);
    scratch.energies.resize(grid.size());
    for (int m = 0; m < monthCount; ++m) {
        energiesBetween(orbit, s0, grid, starts[m], starts[m + 1], scratch.energies.data(), scratch.row);
        // As meanBetween divides.
        const double seconds = daysBetween(orbit, starts[m], starts[m + 1]) * secondsPerDay;
        for (size_t k = 0; k < grid.size(); ++k)
            out[k * monthCount + m] = scratch.energies[k] / seconds;
    }
}

void annualGrid(const Orbit& orbit, double s0, const LatitudeGrid& grid, double* out, GridScratch& scratch)
{
    // As annualMean divides: by the calendar year, equal ends being the whole turn.
    energiesBetween(orbit, s0, grid, 0.0, 0.0, out, scratch.row);
    for (size_t k = 0; k < grid.size(); ++k)
        out[k] /= yearDays * secondsPerDay;
}

}  // namespace insolation
