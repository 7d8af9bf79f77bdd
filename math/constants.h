// Angles: the one value of pi in the project, and degree/radian conversion.
// The bottom of every library (no GL, no other dependency), so that the
// window, the GL-free libraries, the tools and the Python module share it.
#ifndef PALEOVIZ_MATH_CONSTANTS_H
#define PALEOVIZ_MATH_CONSTANTS_H

namespace math {

constexpr double pi = 3.141592653589793;
constexpr double halfPi = pi / 2.0;
constexpr double radiansPerDegree = pi / 180.0;

}  // namespace math

#endif
