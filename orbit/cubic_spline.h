// A cubic spline through values at equally spaced knots
// x_i = first + i * spacing: exact at the knots, twice continuously
// differentiable between them, with not-a-knot ends (the first two and the
// last two intervals are each one cubic), so that the ends follow the data's
// own curvature rather than being forced straight.
#ifndef PALEOVIZ_ORBIT_CUBIC_SPLINE_H
#define PALEOVIZ_ORBIT_CUBIC_SPLINE_H

#include <vector>

namespace orbit {

// The second derivatives of the not-a-knot spline through values at unit
// spacing, each divided by 6. Three values give one parabola, fewer a line.
std::vector<double> splineCurvatures(const std::vector<double>& values);

// The spline between two knots with values y0, y1 and curvatures c0, c1, at
// fraction f (0 to 1) of the way from the first.
inline double splineBetween(double y0, double y1, double c0, double c1, double f)
{
    const double g = 1.0 - f;
    return g * y0 + f * y1 + (g * g - 1.0) * g * c0 + (f * f - 1.0) * f * c1;
}

class UniformCubicSpline {
public:
    // REQUIRES: at least two values, spacing > 0.
    UniformCubicSpline(double first, double spacing, std::vector<double> values);

    // The spline at x. REQUIRES: first <= x <= last().
    double operator()(double x) const;
    // The spline at fraction f (0 <= f <= 1) of the way from knot i to
    // knot i + 1. REQUIRES: 0 <= i < knots() - 1.
    double at(int i, double f) const
    {
        return splineBetween(value[i], value[i + 1], curvature[i], curvature[i + 1], f);
    }

    int knots() const { return static_cast<int>(value.size()); }
    double last() const { return first + spacing * (knots() - 1); }

private:
    double first;
    double spacing;
    std::vector<double> value;
    // The second derivative at each knot times spacing^2 / 6.
    std::vector<double> curvature;
};

}  // namespace orbit

#endif
