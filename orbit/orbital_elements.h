// The Earth's orbital elements at any real time in a solution's span,
// evaluated from term tables compiled into the program: no file is read.
//
// Contract of every function here:
//   time        thousands of years (kyr) from the solution's present,
//               negative in the past: -21.0 is 21,000 years ago. The present
//               is J2000 for the fit of Laskar et al. (2004) and 1950 for
//               Berger (1978).
//   eccentricity       dimensionless, 0 <= e < 1
//   perihelion         longitude of perihelion measured from the moving
//                      vernal equinox, degrees in [0, 360)
//   obliquity          degrees
//   precessionIndex    eccentricity * sin(perihelion), dimensionless
// A time outside the solution's span is an error (std::out_of_range with a
// message naming the time and the span), never an extrapolation.
#ifndef PALEOVIZ_ORBIT_ORBITAL_ELEMENTS_H
#define PALEOVIZ_ORBIT_ORBITAL_ELEMENTS_H

namespace orbit {

struct Elements {
    double eccentricity;
    double perihelion;       // degrees from the moving equinox, [0, 360)
    double obliquity;        // degrees
    double precessionIndex;  // eccentricity * sin(perihelion)
};

enum class Solution {
    laskar2004Fit,  // the project's fitted term table of Laskar et al. (2004)
    berger1978,     // the trigonometric series of Berger (1978)
};

// Covered times in kyr: oldest <= t <= newest.
struct Span {
    double oldest;
    double newest;
};

Span span(Solution solution);
bool covers(Solution solution, double kyr);

// Short name ("La2004 fit", "Berger 1978") and full citation of a solution.
const char* solutionName(Solution solution);
const char* solutionCitation(Solution solution);

// The elements at time kyr; throws std::out_of_range outside span().
Elements elementsAt(Solution solution, double kyr);

// Brings an angle in degrees into [0, 360).
double wrapDegrees(double degrees);

}  // namespace orbit

#endif
