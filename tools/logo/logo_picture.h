// The logo picture: a night-blue field with a few stars, a tilted
// elliptical orbit, a glowing sun near one end of it, a small lit globe on
// the orbit and the word "paleoviz" underneath.
//
// Coordinates are picture pixels: x rightwards from the left edge, y
// downwards from the top edge, pixel (i, j) covering [i, i+1) x [j, j+1).
// Colour channels run 0..255. Only +, -, *, / and sqrt are used, so the
// picture is the same on every IEEE 754 machine.
#ifndef PALEOVIZ_TOOLS_LOGO_PICTURE_H
#define PALEOVIZ_TOOLS_LOGO_PICTURE_H

#include <vector>

constexpr int pictureWidth = 190;
constexpr int pictureHeight = 206;
constexpr int pictureChannels = 4;  // red, green, blue, alpha
constexpr int pictureSize = pictureWidth * pictureHeight * pictureChannels;  // 156560 bytes

struct Rgb {
    double r, g, b;
};

// Colour of the picture at the point (x, y).
Rgb pictureColour(double x, double y);

// The whole picture, 4 x 4 samples averaged per pixel, as RGBA bytes with
// alpha 255 everywhere, rows stored bottom row first (the first stored row
// is texture row t = 0, the bottom of the textured square).
std::vector<unsigned char> renderPicture();

#endif
