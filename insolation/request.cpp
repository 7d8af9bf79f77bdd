#include "insolation/request.h"

#include "insolation/registry.h"
#include "math/number_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

using math::formatNumber;

namespace insolation {

namespace a = arguments;
const Names commandLineNames = {a::time.option,      a::latitude.option, a::longitude.option, a::day.option,
                                a::hour.option,      a::solarConstant.option, a::start.option, a::end.option,
                                a::threshold.option, a::yearDays.option, a::equinoxDay.option,
                                a::monthCalendar.option, a::modelCalendar.option, a::lonEast.option};
const Names pythonNames = {a::time.keyword,      a::latitude.keyword, a::longitude.keyword, a::day.keyword,
                           a::hour.keyword,      a::solarConstant.keyword, a::start.keyword, a::end.keyword,
                           a::threshold.keyword, a::yearDays.keyword, a::equinoxDay.keyword,
                           a::monthCalendar.keyword, a::modelCalendar.keyword, a::lonEast.keyword};

namespace {

constexpr double bytesPerValue = sizeof(double);
// The result and one copy on its way out, and room for the rest.
constexpr double resultCopies = 2;
constexpr double memoryShare = 0.5;

}  // namespace

void prepare(Request& request)
{
    std::vector<double> radians;
    for (double latitude : request.latitudes)
        radians.push_back(latitude * math::radiansPerDegree);
    request.latitudeGrid = LatitudeGrid(radians);
    request.dayCalendar = requestCalendar(request);
}

std::string modelCalendarOf(const Request& request)
{
    return findModelCalendar(request.calendar) != nullptr ? request.calendar : request.modelCalendar;
}

DayCalendar requestCalendar(const Request& request)
{
    const std::string model = modelCalendarOf(request);
    return resolvedCalendar(findModelCalendar(model) != nullptr ? model : modelCalendars[0].name,
                            request.dayCalendar);
}

std::string rangeProblem(const std::string& name, const double* values, size_t n, double lowest,
                         double highest)
{
    for (size_t i = 0; i < n; ++i)
        if (!(values[i] >= lowest && values[i] <= highest))
            return name + ": " + formatNumber(values[i]) + " is outside " + formatNumber(lowest) + " to "
                   + formatNumber(highest);
    return "";
}

std::string finiteProblem(const std::string& name, const double* values, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (!std::isfinite(values[i]))
            return name + ": " + formatNumber(values[i]) + " is not a finite number";
    return "";
}

std::string solarConstantProblem(const std::string& name, double s0)
{
    if (s0 > 0 && s0 <= maxSolarConstant)
        return "";
    return name + ": " + formatNumber(s0) + " W/m^2 is outside (0, 100000]; the present value is about 1361";
}

std::string distinctProblem(const std::string& name, const std::vector<double>& values)
{
    std::vector<std::string> texts;
    for (double v : values)
        texts.push_back(formatNumber(v));
    std::sort(texts.begin(), texts.end());
    const auto twice = std::adjacent_find(texts.begin(), texts.end());
    if (twice == texts.end())
        return "";
    return name + ": " + *twice + " is given twice (values must differ in their first 10 digits)";
}

std::string longitudeOrDayProblem(const Names& names, const double* values, size_t n, bool byDay,
                                  const DayCalendar& calendar)
{
    return byDay ? rangeProblem(names.day, values, n, 0, calendar.yearDays)
                 : rangeProblem(names.longitude, values, n, 0, degreesPerTurn);
}

// A month calendar among the choices of the quantity that takes one.
std::string monthCalendarProblem(const Quantity* q, const Request& r, const Names& names)
{
    const ArgumentUse* use = q == nullptr ? nullptr : q->use(a::monthCalendar.name);
    const std::string problem = use == nullptr ? "" : choiceProblem(*use, r.calendar);
    return problem.empty() ? "" : names.calendar + ": " + problem;
}

std::string monthEquinoxProblem(const std::string& calendar, double equinoxDay, const Names& names)
{
    if (std::isnan(equinoxDay) || findModelCalendar(calendar) != nullptr)
        return "";
    return names.equinoxDay + ": sets the March equinox of a model calendar's months (" + names.calendar
           + " noleap, 360_day, ...), not of the " + calendar + " calendar";
}

// A mean over the day [d, d + 1) needs calendar days; a true longitude is
// one instant. Names has no entry for the flag: each front end names it as
// it names the day (--day-mean beside --day, day_mean beside day).
std::string dayMeanProblem(const Request& r, const Names& names)
{
    if (!r.dayCalendar.dayMean || r.longitudes.empty() || !r.days.empty())
        return "";
    const std::string flag = names.day == a::day.option ? a::dayMean.option : a::dayMean.keyword;
    return flag + ": takes calendar days (" + names.day + "), not true longitudes (" + names.longitude + ")";
}

// The day calendar: its model calendar (--model-calendar, or monthly's
// --calendar where that names one) and the values given beside it.
std::string dayCalendarProblem(const Request& r, const Names& names)
{
    const std::string model = modelCalendarOf(r);
    const std::string modelName = model == r.calendar ? names.calendar : names.modelCalendar;
    return modelCalendarProblem(model, r.dayCalendar, modelName, names.yearDays, names.equinoxDay);
}

std::string requestProblem(const Request& r, const Names& names)
{
    const std::string calendar = dayCalendarProblem(r, names);
    const DayCalendar days = calendar.empty() ? requestCalendar(r) : DayCalendar{};
    const double bounds[] = {r.start, r.end, r.threshold};
    const Quantity* q = findQuantity(r.command);
    const bool arc = q != nullptr && q->use(a::start.name) != nullptr;
    const std::string checks[] = {
        monthCalendarProblem(q, r, names),
        q != nullptr && q->use(a::monthCalendar.name) != nullptr
            ? monthEquinoxProblem(r.calendar, r.dayCalendar.equinoxDay, names)
            : "",
        calendar,
        rangeProblem(names.latitude, r.latitudes.data(), r.latitudes.size(), a::latitude.lowest,
                     a::latitude.highest),
        calendar.empty() ? longitudeOrDayProblem(names, r.days.data(), r.days.size(), true, days) : "",
        longitudeOrDayProblem(names, r.longitudes.data(), r.longitudes.size(), false, days),
        rangeProblem(names.hour, r.hours.data(), r.hours.size(), a::hour.lowest, a::hour.highest),
        distinctProblem(names.latitude, r.latitudes),
        distinctProblem(names.longitude, r.longitudes),
        distinctProblem(names.day, r.days),
        distinctProblem(names.hour, r.hours),
        solarConstantProblem(names.solarConstant, r.solarConstant),
        finiteProblem(names.start + ", " + names.end + " and " + names.threshold, bounds, 3),
        // Arcs are measured within one turn, as the longitudes of a grid are.
        arc ? rangeProblem(names.start, &r.start, 1, a::start.lowest, a::start.highest) : "",
        arc ? rangeProblem(names.end, &r.end, 1, a::end.lowest, a::end.highest) : "",
        dayMeanProblem(r, names),
        std::isnan(r.lonEast) ? "" : rangeProblem(names.lonEast, &r.lonEast, 1, a::lonEast.lowest, a::lonEast.highest),
    };
    for (const std::string& problem : checks)
        if (!problem.empty())
            return problem;
    return "";
}

double memoryAllowed()
{
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    double bytes = pages > 0 && pageSize > 0 ? double(pages) * double(pageSize) : 1e18;
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit;
        if (getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            bytes = std::min(bytes, double(limit.rlim_cur));
    }
    return bytes * memoryShare;
}

std::string resultSizeProblem(double values, const std::string& suggestion)
{
    const double bytes = values * bytesPerValue;
    if (bytes * resultCopies <= memoryAllowed())
        return "";
    char text[200];
    std::snprintf(text, sizeof text, "the result holds %.3g values (%.3g bytes), more than this machine's "
                  "memory allows; ", values, bytes);
    return text + suggestion;
}

}  // namespace insolation
