// The registry's `geometry` row against a brute-force reckoning of the day:
// the cosine of the solar zenith angle sampled over the hour angle, its
// sunlit samples averaged by time and by insolation, and the day's length
// counted from them; and its time-weighted mean against `daily`'s.
#include "insolation/registry.h"
#include "math/constants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

using math::pi;

namespace {

constexpr double degree = pi / 180;
constexpr int samples = 200000;  // hour angles over the day, midpoints

struct Case {
    double eccentricity, perihelionDeg, obliquityDeg;
    double lambdaDeg, latitudeDeg;
};

// Today's orbit, one far more eccentric, and a higher obliquity; polar day
// and night at both poles, the equator, short and long days.
const Case cases[] = {
    {0.0167, 102.9, 23.44, 90, 65},  {0.0167, 102.9, 23.44, 90, 90},  {0.0167, 102.9, 23.44, 90, -90},
    {0.0167, 102.9, 23.44, 270, -80}, {0.0167, 102.9, 23.44, 0, 0},   {0.0167, 102.9, 23.44, 90, 0},
    {0.06, 270, 22, 200, -45},        {0.05, 0, 24.5, 330, 70},       {0.05, 0, 24.5, 330, 80},
    {0.05, 0, 24.5, 45, 89},
};

// The outputs as the brute force finds them, in the row's order.
struct Expected {
    double declination, distance, factor, dayLength, time, sunlit, insolation, polarDay, polarNight;
};

Expected bruteForce(const Case& c)
{
    const double lambda = c.lambdaDeg * degree, phi = c.latitudeDeg * degree;
    const double dec = std::asin(std::sin(c.obliquityDeg * degree) * std::sin(lambda));
    const double v = lambda - c.perihelionDeg * degree - pi;
    const double r = (1 - c.eccentricity * c.eccentricity) / (1 + c.eccentricity * std::cos(v));
    double sum = 0, squares = 0;
    int lit = 0;
    for (int k = 0; k < samples; ++k) {
        const double h = -pi + (k + 0.5) * 2 * pi / samples;
        const double cosZ = std::sin(phi) * std::sin(dec) + std::cos(phi) * std::cos(dec) * std::cos(h);
        if (cosZ <= 0)
            continue;
        ++lit;
        sum += cosZ;
        squares += cosZ * cosZ;
    }
    return {dec / degree,        r,           1 / (r * r), 24.0 * lit / samples, sum / samples, sum / lit,
            squares / sum,       lit == samples ? 1.0 : 0.0, lit == 0 ? 1.0 : 0.0};
}

const insolation::Quantity& row(const char* name)
{
    const insolation::Quantity* q = insolation::findQuantity(name);
    EXPECT_NE(q, nullptr) << name;
    return *q;
}

size_t indexOf(const insolation::Quantity& q, const std::string& name)
{
    size_t k = 0;
    while (k < q.outputs.size() && q.outputs[k].name != name)
        ++k;
    EXPECT_LT(k, q.outputs.size()) << name;
    return k;
}

insolation::Orbit orbitOf(const Case& c)
{
    return {c.eccentricity, c.obliquityDeg * degree, c.perihelionDeg * degree};
}

// The geometry row's values at a case, by output name.
std::vector<std::pair<std::string, double>> computed(const Case& c)
{
    const insolation::Quantity& q = row("geometry");
    std::vector<double> out(q.valueCount());
    insolation::Point p;
    p.latitude = c.latitudeDeg;
    p.lonOrDay = c.lambdaDeg;
    q.point(orbitOf(c), insolation::Settings{}, p, out.data());
    std::vector<std::pair<std::string, double>> named;
    for (size_t k = 0; k < q.outputs.size(); ++k)
        named.emplace_back(q.outputs[k].name, out[k]);
    return named;
}

}  // namespace

TEST(Geometry, MatchesTheHourAngleQuadratureOfTheZenithCosine)
{
    for (const Case& c : cases) {
        SCOPED_TRACE("lambda " + std::to_string(c.lambdaDeg) + ", latitude " + std::to_string(c.latitudeDeg));
        const Expected e = bruteForce(c);
        const double daySample = 24.0 / samples;
        // name, expected, tolerance (NaN expected: NaN computed). The count
        // of sunlit samples misses up to one sample at either end of the
        // sunlit arc, which bounds the day length's and the sunlit mean's.
        const struct {
            const char* name;
            double value, tolerance;
        } expected[] = {{"declination_deg", e.declination, 1e-12}, {"distance_au", e.distance, 1e-14},
                        {"irradiance_factor", e.factor, 1e-14},    {"day_length_h", e.dayLength, 2 * daySample},
                        {"coszen_time", e.time, 1e-8},             {"coszen_sunlit", e.sunlit, 5e-5},
                        {"coszen_insolation", e.insolation, 1e-6}, {"polar_day", e.polarDay, 0},
                        {"polar_night", e.polarNight, 0}};
        const auto values = computed(c);
        ASSERT_EQ(values.size(), std::size(expected));
        for (size_t k = 0; k < values.size(); ++k) {
            EXPECT_EQ(values[k].first, expected[k].name);
            if (std::isnan(expected[k].value))
                EXPECT_TRUE(std::isnan(values[k].second)) << expected[k].name;
            else
                EXPECT_NEAR(values[k].second, expected[k].value, expected[k].tolerance) << expected[k].name;
        }
    }
}

TEST(Geometry, TimeWeightedCosineTimesIrradianceIsTheDailyMean)
{
    const insolation::Settings settings;
    const insolation::Quantity& geometryRow = row("geometry");
    const size_t time = indexOf(geometryRow, "coszen_time"), factor = indexOf(geometryRow, "irradiance_factor");
    std::vector<double> geometry(geometryRow.valueCount());
    for (const Case& c : cases) {
        for (double latitude = -90; latitude <= 90; latitude += 7.5) {
            for (double lambda = 0; lambda < 360; lambda += 15) {
                insolation::Point p;
                p.latitude = latitude;
                p.lonOrDay = lambda;
                double daily = 0;
                geometryRow.point(orbitOf(c), settings, p, geometry.data());
                row("daily").point(orbitOf(c), settings, p, &daily);
                const double product = settings.solarConstant * geometry[time] * geometry[factor];
                // At a pole on an equinox both are rounding errors of 0
                // (the Sun on the horizon all day), hence the floor.
                const double tolerance = 1e-12 * std::fabs(daily) + 1e-15 * settings.solarConstant;
                EXPECT_NEAR(product, daily, tolerance) << latitude << " " << lambda;
            }
        }
    }
}
