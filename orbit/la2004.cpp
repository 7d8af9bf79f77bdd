// The published solution of Laskar et al. (2004) at any real time in its
// span (-51000 to +21000 kyr, its line of orbit/published_tables.list): the
// table's own values at every whole kyr, and between them not-a-knot cubic
// splines through the records in the two components of
// z = e exp(i perihelion) and in the obliquity. The perihelion angle itself
// is never interpolated, so nothing jumps where it wraps from 360 to 0
// degrees.
//
// The table is compiled in and parsed on first use as every published table
// is (loadPublishedTable), once per process and thread-safely, but
// evaluated here in the radians it is published in rather than in degrees
// (published_solutions.cpp): converting first would move its values in the
// last bit.
#include "orbit/cubic_spline.h"
#include "orbit/evaluators.h"
#include "orbit/published_tables.h"

#include "math/constants.h"

#include <cmath>
#include <mutex>
#include <vector>

using math::radiansPerDegree;

namespace orbit {

namespace {

constexpr const PublishedTable& la2004Table = publishedTable(TableId::laskar2004);

// The three splines' values and curvatures side by side at each record, so
// that one evaluation touches two neighbouring knots in memory.
struct Knot {
    double x, y, obliquity;           // e cos(perihelion), e sin(perihelion), degrees
    double cx, cy, cObliquity;        // their curvatures
};

std::vector<Knot> makeKnots(const TableRecords& r)
{
    const size_t count = r.eccentricity.size();
    std::vector<double> x(count), y(count), obliquity(count);
    for (size_t i = 0; i < count; ++i) {
        x[i] = r.eccentricity[i] * std::cos(r.perihelion[i]);
        y[i] = r.eccentricity[i] * std::sin(r.perihelion[i]);
        obliquity[i] = r.obliquity[i] / radiansPerDegree;
    }
    const std::vector<double> cx = splineCurvatures(x);
    const std::vector<double> cy = splineCurvatures(y);
    const std::vector<double> cObliquity = splineCurvatures(obliquity);
    std::vector<Knot> knots(count);
    for (size_t i = 0; i < count; ++i)
        knots[i] = {x[i], y[i], obliquity[i], cx[i], cy[i], cObliquity[i]};
    return knots;
}

std::once_flag recordsLoaded;
TableRecords records;  // as published: angles in radians
std::once_flag knotsBuilt;
std::vector<Knot> knots;

// Parsed on first use (about 55 ms), the knots only when first needed
// between records (a few milliseconds more).
const TableRecords& la2004Records()
{
    std::call_once(recordsLoaded, [] { records = loadPublishedTable(TableId::laskar2004); });
    return records;
}

const std::vector<Knot>& la2004Knots()
{
    std::call_once(knotsBuilt, [] { knots = makeKnots(la2004Records()); });
    return knots;
}

}  // namespace

Elements la2004RecordElements(int index)
{
    const TableRecords& r = la2004Records();
    const double e = r.eccentricity[size_t(index)];
    const double perihelion = r.perihelion[size_t(index)];
    return {e, r.obliquity[size_t(index)] / radiansPerDegree,
            wrapDegrees(perihelion / radiansPerDegree), e * std::sin(perihelion)};
}

Elements la2004Elements(double kyr)
{
    const double position = (kyr - la2004Table.oldest) / la2004Table.step;
    const double whole = std::floor(position);
    const int i = static_cast<int>(whole);
    const double f = position - whole;
    if (f == 0.0)
        return la2004RecordElements(i);
    const Knot& a = la2004Knots()[size_t(i)];
    const Knot& b = la2004Knots()[size_t(i) + 1];
    const double x = splineBetween(a.x, b.x, a.cx, b.cx, f);
    const double y = splineBetween(a.y, b.y, a.cy, b.cy, f);
    return {std::hypot(x, y), splineBetween(a.obliquity, b.obliquity, a.cObliquity, b.cObliquity, f),
            wrapDegrees(std::atan2(y, x) / radiansPerDegree), y};
}

}  // namespace orbit
