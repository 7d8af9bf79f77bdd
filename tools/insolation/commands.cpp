#include "commands.h"

#include <iterator>

using namespace insolation;

namespace {

// The coordinates of an axis of the quantity's table.
const std::vector<double>* axisValues(const Request& r, AxisKind axis)
{
    switch (axis) {
    case AxisKind::latitude: return &r.latitudes;
    case AxisKind::longitudeOrDay: return r.days.empty() ? &r.longitudes : &r.days;
    case AxisKind::hour: return &r.hours;
    case AxisKind::none:
    case AxisKind::month: break;
    }
    return nullptr;
}

void setCoordinate(Point& p, AxisKind axis, double value)
{
    if (axis == AxisKind::latitude)
        p.latitude = value;
    else if (axis == AxisKind::longitudeOrDay)
        p.lonOrDay = value;
    else if (axis == AxisKind::hour)
        p.hour = value;
}

// The values every point of the row shares: the interval, the threshold,
// the longitude east where hours are UTC, and one longitude or day given
// alone (instant's).
Point basePoint(const Request& r)
{
    Point p;
    p.start = r.start;
    p.end = r.end;
    p.threshold = r.threshold;
    p.lonEast = r.lonEast;
    if (!r.days.empty() || !r.longitudes.empty())
        p.lonOrDay = r.days.empty() ? r.longitudes[0] : r.days[0];
    return p;
}

// Moves the values of the first axis's points (row k of `points`, width
// values each) at second-axis column j (of n) into the table's variables.
void store(const Quantity& q, const std::vector<double>& points, size_t j, size_t n,
           std::vector<std::vector<double>>& values)
{
    const size_t width = q.valueCount(), trailing = static_cast<size_t>(q.trailing);
    const size_t rows = points.size() / width;
    for (size_t i = 0; i < rows; ++i) {
        for (size_t k = 0; k < values.size(); ++k) {
            const double* v = &points[i * width + k * trailing];
            std::vector<double>& out = values[k];
            if (out.size() == 1)
                out[0] = v[0];
            else if (trailing > 1)
                std::copy(v, v + trailing, &out[i * trailing]);
            else if (out.size() == rows)
                out[i] = v[0];
            else
                out[i * n + j] = v[0];
        }
    }
}

void computeStep(const Quantity& q, const Request& r, const orbit::Elements& e,
                 std::vector<std::vector<double>>& values)
{
    const Orbit orbit = toOrbit(e);
    const Settings settings = settingsOf(r);
    const std::vector<double>* first = axisValues(r, q.firstAxis);
    const std::vector<double>* second = axisValues(r, q.secondAxis);
    const size_t rows = first == nullptr ? 1 : first->size(), columns = second == nullptr ? 1 : second->size();
    const size_t width = q.valueCount();
    std::vector<double> points(rows * width);
    GridScratch scratch;
    Point p = basePoint(r);
    for (size_t j = 0; j < columns; ++j) {
        if (second != nullptr)
            setCoordinate(p, q.secondAxis, (*second)[j]);
        // Every latitude at once where the quantity can: a few vector lanes
        // per latitude instead of a call to the maths library each.
        const bool whole = q.firstAxis == AxisKind::latitude && q.latitudes != nullptr
                           && q.latitudes(orbit, settings, p, r.latitudeGrid, points.data(), scratch);
        for (size_t i = 0; i < rows && !whole; ++i) {
            if (first != nullptr)
                setCoordinate(p, q.firstAxis, (*first)[i]);
            q.point(orbit, settings, p, &points[i * width]);
        }
        store(q, points, j, columns, values);
    }
}

// A quantity without a kernel is the orbit's own elements: the first
// `count` of them, in the order of its outputs.
void storeElements(const orbit::Elements& e, std::vector<std::vector<double>>& values, size_t count)
{
    const double row[] = {e.eccentricity, e.perihelion, e.obliquity, e.precessionIndex};
    for (size_t k = 0; k < count; ++k)
        values[k][0] = row[k];
}

}  // namespace

orbit::Elements rowElements(const Request& request, const OrbitSource& source, size_t row)
{
    return request.orbits.empty() ? source.at(request.times[row]) : request.orbits[row];
}

void computeRow(const Request& request, const orbit::Elements& e, std::vector<std::vector<double>>& values)
{
    const Quantity& q = *findQuantity(request.command);
    if (q.point == nullptr) {
        storeElements(e, values, values.size());
        return;
    }
    if (request.orbits.empty()) {
        computeStep(q, request, e, values);
        return;
    }
    // The row's label: its eccentricity, perihelion and obliquity.
    constexpr size_t labels = 3;
    storeElements(e, values, labels);
    std::vector<std::vector<double>> rest(std::make_move_iterator(values.begin() + labels),
                                          std::make_move_iterator(values.end()));
    computeStep(q, request, e, rest);
    std::move(rest.begin(), rest.end(), values.begin() + labels);
}
