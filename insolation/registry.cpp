// The rows of the registry of quantities (registry.h): one per quantity,
// in the order of the tool's help. Adding a quantity is a kernel in
// kernels.cpp and a row here.
#include "insolation/registry.h"

#include "insolation/kernels.h"

#include <sstream>

namespace insolation {
namespace {

namespace a = arguments;
using Attributes = std::vector<std::pair<std::string, std::string>>;

const char* const toa = "toa_incoming_shortwave_flux";

std::string number(double x)
{
    std::ostringstream out;
    out << x;
    return out.str();
}

// The arguments most quantities share, with their help on the command line.
const ArgumentUse latitudes{&a::latitude, ArgumentShape::list,
                            "latitudes in degrees north, -90..90; numbers or ranges, e.g. 65 or -90:90:1", true};
const ArgumentUse solarConstant{&a::solarConstant, ArgumentShape::number,
                                "S0 in W/m^2, above 0 and at most 100000"};
const ArgumentUse yearDays{&a::yearDays, ArgumentShape::number,
                           "days of the calendar's year, 365.2422, 365 or 360 (default the model calendar's); "
                           "a day is always 1/year-days of the tropical year"};
const ArgumentUse modelCalendar{&a::modelCalendar, ArgumentShape::choice,
                                "the model calendar counting the days (CF names): tropical, 365.2422 days (or "
                                "--year-days); noleap or 365_day, 365; 360_day, 360; all_leap or 366_day, 366",
                                false, nullptr, {"tropical", "noleap", "365_day", "360_day", "all_leap", "366_day"}};
const ArgumentUse equinoxDay{&a::equinoxDay, ArgumentShape::number,
                             "calendar day of the March equinox (default 21 March 00:00 of the model calendar "
                             "when 1 January is day 1: 80, or 81 in 360_day and all_leap; 80.5 is also common)"};
const ArgumentUse monthEquinoxDay{&a::equinoxDay, ArgumentShape::number,
                                  "with a model calendar's months: calendar day of the March equinox (default "
                                  "21 March 00:00: 80, or 81 in 360_day and all_leap)"};

Attributes instantAttributes(const Request& r)
{
    return {{"instant",
             "insolation on a horizontal surface at the top of the atmosphere at one moment, "
             "I = S0 (a/r)^2 max(0, sin(lat) sin(dec) + cos(lat) cos(dec) cos(h)), h the hour "
             "angle; the Sun is held at the day's true longitude "
                 + (r.days.empty() ? number(r.longitudes[0]) + " degrees" : "on day " + number(r.days[0]))
                 + " for the whole day, so the average over the day is the daily mean"}};
}

Attributes caloricAttributes(const Request&)
{
    return {{"caloric_half_year",
             "Milankovitch's caloric summer: the half of the tropical year (182.6211 days) "
             "whose days have greater daily-mean insolation than any day of the other half, "
             "the caloric winter; start and end are the true longitudes where the summer "
             "begins and ends, NaN where it is not one arc (near the equator, where the "
             "daily mean peaks twice a year)"}};
}

Attributes monthlyAttributes(const Request& r)
{
    if (findModelCalendar(r.calendar) != nullptr) {
        const DayCalendar c = requestCalendar(r);
        return {{"months", r.calendar + " calendar: the twelve months of a " + number(c.yearDays)
                               + "-day year, 1 January beginning at day 1.0 and the March equinox at day "
                               + number(c.equinoxDay) + ", each day 1/" + number(c.yearDays)
                               + " of the tropical year; means over each month's duration, from 00:00 of "
                                 "its first day to 00:00 of the next month's first day"}};
    }
    return {{"months", r.calendar == "angular"
                           ? "angular calendar: twelve arcs of 30 degrees of true longitude, "
                             "month 1 from 0 to 30 degrees (beginning at the March equinox); "
                             "means over each arc's duration (Kepler's second law)"
                           : "equinox calendar: the day counts of a 365-day year (31, 28, "
                             "31, ...) stretched to 365.2422 days, 1 January beginning at "
                             "day 1.0 and the March equinox at day 80.0 (21 March 00:00); "
                             "means over each month's duration"}};
}

Attributes integratedAttributes(const Request& r)
{
    return {{"interval", "true longitudes " + number(r.start) + " to " + number(r.end) + " degrees, forward"}};
}

Attributes thresholdAttributes(const Request& r)
{
    return {{"threshold",
             number(r.threshold) + " W m-2: energy and duration of the part of the year whose daily mean exceeds it"}};
}

Attributes distanceAttributes(const Request&)
{
    return {{"distance", "Earth-Sun distance r in astronomical units (the orbit's semi-major axis a = 1), "
                         "r = (1 - e^2) / (1 + e cos(v)), v = lambda - varpi - 180 degrees the true anomaly"}};
}

Attributes geometryAttributes(const Request&)
{
    return {{"geometry",
             "the Sun held at the day's true longitude lambda for the whole day: declination "
             "d = asin(sin(eps) sin(lambda)); distance r / a = (1 - e^2) / (1 + e cos(v)), v = lambda - "
             "varpi - 180 degrees; irradiance_factor (a/r)^2; day_length_h = 24 h0 / pi, h0 the sunset hour "
             "angle (0 in polar night, pi in polar day); with cos z = sin(lat) sin(d) + cos(lat) cos(d) cos(h), "
             "coszen_time is the mean of max(0, cos z) over the 24 hours, coszen_sunlit the mean of cos z over "
             "the sunlit hours |h| < h0, and coszen_insolation the integral of cos^2 z over the integral of "
             "cos z there, the mean weighted by insolation (coszen_sunlit NaN in polar night, coszen_insolation NaN "
             "where no sunlight comes)"},
            {"daily_mean",
             "each weighting gives the daily-mean insolation of `daily` once its irradiance factor is "
             "rescaled by the fraction of the day it stands for: S0 * irradiance_factor * coszen_time = "
             "S0 * irradiance_factor * (h0 / pi) * coszen_sunlit = S0 * irradiance_factor * "
             "(coszen_time / coszen_insolation) * coszen_insolation"}};
}

Attributes celestialAttributes(const Request&)
{
    return {{"celestial_months",
             "month m (1 .. 12) is the arc of true longitude from 30 (m - 1) to 30 m degrees, month 1 "
             "beginning at the March equinox; start_day and end_day are the calendar days when the Sun "
             "enters and leaves it, length_days its duration in days of the calendar (Kepler's second law), "
             "the twelve summing to the calendar's year"}};
}

// clang-format off
Quantity elementsRow()
{
    return {"elements", "e, varpi (degrees from the moving equinox), obliquity, e sin(varpi)",
            "paleoviz-insolation elements --time -800:0:1",
            {},
            {{"eccentricity", "eccentricity of the Earth's orbit", "1", "", Extent::row},
             {"perihelion", "longitude of perihelion varpi from the moving equinox", "degree", "", Extent::row},
             {"obliquity", "obliquity of the ecliptic", "degree", "", Extent::row},
             {"precession_index", "precession index e sin(varpi)", "1", "", Extent::row}},
            {"elements"}, AxisKind::none, AxisKind::none};
}

Quantity dailyRow()
{
    return {"daily",
            "daily-mean insolation (W/m^2) at true solar longitudes (0 March equinox, 90 June solstice) or calendar days",
            "paleoviz-insolation daily --time -1000:0:1 --lat 65 --lon 90 -o june65N.csv",
            {latitudes, solarConstant,
             {&a::longitude, ArgumentShape::list, "true solar longitudes in degrees, 0..360; numbers or ranges, e.g. 0:359:1",
              false, &a::day},
             {&a::day, ArgumentShape::list,
              "calendar days 0..year-days of a year of --year-days days with the March equinox on day "
              "--equinox-day (default 365.2422 and 80; true longitude by Kepler's equation)"},
             yearDays, modelCalendar, equinoxDay,
             {&a::dayMean, ArgumentShape::flag, "with --day: the mean over the whole day [d, d+1) instead of the instant d"},
             {&a::date, ArgumentShape::dates,
              "ISO 8601 dates in UTC (proleptic Gregorian), e.g. 2020-06-21T12:00 or 2020-06-21T00:00,2020-06-21T"
              "12:00, all of one day: the calendar days (day of the year + hour/24) and, unless --time or "
              "--elements is given, the time of the orbit"}},
            {{"insolation", "daily-mean top-of-atmosphere insolation", "W m-2", toa, Extent::grid}},
            {"daily_insolation"}, AxisKind::latitude, AxisKind::longitudeOrDay, 1,
            kernels::daily, kernels::dailyLatitudes};
}

Quantity integratedRow()
{
    return {"integrated", "energy (GJ/m^2) between two true longitudes and its mean (W/m^2) over that duration",
            "paleoviz-insolation integrated --time -1000:0:1 --lat 65 --start 0 --end 180",
            {latitudes, solarConstant,
             {&a::start, ArgumentShape::number, "first true longitude, degrees"},
             {&a::end, ArgumentShape::number, "last true longitude, degrees (forward from --start)"}},
            {{"energy", "top-of-atmosphere energy received over the interval", "GJ m-2", "", Extent::first},
             {"mean_insolation", "mean insolation over the interval's duration", "W m-2", toa, Extent::first},
             {"duration", "duration of the interval", "day", "", Extent::row}},
            {"integrated_insolation"}, AxisKind::latitude, AxisKind::none, 1,
            kernels::integrated, kernels::integratedLatitudes, integratedAttributes};
}

Quantity thresholdRow()
{
    return {"threshold",
            "energy (GJ/m^2) and duration (days) of the part of the year whose daily mean exceeds a threshold",
            "paleoviz-insolation threshold --time -1000:0:1 --lat 65 --threshold 275",
            {latitudes, solarConstant, {&a::threshold, ArgumentShape::number, "threshold in W/m^2"}},
            {{"energy", "energy of the days whose daily-mean insolation exceeds the threshold", "GJ m-2", "",
              Extent::first},
             {"duration", "days whose daily-mean insolation exceeds the threshold", "day", "", Extent::first}},
            {"threshold_energy"}, AxisKind::latitude, AxisKind::none, 1, kernels::threshold, nullptr,
            thresholdAttributes};
}

Quantity caloricRow()
{
    return {"caloric",
            "Milankovitch's caloric summer and winter half-years: the 182.62 days (half the tropical year) "
            "whose daily means are greater than on any day of the other half, and the other half; energy "
            "(GJ/m^2), mean (W/m^2), and the true longitudes (degrees) where each begins and ends (NaN "
            "where the summer is not one arc, near the equator)",
            "paleoviz-insolation caloric --time -1000:0:1 --lat 65",
            {latitudes, solarConstant},
            {{"summer_energy", "energy of the caloric summer half-year", "GJ m-2", "", Extent::first},
             {"summer_mean", "mean insolation of the caloric summer half-year", "W m-2", toa, Extent::first},
             {"summer_start", "true longitude where the caloric summer begins", "degree", "", Extent::first, true},
             {"summer_end", "true longitude where the caloric summer ends", "degree", "", Extent::first, true},
             {"winter_energy", "energy of the caloric winter half-year", "GJ m-2", "", Extent::first},
             {"winter_mean", "mean insolation of the caloric winter half-year", "W m-2", toa, Extent::first},
             {"winter_start", "true longitude where the caloric winter begins", "degree", "", Extent::first, true},
             {"winter_end", "true longitude where the caloric winter ends", "degree", "", Extent::first, true}},
            {"caloric_half_year"}, AxisKind::latitude, AxisKind::none, 1, kernels::caloric, nullptr,
            caloricAttributes};
}

Quantity monthlyRow()
{
    return {"monthly", "monthly-mean insolation (W/m^2) over the 12 months of a calendar",
            "paleoviz-insolation monthly --time -21,0 --lat 65 --calendar angular",
            {latitudes, solarConstant,
             {&a::monthCalendar, ArgumentShape::choice,
              "equinox: calendar months of a 365.2422-day year with the March equinox on day 80 (day counts "
              "31, 28, 31, ... stretched to the tropical year); angular: 12 arcs of 30 degrees of true "
              "longitude, month 1 beginning at the March equinox; or the months of a model calendar (CF "
              "names): noleap or 365_day (31, 28, 31, ... days), all_leap or 366_day (31, 29, ...), 360_day "
              "(twelve of 30), a day 1/year-length of the tropical year",
              false, nullptr, {"equinox", "angular", "noleap", "365_day", "360_day", "all_leap", "366_day"}},
             monthEquinoxDay},
            {{"insolation", "monthly-mean top-of-atmosphere insolation", "W m-2", toa, Extent::grid}},
            {"monthly_insolation"}, AxisKind::latitude, AxisKind::month, monthCount,
            kernels::monthly, kernels::monthlyLatitudes, monthlyAttributes};
}

Quantity instantRow()
{
    return {"instant",
            "instantaneous insolation (W/m^2) on a horizontal surface at one true longitude or calendar day "
            "and local solar times, I = S0 (a/r)^2 max(0, cos(zenith)), the Sun held at that day's place",
            "paleoviz-insolation instant --time 0 --lat 65 --lon 90 --hour 0:24:1",
            {latitudes, solarConstant,
             {&a::longitude, ArgumentShape::one, "one true solar longitude in degrees", false, &a::day},
             {&a::day, ArgumentShape::one,
              "one calendar day of a year of --year-days days with the March equinox on day --equinox-day"},
             yearDays, modelCalendar, equinoxDay,
             {&a::hour, ArgumentShape::list,
              "local apparent solar times in hours, 0..24, 12 at noon; numbers or ranges, e.g. 0:24:0.5", true},
             {&a::lonEast, ArgumentShape::number,
              "degrees east of Greenwich, -180..360: --hour is then universal time (UTC), local apparent solar "
              "time being UTC + lon-east/15 h + the equation of time of the orbit"},
             {&a::date, ArgumentShape::dates,
              "ISO 8601 dates in UTC (proleptic Gregorian), e.g. 2020-06-21T12:00 or 2020-06-21T06:00,2020-06-21T"
              "18:00, all of one day: the calendar day, --hour in UTC (with --lon-east) and, unless --time or "
              "--elements is given, the time of the orbit"}},
            {{"insolation", "instantaneous top-of-atmosphere insolation on a horizontal surface", "W m-2", toa,
              Extent::grid}},
            {"instant_insolation"}, AxisKind::latitude, AxisKind::hour, 1, kernels::instant,
            kernels::instantLatitudes, instantAttributes};
}

Quantity annualRow()
{
    return {"annual", "annual-mean insolation (W/m^2)", "paleoviz-insolation annual --time 0 --lat -90:90:5",
            {latitudes, solarConstant},
            {{"insolation", "annual-mean top-of-atmosphere insolation", "W m-2", toa, Extent::first}},
            {"annual_insolation"}, AxisKind::latitude, AxisKind::none, 1, kernels::annual, kernels::annualLatitudes};
}

Quantity calendarRow()
{
    return {"calendar",
            "calendar conversions: the true longitude (degrees) of calendar days (--day), or the calendar "
            "day of true longitudes (--lon), and the calendar day of perihelion",
            "paleoviz-insolation calendar --time -21,0 --day 80,172 --year-days 365",
            {{&a::longitude, ArgumentShape::list, "true solar longitudes in degrees, 0..360", false, &a::day},
             {&a::day, ArgumentShape::list, "calendar days 0..year-days"},
             yearDays, modelCalendar, equinoxDay},
            {{"perihelion_day", "calendar day of perihelion (true longitude varpi + 180 degrees)", "day", "",
              Extent::row},
             {"calendar_day", "calendar day when the Sun reaches the true longitude", "day", "", Extent::first}},
            {"true_longitude", "calendar_day", "perihelion_day"}, AxisKind::longitudeOrDay, AxisKind::none, 1,
            kernels::calendar, nullptr, nullptr,
            {{"perihelion_day", "calendar day of perihelion (true longitude varpi + 180 degrees)", "day", "",
              Extent::row},
             {"true_longitude", "true solar longitude from the March equinox at the day", "degree", "",
              Extent::first}}};
}

// The Earth-Sun distance: the first quantity added through the registry
// alone.
Quantity distanceRow()
{
    return {"distance",
            "Earth-Sun distance (astronomical units) at true solar longitudes or calendar days",
            "paleoviz-insolation distance --time -21,0 --lon 0:270:90",
            {{&a::longitude, ArgumentShape::list, "true solar longitudes in degrees, 0..360; numbers or ranges",
              false, &a::day},
             {&a::day, ArgumentShape::list, "calendar days 0..year-days of a year of --year-days days"},
             yearDays, modelCalendar, equinoxDay},
            {{"distance", "Earth-Sun distance", "au", "", Extent::first}},
            {"earth_sun_distance"}, AxisKind::longitudeOrDay, AxisKind::none, 1, kernels::distance, nullptr,
            distanceAttributes};
}

Quantity geometryRow()
{
    return {"geometry",
            "solar geometry of the day: declination, Earth-Sun distance, day length and daily-mean cosine of "
            "the solar zenith angle, at latitudes and true solar longitudes or calendar days",
            "paleoviz-insolation geometry --time -21,0 --lat -90:90:30 --lon 0:270:90",
            {latitudes,
             {&a::longitude, ArgumentShape::list, "true solar longitudes in degrees, 0..360; numbers or ranges",
              false, &a::day},
             {&a::day, ArgumentShape::list,
              "calendar days 0..year-days of a year of --year-days days with the March equinox on day --equinox-day"},
             yearDays, modelCalendar, equinoxDay},
            {{"declination_deg", "declination of the Sun", "degree", "", Extent::grid},
             {"distance_au", "Earth-Sun distance", "au", "", Extent::grid},
             {"irradiance_factor", "irradiance factor (a/r)^2, the square of the inverse distance", "1", "",
              Extent::grid},
             {"day_length_h", "length of the day from sunrise to sunset", "hour", "", Extent::grid},
             {"coszen_time", "daily mean of max(0, cosine of the solar zenith angle) over 24 hours", "1", "",
              Extent::grid},
             {"coszen_sunlit", "mean cosine of the solar zenith angle over the sunlit hours", "1", "",
              Extent::grid, true},
             {"coszen_insolation", "insolation-weighted daily mean cosine of the solar zenith angle", "1", "",
              Extent::grid, true},
             {"polar_day", "1 where the Sun does not set, else 0", "1", "", Extent::grid},
             {"polar_night", "1 where the Sun does not rise, else 0", "1", "", Extent::grid}},
            {"solar_geometry"}, AxisKind::latitude, AxisKind::longitudeOrDay, 1, kernels::geometry, nullptr,
            geometryAttributes};
}

Quantity celestialMonthsRow()
{
    return {"celestial-months",
            "celestial months: the 12 arcs of 30 degrees of true longitude from the March equinox, each one's "
            "first and last calendar day and its length in days",
            "paleoviz-insolation celestial-months --time -21,0 --model-calendar noleap",
            {yearDays, modelCalendar, equinoxDay},
            {{"start_day", "calendar day when the Sun enters the month's arc", "day", "", Extent::first},
             {"end_day", "calendar day when the Sun leaves the month's arc", "day", "", Extent::first},
             {"length_days", "length of the month in days of the calendar", "day", "", Extent::first}},
            {"celestial_months"}, AxisKind::month, AxisKind::none, monthCount, kernels::celestialMonths, nullptr,
            celestialAttributes};
}
// clang-format on

const std::vector<Quantity> registry = {elementsRow(),  dailyRow(),    integratedRow(), thresholdRow(),
                                        caloricRow(),   monthlyRow(),  instantRow(),    annualRow(),
                                        calendarRow(),  distanceRow(), geometryRow(),   celestialMonthsRow()};

}  // namespace

Settings settingsOf(const Request& request)
{
    Settings s;
    s.solarConstant = request.solarConstant;
    s.dayCalendar = requestCalendar(request);
    s.byDay = !request.days.empty();
    s.monthCalendar = monthCalendarOf(request.calendar, request.dayCalendar.equinoxDay);
    return s;
}

const ArgumentUse* Quantity::use(const char* argumentName) const
{
    for (const ArgumentUse& u : arguments)
        if (std::string(u.info->name) == argumentName)
            return &u;
    return nullptr;
}

const std::vector<Quantity>& quantities()
{
    return registry;
}

const Quantity* findQuantity(const std::string& name)
{
    for (const Quantity& q : registry)
        if (name == q.name)
            return &q;
    return nullptr;
}

std::string quantityNames()
{
    std::string names;
    for (size_t k = 0; k < registry.size(); ++k)
        names += std::string(k == 0 ? "" : k + 1 == registry.size() ? " or " : ", ") + registry[k].name;
    return names;
}

}  // namespace insolation
