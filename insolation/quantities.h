// The quantities the front ends compute per latitude, in the units they
// print (energies in GJ/m^2, means in W/m^2, durations in days of 86,400 s,
// longitudes and latitudes in degrees), and the calendar that turns days
// into true longitudes. The insolation tool and the Python module both
// compute through these, so they give the same numbers the same way.
//
// Calendar: a year of yearDays calendar days (365.2422, 366, 365 or 360) is
// one tropical year, so a day is 1/yearDays of it whatever its length; the
// March equinox falls at the instant equinoxDay (80.0 by default, 21 March
// 00:00 when 1 January is day 1.0; 80.5 is also common). The Sun's mean
// longitude advances uniformly through the year and its true longitude
// follows from Kepler's equation. A calendar day d is the instant d, or
// with dayMean the whole day [d, d + 1).
#ifndef PALEOVIZ_INSOLATION_QUANTITIES_H
#define PALEOVIZ_INSOLATION_QUANTITIES_H

#include "insolation/daily_grid.h"
#include "insolation/year_insolation.h"
#include "orbit/elements.h"

#include <limits>
#include <string>
#include <vector>

namespace insolation {

struct DayCalendar {
    double yearDays = insolation::yearDays;
    double equinoxDay = insolation::equinoxDay;
    bool dayMean = false;
};

// The year lengths a calendar may be given (--year-days); a model calendar
// may also have 366 days.
constexpr double allowedYearDays[] = {365.2422, 365.0, 360.0};
// "" or what is wrong: a year length not in allowedYearDays, an equinox
// day outside [0, yearDays). Names are the front end's ("--year-days").
std::string calendarProblem(const DayCalendar& calendar, const std::string& yearDaysName,
                            const std::string& equinoxDayName);

// Model calendars by their CF names: the year length and the day number of
// 21 March 00:00 when 1 January 00:00 is day 1.0, the default instant of
// the March equinox. "tropical", the default, is the 365.2422-day year of
// the library; it takes any year length given (--year-days), the others
// have their own. A day is always 1/yearDays of the tropical year.
struct ModelCalendar {
    const char* name;
    double yearDays;
    double march21;
};
constexpr ModelCalendar modelCalendars[] = {
    {"tropical", 365.2422, 80.0}, {"noleap", 365.0, 80.0},   {"365_day", 365.0, 80.0},
    {"360_day", 360.0, 81.0},     {"all_leap", 366.0, 81.0}, {"366_day", 366.0, 81.0},
};
// The calendar named `name`, or nullptr.
const ModelCalendar* findModelCalendar(const std::string& name);
// A DayCalendar member left to the model calendar: the year length of the
// calendar, or 21 March 00:00 of it.
constexpr double ofModelCalendar = std::numeric_limits<double>::quiet_NaN();
// "" or why the model calendar `model` and the values given in `given`
// (either member ofModelCalendar) do not make one calendar: an unknown
// name, a year length other than the calendar's, or a faulty calendar
// (calendarProblem). Names are the front end's.
std::string modelCalendarProblem(const std::string& model, const DayCalendar& given,
                                 const std::string& modelName, const std::string& yearDaysName,
                                 const std::string& equinoxDayName);
// The calendar they make: the members left to the model calendar filled
// in; an unknown name is "tropical".
DayCalendar resolvedCalendar(const std::string& model, const DayCalendar& given);

// The library's orbit from the elements (angles to radians).
Orbit toOrbit(const orbit::Elements& elements);
double toDegrees(double radians);
// A true longitude given in radians [0, 2 pi), in degrees [0, 360): a
// longitude a rounding error short of a full turn is the turn's start, so
// that the equinox prints as 0 and not as 360.
double longitudeDegrees(double radians);
// The month calendar named "equinox" or "angular". REQUIRES: one of those
// (requestProblem refuses any other name before a front end asks).
Calendar monthCalendarNamed(const std::string& name);

// The months of monthly means: Calendar::equinox or Calendar::angular, or,
// where `model`, the twelve months of a model calendar of days.yearDays
// days (31, 28, 31, ... days in 365, 31, 29, ... in 366, twelve of 30 in
// 360), 1 January beginning at day 1.0 and the March equinox at the instant
// days.equinoxDay; each month runs from 00:00 of its first day to 00:00 of
// the next month's first day.
struct MonthCalendar {
    // Implicit, so that a Calendar stands for its months where these are taken.
    MonthCalendar(Calendar kind = Calendar::equinox) : kind(kind) {}
    Calendar kind;
    bool model = false;
    DayCalendar days;
};
// The months named `name`: "equinox", "angular" or a model calendar other
// than "tropical", with its March equinox at equinoxDay (ofModelCalendar:
// 21 March 00:00). REQUIRES: a name of those.
MonthCalendar monthCalendarOf(const std::string& name, double equinoxDay);
// True longitudes (radians) of the months' starts, out[0..12], out[12] = out[0].
void monthStartLongitudes(const Orbit& orbit, const MonthCalendar& months, double* out);

// True longitude (radians, [0, 2 pi)) at the instant `day` of the calendar.
double trueLongitudeOfDay(const Orbit& orbit, double day, const DayCalendar& calendar);
// The calendar day in [0, yearDays) when the Sun is at true longitude
// lambdaDegrees.
double calendarDayOf(const Orbit& orbit, double lambdaDegrees, const DayCalendar& calendar);
// The calendar day in [0, yearDays) of perihelion (true longitude
// varpi + 180 degrees).
double perihelionDay(const Orbit& orbit, const DayCalendar& calendar);

// lambda (radians) of a true longitude in degrees, or of a calendar day
// when byDay.
double trueLongitudeOf(const Orbit& orbit, double value, bool byDay, const DayCalendar& calendar);
// Daily-mean insolation at latitude (degrees) on calendar day `day`: at its
// instant, or averaged over [day, day + 1) when calendar.dayMean.
double dailyValueOfDay(const Orbit& orbit, double s0, double latitude, double day,
                       const DayCalendar& calendar);

constexpr int caloricValueCount = 8;
void integratedValues(const Orbit& orbit, double s0, double latitude, double start, double end,
                      double* out);  // energy, mean, duration
void thresholdValues(const Orbit& orbit, double s0, double latitude, double threshold,
                     double* out);  // energy, duration
// summer energy, mean, start, end, then the same of the winter.
void caloricValues(const Orbit& orbit, double s0, double latitude, double* out);
void monthlyValues(const Orbit& orbit, double s0, double latitude, const MonthCalendar& months,
                   double* out);  // 12 means
// The celestial months, twelve arcs of 30 degrees of true longitude from
// the March equinox: out[m] the calendar day when the Sun enters arc m,
// out[12 + m] the day it leaves it, out[24 + m] the arc's length in days of
// the calendar (1/yearDays of the tropical year; the twelve sum to
// yearDays), m = 0 .. 11.
constexpr int celestialMonthValueCount = 3 * monthCount;
void celestialMonthValues(const Orbit& orbit, const DayCalendar& calendar, double* out);
double instantValue(const Orbit& orbit, double s0, double latitude, double lambda, double hour);
// The same with the Sun's position at lambda worked out once (sunAt), for
// many latitudes and hours of one instant.
SunPosition sunAt(const Orbit& orbit, double s0, double lambda);
double instantValue(const SunPosition& sun, double latitude, double hour);
double annualValue(const Orbit& orbit, double s0, double latitude);

// integratedValues, monthlyValues and annualValue at every latitude of a
// grid at once (energiesBetween in latitude_integrals.h): latitude k's
// values go to out[k * n + v], n being 3, monthCount and 1. The same values
// to about 1e-12 relatively, many times faster for a row of latitudes.
// `scratch` is working space, resized as needed, so that a caller looping
// over times allocates once.
// REQUIRES: out holds grid.size() * n values.
struct GridScratch {
    std::vector<double> row;
    std::vector<double> energies;
};
void integratedGrid(const Orbit& orbit, double s0, const LatitudeGrid& grid, double start, double end,
                    double* out, GridScratch& scratch);
void monthlyGrid(const Orbit& orbit, double s0, const LatitudeGrid& grid, const MonthCalendar& months,
                 double* out, GridScratch& scratch);
void annualGrid(const Orbit& orbit, double s0, const LatitudeGrid& grid, double* out, GridScratch& scratch);

}  // namespace insolation

#endif
