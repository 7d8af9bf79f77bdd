// The one orbit type of every front end and library: the Earth's orbital
// elements with named fields, always in the order eccentricity, obliquity,
// perihelion, angles in degrees. The insolation library's radians form is
// made from it in one place (insolation::toOrbit).
//
// Header-only, so that every build that knows an orbit (the window's web
// build too, which links no solution) checks elements given by hand with
// the same rule and the same message.
#ifndef PALEOVIZ_ORBIT_ELEMENTS_H
#define PALEOVIZ_ORBIT_ELEMENTS_H

#include "math/number_text.h"

#include <cmath>
#include <string>

namespace orbit {

struct Elements {
    double eccentricity;     // dimensionless, 0 <= e < 1
    double obliquity;        // degrees, 0..90
    double perihelion;       // varpi, degrees from the moving March equinox, heliocentric, [0, 360)
    double precessionIndex;  // eccentricity * sin(perihelion)
};

// The largest obliquity an orbit may have, degrees, and the eccentricity
// an orbit stays below: at e = 1 it is no longer an ellipse.
constexpr double maxObliquity = 90;
constexpr double eccentricityLimit = 1;

// "" when the elements may describe an orbit, else what is wrong with the
// first that may not, e.g. "eccentricity 1.2 is outside [0, 1)": e in
// [0, 1), obliquity in [0, 90] degrees, perihelion any finite number of
// degrees. Every front end checks elements given by hand with this.
inline std::string elementsProblem(double eccentricity, double obliquity, double perihelion)
{
    using math::formatNumber;
    if (!(eccentricity >= 0 && eccentricity < eccentricityLimit))
        return "eccentricity " + formatNumber(eccentricity) + " is outside [0, 1)";
    if (!(obliquity >= 0 && obliquity <= maxObliquity))
        return "obliquity " + formatNumber(obliquity) + " is outside [0, 90] degrees";
    if (!std::isfinite(perihelion))
        return "perihelion " + formatNumber(perihelion) + " is not a finite number of degrees";
    return "";
}

}  // namespace orbit

#endif
