// The Python module's insolation functions beside the daily means: the
// integrals over the year (integrated, monthly, annual), threshold
// energies, caloric half-years, instantaneous insolation and the calendar
// conversions, each through the same library function as the tool's
// command (insolation/quantities.h). The integrals over the year take the
// grid kernel's path with a latitude axis, every latitude at once, as the
// tool computes them (to about 1e-12 relatively of the one-latitude
// integral used element by element otherwise).
#include "binding.h"
#include "compute.h"

#include "insolation/request.h"
#include "math/constants.h"

#include <limits>

namespace pymodule {

namespace {

using namespace insolation;

py::object integratedInsolation(const py::object& time, const py::object& lat, const py::object& start,
                                const py::object& end, const std::string& orbit, double s0)
{
    checkSolarConstant(s0);
    const Argument phi = argument(arguments::latitude, lat), a = argument(arguments::start, start),
                   b = argument(arguments::end, end);
    checkValues(phi, arguments::latitude);
    // Within one turn, as longitudes are everywhere else.
    checkValues(a, arguments::start);
    checkValues(b, arguments::end);
    const OrbitRows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi, &a, &b};
    auto out = latitudeWise(rows, args, 3, 1, [&](const Orbit& o, const double* x, const LatitudeGrid& grid,
                                                  double* row, GridScratch& scratch) {
        integratedGrid(o, s0, grid, x[2], x[3], row, scratch);
    });
    if (out.empty())
        out = elementwise(rows, args, 3, 1, 1, [&](const Orbit& o, const double* x, double* const* at) {
            double row[3];
            integratedValues(o, s0, x[1], x[2], x[3], row);
            for (int k = 0; k < 3; ++k)
                *at[k] = row[k];
        });
    return tupleOf(out, allScalars(args));
}

py::object thresholdEnergy(const py::object& time, const py::object& lat, const py::object& threshold,
                           const std::string& orbit, double s0)
{
    checkSolarConstant(s0);
    const Argument phi = argument(arguments::latitude, lat), tau = argument(arguments::threshold, threshold);
    checkValues(phi, arguments::latitude);
    checkValues(tau, arguments::threshold);
    const OrbitRows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi, &tau};
    const auto out = elementwise(rows, args, 2, 1, 1, [&](const Orbit& o, const double* x, double* const* at) {
        double row[2];
        thresholdValues(o, s0, x[1], x[2], row);
        *at[0] = row[0];
        *at[1] = row[1];
    });
    return tupleOf(out, allScalars(args));
}

py::dict caloricHalfYear(const py::object& time, const py::object& lat, const std::string& orbit, double s0)
{
    checkSolarConstant(s0);
    const Argument phi = argument(arguments::latitude, lat);
    checkValues(phi, arguments::latitude);
    const OrbitRows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi};
    const auto out = elementwise(rows, args, caloricValueCount, 1, 1,
                                 [&](const Orbit& o, const double* x, double* const* at) {
                                     double row[caloricValueCount];
                                     caloricValues(o, s0, x[1], row);
                                     for (int k = 0; k < caloricValueCount; ++k)
                                         *at[k] = row[k];
                                 });
    const char* names[caloricValueCount] = {"summer_energy", "summer_mean", "summer_start", "summer_end",
                                            "winter_energy", "winter_mean", "winter_start", "winter_end"};
    py::dict d;
    for (int k = 0; k < caloricValueCount; ++k)
        d[names[k]] = result(out[k], allScalars(args));
    return d;
}

// A month calendar among those the monthly means take; a model calendar's
// with its March equinox at equinoxDay (NaN: 21 March 00:00).
MonthCalendar calendarNamed(const std::string& name, double equinoxDay)
{
    checkChoice(*findQuantity("monthly")->use(arguments::monthCalendar.name), name);
    raiseIf(monthEquinoxProblem(name, equinoxDay, pythonNames));
    if (findModelCalendar(name) != nullptr)
        raiseIf(modelCalendarProblem(name, DayCalendar{ofModelCalendar, equinoxDay, false}, pythonNames.calendar,
                                     pythonNames.yearDays, pythonNames.equinoxDay));
    return monthCalendarOf(name, equinoxDay);
}

