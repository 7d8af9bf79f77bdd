// Highway's runtime dispatch: foreach_target.h includes this file once per
// instruction set, each time compiling the HWY_NAMESPACE part for that set;
// the HWY_ONCE part (the plain interface) is compiled once.
#include "insolation/simd_kernel.h"

#ifdef PALEOVIZ_HAVE_HIGHWAY

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "insolation/simd_kernel.cpp"
#include <hwy/foreach_target.h>  // must come before highway.h
#include <hwy/highway.h>
#include <hwy/contrib/math/math-inl.h>

#include "math/constants.h"

#include <algorithm>

HWY_BEFORE_NAMESPACE();
namespace insolation {
namespace simd {
namespace HWY_NAMESPACE {

namespace hn = hwy::HWY_NAMESPACE;

// asin t for t in [0, 1/2] from z = t^2: the fdlibm rational fit in double,
// the shorter Cephes polynomial in float (no division; its error is well
// under the float rounding of the terms it is added to).
template <class D>
HWY_INLINE hn::Vec<D> arcsineOfSmall(D d, hn::Vec<D> t, hn::Vec<D> z, double)
{
    const auto p = hn::Mul(z, hn::MulAdd(z, hn::MulAdd(z, hn::MulAdd(z, hn::MulAdd(z, hn::MulAdd(z,
        hn::Set(d, 3.47933107596021167570e-05), hn::Set(d, 7.91534994289814532176e-04)),
        hn::Set(d, -4.00555345006794114027e-02)), hn::Set(d, 2.01212532134862925881e-01)),
        hn::Set(d, -3.25565818622400915405e-01)), hn::Set(d, 1.66666666666666657415e-01)));
    const auto q = hn::MulAdd(z, hn::MulAdd(z, hn::MulAdd(z, hn::MulAdd(z,
        hn::Set(d, 7.70381505559019352791e-02), hn::Set(d, -6.88283971605453293030e-01)),
        hn::Set(d, 2.02094576023350569471e+00)), hn::Set(d, -2.40339491173441421878e+00)),
        hn::Set(d, 1.0));
    return hn::MulAdd(t, hn::Div(p, q), t);
}

template <class D>
HWY_INLINE hn::Vec<D> arcsineOfSmall(D d, hn::Vec<D> t, hn::Vec<D> z, float)
{
    const auto r = hn::MulAdd(z, hn::MulAdd(z, hn::MulAdd(z, hn::MulAdd(z,
        hn::Set(d, 4.2163199048e-2f), hn::Set(d, 2.4181311049e-2f)), hn::Set(d, 4.5470025998e-2f)),
        hn::Set(d, 7.4953002686e-2f)), hn::Set(d, 1.6666752422e-1f));
    return hn::MulAdd(hn::Mul(t, z), r, t);
}

// Arccosine of x in [-1, 1], the reduction of arccosine() in daily_grid.h:
// pi/2 - asin x for |x| <= 1/2, else 2 asin(sqrt((1 - |x|) / 2)) or pi minus
// that. acos(1) is exactly 0 and acos(-1) exactly pi, as polar night and
// polar day need.
template <class D>
HWY_INLINE hn::Vec<D> arccosine(D d, hn::Vec<D> x)
{
    using T = hn::TFromD<D>;
    const auto half = hn::Set(d, T(0.5));
    const auto ax = hn::Abs(x);
    const auto outer = hn::Gt(ax, half);
    const auto z = hn::IfThenElse(outer, hn::Mul(hn::Sub(hn::Set(d, T(1)), ax), half), hn::Mul(x, x));
    const auto t = hn::IfThenElse(outer, hn::Sqrt(z), ax);
    const auto a = arcsineOfSmall(d, t, z, T());
    const auto negative = hn::Lt(x, hn::Zero(d));
    const auto base = hn::IfThenElse(outer, hn::IfThenElseZero(negative, hn::Set(d, T(math::pi))),
                                     hn::Set(d, T(math::halfPi)));
    const auto factor = hn::IfThenElse(outer, hn::IfThenElse(negative, hn::Set(d, T(-2)), hn::Set(d, T(2))),
                                       hn::IfThenElse(negative, hn::Set(d, T(1)), hn::Set(d, T(-1))));
    return hn::MulAdd(factor, a, base);
}

// The day's quantities in every lane.
template <class D>
struct DayLanes {
    explicit DayLanes(D d, const DayGeometry& day)
        : sinD(hn::Set(d, hn::TFromD<D>(day.sinDeclination))),
          cosD(hn::Set(d, hn::TFromD<D>(day.cosDeclination))),
          tanD(hn::Set(d, boundedTan(day.tanDeclination))),
          scale(hn::Set(d, hn::TFromD<D>(day.scale)))
    {
    }
    DayLanes(hn::Vec<D> sinD_, hn::Vec<D> cosD_, hn::Vec<D> tanD_, hn::Vec<D> scale_)
        : sinD(sinD_), cosD(cosD_), tanD(tanD_), scale(scale_)
    {
    }
    // With the Sun over a pole tan d is the largest double; in float that
    // would be infinite, and 0 * inf at the equator NaN. The largest finite
    // value of T gives the same clamped cosines.
    static hn::TFromD<D> boundedTan(double tanD)
    {
        using T = hn::TFromD<D>;
        const double most = double(hwy::HighestValue<T>());
        return T(std::max(-most, std::min(most, tanD)));
    }
    hn::Vec<D> sinD, cosD, tanD, scale;
};

// Means of one vector of entries at +|phi| and -|phi|, with h(-phi) = pi - h(phi).
template <class D>
HWY_INLINE void pairMeans(D d, const DayLanes<D>& day, hn::Vec<D> sinLat, hn::Vec<D> cosLat,
                          hn::Vec<D> tanLat, hn::Vec<D>& north, hn::Vec<D>& south)
{
    using T = hn::TFromD<D>;
    const auto one = hn::Set(d, T(1));
    const auto c = hn::Min(hn::Max(hn::Neg(hn::Mul(tanLat, day.tanD)), hn::Neg(one)), one);
    const auto h0 = arccosine(d, c);
    // sin h0 = sqrt(1 - c^2), from factors that keep their precision as |c| -> 1.
    const auto sinH0 = hn::Sqrt(hn::Mul(hn::Sub(one, c), hn::Add(one, c)));
    const auto lit = hn::Mul(hn::Mul(day.cosD, cosLat), sinH0);
    const auto tilt = hn::Mul(day.sinD, sinLat);
    // Where the Sun barely rises the two terms almost cancel, and in float
    // their rounding can leave a few 1e-5 W/m^2 below zero: no sunlight is
    // negative.
    north = hn::Max(hn::Mul(day.scale, hn::MulAdd(tilt, h0, lit)), hn::Zero(d));
    south = hn::Max(hn::Mul(day.scale, hn::NegMulAdd(tilt, hn::Sub(hn::Set(d, T(math::pi)), h0), lit)),
                    hn::Zero(d));
}

// Stores one vector of means for entries [j, j + lanes) of a row.
template <class D>
HWY_INLINE void putRow(D d, hn::Vec<D> v, hn::TFromD<D>* row, long step, size_t j)
{
    if (step == 1)
        hn::StoreU(v, d, row + j);
    else
        hn::StoreU(hn::Reverse(d, v), d, row - long(j + hn::Lanes(d)) + 1);
}

template <class D>
HWY_INLINE void vectorAt(D d, const DayLanes<D>& day, const LatitudeRun<hn::TFromD<D>>& run,
                         const Rows<hn::TFromD<D>>& rows, size_t j)
{
    hn::Vec<D> north, south;
    pairMeans(d, day, hn::LoadU(d, run.sinLatitude + j), hn::LoadU(d, run.cosLatitude + j),
              hn::LoadU(d, run.tanLatitude + j), north, south);
    putRow(d, south, rows.south, rows.southStep, j);
    putRow(d, north, rows.north, rows.northStep, j);
}

// Fewer entries than lanes: padded with the equator, through the same
// instructions.
template <class D>
HWY_NOINLINE void shortRun(D d, const DayLanes<D>& day, const LatitudeRun<hn::TFromD<D>>& run,
                           const Rows<hn::TFromD<D>>& rows)
{
    using T = hn::TFromD<D>;
    constexpr size_t most = HWY_MAX_BYTES / sizeof(T);
    HWY_ALIGN T sinLat[most] = {}, cosLat[most] = {}, tanLat[most] = {}, outN[most] = {}, outS[most] = {};
    std::copy(run.sinLatitude, run.sinLatitude + run.n, sinLat);
    std::copy(run.cosLatitude, run.cosLatitude + run.n, cosLat);
    std::copy(run.tanLatitude, run.tanLatitude + run.n, tanLat);
    hn::Vec<D> north, south;
    pairMeans(d, day, hn::Load(d, sinLat), hn::Load(d, cosLat), hn::Load(d, tanLat), north, south);
    hn::Store(north, d, outN);
    hn::Store(south, d, outS);
    for (size_t j = 0; j < run.n; ++j)
        rows.south[long(j) * rows.southStep] = outS[j];
    for (size_t j = 0; j < run.n; ++j)
        rows.north[long(j) * rows.northStep] = outN[j];
}

template <class T>
HWY_INLINE void runMeans(const DayGeometry& geometry, const LatitudeRun<T>& run, const Rows<T>& rows)
{
    using D = hn::ScalableTag<T>;
    const D d;
    const DayLanes<D> day(d, geometry);
    const size_t lanes = hn::Lanes(d);
    if (run.n < lanes)
        return shortRun(d, day, run, rows);
    size_t j = 0;
    for (; j + lanes <= run.n; j += lanes)
        vectorAt(d, day, run, rows, j);
    // The last entries in one more full vector, ending at the last entry:
    // some entries are computed twice, to the same values.
    if (j < run.n)
        vectorAt(d, day, run, rows, run.n - lanes);
}

void doubleMeans(const DayGeometry& day, const LatitudeRun<double>& run, const Rows<double>& rows)
{
    runMeans(day, run, rows);
}

void floatMeans(const DayGeometry& day, const LatitudeRun<float>& run, const Rows<float>& rows)
{
    runMeans(day, run, rows);
}

// g at lanes of points with their own longitudes and signed latitudes.
template <class D>
HWY_INLINE hn::Vec<D> pointSums(D d, hn::Vec<D> lambda, hn::Vec<D> sinLat, hn::Vec<D> cosLat,
                                hn::Vec<D> tanLat, hn::Vec<D> sinObliquity)
{
    const auto one = hn::Set(d, 1.0);
    const auto sinD = hn::Mul(sinObliquity, hn::Sin(d, lambda));
    const auto cosD = hn::Sqrt(hn::Mul(hn::Sub(one, sinD), hn::Add(one, sinD)));
    const auto tanD = hn::Div(sinD, hn::Max(cosD, hn::Set(d, 1e-300)));
    const auto c = hn::Min(hn::Max(hn::Neg(hn::Mul(tanLat, tanD)), hn::Neg(one)), one);
    const auto h0 = arccosine(d, c);
    const auto sinH0 = hn::Sqrt(hn::Mul(hn::Sub(one, c), hn::Add(one, c)));
    const auto g = hn::MulAdd(hn::Mul(sinLat, sinD), h0, hn::Mul(hn::Mul(cosLat, cosD), sinH0));
    return hn::Max(g, hn::Zero(d));
}

// Piece j's values in the lanes of one vector (see pieceIntegrals).
template <class D>
HWY_INLINE hn::Vec<D> piecesAt(D d, const PieceRun& run, const Rule& rule, hn::Vec<D> eps, size_t j)
{
    const auto start = hn::LoadU(d, run.start + j);
    const auto sinLat = hn::LoadU(d, run.sinLatitude + j), cosLat = hn::LoadU(d, run.cosLatitude + j),
               tanLat = hn::LoadU(d, run.tanLatitude + j);
    const auto length = hn::LoadU(d, run.length + j);
    const auto c1 = hn::LoadU(d, run.c1 + j), c2 = hn::LoadU(d, run.c2 + j), c3 = hn::LoadU(d, run.c3 + j);
    const auto c2x2 = hn::Add(c2, c2), c3x3 = hn::Mul(hn::Set(d, 3.0), c3);
    auto total = hn::Zero(d);
    for (int k = 0; k < rule.count; ++k) {
        const auto u = hn::Set(d, rule.node[k]);
        const auto lambda = hn::MulAdd(length, hn::Mul(u, hn::MulAdd(u, hn::MulAdd(u, c3, c2), c1)), start);
        const auto slope = hn::MulAdd(u, hn::MulAdd(u, c3x3, c2x2), c1);
        const auto g = pointSums(d, lambda, sinLat, cosLat, tanLat, eps);
        total = hn::MulAdd(hn::Mul(hn::Set(d, rule.weight[k]), slope), g, total);
    }
    return hn::Mul(total, length);
}

void doublePieces(const PieceRun& run, const Rule& rule, double sinObliquity, double* out)
{
    const hn::ScalableTag<double> d;
    const size_t lanes = hn::Lanes(d);
    const auto eps = hn::Set(d, sinObliquity);
    size_t j = 0;
    for (; j + lanes <= run.n; j += lanes)
        hn::StoreU(piecesAt(d, run, rule, eps, j), d, out + j);
    if (j == run.n)
        return;
    // The last pieces through the same instructions, padded with pieces
    // of length 0 at longitude 0 on the equator.
    constexpr size_t most = HWY_MAX_BYTES / sizeof(double);
    HWY_ALIGN double pad[9][most] = {};
    const double* from[8] = {run.start, run.length, run.c1, run.c2, run.c3,
                             run.sinLatitude, run.cosLatitude, run.tanLatitude};
    for (int a = 0; a < 8; ++a)
        std::copy(from[a] + j, from[a] + run.n, pad[a]);
    const PieceRun tail{pad[0], pad[1], pad[2], pad[3], pad[4], pad[5], pad[6], pad[7], lanes};
    hn::Store(piecesAt(d, tail, rule, eps, 0), d, pad[8]);
    std::copy(pad[8], pad[8] + (run.n - j), out + j);
}

void doubleDays(const DayRun& days, double sinLatitude, double cosLatitude, double tanLatitude, double* north,
                double* south)
{
    using D = hn::ScalableTag<double>;
    const D d;
    const size_t lanes = hn::Lanes(d);
    const auto sinLat = hn::Set(d, sinLatitude), cosLat = hn::Set(d, cosLatitude), tanLat = hn::Set(d, tanLatitude);
    size_t j = 0;
    for (; j + lanes <= days.n; j += lanes) {
        const DayLanes<D> day(hn::LoadU(d, days.sinDeclination + j), hn::LoadU(d, days.cosDeclination + j),
                              hn::LoadU(d, days.tanDeclination + j), hn::LoadU(d, days.scale + j));
        hn::Vec<D> n, s;
        pairMeans(d, day, sinLat, cosLat, tanLat, n, s);
        hn::StoreU(n, d, north + j);
        hn::StoreU(s, d, south + j);
    }
    if (j == days.n)
        return;
    // The last days padded with days of no sunlight at scale 0.
    constexpr size_t most = HWY_MAX_BYTES / sizeof(double);
    HWY_ALIGN double pad[6][most] = {};
    const double* from[4] = {days.sinDeclination, days.cosDeclination, days.tanDeclination, days.scale};
    for (int a = 0; a < 4; ++a)
        std::copy(from[a] + j, from[a] + days.n, pad[a]);
    const DayLanes<D> day(hn::Load(d, pad[0]), hn::Load(d, pad[1]), hn::Load(d, pad[2]), hn::Load(d, pad[3]));
    hn::Vec<D> n, s;
    pairMeans(d, day, sinLat, cosLat, tanLat, n, s);
    hn::Store(n, d, pad[4]);
    hn::Store(s, d, pad[5]);
    std::copy(pad[4], pad[4] + (days.n - j), north + j);
    std::copy(pad[5], pad[5] + (days.n - j), south + j);
}

const char* chosenTarget() { return hwy::TargetName(HWY_TARGET); }

}  // namespace HWY_NAMESPACE
}  // namespace simd
}  // namespace insolation
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace insolation {
namespace simd {

HWY_EXPORT(doubleMeans);
HWY_EXPORT(floatMeans);
HWY_EXPORT(chosenTarget);
HWY_EXPORT(doublePieces);
HWY_EXPORT(doubleDays);

void blockMeans(const DayGeometry& day, const LatitudeRun<double>& run, const Rows<double>& rows)
{
    HWY_DYNAMIC_DISPATCH(doubleMeans)(day, run, rows);
}

void blockMeans(const DayGeometry& day, const LatitudeRun<float>& run, const Rows<float>& rows)
{
    HWY_DYNAMIC_DISPATCH(floatMeans)(day, run, rows);
}

const char* targetName() { return HWY_DYNAMIC_DISPATCH(chosenTarget)(); }

void pieceIntegrals(const PieceRun& run, const Rule& rule, double sinObliquity, double* out)
{
    HWY_DYNAMIC_DISPATCH(doublePieces)(run, rule, sinObliquity, out);
}

void dayMeans(const DayRun& days, double sinLatitude, double cosLatitude, double tanLatitude, double* north,
              double* south)
{
    HWY_DYNAMIC_DISPATCH(doubleDays)(days, sinLatitude, cosLatitude, tanLatitude, north, south);
}

}  // namespace simd
}  // namespace insolation
#endif

