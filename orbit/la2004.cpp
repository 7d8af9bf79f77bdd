// The published solution of Laskar et al. (2004) at any real time from
// -51000 to +21000 kyr: the table's own values at every whole kyr, and
// between them not-a-knot cubic splines through the records in the two
// components of z = e exp(i perihelion) and in the obliquity. The
// perihelion angle itself is never interpolated, so nothing jumps where it
// wraps from 360 to 0 degrees.
#include "orbit/cubic_spline.h"
#include "orbit/evaluators.h"
#include "orbit/la2004_records.h"

#include "math/constants.h"

#include <cmath>
#include <vector>

using math::radiansPerDegree;

namespace orbit {

namespace {

// The three splines' values and curvatures side by side at each record, so
// that one evaluation touches two neighbouring knots in memory.
struct Knot {
    double x, y, obliquity;           // e cos(perihelion), e sin(perihelion), degrees
    double cx, cy, cObliquity;        // their curvatures
};

std::vector<Knot> makeKnots()
{
    std::vector<double> x(la2004RecordCount), y(la2004RecordCount), obliquity(la2004RecordCount);
    for (int i = 0; i < la2004RecordCount; ++i) {
        const La2004Record& r = la2004Records[i];
        x[i] = r.eccentricity * std::cos(r.perihelion);
        y[i] = r.eccentricity * std::sin(r.perihelion);
        obliquity[i] = r.obliquity / radiansPerDegree;
    }
    const std::vector<double> cx = splineCurvatures(x);
    const std::vector<double> cy = splineCurvatures(y);
    const std::vector<double> cObliquity = splineCurvatures(obliquity);
    std::vector<Knot> knots(la2004RecordCount);
    for (int i = 0; i < la2004RecordCount; ++i)
        knots[i] = {x[i], y[i], obliquity[i], cx[i], cy[i], cObliquity[i]};
    return knots;
}

// Built on first use (a few milliseconds), thread-safely.
const Knot* knots()
{
    static const std::vector<Knot> built = makeKnots();
    return built.data();
}

}  // namespace

Elements la2004RecordElements(int index)
{
    const La2004Record& r = la2004Records[index];
    return {r.eccentricity, wrapDegrees(r.perihelion / radiansPerDegree),
            r.obliquity / radiansPerDegree, r.eccentricity * std::sin(r.perihelion)};
}

Elements la2004Elements(double kyr)
{
    const double position = kyr - la2004OldestKyr;
    const double whole = std::floor(position);
    const int i = static_cast<int>(whole);
    const double f = position - whole;
    if (f == 0.0)
        return la2004RecordElements(i);
    const Knot& a = knots()[i];
    const Knot& b = knots()[i + 1];
    const double x = splineBetween(a.x, b.x, a.cx, b.cx, f);
    const double y = splineBetween(a.y, b.y, a.cy, b.cy, f);
    return {std::hypot(x, y), wrapDegrees(std::atan2(y, x) / radiansPerDegree),
            splineBetween(a.obliquity, b.obliquity, a.cObliquity, b.cObliquity, f), y};
}

}  // namespace orbit
