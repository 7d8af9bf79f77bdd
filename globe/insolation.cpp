// Colouring of a globe: the two palettes and the daily-mean insolation index.
// No GL here; setColour, which hands a palette entry to GL, is drawing code.
#include "globe/earth.h"

#include "math/constants.h"
#include "insolation/daily_insolation.h"

#include <algorithm>
#include <cmath>

using math::pi;
using math::halfPi;

namespace {

// Normalisation of the index: F x D / paletteFullScale x 192.
constexpr double indexScale = 192.0;
constexpr int topIndex = paletteSize - 1;

// Saturation and value (0..255) of the two palettes; entry 0 is grey.
constexpr unsigned paletteSaturation = 100;
constexpr unsigned landValue = 200;
constexpr unsigned oceanValue = 100;
constexpr unsigned landGrey = 127;
constexpr unsigned oceanGrey = 64;

// Palette index of a scaled value: NaN and everything below the palette
// (minus infinity included) is 0, everything from 192 up (infinity
// included) is 191, so only values in [0, 192) reach the conversion.
int indexOfValue(float value)
{
    if (!(value >= 0))
        return 0;
    if (!(value < paletteSize))
        return topIndex;
    return static_cast<int>(value);
}

}  // namespace

void hsvToRgb(unsigned h, unsigned s, unsigned v, float& red, float& green, float& blue)
{
    float hue = static_cast<float>(h * 360.0 / 256.0);
    const float sat = static_cast<float>(s / 255.0);
    const float val = static_cast<float>(v / 255.0);
    if (s == 0) {
        red = green = blue = val;
        return;
    }
    if (hue == 360.0f)
        hue = 0.0f;
    hue = static_cast<float>(hue / 60.0);
    const int i = static_cast<int>(std::floor(hue));
    const float f = hue - static_cast<float>(i);
    const float p = (1 - sat) * val;
    const float q = (1 - sat * f) * val;
    const float t = (1 - (1 - f) * sat) * val;
    switch (i) {
    case 0: red = val; green = t; blue = p; break;
    case 1: red = q; green = val; blue = p; break;
    case 2: red = p; green = val; blue = t; break;
    case 3: red = p; green = q; blue = val; break;
    case 4: red = t; green = p; blue = val; break;
    case 5: red = val; green = p; blue = q; break;
    default: break;
    }
}

void Globe::buildPalettes()
{
    hsvToRgb(0, 0, landGrey, landPalette[0][0], landPalette[0][1], landPalette[0][2]);
    hsvToRgb(0, 0, oceanGrey, oceanPalette[0][0], oceanPalette[0][1], oceanPalette[0][2]);
    for (int i = 1; i < paletteSize; ++i) {
        const unsigned hue = static_cast<unsigned>(topIndex - i);
        float* land = landPalette[i];
        float* ocean = oceanPalette[i];
        hsvToRgb(hue, paletteSaturation, landValue, land[0], land[1], land[2]);
        hsvToRgb(hue, paletteSaturation, oceanValue, ocean[0], ocean[1], ocean[2]);
    }
}

double Globe::latitudeOfRow(int r) const
{
    return (rows / 2.0 - r) / rows * pi;
}

int Globe::colourIndex(float latitude) const
{
    const double e = eccentricity;
    const double w = omega;
    const double eps = obliquity;
    // The float pole lies just beyond pi/2, where tan changes sign and polar
    // day would read as polar night; only the caps by value reach it.
    const double phi = capsByValue ? std::min(std::max(double(latitude), -halfPi), halfPi) : latitude;
    const float e2 = eccentricity * eccentricity;

    // The globe's omega is varpi + pi, so the true anomaly lambda - varpi - pi
    // is lambda - omega: at the four seasons cos v is cos w, sin w, -cos w, -sin w.
    double cosAnomaly = 0;
    double delta = 0;  // declination
    switch (season) {
    case seasonMarch: cosAnomaly = std::cos(w); break;
    case seasonJune: cosAnomaly = std::sin(w); delta = eps; break;
    case seasonSeptember: cosAnomaly = -std::cos(w); break;
    case seasonDecember: cosAnomaly = -std::sin(w); delta = -eps; break;
    default: return 0;
    }
    // At the solstices polar day and polar night both fall outside this zone.
    const bool solstice = season == seasonJune || season == seasonDecember;
    if (solstice && !capsByValue && !(phi >= eps - halfPi && phi <= halfPi - eps))
        return 0;

    const double q = insolation::inverseDistance(e, cosAnomaly, e2);
    const float factor = static_cast<float>(q * q);  // (a / r)^2
    const double h0 = insolation::sunsetHourAngle(phi, delta);
    // The solstice days take the sine of h0 rounded to float; at the
    // equinoxes h0 is pi/2 and its sine exactly 1.
    const double sinH0 = solstice ? std::sin(double(float(h0))) : std::sin(h0);
    const float daily = static_cast<float>(insolation::dailyCosineSum(
        std::sin(phi), std::cos(phi), std::sin(delta), std::cos(delta), h0, sinH0));
    return indexOfValue(static_cast<float>(factor * daily / paletteFullScale * indexScale));
}
