#include "orbit/cubic_spline.h"

#include <cmath>
#include <utility>

namespace orbit {

std::vector<double> splineCurvatures(const std::vector<double>& value)
{
    // With c_i the second derivative / 6 (unit spacing), continuity of the
    // first derivative at the inner knots gives
    //   c_{i-1} + 4 c_i + c_{i+1} = y_{i+1} - 2 y_i + y_{i-1},
    // with c = 0 at both ends: solved by forward elimination and back
    // substitution of the tridiagonal system.
    const int n = static_cast<int>(value.size());
    std::vector<double> curvature(value.size(), 0.0);
    if (n < 3)
        return curvature;
    std::vector<double> factor(n, 0.0);
    for (int i = 1; i < n - 1; ++i) {
        const double rhs = value[i + 1] - 2.0 * value[i] + value[i - 1];
        const double pivot = 4.0 - factor[i - 1];
        factor[i] = 1.0 / pivot;
        curvature[i] = (rhs - curvature[i - 1]) / pivot;
    }
    for (int i = n - 3; i >= 1; --i)
        curvature[i] -= factor[i] * curvature[i + 1];
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