py::object monthlyInsolation(const py::object& time, const py::object& lat, const std::string& calendar,
                             const std::string& orbit, double s0, double equinoxDay)
{
    const MonthCalendar c = calendarNamed(calendar, equinoxDay);
    checkSolarConstant(s0);
    const Argument phi = argument(arguments::latitude, lat);
    checkValues(phi, arguments::latitude);
    const OrbitRows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi};
    auto out = latitudeWise(rows, args, 1, monthCount,
                            [&](const Orbit& o, const double*, const LatitudeGrid& grid, double* row,
                                GridScratch& scratch) { monthlyGrid(o, s0, grid, c, row, scratch); });
    if (out.empty())
        out = elementwise(rows, args, 1, monthCount, 1, [&](const Orbit& o, const double* x, double* const* at) {
            monthlyValues(o, s0, x[1], c, at[0]);
        });
    return std::move(out[0]);
}

py::object instantInsolation(const py::object& time, const py::object& lat, const py::object& lon,
                             const py::object& hour, const py::object& day, const std::string& orbit, double s0,
                             double yearDays, double equinoxDay, const std::string& modelCalendar,
                             const py::object& lonEast)
{
    const bool byDay = !firstOfTwo("instant_insolation", arguments::longitude, lon, arguments::day, day);
    const ArgumentInfo& thirdSpec = byDay ? arguments::day : arguments::longitude;
    if (hour.is_none())
        throw py::value_error("instant_insolation needs " + valuesNamed(arguments::hour));
    checkSolarConstant(s0);
    const DayCalendar calendar = dayCalendarOf(yearDays, equinoxDay, false, modelCalendar);
    const Argument phi = argument(arguments::latitude, lat), third = argument(thirdSpec, byDay ? day : lon),
                   h = argument(arguments::hour, hour);
    checkValues(phi, arguments::latitude);
    checkValues(third, thirdSpec, calendar);
    checkValues(h, arguments::hour);
    // Without a longitude east the hours are local solar time: NaN there.
    const bool utc = !lonEast.is_none();
    const Argument east = argument(arguments::lonEast, utc ? lonEast : py::object(py::float_(std::numeric_limits<double>::quiet_NaN())));
    if (utc)
        checkValues(east, arguments::lonEast);
    const OrbitRows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi, &third, &h, &east};
    // With a latitude axis, the registry row's kernel places the Sun once
    // per instant for every latitude, to the same values.
    Settings settings;
    settings.solarConstant = s0;
    settings.dayCalendar = calendar;
    settings.byDay = byDay;
    const LatitudeKernel latitudes = findQuantity("instant")->latitudes;
    auto out = latitudeWise(rows, args, 1, 1, [&](const Orbit& o, const double* x, const LatitudeGrid& grid,
                                                double* row, GridScratch& scratch) {
        Point p;
        p.lonOrDay = x[2];
        p.hour = x[3];
        p.lonEast = x[4];
        latitudes(o, settings, p, grid, row, scratch);
    });
    const PointKernel point = findQuantity("instant")->point;
    if (out.empty())
        out = elementwise(rows, args, 1, 1, 1024, [&](const Orbit& o, const double* x, double* const* at) {
            Point p;
            p.latitude = x[1];
            p.lonOrDay = x[2];
            p.hour = x[3];
            p.lonEast = x[4];
            point(o, settings, p, at[0]);
        });
    return result(out[0], allScalars(args));
}

py::object annualInsolation(const py::object& time, const py::object& lat, const std::string& orbit, double s0)
{
    checkSolarConstant(s0);
    const Argument phi = argument(arguments::latitude, lat);
    checkValues(phi, arguments::latitude);
    const OrbitRows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi};
    auto out = latitudeWise(rows, args, 1, 1, [&](const Orbit& o, const double*, const LatitudeGrid& grid,
                                                double* row, GridScratch& scratch) {
        annualGrid(o, s0, grid, row, scratch);
    });
    if (out.empty())
        out = elementwise(rows, args, 1, 1, 1, [&](const Orbit& o, const double* x, double* const* at) {
            *at[0] = annualValue(o, s0, x[1]);
        });
    return result(out[0], allScalars(args));
}

