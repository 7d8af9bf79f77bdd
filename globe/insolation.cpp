// Colouring of a globe: the two palettes and the daily-mean insolation index.
#include "globe/earth.h"

#include <GL/glut.h>

#include <cmath>

namespace {

constexpr double pi = 3.141592653589793;
constexpr double halfPi = 1.5707963267948966;
// Normalisation of the index: F x D / 1.3 x 192.
constexpr double insolationScale = 1.3;
constexpr double indexScale = 192.0;
constexpr int topIndex = paletteSize - 1;

// Saturation and value (0..255) of the two palettes; entry 0 is grey.
constexpr unsigned paletteSaturation = 100;
constexpr unsigned landValue = 200;
constexpr unsigned oceanValue = 100;
constexpr unsigned landGrey = 127;
constexpr unsigned oceanGrey = 64;

// Square of a distance quotient, formed in double, kept as a float.
float distanceFactor(double numerator, float e2)
{
    const double q = numerator / (1.0 - e2);
    return static_cast<float>(q * q);
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
    const double phi = latitude;
    const float e2 = eccentricity * eccentricity;
    // Polar day and polar night at the solstices both fall outside this zone.
    const bool inZone = phi >= eps - halfPi && phi <= halfPi - eps;

    float factor = 0;  // squared inverse Earth-Sun distance, 1/(1-e^2) scaled
    float daily = 0;   // daily-mean cosine of the solar zenith angle, x pi
    switch (season) {
    case seasonMarch:
        factor = distanceFactor(1 + e * std::cos(w), e2);
        daily = static_cast<float>(std::cos(phi));
        break;
    case seasonSeptember:
        factor = distanceFactor(1 - e * std::cos(w), e2);
        daily = static_cast<float>(std::cos(phi));
        break;
    case seasonJune:
        if (inZone) {
            factor = distanceFactor(1 + e * std::sin(w), e2);
            const double h0 = std::acos(-std::tan(phi) * std::tan(eps));
            daily = static_cast<float>(std::cos(eps) * std::cos(phi) * std::sin(double(float(h0)))
                                       + std::sin(eps) * std::sin(phi) * h0);
        }
        break;
    case seasonDecember:
        if (inZone) {
            factor = distanceFactor(1 - e * std::sin(w), e2);
            const double h0 = std::acos(std::tan(phi) * std::tan(eps));
            daily = static_cast<float>(std::cos(eps) * std::cos(phi) * std::sin(double(float(h0)))
                                       - std::sin(eps) * std::sin(phi) * h0);
        }
        break;
    default:
        break;
    }

    const float value = static_cast<float>(factor * daily / insolationScale * indexScale);
    if (std::isnan(value))
        return 0;
    if (!(value < paletteSize))
        return topIndex;
    const int k = static_cast<int>(std::floor(value));
    return k < 0 ? 0 : k;
}

void Globe::setColour(int16_t sample, int index) const
{
    const unsigned u = static_cast<uint16_t>(sample);
    glColor3fv(u > 32768u ? oceanPalette[index] : landPalette[index]);
}
