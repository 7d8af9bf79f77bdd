#include "logo_picture.h"

#include "logo_font.h"

#include <cmath>

namespace {

struct Point {
    double x, y;
};

// Sky: a vertical gradient with a few fixed stars.
constexpr Rgb skyTop{16, 22, 58};
constexpr Rgb skyBottom{4, 6, 22};
struct Star {
    int x, y;
    double level;  // brightness 0..255
};
constexpr Star stars[] = {{14, 16, 200}, {37, 40, 120}, {61, 11, 160}, {122, 19, 110},
                          {150, 9, 210},  {176, 31, 140}, {168, 58, 90}, {9, 70, 110},
                          {23, 121, 150}, {178, 112, 120}, {131, 137, 90}, {52, 142, 130},
                          {93, 23, 80},   {8, 190, 90},  {181, 194, 110}};

// Orbit: an ellipse with semi-axes orbitA, orbitB around orbitCentre, its
// major axis turned by the angle whose cosine and sine are 24/25 and -7/25
// (about 16 degrees, rising to the right). The line brightens from the far
// side (above the major axis) to the near side.
constexpr Point orbitCentre{95, 84};
constexpr double orbitA = 76;
constexpr double orbitB = 36;
constexpr double tiltCos = 24.0 / 25.0;
constexpr double tiltSin = -7.0 / 25.0;
constexpr double orbitHalfWidth = 1.2;
constexpr Rgb orbitNear{196, 210, 244};
constexpr Rgb orbitFar{96, 110, 160};

// Sun on the major axis, right of the centre; globe on the near half of the
// orbit at the point with cos = -0.6, sin = 0.8 of the ellipse parameter.
constexpr double sunAxisOffset = 0.55 * orbitA;
constexpr double sunRadius = 12;
constexpr double glowRadius = 30;
constexpr double glowStrength = 0.7;
constexpr Rgb sunCentre{255, 248, 200};
constexpr Rgb sunEdge{255, 188, 28};
constexpr Rgb glowColour{255, 150, 30};
constexpr double globeRadius = 13;
constexpr double globeAmbient = 0.3;
constexpr double globeLightHeight = 0.8;  // light's elevation towards the viewer
constexpr double rimWidth = 0.22;         // atmosphere, in globe radii
constexpr double rimStrength = 0.55;
constexpr Rgb ocean{40, 118, 220};
constexpr Rgb land{76, 188, 92};
constexpr Rgb rimColour{120, 200, 255};

// Continents as ellipses on the globe's disc, in globe radii.
struct Blob {
    double x, y, rx, ry;
};
constexpr Blob continents[] = {
    {-0.32, -0.38, 0.40, 0.30}, {-0.02, 0.30, 0.22, 0.42}, {0.46, -0.08, 0.26, 0.36}};

// Lettering: each font pixel a square of letteringScale pixels, with a drop
// shadow below and to the right.
const char* const word = "paleoviz";
constexpr int letteringScale = 3;
constexpr int letteringTop = 158;
constexpr double shadowOffset = 2;
constexpr Rgb letteringTopColour{250, 246, 226};
constexpr Rgb letteringBottomColour{255, 196, 72};
constexpr Rgb shadowColour{0, 0, 8};

// Frame around the picture.
constexpr int frameWidth = 2;
constexpr Rgb frameColour{72, 98, 164};

constexpr int samplesPerSide = 4;
constexpr double opaque = 255;

constexpr Point fromOrbit(double u, double v)
{
    return {orbitCentre.x + u * tiltCos - v * tiltSin, orbitCentre.y + u * tiltSin + v * tiltCos};
}

constexpr Point sunPosition = fromOrbit(sunAxisOffset, 0);
constexpr Point globePosition = fromOrbit(-0.6 * orbitA, 0.8 * orbitB);

Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scale(Rgb a, double f) { return {a.r * f, a.g * f, a.b * f}; }

Rgb sky(double x, double y)
{
    Rgb c = mix(skyTop, skyBottom, y / pictureHeight);
    for (const Star& s : stars)
        if (x >= s.x && x < s.x + 1 && y >= s.y && y < s.y + 1)
            c = {s.level, s.level, s.level};
    return c;
}

// The orbit line over colour c.
Rgb orbit(Rgb c, double x, double y)
{
    const double dx = x - orbitCentre.x;
    const double dy = y - orbitCentre.y;
    const double u = dx * tiltCos + dy * tiltSin;
    const double v = -dx * tiltSin + dy * tiltCos;
    const double q = std::sqrt(u * u / (orbitA * orbitA) + v * v / (orbitB * orbitB));
    if (q == 0)
        return c;
    // Distance from the ellipse, measured along the ray from its centre.
    const double distance = std::fabs(q - 1) / q * std::sqrt(u * u + v * v);
    if (distance > orbitHalfWidth)
        return c;
    return mix(orbitFar, orbitNear, (v / orbitB + 1) / 2);
}

// The sun's disc, brighter towards its centre, and its glow over colour c.
Rgb sun(Rgb c, double x, double y)
{
    const double dx = x - sunPosition.x;
    const double dy = y - sunPosition.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d <= sunRadius) {
        const double t = d / sunRadius;
        return mix(sunCentre, sunEdge, t * t);
    }
    if (d >= glowRadius)
        return c;
    const double fade = 1 - (d - sunRadius) / (glowRadius - sunRadius);
    return mix(c, glowColour, glowStrength * fade * fade);
}

