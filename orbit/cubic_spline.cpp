#include "orbit/cubic_spline.h"

#include <cmath>
#include <utility>

namespace orbit {

std::vector<double> splineCurvatures(const std::vector<double>& value)
{
    // With c_i the second derivative / 6 (unit spacing), continuity of the
    // first derivative at the inner knots gives
    //   c_{i-1} + 4 c_i + c_{i+1} = y_{i+1} - 2 y_i + y_{i-1} = r_i.
    // Not-a-knot ends (one cubic over the first two intervals, one over the
    // last two) make c_0 = 2 c_1 - c_2, so the first equation becomes
    // 6 c_1 = r_1, and likewise 6 c_{n-2} = r_{n-2} at the far end. A
    // natural spline's c = 0 instead bends the curve wrongly near both ends
    // wherever the series is curved there, as orbital series always are.
    // The inner knots 2..n-3 are then solved by forward elimination and back
    // substitution of the tridiagonal system.
    const int n = static_cast<int>(value.size());
    std::vector<double> curvature(value.size(), 0.0);
    if (n < 3)
        return curvature;
    auto rhs = [&value](int i) { return value[i + 1] - 2.0 * value[i] + value[i - 1]; };
    if (n == 3) {  // one parabola through the three values
        curvature.assign(3, rhs(1) / 6.0);
        return curvature;
    }
    const int last = n - 2;
    curvature[1] = rhs(1) / 6.0;
    curvature[last] = rhs(last) / 6.0;
    std::vector<double> factor(n, 0.0);  // the eliminated upper diagonal
    for (int i = 2; i < last; ++i) {
        const bool first = i == 2;
        double r = rhs(i) - (first ? curvature[1] : 0.0);
        if (i == last - 1)
            r -= curvature[last];
        const double pivot = 4.0 - (first ? 0.0 : factor[i - 1]);
        factor[i] = 1.0 / pivot;
        curvature[i] = (r - (first ? 0.0 : curvature[i - 1])) / pivot;
    }
    for (int i = last - 2; i >= 2; --i)
        curvature[i] -= factor[i] * curvature[i + 1];
    curvature[0] = 2.0 * curvature[1] - curvature[2];
    curvature[n - 1] = 2.0 * curvature[last] - curvature[last - 1];
    return curvature;
}

UniformCubicSpline::UniformCubicSpline(double first, double spacing, std::vector<double> values)
    : first(first), spacing(spacing), value(std::move(values)), curvature(splineCurvatures(value))
{
}

double UniformCubicSpline::operator()(double x) const
{
    const double position = (x - first) / spacing;
    int i = static_cast<int>(std::floor(position));
    if (i >= knots() - 1)
        i = knots() - 2;
    if (i < 0)
        i = 0;
    return at(i, position - i);
}

}  // namespace orbit