// Calendar conversions: what = "true_longitude" (value: days), "calendar_day"
// (value: true longitudes in degrees) or "perihelion_day" (value unused).
py::object calendarConversion(const std::string& what, const py::object& time, const py::object& value,
                              const std::string& orbit, double yearDays, double equinoxDay,
                              const std::string& modelCalendar)
{
    const DayCalendar calendar = dayCalendarOf(yearDays, equinoxDay, false, modelCalendar);
    const bool byDay = what == "true_longitude";
    const ArgumentInfo& info = byDay ? arguments::day : arguments::longitude;
    const Argument x = argument(info, value.is_none() ? py::object(py::float_(0.0)) : value);
    if (what != "perihelion_day")
        checkValues(x, info, calendar);
    const OrbitRows rows = rowsOf(time, orbit);
    std::vector<const Argument*> args{&rows.arg};
    if (what != "perihelion_day")
        args.push_back(&x);
    const auto out = elementwise(rows, args, 1, 1, 256, [&](const Orbit& o, const double* v, double* const* at) {
        if (what == "perihelion_day")
            *at[0] = perihelionDay(o, calendar);
        else if (byDay)
            *at[0] = longitudeDegrees(trueLongitudeOfDay(o, v[1], calendar));
        else
            *at[0] = calendarDayOf(o, v[1], calendar);
    });
    return result(out[0], allScalars(args));
}

}  // namespace

void registerInsolation(py::module_& m)
{
    using py::arg;
    const char* la2004 = orbit::solutionRegistry[0].key;  // the default solution
    const Request defaults;
    const double s0 = defaults.solarConstant;
    const double yearDays = defaults.dayCalendar.yearDays, equinoxDay = defaults.dayCalendar.equinoxDay;
    m.def("integrated_insolation", &integratedInsolation, arg("time_kyr"), arg("lat_deg"), arg("start_deg"),
          arg("end_deg"), py::kw_only(), arg("orbit") = la2004, arg("solar_constant") = s0);
    m.def("threshold_energy", &thresholdEnergy, arg("time_kyr"), arg("lat_deg"), arg("threshold") = defaults.threshold,
          py::kw_only(), arg("orbit") = la2004, arg("solar_constant") = s0);
    m.def("caloric_half_year", &caloricHalfYear, arg("time_kyr"), arg("lat_deg"), py::kw_only(),
          arg("orbit") = la2004, arg("solar_constant") = s0);
    m.def("monthly_insolation", &monthlyInsolation, arg("time_kyr"), arg("lat_deg"),
          arg("calendar") = defaults.calendar, py::kw_only(), arg("orbit") = la2004, arg("solar_constant") = s0,
          arg("equinox_day") = equinoxDay);
    m.def("instant_insolation", &instantInsolation, arg("time_kyr"), arg("lat_deg"), arg("lon_deg") = py::none(),
          arg("hour") = py::none(), py::kw_only(), arg("day") = py::none(), arg("orbit") = la2004,
          arg("solar_constant") = s0, arg("year_days") = yearDays,
          arg("equinox_day") = equinoxDay, arg("model_calendar") = defaults.modelCalendar,
          arg("lon_east_deg") = py::none());
    m.def("annual_insolation", &annualInsolation, arg("time_kyr"), arg("lat_deg"), py::kw_only(),
          arg("orbit") = la2004, arg("solar_constant") = s0);
    m.def("calendar_conversion", &calendarConversion, arg("what"), arg("time_kyr"), arg("value"),
          arg("orbit") = la2004, arg("year_days") = yearDays,
          arg("equinox_day") = equinoxDay, arg("model_calendar") = defaults.modelCalendar);
}

}  // namespace pymodule
