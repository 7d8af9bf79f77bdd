// font_tables: draws every glyph of the GLUT bitmap fonts the window uses
// through the system's GLUT, reads each back from the frame buffer and
// writes the glyph tables of the web build (web/bitmap_font_tables.cpp), so
// that the browser draws text with exactly the native window's pixels.
// Needs an X server (a virtual one does).
#include <GL/glut.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// A square window with the raster origin well inside it: the largest glyph
// (Times Roman 24) spans about 30 pixels either way.
constexpr int side = 128;
constexpr int originX = 48;
constexpr int originY = 48;
constexpr int glyphCount = 256;

struct FontEntry {
    const char* name;  // the web layer's table name
    void* font;
};

const FontEntry fonts[] = {
    {"Helvetica10", GLUT_BITMAP_HELVETICA_10},     {"Helvetica12", GLUT_BITMAP_HELVETICA_12},
    {"Helvetica18", GLUT_BITMAP_HELVETICA_18},     {"TimesRoman24", GLUT_BITMAP_TIMES_ROMAN_24},
    {"Fixed8By13", GLUT_BITMAP_8_BY_13},
};

// One glyph as read back: lit pixels in a box relative to the raster
// position's pixel, rows bottom first, each row packed most significant bit
// first into whole bytes.
struct Glyph {
    int left = 0, bottom = 0, width = 0, height = 0, advance = 0;
    std::vector<unsigned char> bits;
};

// Draws one character with the raster position in the middle of the origin
// pixel (the glyph's pixels are the same anywhere in that pixel) and reads
// back its pixels and how far it moved the raster position.
bool readGlyph(void* font, int c, Glyph& glyph, std::vector<unsigned char>& frame)
{
    glClear(GL_COLOR_BUFFER_BIT);
    glRasterPos2f(originX + 0.5f, originY + 0.5f);
    glutBitmapCharacter(font, c);
    GLfloat position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    glReadPixels(0, 0, side, side, GL_RED, GL_UNSIGNED_BYTE, frame.data());
    const double advance = position[0] - (originX + 0.5);
    if (std::fabs(advance - std::round(advance)) > 1e-4 || position[1] != originY + 0.5f) {
        std::fprintf(stderr, "font_tables: glyph %d moves the raster position by (%g, %g), not whole pixels along x\n",
                     c, advance, position[1] - (originY + 0.5));
        return false;
    }
    glyph = Glyph();
    glyph.advance = static_cast<int>(std::lround(advance));
    int x0 = side, y0 = side, x1 = -1, y1 = -1;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (frame[y * side + x] != 0) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    if (x1 < 0)
        return true;  // a blank glyph: only its advance
    if (x0 == 0 || y0 == 0 || x1 == side - 1 || y1 == side - 1) {
        std::fprintf(stderr, "font_tables: glyph %d reaches the edge of the %dx%d window\n", c, side, side);
        return false;
    }
    glyph.left = x0 - originX;
    glyph.bottom = y0 - originY;
    glyph.width = x1 - x0 + 1;
    glyph.height = y1 - y0 + 1;
    const int rowBytes = (glyph.width + 7) / 8;
    glyph.bits.assign(static_cast<size_t>(rowBytes * glyph.height), 0);
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x)
            if (frame[(y0 + y) * side + x0 + x] != 0)
                glyph.bits[static_cast<size_t>(y * rowBytes + x / 8)] |= static_cast<unsigned char>(0x80 >> (x % 8));
    return true;
}

void writeFont(FILE* out, const FontEntry& entry, const std::vector<Glyph>& glyphs)
{
    std::fprintf(out, "\nconst unsigned char %sBits[] = {", entry.name);
    size_t n = 0;
    for (const Glyph& g : glyphs)
        for (unsigned char b : g.bits)
            std::fprintf(out, "%s0x%02x,", n++ % 16 == 0 ? "\n    " : " ", b);
    if (n == 0)
        std::fprintf(out, "0");
    std::fprintf(out, "\n};\n\nconst BitmapGlyph %sGlyphs[%d] = {\n", entry.name, glyphCount);
    size_t offset = 0;
    for (int c = 0; c < glyphCount; ++c) {
        const Glyph& g = glyphs[static_cast<size_t>(c)];
        std::fprintf(out, "    {%d, %d, %d, %d, %d, %zu},  // %d\n", g.left, g.bottom, g.width, g.height,
                     g.advance, offset, c);
        offset += g.bits.size();
    }
    std::fprintf(out, "};\n");
}

}  // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: font_tables OUTPUT.cpp (needs an X server)\n");
        return 2;
    }
    const std::string path = argv[1];
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    glutInitWindowSize(side, side);
    glutCreateWindow("font_tables");
    glViewport(0, 0, side, side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, side, 0, side, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glClearColor(0, 0, 0, 0);
    glColor3f(1, 1, 1);

    const std::string temporary = path + ".part";
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (out == nullptr) {
        std::fprintf(stderr, "font_tables: cannot write %s\n", temporary.c_str());
        return 1;
    }
    std::fprintf(out,
                 "// Generated by tools/fonts/font_tables from the system's GLUT: do not edit.\n"
                 "// Regenerate with tools/fonts/make_font_tables.sh web/bitmap_font_tables.cpp\n"
                 "// Per glyph: left, bottom (pixels from the raster position's pixel), width,\n"
                 "// height, advance, offset of its rows (bottom first, most significant bit\n"
                 "// first, whole bytes per row) in the font's bits.\n"
                 "#include \"web/bitmap_font.h\"\n\nnamespace webgl_layer {\n");
    std::vector<unsigned char> frame(static_cast<size_t>(side * side));
    for (const FontEntry& entry : fonts) {
        std::vector<Glyph> glyphs(glyphCount);
        for (int c = 0; c < glyphCount; ++c)
            if (!readGlyph(entry.font, c, glyphs[static_cast<size_t>(c)], frame)) {
                std::fclose(out);
                std::remove(temporary.c_str());
                return 1;
            }
        writeFont(out, entry, glyphs);
    }
    std::fprintf(out, "\n}  // namespace webgl_layer\n");
    const bool written = std::ferror(out) == 0;
    if (std::fclose(out) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::fprintf(stderr, "font_tables: cannot write %s\n", path.c_str());
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
