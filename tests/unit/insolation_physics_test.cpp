// The colour index against daily-mean top-of-atmosphere insolation worked
// out from first principles (Berger 1978; Hartmann, Global Physical
// Climatology, ch. 2):
//
//   declination            sin d = sin eps sin lambda
//   sunset hour angle      h0 = acos(-tan phi tan d)
//   Earth-Sun distance     rho = r / a = (1 - e^2) / (1 + e cos v)
//   daily mean             Q = (S0 / pi) (1 / rho^2) (h0 sin phi sin d + cos phi cos d sin h0)
//
// lambda is the Sun's true longitude from the March equinox (0, 90, 180, 270
// degrees for the four seasons) and v the true anomaly, the angle from
// perihelion. The series' precession column varpi is the longitude of
// perihelion in the heliocentric frame (the Earth's longitude at
// perihelion), so seen from the Earth the Sun passes perihelion at
// lambda = varpi + 180 degrees and v = lambda - varpi - 180 degrees. Today
// (varpi about 102 degrees) that puts perihelion in early January and the
// June solstice near aphelion.
//
// The index is Q pi / S0 on a scale where 1.3 fills the 192 entries.
#include "math/constants.h"
#include "globe/earth.h"
#include "scene/data_files.h"
#include "test_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

using math::pi;

namespace {

constexpr double degree = pi / 180;
constexpr double fullScale = 1.3;
constexpr int entries = 192;

int16_t land(int, int) { return 10; }

struct Orbit {
    double eccentricity;
    double varpiDegrees;  // longitude of perihelion, heliocentric
    double obliquityDegrees;
};

// Daily-mean insolation over the solar constant, times pi.
double relativeInsolation(const Orbit& orbit, double lambda, double phi)
{
    const double e = orbit.eccentricity;
    const double eps = orbit.obliquityDegrees * degree;
    const double delta = std::asin(std::sin(eps) * std::sin(lambda));
    const double h0 = std::acos(-std::tan(phi) * std::tan(delta));
    const double trueAnomaly = lambda - (orbit.varpiDegrees * degree + pi);
    const double rho = (1 - e * e) / (1 + e * std::cos(trueAnomaly));
    return (h0 * std::sin(phi) * std::sin(delta) + std::cos(phi) * std::cos(delta) * std::sin(h0))
           / (rho * rho);
}

int referenceIndex(const Orbit& orbit, int season, double phi)
{
    const double lambda = season * 90 * degree;
    return static_cast<int>(std::floor(relativeInsolation(orbit, lambda, phi) / fullScale * entries));
}

// Sets the globe's orbit the way the scene hands the series on: the
// perihelion angle is varpi turned by half a turn, all three as floats.
void setOrbit(Globe& globe, const Orbit& orbit, double omegaTurn)
{
    globe.setOmega(static_cast<float>(orbit.varpiDegrees * degree + omegaTurn));
    globe.setEccentricity(static_cast<float>(orbit.eccentricity));
    globe.setObliquity(static_cast<float>(orbit.obliquityDegrees * degree));
}

// Largest |program index - reference index| over seasons, latitudes in the
// lit zone of every orbit (rows 80 to 460, within 63.4 degrees of the
// equator) and the orbits given.
int largestDeparture(Globe& globe, double omegaTurn, int* where = nullptr)
{
    const double eccentricities[] = {0.0, 0.017, 0.05};
    const double varpis[] = {0.0, 102.0, 250.0, 300.0};
    const double obliquities[] = {22.1, 23.44, 24.5};
    int worst = 0;
    for (double e : eccentricities)
        for (double w : varpis)
            for (double eps : obliquities) {
                const Orbit orbit{e, w, eps};
                setOrbit(globe, orbit, omegaTurn);
                for (int season = 0; season < 4; ++season) {
                    globe.season = season;
                    for (int row = 80; row <= 460; row += 20) {
                        const float phi = static_cast<float>(globe.latitudeOfRow(row));
                        const int d = std::abs(globe.colourIndex(phi) - referenceIndex(orbit, season, phi));
                        if (d > worst && where != nullptr)
                            *where = row;
                        worst = std::max(worst, d);
                    }
                }
            }
    return worst;
}

std::unique_ptr<Globe> makeGlobe()
{
    TestDir dir;
    dir.write(gridFileName, fullGrid(land));
    return std::make_unique<Globe>(seasonMarch, gridFileName);
}

}  // namespace

TEST(InsolationPhysics, IndexIsTheNormalisedDailyMeanInsolation)
{
    auto globe = makeGlobe();
    int row = -1;
    EXPECT_LE(largestDeparture(*globe, pi, &row), 1) << "worst at row " << row;
}

TEST(InsolationPhysics, PerihelionTurnedTheOtherWayIsDetected)
{
    // Handing varpi over without the half turn moves perihelion to the
    // opposite season; with e = 0.05 that changes the index by up to ~20%.
    auto globe = makeGlobe();
    EXPECT_GT(largestDeparture(*globe, 0.0), 10);
}

TEST(InsolationPhysics, TodaysPerihelionFavoursTheDecemberSolstice)
{
    // Present orbit: e 0.016724, varpi 102.039, eps 23.44627 degrees. The
    // Earth is nearest the Sun in early January, so the December solstice at
    // 45 S receives about 7% more than the June solstice at 45 N.
    auto globe = makeGlobe();
    setOrbit(*globe, Orbit{0.016724, 102.039, 23.44627}, pi);
    globe->season = seasonJune;
    const int june = globe->colourIndex(static_cast<float>(globe->latitudeOfRow(135)));
    globe->season = seasonDecember;
    const int december = globe->colourIndex(static_cast<float>(globe->latitudeOfRow(405)));
    EXPECT_GT(december, june);
    EXPECT_NEAR(double(december) / june, std::pow((1 + 0.016724) / (1 - 0.016724), 2), 0.015);
}
