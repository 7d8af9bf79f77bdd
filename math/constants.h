// The values the whole project shares, each named once: pi and the
// degree/radian conversion, the solar constant every front end assumes
// unless told otherwise, and the number of records the window reads from
// its series file. The bottom of every library (no GL, no other
// dependency), so that the window, the GL-free libraries, the tools and the
// Python module share it.
#ifndef PALEOVIZ_MATH_CONSTANTS_H
#define PALEOVIZ_MATH_CONSTANTS_H

namespace math {

constexpr double pi = 3.141592653589793;
constexpr double halfPi = pi / 2.0;
constexpr double twoPi = 2.0 * pi;
constexpr double radiansPerDegree = pi / 180.0;

// S0 in W/m^2 where no other is given: the window's globes, the insolation
// tool, the Python module and the web build.
constexpr double defaultSolarConstant = 1365.0;

// Records of the orbital series the window reads at start-up (one per kyr,
// 0 to -5799 kyr), also the length of the series the orbit tools write.
constexpr int seriesRecordCount = 5800;

}  // namespace math

#endif