#else  // without Highway: one value at a time, in double

#include "insolation/daily_grid.h"

#include <algorithm>

namespace insolation {
namespace simd {

namespace {

template <class T>
void scalarMeans(const DayGeometry& day, const LatitudeRun<T>& run, const Rows<T>& rows)
{
    for (size_t j = 0; j < run.n; ++j) {
        const double sinLat = run.sinLatitude[j];
        const double cosLat = run.cosLatitude[j];
        const double c = cosSunsetHourAngle(run.tanLatitude[j], day.tanDeclination);
        const double h0 = arccosine(c);
        const double sinH0 = std::sqrt((1.0 - c) * (1.0 + c));
        const double sinD = day.sinDeclination, cosD = day.cosDeclination;
        rows.south[long(j) * rows.southStep] =
            T(day.scale * dailyCosineSum(-sinLat, cosLat, sinD, cosD, math::pi - h0, sinH0));
        rows.north[long(j) * rows.northStep] =
            T(day.scale * dailyCosineSum(sinLat, cosLat, sinD, cosD, h0, sinH0));
    }
}

}  // namespace

void blockMeans(const DayGeometry& day, const LatitudeRun<double>& run, const Rows<double>& rows)
{
    scalarMeans(day, run, rows);
}

void blockMeans(const DayGeometry& day, const LatitudeRun<float>& run, const Rows<float>& rows)
{
    scalarMeans(day, run, rows);
}

const char* targetName() { return "scalar"; }

namespace {

double pointSum(const PieceRun& run, size_t j, double lambda, double sinObliquity)
{
    const double sinD = sinObliquity * std::sin(lambda);
    const double cosD = std::sqrt((1.0 - sinD) * (1.0 + sinD));
    const double c = cosSunsetHourAngle(run.tanLatitude[j], sinD / std::max(cosD, 1e-300));
    const double g = dailyCosineSum(run.sinLatitude[j], run.cosLatitude[j], sinD, cosD, arccosine(c),
                                    std::sqrt((1.0 - c) * (1.0 + c)));
    return std::max(g, 0.0);
}

}  // namespace

void pieceIntegrals(const PieceRun& run, const Rule& rule, double sinObliquity, double* out)
{
    for (size_t j = 0; j < run.n; ++j) {
        double total = 0;
        for (int k = 0; k < rule.count; ++k) {
            const double u = rule.node[k];
            const double lambda = run.start[j] + run.length[j] * u * (run.c1[j] + u * (run.c2[j] + u * run.c3[j]));
            const double slope = run.c1[j] + u * (2 * run.c2[j] + 3 * u * run.c3[j]);
            total += rule.weight[k] * slope * pointSum(run, j, lambda, sinObliquity);
        }
        out[j] = total * run.length[j];
    }
}

void dayMeans(const DayRun& days, double sinLatitude, double cosLatitude, double tanLatitude, double* north,
              double* south)
{
    for (size_t j = 0; j < days.n; ++j) {
        const DayGeometry day{days.sinDeclination[j], days.cosDeclination[j], days.tanDeclination[j], days.scale[j]};
        const LatitudeRun<double> run{&sinLatitude, &cosLatitude, &tanLatitude, 1};
        scalarMeans(day, run, Rows<double>{north + j, 1, south + j, 1});
    }
}

}  // namespace simd
}  // namespace insolation

#endif
