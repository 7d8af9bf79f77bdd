// Integrals over true longitude of the daily cosine sum
// g(lambda) = sin(phi) sin(d) h0 + cos(phi) cos(d) sin(h0) (dailyCosineSum),
// from which every energy over part of the year follows: the energy per
// unit area from lambda1 to lambda2 is S0 Y / (2 pi^2 sqrt(1 - e^2)) times
// the integral of g, Y the year in seconds (the distance cancels against
// Kepler's second law).
//
// The rule follows the integrand. g is analytic in lambda except where
// the Sun starts or stops setting (the edges of polar day and polar night,
// sin(lambda) = +-cos(phi) / sin(eps)), where it behaves like a power 3/2
// of the distance to the edge. The arc is cut at those edges; polar night
// contributes nothing and polar day its exact integral
// pi sin(phi) sin(eps) (cos a - cos b); each sunlit piece, cut again into
// parts of at most 90 degrees, gets a 12-node Gauss-Legendre rule, in the
// variable u with lambda = a + L u^2 (or its mirror) at an end on or near
// an edge, which makes the integrand smooth there. Just equatorward of the
// polar circle the edges are complex numbers close to the solstice; parts
// grade geometrically towards it. Against an adaptive quadrature to 1e-14,
// the means over any arc are within 1e-10 of S0 / pi for obliquities of
// 22 to 24.5 degrees and every latitude (about 2e-11 typically).
//
// Evaluation is batched: add() queues the nodes of any number of arcs at
// any latitudes, and sumInto() computes all of them in the vector lanes of
// the grid kernel (simd_kernel.h), each lane at its own longitude.
#ifndef PALEOVIZ_INSOLATION_ARC_INTEGRALS_H
#define PALEOVIZ_INSOLATION_ARC_INTEGRALS_H

#include "insolation/simd_kernel.h"
#include "math/constants.h"
#include "insolation/year_insolation.h"

#include <cstddef>
#include <vector>

namespace insolation {

// The 12-node Gauss-Legendre rule on [0, 1] that every part gets.
simd::Rule partRule();
// The rule of energiesOverArcs's shared nodes for parts of this length
// (radians): the 8-node one for parts of about a month, else partRule().
simd::Rule plainRule(double partLength);

class ArcQuadrature {
public:
    // obliquity in radians; the orbit's other elements do not enter g.
    explicit ArcQuadrature(double obliquity = 0.0) { reset(obliquity); }
    // Empties the queue and sets the obliquity for what comes next.
    void reset(double obliquity);

    // The latitude of the arcs added next.
    void setLatitude(const LatitudeGeometry& latitude);

    // Queues the integral of g (radians of longitude times g) over the
    // forward arc from lambda1 of length arc in [0, 2 pi] at the latitude
    // set last, to be added to out[slot] by sumInto.
    void add(double lambda1, double arc, size_t slot);

    // out[slot] += each queued integral; then empties the queue.
    void sumInto(double* out);

    // Whether the latitude set last needs this class's cuts and grading:
    // false where the Sun rises and sets every day of the year, far enough
    // from the polar circle that a plain rule on parts of at most 90
    // degrees is as accurate (energiesOverArcs shares its nodes then).
    bool needsCuts() const { return edgeRatio_ < gradedLimit; }
    // Whether the plain rule (plainRule) suits the arc at the latitude set
    // last all the same: every edge, and the complex edges near a
    // solstice, lie further from the arc than 0.7 times the rule's part
    // length (0.8 times for the 8-node rule), where its error is below
    // about 1e-12 of the integral.
    bool plainRuleFits(double lambda1, double arc) const;
    static constexpr double gradedLimit = 1.3;
    static constexpr double longestPart = math::pi / 2;

private:
    void addSunlit(double a, double b, size_t slot);
    void addPart(double a, double b, size_t slot);
    bool nearEdge(double lambda, double reach) const;
    void clearQueue();

    double sinObliquity_ = 0;
    LatitudeGeometry latitude_{};
    double edgeRatio_ = 2;  // cos(phi) / sin(eps) of the latitude
    double edges_[4] = {};  // its polar edges in [0, 2 pi)
    int edgeCount_ = 0;
    std::vector<double> cuts_, grades_;  // scratch of add()
    std::vector<double> start_, length_, c1_, c2_, c3_, sinLat_, cosLat_, tanLat_, value_;
    std::vector<size_t> slot_;
    std::vector<std::pair<size_t, double>> exact_;
    // The whole year's integral is twice that from -pi/2 to pi/2, g
    // depending on sin(lambda) alone: those pieces count twice.
    double factorNow_ = 1;
    std::vector<double> factor_;
};

// Integral of g over the forward arc at one latitude (radians).
double cosineSumIntegral(const Orbit& orbit, double latitude, double lambda1, double arc);

// Energy per unit area and radian of g: S0 Y / (2 pi^2 sqrt(1 - e^2)), J/m^2.
double energyPerRadian(const Orbit& orbit, double solarConstant);

}  // namespace insolation

#endif
