#include "commands.h"

#include "insolation/quantities.h"

#include <iterator>

using namespace insolation;

namespace {

void dailyStep(const Request& request, const Orbit& orbit, std::vector<double>& out)
{
    const bool byDay = !request.days.empty();
    const std::vector<double>& columns = byDay ? request.days : request.longitudes;
    const size_t n = columns.size();
    const DayCalendar& calendar = request.dayCalendar;
    for (size_t j = 0; j < n; ++j) {
        // The mean over a whole day is an integral at each latitude.
        if (byDay && calendar.dayMean) {
            for (size_t i = 0; i < request.latitudes.size(); ++i)
                out[i * n + j] = dailyValueOfDay(orbit, request.solarConstant, request.latitudes[i],
                                                 columns[j], calendar);
            continue;
        }
        const double lambda = trueLongitudeOf(orbit, columns[j], byDay, calendar);
        const DayGeometry day = dayGeometry(orbit, request.solarConstant, lambda);
        request.latitudeGrid.dailyMeans(day, &out[j], n);
    }
}

// Commands with a row of values per latitude: value k of latitude i goes
// to values[k][i] (to values[k][0] for a variable of time alone, the same
// at every latitude), or for a row per month or hour, to values[0][i * n + k].
void storeRow(std::vector<std::vector<double>>& values, size_t i, size_t n, const double* row)
{
    for (size_t k = 0; k < n; ++k) {
        if (values.size() == 1)
            values[0][i * n + k] = row[k];
        else
            values[k][values[k].size() == 1 ? 0 : i] = row[k];
    }
}

template <class Row>
void latitudeRows(const Request& request, std::vector<std::vector<double>>& values, size_t n, Row row)
{
    std::vector<double> out(n);
    for (size_t i = 0; i < request.latitudes.size(); ++i) {
        row(request.latitudes[i], out.data());
        storeRow(values, i, n, out.data());
    }
}

// The same for commands computed at every latitude at once: fill(out)
// writes latitude i's row to out[i * n ...].
template <class Fill>
void latitudeGridRows(const Request& request, std::vector<std::vector<double>>& values, size_t n, Fill fill)
{
    std::vector<double> out(request.latitudes.size() * n);
    fill(out.data());
    for (size_t i = 0; i < request.latitudes.size(); ++i)
        storeRow(values, i, n, &out[i * n]);
}

void computeStep(const Request& request, const orbit::Elements& e, std::vector<std::vector<double>>& values)
{
    if (request.command == "elements") {
        const double row[] = {e.eccentricity, e.perihelion, e.obliquity, e.precessionIndex};
        for (size_t k = 0; k < values.size(); ++k)
            values[k][0] = row[k];
        return;
    }
    const Orbit orbit = toOrbit(e);
    const double s0 = request.solarConstant;
    if (request.command == "calendar") {
        const DayCalendar& calendar = request.dayCalendar;
        const bool byDay = !request.days.empty();
        const std::vector<double>& given = byDay ? request.days : request.longitudes;
        values[0][0] = perihelionDay(orbit, calendar);
        for (size_t i = 0; i < given.size(); ++i)
            values[1][i] = byDay ? longitudeDegrees(trueLongitudeOfDay(orbit, given[i], calendar))
                                 : calendarDayOf(orbit, given[i], calendar);
        return;
    }
    if (request.command == "daily") {
        dailyStep(request, orbit, values[0]);
        return;
    }
    const Request& r = request;
    // The year integrals of all latitudes at once: a few vector lanes per
    // latitude and node instead of a call to the maths library each.
    GridScratch scratch;
    if (r.command == "caloric") {
        latitudeRows(r, values, caloricValueCount,
                     [&](double lat, double* out) { caloricValues(orbit, s0, lat, out); });
    } else if (r.command == "monthly") {
        latitudeGridRows(r, values, monthCount, [&](double* out) {
            monthlyGrid(orbit, s0, r.latitudeGrid, calendarOf(r.calendar), out, scratch);
        });
    } else if (r.command == "instant") {
        const bool byDay = !r.days.empty();
        const double lambda = trueLongitudeOf(orbit, byDay ? r.days[0] : r.longitudes[0], byDay, r.dayCalendar);
        const SunPosition sun = sunAt(orbit, s0, lambda);
        latitudeRows(r, values, r.hours.size(), [&](double lat, double* out) {
            for (size_t j = 0; j < r.hours.size(); ++j)
                out[j] = instantValue(sun, lat, r.hours[j]);
        });
    } else if (r.command == "integrated") {
        latitudeGridRows(r, values, 3, [&](double* out) {
            integratedGrid(orbit, s0, r.latitudeGrid, r.start, r.end, out, scratch);
        });
    } else if (r.command == "threshold") {
        latitudeRows(r, values, 2,
                     [&](double lat, double* out) { thresholdValues(orbit, s0, lat, r.threshold, out); });
    } else {
        latitudeGridRows(r, values, 1, [&](double* out) { annualGrid(orbit, s0, r.latitudeGrid, out, scratch); });
    }
}

}  // namespace

orbit::Elements rowElements(const Request& request, const OrbitSource& source, size_t row)
{
    return request.orbits.empty() ? source.at(request.times[row]) : request.orbits[row];
}

void computeRow(const Request& request, const orbit::Elements& e, std::vector<std::vector<double>>& values)
{
    if (request.orbits.empty() || request.command == "elements") {
        computeStep(request, e, values);
        return;
    }
    // The row's label: its eccentricity, perihelion and obliquity.
    constexpr size_t labels = 3;
    values[0][0] = e.eccentricity;
    values[1][0] = e.perihelion;
    values[2][0] = e.obliquity;
    std::vector<std::vector<double>> rest(std::make_move_iterator(values.begin() + labels),
                                          std::make_move_iterator(values.end()));
    computeStep(request, e, rest);
    std::move(rest.begin(), rest.end(), values.begin() + labels);
}
