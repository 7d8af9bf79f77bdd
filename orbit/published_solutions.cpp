// The solutions of the published tables (orbit/published_tables.h) at any
// real time in their spans: each table's own values at its records, and
// between them not-a-knot cubic splines through the records, in the two
// components of z = e exp(i perihelion) and in the obliquity, or in e alone
// for eccentricity-only tables. A table is decompressed, parsed and splined
// the first time it is asked for (tens of milliseconds), thread-safely; the
// build has parsed the same bytes already, so that cannot fail. (La2004 is
// loaded the same way but evaluated in orbit/la2004.cpp, in the radians it
// is published in.)
#include "orbit/cubic_spline.h"
#include "orbit/evaluators.h"
#include "orbit/published_tables.h"

#include "math/constants.h"

#include <cmath>
#include <limits>
#include <mutex>
#include <stdexcept>

using math::radiansPerDegree;

namespace orbit {

namespace {

// A time this close to a record (in records) is that record.
constexpr double recordSnap = 1e-9;

struct LoadedTable {
    TableRecords records;
    // z = x + i y and the obliquity (empty for eccentricity-only tables),
    // with their curvatures; e and its curvature for those.
    std::vector<double> x, y, cx, cy, cObliquity, cEccentricity;
};

std::once_flag loadOnce[publishedTableCount];
LoadedTable loaded[publishedTableCount];

// Angles in degrees, each published angle times the layout's unit.
void toDegrees(TableRecords& records, double degreesPerUnit)
{
    for (double& angle : records.perihelion)
        angle *= degreesPerUnit;
    for (double& angle : records.obliquity)
        angle *= degreesPerUnit;
}

void load(TableId id)
{
    LoadedTable& table = loaded[static_cast<int>(id)];
    table.records = loadPublishedTable(id);
    toDegrees(table.records, degreesPerAngleUnit(publishedTable(id).layout));
    const TableRecords& r = table.records;
    if (r.perihelion.empty()) {
        table.cEccentricity = splineCurvatures(r.eccentricity);
        return;
    }
    for (size_t i = 0; i < r.eccentricity.size(); ++i) {
        table.x.push_back(r.eccentricity[i] * std::cos(r.perihelion[i] * radiansPerDegree));
        table.y.push_back(r.eccentricity[i] * std::sin(r.perihelion[i] * radiansPerDegree));
    }
    table.cx = splineCurvatures(table.x);
    table.cy = splineCurvatures(table.y);
    table.cObliquity = splineCurvatures(r.obliquity);
}

const LoadedTable& table(TableId id)
{
    std::call_once(loadOnce[static_cast<int>(id)], load, id);
    return loaded[static_cast<int>(id)];
}

Elements recordElements(const TableRecords& r, size_t i)
{
    if (r.perihelion.empty()) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        return {r.eccentricity[i], nan, nan, nan};
    }
    return {r.eccentricity[i], r.obliquity[i], wrapDegrees(r.perihelion[i]),
            r.eccentricity[i] * std::sin(r.perihelion[i] * radiansPerDegree)};
}

}  // namespace

TableRecords loadPublishedTable(TableId id)
{
    TableRecords records;
    std::string message;
    if (!parseTable(publishedTable(id), publishedTableBytes(id, 0), publishedTableBytes(id, 1),
                    records, message))
        throw std::logic_error("a compiled-in table does not parse: " + message);
    return records;
}

Elements publishedElements(TableId id, double kyr)
{
    const PublishedTable& source = publishedTable(id);
    const LoadedTable& t = table(id);
    const double position = (kyr - source.oldest) / source.step;
    double whole = std::floor(position);
    double f = position - whole;
    if (f > 1.0 - recordSnap) {
        whole += 1.0;
        f = 0.0;
    }
    const size_t i = static_cast<size_t>(whole);
    if (f < recordSnap || i + 1 >= t.records.eccentricity.size())
        return recordElements(t.records, i);
    if (t.x.empty()) {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const std::vector<double>& e = t.records.eccentricity;
        return {splineBetween(e[i], e[i + 1], t.cEccentricity[i], t.cEccentricity[i + 1], f), nan,
                nan, nan};
    }
    const double x = splineBetween(t.x[i], t.x[i + 1], t.cx[i], t.cx[i + 1], f);
    const double y = splineBetween(t.y[i], t.y[i + 1], t.cy[i], t.cy[i + 1], f);
    const std::vector<double>& o = t.records.obliquity;
    return {std::hypot(x, y), splineBetween(o[i], o[i + 1], t.cObliquity[i], t.cObliquity[i + 1], f),
            wrapDegrees(std::atan2(y, x) / radiansPerDegree), y};
}

}  // namespace orbit
