// GL's raster position and GLUT's bitmap text on WebGL 2: every glyph of
// the five fonts lies in one atlas texture, and a character is a quad over
// exactly its pixel box (times the text scale), drawn with the atlas's
// texels.
#include "web/gl_text.h"

#include "web/bitmap_font.h"
#include "web/gl_state.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <vector>

// Font handles: the GLUT headers name the fonts by these symbols' addresses.
void* glutBitmap9By15;
void* glutBitmap8By13;
void* glutBitmapTimesRoman10;
void* glutBitmapTimesRoman24;
void* glutBitmapHelvetica10;
void* glutBitmapHelvetica12;
void* glutBitmapHelvetica18;

namespace webgl_layer {
namespace {

// GL's raster position rounds to the pixel with this allowance, so that a
// position a hair below a pixel edge still counts as on it.
constexpr float rasterEpsilon = 1e-4f;

// Window pixels per font pixel (setTextScale).
float textScale = 1;

struct FontTable {
    void* handle;
    const BitmapGlyph* glyphs;
    const unsigned char* bits;
    AtlasGlyph atlas[256];
};

FontTable fontTables[] = {
    {&glutBitmapHelvetica10, Helvetica10Glyphs, Helvetica10Bits, {}},
    {&glutBitmapHelvetica12, Helvetica12Glyphs, Helvetica12Bits, {}},
    {&glutBitmapHelvetica18, Helvetica18Glyphs, Helvetica18Bits, {}},
    {&glutBitmapTimesRoman24, TimesRoman24Glyphs, TimesRoman24Bits, {}},
    {&glutBitmap8By13, Fixed8By13Glyphs, Fixed8By13Bits, {}},
};

void setRasterPosition(double x, double y, double z)
{
    state.rasterValid = toWindow(x, y, z, state.rasterX, state.rasterY, state.rasterZ);
    std::copy(state.colour, state.colour + 4, state.rasterColour);
}

FontTable* fontOf(void* handle)
{
    for (FontTable& f : fontTables)
        if (f.handle == handle)
            return &f;
    return nullptr;
}

// One glyph at the raster position: a quad over exactly its pixel box, each
// font pixel textScale window pixels wide, at the raster position's depth,
// its texels taken from the atlas.
void addGlyph(const FontTable& font, int c)
{
    const BitmapGlyph& g = font.glyphs[c];
    if (g.width > 0) {
        const float vw = static_cast<float>(state.viewport[2]), vh = static_cast<float>(state.viewport[3]);
        const float ox = static_cast<float>(state.viewport[0]), oy = static_cast<float>(state.viewport[1]);
        const float px = std::floor(state.rasterX + rasterEpsilon) + g.left * textScale - ox;
        const float py = std::floor(state.rasterY + rasterEpsilon) + g.bottom * textScale - oy;
        const float x0 = px * 2 / vw - 1, x1 = (px + g.width * textScale) * 2 / vw - 1;
        const float y0 = py * 2 / vh - 1, y1 = (py + g.height * textScale) * 2 / vh - 1;
        const float z = state.rasterZ * 2 - 1;
        const float s0 = static_cast<float>(font.atlas[c].x), t0 = static_cast<float>(font.atlas[c].y);
        const float s1 = s0 + g.width, t1 = t0 + g.height;
        Segment& segment = segmentFor(Primitive::triangleStrip, Shading::glyph, 0, identityMatrix());
        const Vertex corners[4] = {makeVertex(x0, y0, z, state.rasterColour, s0, t0),
                                   makeVertex(x1, y0, z, state.rasterColour, s1, t0),
                                   makeVertex(x0, y1, z, state.rasterColour, s0, t1),
                                   makeVertex(x1, y1, z, state.rasterColour, s1, t1)};
        openStrip(segment, corners[0]);
        for (const Vertex& v : corners)
            append(segment, v);
    }
    state.rasterX += g.advance * textScale;
}

}  // namespace

void setTextScale(float scale) { textScale = scale >= 1 ? scale : 1; }

// Lays every glyph of every font into one atlas, rows of glyphs side by side.
void buildAtlas()
{
    constexpr int atlasWidth = 1024;
    int x = 0, y = 0, rowHeight = 0;
    for (FontTable& f : fontTables)
        for (int c = 0; c < 256; ++c) {
            const BitmapGlyph& g = f.glyphs[c];
            if (x + g.width > atlasWidth) {
                x = 0;
                y += rowHeight;
                rowHeight = 0;
            }
            f.atlas[c] = AtlasGlyph{x, y};
            x += g.width;
            rowHeight = std::max(rowHeight, static_cast<int>(g.height));
        }
    const int atlasHeight = y + rowHeight;
    std::vector<uint8_t> texels(static_cast<size_t>(atlasWidth * atlasHeight), 0);
    for (const FontTable& f : fontTables)
        for (int c = 0; c < 256; ++c) {
            const BitmapGlyph& g = f.glyphs[c];
            const int rowBytes = (g.width + 7) / 8;
            for (int row = 0; row < g.height; ++row)
                for (int col = 0; col < g.width; ++col)
                    if (f.bits[g.offset + static_cast<uint32_t>(row * rowBytes + col / 8)] & (0x80 >> (col % 8)))
                        texels[static_cast<size_t>((f.atlas[c].y + row) * atlasWidth + f.atlas[c].x + col)] = 255;
        }
    uploadAtlas(texels, atlasWidth, atlasHeight);
}

}  // namespace webgl_layer

using webgl_layer::state;

extern "C" {

// --- raster position and text -------------------------------------------------
void glRasterPos3f(GLfloat x, GLfloat y, GLfloat z) { webgl_layer::setRasterPosition(x, y, z); }
void glRasterPos3d(GLdouble x, GLdouble y, GLdouble z) { webgl_layer::setRasterPosition(x, y, z); }

void glutBitmapCharacter(void* font, int character)
{
    webgl_layer::FontTable* table = webgl_layer::fontOf(font);
    // As GLUT: character 0 and characters past the font draw nothing.
    if (table == nullptr || character < 1 || character > 255 || !state.rasterValid)
        return;
    webgl_layer::addGlyph(*table, character);
}

}  // extern "C"
