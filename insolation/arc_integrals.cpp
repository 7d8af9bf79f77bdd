#include "insolation/arc_integrals.h"

#include "insolation/simd_kernel.h"
#include "math/constants.h"

#include <algorithm>
#include <cmath>
#include <limits>

using math::halfPi;
using math::pi;
using math::twoPi;

namespace insolation {
namespace {

// How far from a part's end an edge must be for the end to go uncrowded,
// as a fraction of the part's length.
constexpr double edgeReach = 0.5;
// Latitudes whose cos(phi) / sin(eps) is within this of 1 grade their
// pieces towards the solstices, to parts no shorter than the distance of
// the complex edges, about sqrt(2 |ratio - 1|) radians, and up to this length.
constexpr double gradedRatio = 0.3;
constexpr double gradedReach = 0.6;
constexpr double shortestGrade = 1e-6;

// The 12-node Gauss-Legendre rule moved to [0, 1]: nodes (1 -+ x) / 2 and
// weights w / 2 of the rule's x and w on [-1, 1].
constexpr int ruleNodes = 12;
constexpr double ruleNode[ruleNodes] = {
    0.0092196828766403782, 0.047941371814762601, 0.11504866290284765, 0.20634102285669126,
    0.31608425050090994,   0.43738329574426554,  0.5626167042557344,  0.68391574949909006,
    0.79365897714330869,   0.88495133709715235,  0.95205862818523745, 0.99078031712335957};
constexpr double ruleWeight[ruleNodes] = {
    0.023587668193256011, 0.053469662997659442, 0.080039164271673055, 0.10158371336153282,
    0.11674626826917732,  0.12457352290670134,  0.12457352290670134,  0.11674626826917732,
    0.10158371336153282,  0.080039164271673055, 0.053469662997659442, 0.023587668193256011};

// The points of the forward arc from `from` to `to` where lambda + 2 pi k
// equals `at`, appended to out.
void appendTurns(double at, double from, double to, std::vector<double>& out)
{
    for (double x = at + twoPi * std::ceil((from - at) / twoPi); x < to; x += twoPi)
        if (x > from)
            out.push_back(x);
}

// The 8-node rule moved to [0, 1] likewise, for the plain rule's short parts.
constexpr int shortNodes = 8;
constexpr double shortNode[shortNodes] = {
    0.019855071751231912, 0.10166676129318664, 0.2372337950418355,  0.40828267875217511,
    0.59171732124782483,  0.7627662049581645,  0.89833323870681336, 0.98014492824876809};
constexpr double shortWeight[shortNodes] = {
    0.050614268145188344, 0.11119051722668717, 0.15685332293894352, 0.18134189168918088,
    0.18134189168918088,  0.15685332293894352, 0.11119051722668717, 0.050614268145188344};
// Parts up to this long (a month and some) get the 8-node plain rule.
constexpr double shortPart = 35 * pi / 180;

// lambda - edge brought into [-pi, pi], for lambda and edge within 4 pi.
double offsetFrom(double lambda, double edge)
{
    double d = lambda - edge;
    while (d > pi)
        d -= twoPi;
    while (d < -pi)
        d += twoPi;
    return d;
}

// Distance in radians from the longitude x, taken modulo 2 pi, to the
// forward arc from a (|a| < 4 pi) of length arc.
double distanceToArc(double x, double a, double arc)
{
    const double t = offsetFrom(x, a + pi) + pi;  // x - a in [0, 2 pi]
    return t <= arc ? 0.0 : std::min(t - arc, twoPi - t);
}

// How far, in part lengths, singular points must lie from an arc for the
// plain rule. Gauss-Legendre's error falls as rho^-2n, rho the sum of the
// semi-axes of the largest ellipse with foci at the part's ends that is
// free of singular points, in half part lengths; at these reaches the
// plain rule stays within 1e-12 of the integral of the cut rule at every
// latitude, for obliquities of 10 to 35 degrees.
constexpr double plainReach = 0.7;
constexpr double shortReach = 0.8;

}  // namespace

simd::Rule partRule() { return simd::Rule{ruleNode, ruleWeight, ruleNodes}; }

simd::Rule plainRule(double partLength)
{
    return partLength <= shortPart ? simd::Rule{shortNode, shortWeight, shortNodes} : partRule();
}

double energyPerRadian(const Orbit& orbit, double solarConstant)
{
    const double year = yearDays * secondsPerDay;
    const double e = orbit.eccentricity;
    return solarConstant * year / (2.0 * pi * pi * std::sqrt(1.0 - e * e));
}

void ArcQuadrature::reset(double obliquity)
{
    sinObliquity_ = std::sin(obliquity);
    clearQueue();
}

void ArcQuadrature::clearQueue()
{
    for (std::vector<double>* v : {&start_, &length_, &c1_, &c2_, &c3_, &sinLat_, &cosLat_, &tanLat_})
        v->clear();
    slot_.clear();
    exact_.clear();
    factor_.clear();
}

void ArcQuadrature::setLatitude(const LatitudeGeometry& latitude)
{
    latitude_ = latitude;
    edgeRatio_ = sinObliquity_ > 0 ? latitude.cosLatitude / sinObliquity_ : std::numeric_limits<double>::infinity();
    edgeCount_ = 0;
    if (edgeRatio_ < 1) {
        const double a0 = std::asin(edgeRatio_);
        const double edges[] = {a0, pi - a0, pi + a0, twoPi - a0};
        std::copy(edges, edges + 4, edges_);
        edgeCount_ = 4;
    }
}

void ArcQuadrature::add(double lambda1, double arc, size_t slot)
{
    factorNow_ = arc >= twoPi ? 2.0 : 1.0;
    if (arc >= twoPi) {
        lambda1 = -halfPi;
        arc = pi;
    }
    cuts_.assign(1, lambda1);
    for (int i = 0; i < edgeCount_; ++i)
        appendTurns(edges_[i], lambda1, lambda1 + arc, cuts_);
    std::sort(cuts_.begin() + 1, cuts_.end());
    cuts_.push_back(lambda1 + arc);
    for (size_t i = 0; i + 1 < cuts_.size(); ++i) {
        const double a = cuts_[i], b = cuts_[i + 1];
        if (!(b > a))
            continue;
        if (edgeCount_ == 0) {
            addSunlit(a, b, slot);
            continue;
        }
        // Each piece lies wholly in polar night, polar day or sunlit days:
        // its middle tells which.
        const double sinD = sinObliquity_ * std::sin((a + b) / 2);
        const double cosD = std::sqrt((1.0 - sinD) * (1.0 + sinD));
        const double c = cosSunsetHourAngle(latitude_.tanLatitude, sinD / std::max(cosD, 1e-300));
        if (c >= 1.0)
            continue;
        if (c <= -1.0)
            exact_.emplace_back(slot, factorNow_ * pi * latitude_.sinLatitude * sinObliquity_ * (std::cos(a) - std::cos(b)));
        else
            addSunlit(a, b, slot);
    }
}

void ArcQuadrature::addSunlit(double a, double b, size_t slot)
{
    grades_.assign(1, a);
    const double offset = std::fabs(edgeRatio_ - 1);
    if (offset < gradedRatio) {
        const double shortest = std::max(std::sqrt(2 * offset), shortestGrade);
        for (const double solstice : {halfPi, 3 * halfPi}) {
            const size_t before = grades_.size();
            appendTurns(solstice, a - gradedReach, b + gradedReach, grades_);
            const std::vector<double> turns(grades_.begin() + long(before), grades_.end());
            grades_.resize(before);
            for (const double p : turns) {
                for (double d = shortest; d < gradedReach; d *= 2)
                    for (const double x : {p - d, p + d})
                        if (x > a && x < b)
                            grades_.push_back(x);
                if (edgeRatio_ > 1 && p > a && p < b)
                    grades_.push_back(p);
            }
        }
        std::sort(grades_.begin() + 1, grades_.end());
    }
    grades_.push_back(b);
    for (size_t i = 0; i + 1 < grades_.size(); ++i) {
        const double x = grades_[i], y = grades_[i + 1];
        const int parts = std::max(1, static_cast<int>(std::ceil((y - x) / longestPart)));
        for (int k = 0; k < parts; ++k) {
            const double from = x + (y - x) * k / parts;
            const double to = k + 1 == parts ? y : x + (y - x) * (k + 1) / parts;
            addPart(from, to, slot);
        }
    }
}

bool ArcQuadrature::plainRuleFits(double lambda1, double arc) const
{
    if (!needsCuts())
        return true;
    if (arc >= twoPi) {
        lambda1 = -halfPi;
        arc = pi;
    }
    const double part = arc / std::max(1.0, std::ceil(arc / longestPart));
    const double reach = (part <= shortPart ? shortReach : plainReach) * part;
    for (int i = 0; i < edgeCount_; ++i)
        if (distanceToArc(edges_[i], lambda1, arc) < reach)
            return false;
    const double offset = std::fabs(edgeRatio_ - 1);
    if (offset >= gradedRatio)
        return true;
    const double imaginary = std::sqrt(2 * offset);
    for (const double solstice : {halfPi, 3 * halfPi}) {
        const double real = distanceToArc(solstice, lambda1, arc);
        if (std::sqrt(real * real + imaginary * imaginary) < reach)
            return false;
    }
    return true;
}

bool ArcQuadrature::nearEdge(double lambda, double reach) const
{
    for (int i = 0; i < edgeCount_; ++i)
        if (std::fabs(offsetFrom(lambda, edges_[i])) < reach)
            return true;
    return false;
}

// One part's rule, in u with lambda = a + L u^2 at an end on or near an
// edge (and its mirror at the other end, both with a smoothstep).
void ArcQuadrature::addPart(double a, double b, size_t slot)
{
    const double length = b - a, reach = edgeReach * length;
    const bool crowdA = nearEdge(a, reach), crowdB = nearEdge(b, reach);
    const double c1 = crowdA ? 0.0 : crowdB ? 2.0 : 1.0;
    const double c2 = crowdA && crowdB ? 3.0 : crowdA ? 1.0 : crowdB ? -1.0 : 0.0;
    const double c3 = crowdA && crowdB ? -2.0 : 0.0;
    start_.push_back(a);
    length_.push_back(length);
    c1_.push_back(c1);
    c2_.push_back(c2);
    c3_.push_back(c3);
    sinLat_.push_back(latitude_.sinLatitude);
    cosLat_.push_back(latitude_.cosLatitude);
    tanLat_.push_back(latitude_.tanLatitude);
    slot_.push_back(slot);
    factor_.push_back(factorNow_);
}

void ArcQuadrature::sumInto(double* out)
{
    value_.resize(start_.size());
    simd::pieceIntegrals(simd::PieceRun{start_.data(), length_.data(), c1_.data(), c2_.data(), c3_.data(),
                                        sinLat_.data(), cosLat_.data(), tanLat_.data(), start_.size()},
                         partRule(), sinObliquity_, value_.data());
    for (size_t j = 0; j < value_.size(); ++j)
        out[slot_[j]] += factor_[j] * value_[j];
    for (const auto& part : exact_)
        out[part.first] += part.second;
    clearQueue();
}

double cosineSumIntegral(const Orbit& orbit, double latitude, double lambda1, double arc)
{
    ArcQuadrature quadrature(orbit.obliquity);
    quadrature.setLatitude(latitudeGeometry(latitude));
    quadrature.add(lambda1, arc, 0);
    double sum = 0;
    quadrature.sumInto(&sum);
    return sum;
}

}  // namespace insolation
