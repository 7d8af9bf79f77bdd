#include "insolation/quantities.h"
#include "insolation/latitude_integrals.h"

#include "math/constants.h"
#include "math/number_text.h"

#include <algorithm>
#include <cmath>

using math::formatNumber;
using math::pi;
using math::twoPi;
using math::radiansPerDegree;

namespace insolation {
namespace {

constexpr double joulesPerGigajoule = 1e9;

// Calendar day of mean anomaly m: the equinox's day plus the year's share
// swept since the equinox, wrapped into [0, yearDays).
double dayOfMeanAnomaly(const Orbit& orbit, double m, const DayCalendar& calendar)
{
    const double sinceEquinox = wrapRadians(m - meanAnomalyAt(orbit, 0.0)) / twoPi * calendar.yearDays;
    const double day = std::fmod(calendar.equinoxDay + sinceEquinox, calendar.yearDays);
    return day >= calendar.yearDays ? 0.0 : day;
}

std::string equinoxDayProblem(const DayCalendar& calendar, const std::string& equinoxDayName)
{
    if (!(calendar.equinoxDay >= 0 && calendar.equinoxDay < calendar.yearDays))
        return equinoxDayName + ": " + formatNumber(calendar.equinoxDay) + " is outside [0, "
               + formatNumber(calendar.yearDays) + ")";
    return "";
}

}  // namespace

std::string calendarProblem(const DayCalendar& calendar, const std::string& yearDaysName,
                            const std::string& equinoxDayName)
{
    const auto& allowed = allowedYearDays;
    if (std::find(std::begin(allowed), std::end(allowed), calendar.yearDays) == std::end(allowed))
        return yearDaysName + ": " + formatNumber(calendar.yearDays)
               + " is not a year length of the calendars known (365.2422, 365 or 360 days)";
    return equinoxDayProblem(calendar, equinoxDayName);
}

const ModelCalendar* findModelCalendar(const std::string& name)
{
    for (const ModelCalendar& c : modelCalendars)
        if (name == c.name)
            return &c;
    return nullptr;
}

std::string modelCalendarProblem(const std::string& model, const DayCalendar& given,
                                 const std::string& modelName, const std::string& yearDaysName,
                                 const std::string& equinoxDayName)
{
    const ModelCalendar* c = findModelCalendar(model);
    if (c == nullptr) {
        std::string known;
        for (const ModelCalendar& k : modelCalendars)
            known += std::string(known.empty() ? "" : ",") + k.name;
        return modelName + ": " + model + " not in {" + known + "}";
    }
    // The tropical calendar takes the lengths of --year-days; the others
    // have their own, which --year-days may only repeat.
    if (c == &modelCalendars[0])
        return calendarProblem(resolvedCalendar(model, given), yearDaysName, equinoxDayName);
    if (!std::isnan(given.yearDays) && given.yearDays != c->yearDays)
        return yearDaysName + ": " + formatNumber(given.yearDays) + " days contradict " + modelName + " "
               + model + " (" + formatNumber(c->yearDays) + " days)";
    return equinoxDayProblem(resolvedCalendar(model, given), equinoxDayName);
}

DayCalendar resolvedCalendar(const std::string& model, const DayCalendar& given)
{
    const ModelCalendar* named = findModelCalendar(model);
    const ModelCalendar& c = named != nullptr ? *named : modelCalendars[0];
    DayCalendar out = given;
    if (std::isnan(out.yearDays))
        out.yearDays = c.yearDays;
    if (std::isnan(out.equinoxDay))
        out.equinoxDay = c.march21;
    return out;
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

MonthCalendar monthCalendarOf(const std::string& name, double equinoxDay)
{
    if (name == "equinox" || name == "angular")
        return MonthCalendar(monthCalendarNamed(name));
    MonthCalendar months;
    months.model = true;
    months.days = resolvedCalendar(name, DayCalendar{ofModelCalendar, equinoxDay, false});
    return months;
}

void monthStartLongitudes(const Orbit& orbit, const MonthCalendar& months, double* out)
{
    if (!months.model) {
        monthStartLongitudes(orbit, months.kind, out);
        return;
    }
    // Days before each month in a 365-day year; a 366-day year adds 29
    // February, a 360-day year has twelve months of 30 days.
    const int cumulative[monthCount] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const bool leap = months.days.yearDays == 366.0, thirties = months.days.yearDays == 360.0;
    for (int m = 0; m < monthCount; ++m) {
        const int before = thirties ? 30 * m : cumulative[m] + (leap && m >= 2 ? 1 : 0);
        out[m] = trueLongitudeOfDay(orbit, 1.0 + before, months.days);
    }
    out[monthCount] = out[0];
}

void monthlyValues(const Orbit& orbit, double s0, double latitude, const MonthCalendar& months, double* out)
{
    double starts[monthCount + 1];
    monthStartLongitudes(orbit, months, starts);
    for (int m = 0; m < monthCount; ++m)
        out[m] = meanBetween(orbit, s0, latitude * radiansPerDegree, starts[m], starts[m + 1]);
}

void celestialMonthValues(const Orbit& orbit, const DayCalendar& calendar, double* out)
{
    const double arc = 360.0 / monthCount;  // degrees
    for (int m = 0; m < monthCount; ++m) {
        const double start = m * arc, end = (m + 1) * arc;
        out[m] = calendarDayOf(orbit, start, calendar);
        out[monthCount + m] = calendarDayOf(orbit, end, calendar);
        out[2 * monthCount + m] = daysBetween(orbit, start * radiansPerDegree, end * radiansPerDegree)
                                  * (calendar.yearDays / yearDays);
    }
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
    energiesBetween(orbit, s0, grid, lambda1, lambda2, scratch.energies.data());
    for (size_t k = 0; k < grid.size(); ++k) {
        const double energy = scratch.energies[k];
        out[k * 3] = energy / joulesPerGigajoule;
        out[k * 3 + 1] = energy / (days * secondsPerDay);
        out[k * 3 + 2] = days;
    }
}

void monthlyGrid(const Orbit& orbit, double s0, const LatitudeGrid& grid, const MonthCalendar& months,
                 double* out, GridScratch&)
{
    double starts[monthCount + 1];
    monthStartLongitudes(orbit, months, starts);
    energiesOverArcs(orbit, s0, grid, starts, monthCount, out);
    for (int m = 0; m < monthCount; ++m) {
        // As meanBetween divides.
        const double seconds = daysBetween(orbit, starts[m], starts[m + 1]) * secondsPerDay;
        for (size_t k = 0; k < grid.size(); ++k)
            out[k * monthCount + m] /= seconds;
    }
}

void annualGrid(const Orbit& orbit, double s0, const LatitudeGrid& grid, double* out, GridScratch&)
{
    // As annualMean divides: by the calendar year, equal ends being the whole turn.
    energiesBetween(orbit, s0, grid, 0.0, 0.0, out);
    for (size_t k = 0; k < grid.size(); ++k)
        out[k] /= yearDays * secondsPerDay;
}

}  // namespace insolation