bool onContinent(double gx, double gy)
{
    for (const Blob& b : continents) {
        const double ex = (gx - b.x) / b.rx;
        const double ey = (gy - b.y) / b.ry;
        if (ex * ex + ey * ey <= 1)
            return true;
    }
    return false;
}

// Brightness of the globe's surface point (gx, gy, gz), unit radius, lit
// from the sun's direction.
double globeLight(double gx, double gy, double gz)
{
    const double lx = sunPosition.x - globePosition.x;
    const double ly = sunPosition.y - globePosition.y;
    const double flat = std::sqrt(lx * lx + ly * ly);
    const double lz = globeLightHeight * flat;
    const double length = std::sqrt(flat * flat + lz * lz);
    const double lambert = (gx * lx + gy * ly + gz * lz) / length;
    return globeAmbient + (1 - globeAmbient) * (lambert > 0 ? lambert : 0);
}

// The globe and its thin atmosphere over colour c.
Rgb globe(Rgb c, double x, double y)
{
    const double gx = (x - globePosition.x) / globeRadius;
    const double gy = (y - globePosition.y) / globeRadius;
    const double r2 = gx * gx + gy * gy;
    if (r2 <= 1) {
        const Rgb surface = onContinent(gx, gy) ? land : ocean;
        return scale(surface, globeLight(gx, gy, std::sqrt(1 - r2)));
    }
    const double beyond = (std::sqrt(r2) - 1) / rimWidth;
    if (beyond >= 1)
        return c;
    return mix(c, rimColour, rimStrength * (1 - beyond) * (1 - beyond));
}

// Whether a letter of the word, centred across the picture, covers the point.
bool wordCovers(double x, double y)
{
    const int left = (pictureWidth - textColumns(word) * letteringScale) / 2;
    const double col = std::floor((x - left) / letteringScale);
    const double row = std::floor((y - letteringTop) / letteringScale);
    return textCovers(word, static_cast<int>(col), static_cast<int>(row));
}

Rgb lettering(Rgb c, double x, double y)
{
    if (wordCovers(x, y)) {
        const double t = (y - letteringTop) / (glyphRows * letteringScale);
        return mix(letteringTopColour, letteringBottomColour, t);
    }
    if (wordCovers(x - shadowOffset, y - shadowOffset))
        return shadowColour;
    return c;
}

bool onFrame(double x, double y)
{
    return x < frameWidth || x >= pictureWidth - frameWidth || y < frameWidth
           || y >= pictureHeight - frameWidth;
}

unsigned char channel(double sum)
{
    const double value = std::floor(sum / (samplesPerSide * samplesPerSide) + 0.5);
    return static_cast<unsigned char>(value < 0 ? 0 : value > opaque ? opaque : value);
}

}  // namespace

Rgb pictureColour(double x, double y)
{
    if (onFrame(x, y))
        return frameColour;
    Rgb c = sky(x, y);
    c = orbit(c, x, y);
    c = sun(c, x, y);
    c = globe(c, x, y);
    return lettering(c, x, y);
}

std::vector<unsigned char> renderPicture()
{
    std::vector<unsigned char> bytes;
    bytes.reserve(pictureSize);
    for (int row = pictureHeight - 1; row >= 0; --row) {
        for (int col = 0; col < pictureWidth; ++col) {
            Rgb sum{0, 0, 0};
            for (int i = 0; i < samplesPerSide; ++i)
                for (int j = 0; j < samplesPerSide; ++j) {
                    const Rgb s = pictureColour(col + (i + 0.5) / samplesPerSide,
                                                row + (j + 0.5) / samplesPerSide);
                    sum = {sum.r + s.r, sum.g + s.g, sum.b + s.b};
                }
            bytes.push_back(channel(sum.r));
            bytes.push_back(channel(sum.g));
            bytes.push_back(channel(sum.b));
            bytes.push_back(static_cast<unsigned char>(opaque));
        }
    }
    return bytes;
}
