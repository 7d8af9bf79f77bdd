// Angles: the one value of pi in the project, and degree/radian conversion.
#ifndef PALEOVIZ_GLOBE_MATH_CONSTANTS_H
#define PALEOVIZ_GLOBE_MATH_CONSTANTS_H

constexpr double pi = 3.141592653589793;
constexpr double halfPi = pi / 2.0;
constexpr double radiansPerDegree = pi / 180.0;

#endif
