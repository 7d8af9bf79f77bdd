// Geometry of the drawn orbit: an ellipse with the Sun at a focus, its
// eccentricity exaggerated fourfold. Angles in radians, lengths in scene units.
#ifndef PALEOVIZ_SCENE_ORBIT_GEOMETRY_H
#define PALEOVIZ_SCENE_ORBIT_GEOMETRY_H

constexpr double orbitExaggeration = 4.0;
// The largest drawn eccentricity: from a true 0.225 on, the exaggeration
// gives way so that the orbit stays an ellipse (the panel still prints the
// true value).
constexpr double maxDrawnEcc = 0.9;

struct OrbitShape {
    double drawnEcc;       // E = 4 x eccentricity, at most maxDrawnEcc in size
    double semiMajor;      // a
    double semiLatus;      // p = a (1 - E^2)

    // Distance from the Sun at orbit angle theta; theta 0 is aphelion.
    double radiusAt(double theta) const;
    double perihelionDistance() const { return semiLatus / (1 + drawnEcc); }
    double aphelionDistance() const { return semiLatus / (1 - drawnEcc); }
};

// Shape for an eccentricity (0 gives a circle) and a semi-major axis.
OrbitShape orbitShape(double ecc, double semiMajorAxis);

// The largest drawn eccentricity orbitShape gives, maxDrawnEcc unless a
// front end whose picture holds less of the orbit (the web page's square
// canvas) sets a smaller one before drawing; only the drawing changes.
void setDrawnEccLimit(double limit);

// Tilt in degrees drawn for an obliquity in degrees: departures from 23.5
// are exaggerated tenfold.
double drawnTilt(double obliquityDegrees);

#endif
