// The GLUT bitmap fonts of the web build: glyph tables read back from the
// system's GLUT by tools/fonts (web/bitmap_font_tables.cpp, generated), so
// that text has exactly the native window's pixels.
#ifndef PALEOVIZ_WEB_BITMAP_FONT_H
#define PALEOVIZ_WEB_BITMAP_FONT_H

#include <cstdint>

namespace webgl_layer {

// A glyph's lit pixels: a box whose lower left corner lies (left, bottom)
// pixels from the pixel holding the raster position; rows bottom first,
// each (width + 7) / 8 bytes, most significant bit leftmost. The raster
// position moves right by advance pixels.
struct BitmapGlyph {
    int8_t left, bottom;
    uint8_t width, height;
    uint8_t advance;
    uint32_t offset;  // of the first row in the font's bits
};

extern const unsigned char Helvetica10Bits[], Helvetica12Bits[], Helvetica18Bits[], TimesRoman24Bits[],
    Fixed8By13Bits[];
extern const BitmapGlyph Helvetica10Glyphs[256], Helvetica12Glyphs[256], Helvetica18Glyphs[256],
    TimesRoman24Glyphs[256], Fixed8By13Glyphs[256];

}  // namespace webgl_layer

#endif
