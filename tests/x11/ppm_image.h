// A captured window picture: binary PPM (P6) parsing, colour classes and
// counts of pixels inside rectangular regions.
#ifndef PALEOVIZ_TESTS_X11_PPM_IMAGE_H
#define PALEOVIZ_TESTS_X11_PPM_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    int r, g, b;  // 0..255
};

// Pixels in rows from the top, 8 bits per channel.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;  // width * height * 3 bytes

    bool empty() const { return width == 0 || height == 0; }
    Rgb at(int x, int y) const;
};

// Parses a binary PPM with a maximum value of 255 or 65535 (16-bit samples
// are reduced to their high byte). Returns an empty image on a malformed file.
Image parsePpm(const std::string& bytes);

// Writes the image as a binary PPM, for looking at a failing capture.
bool writePpm(const Image& image, const std::string& path);

// A rectangle of window pixels: x0 <= x < x1, y0 <= y < y1, y from the top.
struct Region {
    int x0, y0, x1, y1;
};

using PixelClass = bool (*)(Rgb);

// Colour classes of what the window shows.
bool isSunYellow(Rgb p);    // the flat (1, 1, 0.5) Sun
bool isWhite(Rgb p);        // text, orbit dashes, lines
bool isGlobeColour(Rgb p);  // a palette colour: tinted, never full brightness
bool isCurveRed(Rgb p);     // eccentricity
bool isCurveGreen(Rgb p);   // precession
bool isCurveCyan(Rgb p);    // obliquity
bool isLit(Rgb p);          // anything but the black background

// Pixels of the class inside the region (clipped to the image).
int countPixels(const Image& image, Region region, PixelClass pixelClass);

// Pixels inside the region whose colour differs between the two images by
// more than a small tolerance in any channel; -1 if the sizes differ.
int countChanged(const Image& a, const Image& b, Region region);

// Pixels inside the region that belong to the class in exactly one image;
// -1 if the sizes differ.
int countClassChanged(const Image& a, const Image& b, Region region, PixelClass pixelClass);

#endif
