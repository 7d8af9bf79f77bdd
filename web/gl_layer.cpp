// The fixed-function GL and GLU calls of the window, on WebGL 2: matrix
// stacks, immediate mode, colours, the logo texture with GLU's mipmaps,
// wide lines, raster positions and bitmap text, the Sun's sphere.
//
// Everything drawn between two clears goes into one vertex array. Quads and
// quad strips become triangle strips (strips joined by two repeated
// vertices, which make empty triangles), lines stay lines; a new segment
// starts only where the matrix, the primitive or the shading changes, so a
// whole globe is one draw call.
#include "web/gl_layer.h"

#include "web/bitmap_font.h"

#include "globe/earth.h"

#include "math/constants.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "web/webgl_calls.h"

namespace webgl_layer {
namespace {

// GL's raster position rounds to the pixel with this allowance, so that a
// position a hair below a pixel edge still counts as on it.
constexpr float rasterEpsilon = 1e-4f;
constexpr int stackDepth = 32;
constexpr double degreesToRadians = math::radiansPerDegree;

struct Matrix {
    float m[16];
};

Matrix identity()
{
    Matrix r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
    return r;
}

// a * b, column-major.
Matrix multiply(const Matrix& a, const Matrix& b)
{
    Matrix r;
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a.m[k * 4 + row] * b.m[c * 4 + k];
            r.m[c * 4 + row] = sum;
        }
    return r;
}

void transform(const Matrix& a, const float in[4], float out[4])
{
    for (int row = 0; row < 4; ++row)
        out[row] = a.m[row] * in[0] + a.m[4 + row] * in[1] + a.m[8 + row] * in[2] + a.m[12 + row] * in[3];
}

struct MatrixStack {
    Matrix entries[stackDepth];
    int top = 0;
    Matrix& current() { return entries[top]; }
};

struct FontTable {
    void* handle;
    const BitmapGlyph* glyphs;
    const unsigned char* bits;
    AtlasGlyph atlas[256];
};

}  // namespace
}  // namespace webgl_layer

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

FontTable fontTables[] = {
    {&glutBitmapHelvetica10, Helvetica10Glyphs, Helvetica10Bits, {}},
    {&glutBitmapHelvetica12, Helvetica12Glyphs, Helvetica12Bits, {}},
    {&glutBitmapHelvetica18, Helvetica18Glyphs, Helvetica18Bits, {}},
    {&glutBitmapTimesRoman24, TimesRoman24Glyphs, TimesRoman24Bits, {}},
    {&glutBitmap8By13, Fixed8By13Glyphs, Fixed8By13Bits, {}},
};

// The layer's state, as GL keeps it.
struct State {
    MatrixStack modelview, projection;
    GLenum matrixMode = GL_MODELVIEW;
    bool mvpFresh = false;  // frame.matrices' last entry is projection x modelview
    int mvpIndex = -1;
    int identityIndex = -1;
    float colour[4] = {1, 1, 1, 1};
    uint8_t colourBytes[4] = {255, 255, 255, 255};  // colour as vertices carry it
    float texCoord[2] = {0, 0};
    bool texturing = false;
    unsigned boundTexture = 0;
    float lineWidth = 1;
    int viewport[4] = {0, 0, 0, 0};
    // Raster position in window coordinates, its colour and validity.
    float rasterX = 0, rasterY = 0, rasterZ = 0;
    float rasterColour[4] = {1, 1, 1, 1};
    bool rasterValid = true;
    // Between glBegin and glEnd.
    GLenum mode = 0;
    int emitted = 0;      // vertices given since glBegin
    Vertex pending[3];    // vertices of the primitive not emitted yet
    std::ptrdiff_t stripSegment = 0;  // the quad strip's segment in frame.segments
    Frame frame;
} state;

MatrixStack& currentStack()
{
    return state.matrixMode == GL_PROJECTION ? state.projection : state.modelview;
}

void matrixChanged() { state.mvpFresh = false; }

int pushMatrixEntry(const Matrix& m)
{
    std::vector<float>& all = state.frame.matrices;
    all.insert(all.end(), m.m, m.m + 16);
    return static_cast<int>(all.size() / 16) - 1;
}

int currentMvp()
{
    if (!state.mvpFresh) {
        state.mvpIndex = pushMatrixEntry(multiply(state.projection.current(), state.modelview.current()));
        state.mvpFresh = true;
    }
    return state.mvpIndex;
}

int identityMatrix()
{
    if (state.identityIndex < 0)
        state.identityIndex = pushMatrixEntry(identity());
    return state.identityIndex;
}

// lround(clamped * 255) without the library call: the float product plus
// one half is exact in double, and truncating a non-negative value then
// rounds halves up, as lround does.
uint8_t toByte(float c)
{
    const float clamped = std::min(1.0f, std::max(0.0f, c));
    return static_cast<uint8_t>(static_cast<int>(static_cast<double>(clamped * 255.0f) + 0.5));
}

Vertex makeVertex(float x, float y, float z, const float colour[4], float s, float t)
{
    return Vertex{x, y, z, toByte(colour[0]), toByte(colour[1]), toByte(colour[2]), toByte(colour[3]), s, t};
}

// The segment new vertices go to: the last one when it draws the same way,
// else a new one.
Segment& segmentFor(Primitive primitive, Shading shading, unsigned texture, int matrix)
{
    std::vector<Segment>& segments = state.frame.segments;
    if (!segments.empty()) {
        Segment& last = segments.back();
        if (last.primitive == primitive && last.shading == shading && last.texture == texture &&
            last.matrix == matrix)
            return last;
    }
    const int first = static_cast<int>(state.frame.used);
    segments.push_back(Segment{primitive, shading, texture, matrix, first, 0});
    return segments.back();
}

Place placeOf(const Vertex& v) { return Place{v.x, v.y, v.z, v.s, v.t}; }

uint32_t colourOf(const Vertex& v)
{
    uint32_t c;
    std::memcpy(&c, &v.r, sizeof c);
    return c;
}

Vertex vertexAt(const Frame& f, size_t at)
{
    const Place& p = f.places[at];
    Vertex v{p.x, p.y, p.z, 0, 0, 0, 0, p.s, p.t};
    std::memcpy(&v.r, &f.colours[at], sizeof f.colours[at]);
    return v;
}

// Whether two places have the same bytes: 8 + 8 + 4 bytes (memcpy of a
// fixed size compiles to plain loads), cheaper than a call to memcmp.
bool sameBytes(const Place& a, const Place& b)
{
    uint64_t x[2], y[2];
    uint32_t xz, yz;
    std::memcpy(x, &a, sizeof x);
    std::memcpy(y, &b, sizeof y);
    std::memcpy(&xz, &a.t, sizeof xz);
    std::memcpy(&yz, &b.t, sizeof yz);
    return ((x[0] ^ y[0]) | (x[1] ^ y[1]) | (xz ^ yz)) == 0;
}

// Writes vertex `at` of the frame over the one kept there, marking its
// place and its colour for upload only where they differ: comparing costs
// far less than sending them to the browser again.
void keep(Frame& f, size_t at, const Place& place, uint32_t colour)
{
    if (!sameBytes(f.places[at], place)) {
        f.places[at] = place;
        f.placesChanged.add(at, at + 1);
    }
    if (f.colours[at] != colour) {
        f.colours[at] = colour;
        f.coloursChanged.add(at, at + 1);
    }
}

// Makes room for `count` more kept vertices after the frame's used ones,
// returning the first's index. New places are marked for upload whatever
// they hold, since the device has nothing there yet.
size_t keptRoom(size_t count)
{
    Frame& f = state.frame;
    const size_t need = f.used + count, had = f.places.size();
    if (need > had) {
        f.places.resize(need);
        f.colours.resize(need);
        f.placesChanged.add(had, need);
        f.coloursChanged.add(had, need);
    }
    return f.used;
}

// Writes the frame's next vertex over the one kept at its place.
void append(Segment& segment, const Vertex& v)
{
    const size_t at = keptRoom(1);
    ++state.frame.used;
    ++segment.count;
    keep(state.frame, at, placeOf(v), colourOf(v));
}

// append(segment, first) then append(segment, second), in one step (the
// globes' quad strips through the per-vertex calls): one bound check, one
// count.
void appendPair(Segment& segment, const Vertex& first, const Vertex& second)
{
    const size_t at = keptRoom(2);
    state.frame.used += 2;
    segment.count += 2;
    keep(state.frame, at, placeOf(first), colourOf(first));
    keep(state.frame, at + 1, placeOf(second), colourOf(second));
}

// Starts a triangle strip in the segment: when the segment already holds a
// strip, repeating its last vertex and the new first one joins the two by
// empty triangles.
void openStrip(Segment& segment, const Vertex& first)
{
    if (segment.count > 0) {
        const Vertex last = vertexAt(state.frame, state.frame.used - 1);
        append(segment, last);
        append(segment, first);
    }
}

Shading surfaceShading() { return state.texturing && state.boundTexture != 0 ? Shading::decal : Shading::colour; }

Segment& surfaceSegment()
{
    return segmentFor(Primitive::triangleStrip, surfaceShading(), state.boundTexture, currentMvp());
}

// Quad strip vertices a0 b0 a1 b1 ...: each quad is split along a0-b1, as
// GL splits it, by the strip b0 a0 b1 a1 ...
//
// Between glBegin and glEnd neither the matrix nor the texture can change,
// so the segment is looked up once per strip, at its first pair.
void addQuadStripPair(const Vertex& a, const Vertex& b, bool firstPair)
{
    if (firstPair)
        state.stripSegment = &surfaceSegment() - state.frame.segments.data();
    Segment& segment = state.frame.segments[static_cast<size_t>(state.stripSegment)];
    if (firstPair)
        openStrip(segment, b);
    appendPair(segment, b, a);
}

// A quad v0 v1 v2 v3 as the triangles v0 v1 v3 and v1 v2 v3.
void addQuad(const Vertex* v)
{
    Segment& segment = surfaceSegment();
    openStrip(segment, v[0]);
    append(segment, v[0]);
    append(segment, v[1]);
    append(segment, v[3]);
    append(segment, v[2]);
}

// A line of width above 1 as the quad GL fills: the segment widened across
// its major axis by half the width on either side, in window pixels.
void addWideLine(const Vertex& a, const Vertex& b)
{
    Matrix mvp;
    std::memcpy(mvp.m, &state.frame.matrices[static_cast<size_t>(currentMvp()) * 16], sizeof mvp.m);
    const float pa[4] = {a.x, a.y, a.z, 1}, pb[4] = {b.x, b.y, b.z, 1};
    float ca[4], cb[4];
    transform(mvp, pa, ca);
    transform(mvp, pb, cb);
    if (ca[3] <= 0 || cb[3] <= 0)
        return;  // behind the eye: nothing the window shows
    const float w = static_cast<float>(state.viewport[2]), h = static_cast<float>(state.viewport[3]);
    float ax = ca[0] / ca[3], ay = ca[1] / ca[3], az = ca[2] / ca[3];
    float bx = cb[0] / cb[3], by = cb[1] / cb[3], bz = cb[2] / cb[3];
    const bool xMajor = std::fabs((bx - ax) * w) >= std::fabs((by - ay) * h);
    const float half = state.lineWidth / 2;
    const float ox = xMajor ? 0 : half * 2 / w, oy = xMajor ? half * 2 / h : 0;
    const float colourA[4] = {a.r / 255.0f, a.g / 255.0f, a.b / 255.0f, 1};
    const float colourB[4] = {b.r / 255.0f, b.g / 255.0f, b.b / 255.0f, 1};
    Segment& segment = segmentFor(Primitive::triangleStrip, Shading::colour, 0, identityMatrix());
    const Vertex corners[4] = {makeVertex(ax - ox, ay - oy, az, colourA, 0, 0),
                               makeVertex(ax + ox, ay + oy, az, colourA, 0, 0),
                               makeVertex(bx - ox, by - oy, bz, colourB, 0, 0),
                               makeVertex(bx + ox, by + oy, bz, colourB, 0, 0)};
    openStrip(segment, corners[0]);
    for (const Vertex& v : corners)
        append(segment, v);
}

void addLine(const Vertex& a, const Vertex& b)
{
    if (state.lineWidth > 1.5f) {
        addWideLine(a, b);
        return;
    }
    Segment& segment = segmentFor(Primitive::lines, Shading::colour, 0, currentMvp());
    append(segment, a);
    append(segment, b);
}

void addVertex(float x, float y, float z)
{
    // The colour's bytes were made when it was set, not at every vertex.
    const uint8_t* c = state.colourBytes;
    const Vertex v{x, y, z, c[0], c[1], c[2], c[3], state.texCoord[0], state.texCoord[1]};
    const int n = state.emitted++;
    switch (state.mode) {
    case GL_LINES:
        if (n % 2 == 0)
            state.pending[0] = v;
        else
            addLine(state.pending[0], v);
        break;
    case GL_LINE_STRIP:
        if (n > 0)
            addLine(state.pending[0], v);
        state.pending[0] = v;
        break;
    case GL_QUAD_STRIP:
        if (n % 2 == 0)
            state.pending[0] = v;
        else
            addQuadStripPair(state.pending[0], v, n == 1);
        break;
    case GL_QUADS:
        if (n % 4 == 3) {
            const Vertex quad[4] = {state.pending[0], state.pending[1], state.pending[2], v};
            addQuad(quad);
        } else {
            state.pending[n % 4] = v;
        }
        break;
    default: break;  // a primitive the window never draws
    }
}

// Window coordinates of an object point under the current matrices; false
// when it lies outside the view volume, as GL then invalidates the raster
// position.
bool toWindow(double x, double y, double z, float& wx, float& wy, float& wz)
{
    const Matrix mvp = multiply(state.projection.current(), state.modelview.current());
    const float p[4] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), 1};
    float c[4];
    transform(mvp, p, c);
    const float w = c[3];
    if (!(w > 0) || c[0] < -w || c[0] > w || c[1] < -w || c[1] > w || c[2] < -w || c[2] > w)
        return false;
    wx = static_cast<float>(state.viewport[0]) + (c[0] / w + 1) * static_cast<float>(state.viewport[2]) / 2;
    wy = static_cast<float>(state.viewport[1]) + (c[1] / w + 1) * static_cast<float>(state.viewport[3]) / 2;
    wz = (c[2] / w + 1) / 2;
    return true;
}

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

// One glyph at the raster position: a quad over exactly its pixel box at the
// raster position's depth, its texels taken from the atlas.
void addGlyph(const FontTable& font, int c)
{
    const BitmapGlyph& g = font.glyphs[c];
    if (g.width > 0) {
        const float vw = static_cast<float>(state.viewport[2]), vh = static_cast<float>(state.viewport[3]);
        const float px = std::floor(state.rasterX + rasterEpsilon) + g.left - static_cast<float>(state.viewport[0]);
        const float py = std::floor(state.rasterY + rasterEpsilon) + g.bottom - static_cast<float>(state.viewport[1]);
        const float x0 = px * 2 / vw - 1, x1 = (px + g.width) * 2 / vw - 1;
        const float y0 = py * 2 / vh - 1, y1 = (py + g.height) * 2 / vh - 1;
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
    state.rasterX += g.advance;
}

// GLU's size for a side that is not a power of two: the power of two with
// the same leading bit, or the next one up when the next bit is set too.
int nearestPower(int n)
{
    int power = 1;
    while (n > 3) {
        n >>= 1;
        power <<= 1;
    }
    return n == 3 ? power * 4 : power * n;
}

// Resamples an RGBA picture by area-weighted box filtering, as GLU scales
// a picture to its mipmap base, each value truncated.
void scaleImage(const uint8_t* in, int wIn, int hIn, uint8_t* out, int wOut, int hOut)
{
    const double sx = static_cast<double>(wIn) / wOut, sy = static_cast<double>(hIn) / hOut;
    for (int j = 0; j < hOut; ++j) {
        const double y0 = j * sy, y1 = (j + 1) * sy;
        for (int i = 0; i < wOut; ++i) {
            const double x0 = i * sx, x1 = (i + 1) * sx;
            double sum[4] = {0, 0, 0, 0}, area = 0;
            for (int y = static_cast<int>(y0); y < y1 && y < hIn; ++y) {
                const double fy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
                for (int x = static_cast<int>(x0); x < x1 && x < wIn; ++x) {
                    const double f = fy * (std::min<double>(x + 1, x1) - std::max<double>(x, x0));
                    const uint8_t* p = in + (static_cast<size_t>(y) * wIn + x) * 4;
                    for (int k = 0; k < 4; ++k)
                        sum[k] += p[k] * f;
                    area += f;
                }
            }
            uint8_t* q = out + (static_cast<size_t>(j) * wOut + i) * 4;
            for (int k = 0; k < 4; ++k)
                q[k] = static_cast<uint8_t>(sum[k] / area);
        }
    }
}

// The next mipmap level: 2 x 2 averages (2 x 1 once a side is 1), rounded.
void halveImage(const uint8_t* in, int w, int h, uint8_t* out, int& wOut, int& hOut)
{
    wOut = std::max(1, w / 2);
    hOut = std::max(1, h / 2);
    const int dx = w > 1 ? 1 : 0, dy = h > 1 ? 1 : 0;
    const int n = (1 + dx) * (1 + dy);
    const auto at = [&](int x, int y, int k) { return in[(static_cast<size_t>(y) * w + x) * 4 + k]; };
    for (int j = 0; j < hOut; ++j)
        for (int i = 0; i < wOut; ++i) {
            const int x = i * (1 + dx), y = j * (1 + dy);
            for (int k = 0; k < 4; ++k) {
                int sum = at(x, y, k);
                if (dx != 0)
                    sum += at(x + 1, y, k);
                if (dy != 0)
                    sum += at(x, y + 1, k);
                if (dx != 0 && dy != 0)
                    sum += at(x + 1, y + 1, k);
                out[(static_cast<size_t>(j) * wOut + i) * 4 + k] = static_cast<uint8_t>((sum + n / 2) / n);
            }
        }
}

// What a band's vertices were made from, and where they lie in the kept
// vertices: a band drawn from the same at the same place as in the frame
// before finds its vertices there already, and one drawn from the same rows
// in new colours finds its places.
struct BandRecord {
    const void* rows[4];
    uint32_t colours[4];
    float texCoord[2];
    int cols, stride;
    unsigned generation;
    size_t base;

    bool samePlaces(const BandRecord& o) const
    {
        return std::equal(rows, rows + 4, o.rows) && std::memcmp(texCoord, o.texCoord, sizeof texCoord) == 0 &&
               cols == o.cols && stride == o.stride && generation == o.generation && base == o.base;
    }
    bool sameColours(const BandRecord& o) const { return std::equal(colours, colours + 4, o.colours); }
};

// The bands of the frame before, in the order drawn, and of this frame so
// far. Only the frame before counts: its vertices are the ones kept, and a
// band is found at the same place in it when the frame is drawn as it was.
struct BandMemory {
    std::vector<BandRecord> previous, current;
    size_t next = 0;  // the entry of `previous` this frame's next band would match
} bands;

uint32_t packedColour(const float* rgb)
{
    const uint8_t bytes[4] = {toByte(rgb[0]), toByte(rgb[1]), toByte(rgb[2]), 255};
    uint32_t packed;
    std::memcpy(&packed, bytes, sizeof packed);
    return packed;
}

// A band's strip b0 a0 b1 a1 ...: for its vertices in order, the mesh point
// and the colour, as the per-vertex calls give them.
template <class Visit>
void walkBand(const GlobeBand& band, const uint32_t upperColours[2], const uint32_t lowerColours[2], int open,
              Visit visit)
{
    const int stride = band.stride;
    for (int k = 0; k <= open; ++k) {
        const int col = k < open ? k * stride : 0;
        visit(band.lower[col], lowerColours[isOceanSample(band.lowerElevation[col])]);
        visit(band.upper[col], upperColours[isOceanSample(band.upperElevation[col])]);
    }
}

}  // namespace

void drawGlobeBand(const GlobeBand& band)
{
    const int stride = band.stride, cols = band.cols;
    // Columns 0, stride, ... below cols - stride, then column 0 again.
    const int open = cols - stride > 0 ? (cols - stride + stride - 1) / stride : 0;
    const size_t count = 2 * static_cast<size_t>(open + 1);
    const uint32_t upperColours[2] = {packedColour(band.upperLand), packedColour(band.upperOcean)};
    const uint32_t lowerColours[2] = {packedColour(band.lowerLand), packedColour(band.lowerOcean)};
    const bool lowerOcean0 = isOceanSample(band.lowerElevation[0]);
    const float s = state.texCoord[0], t = state.texCoord[1];

    // As addQuadStripPair: joined to the segment's last strip.
    Segment& segment = surfaceSegment();
    const float* b0 = band.lower[0];
    Vertex first{b0[0], b0[1], b0[2], 0, 0, 0, 0, s, t};
    std::memcpy(&first.r, &lowerColours[lowerOcean0], sizeof lowerColours[0]);
    openStrip(segment, first);

    Frame& f = state.frame;
    const BandRecord record{{band.upper, band.lower, band.upperElevation, band.lowerElevation},
                            {upperColours[0], upperColours[1], lowerColours[0], lowerColours[1]},
                            {s, t},
                            cols,
                            stride,
                            band.generation,
                            f.used};
    const BandRecord* before = bands.next < bands.previous.size() ? &bands.previous[bands.next] : nullptr;
    const bool placesKept = before != nullptr && before->samePlaces(record) && f.used + count <= f.places.size();
    ++bands.next;
    bands.current.push_back(record);
    const size_t base = keptRoom(count);
    size_t at = base;
    if (!placesKept) {
        walkBand(band, upperColours, lowerColours, open, [&](const float* p, uint32_t colour) {
            keep(f, at++, Place{p[0], p[1], p[2], s, t}, colour);
        });
    } else if (!before->sameColours(record)) {
        // The same places in new colours: only colours are written.
        size_t first = base + count, end = base;
        walkBand(band, upperColours, lowerColours, open, [&](const float*, uint32_t colour) {
            if (f.colours[at] != colour) {
                f.colours[at] = colour;
                first = std::min(first, at);
                end = at + 1;
            }
            ++at;
        });
        if (first < end)
            f.coloursChanged.add(first, end);
    }
    f.used += count;
    segment.count += static_cast<int>(count);

    // The current colour, as the strip's last glColor3fv left it.
    glColor3fv(lowerOcean0 ? band.lowerOcean : band.lowerLand);
}

void flushFrame()
{
    drawFrame(state.frame);
    state.mvpFresh = false;
    state.identityIndex = -1;
}

void endFrame()
{
    flushFrame();
    state.frame.used = 0;
    bands.previous.swap(bands.current);
    bands.current.clear();
    bands.next = 0;
}

void viewportSize(int& width, int& height)
{
    width = state.viewport[2];
    height = state.viewport[3];
}

bool createLayer(const char* canvasSelector, int width, int height)
{
    if (!createDevice(canvasSelector, width, height))
        return false;
    state.viewport[2] = width;
    state.viewport[3] = height;
    buildAtlas();
    return true;
}

}  // namespace webgl_layer

using webgl_layer::state;

extern "C" {

// --- matrices -----------------------------------------------------------------
void glMatrixMode(GLenum mode) { state.matrixMode = mode; }
void glGetIntegerv(GLenum pname, GLint* data)
{
    if (pname == GL_MATRIX_MODE)
        *data = static_cast<GLint>(state.matrixMode);
    else if (pname == GL_VIEWPORT)
        std::copy(state.viewport, state.viewport + 4, data);
    else
        *data = 0;
}
void glLoadIdentity()
{
    webgl_layer::currentStack().current() = webgl_layer::identity();
    webgl_layer::matrixChanged();
}
void glPushMatrix()
{
    webgl_layer::MatrixStack& s = webgl_layer::currentStack();
    if (s.top + 1 < webgl_layer::stackDepth) {
        s.entries[s.top + 1] = s.entries[s.top];
        ++s.top;
    }
}
void glPopMatrix()
{
    webgl_layer::MatrixStack& s = webgl_layer::currentStack();
    if (s.top > 0)
        --s.top;
    webgl_layer::matrixChanged();
}

static void multiplyCurrent(const webgl_layer::Matrix& m)
{
    webgl_layer::Matrix& c = webgl_layer::currentStack().current();
    c = webgl_layer::multiply(c, m);
    webgl_layer::matrixChanged();
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    webgl_layer::Matrix m = webgl_layer::identity();
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    multiplyCurrent(m);
}
void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    webgl_layer::Matrix m = webgl_layer::identity();
    m.m[0] = x;
    m.m[5] = y;
    m.m[10] = z;
    multiplyCurrent(m);
}
void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0)
        return;
    x /= length;
    y /= length;
    z /= length;
    const float c = static_cast<float>(std::cos(angle * webgl_layer::degreesToRadians));
    const float s = static_cast<float>(std::sin(angle * webgl_layer::degreesToRadians));
    const float t = 1 - c;
    webgl_layer::Matrix m = webgl_layer::identity();
    m.m[0] = x * x * t + c;
    m.m[1] = y * x * t + z * s;
    m.m[2] = x * z * t - y * s;
    m.m[4] = x * y * t - z * s;
    m.m[5] = y * y * t + c;
    m.m[6] = y * z * t + x * s;
    m.m[8] = x * z * t + y * s;
    m.m[9] = y * z * t - x * s;
    m.m[10] = z * z * t + c;
    multiplyCurrent(m);
}
void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f)
{
    webgl_layer::Matrix m{};
    m.m[0] = static_cast<float>(2 * n / (r - l));
    m.m[5] = static_cast<float>(2 * n / (t - b));
    m.m[8] = static_cast<float>((r + l) / (r - l));
    m.m[9] = static_cast<float>((t + b) / (t - b));
    m.m[10] = static_cast<float>(-(f + n) / (f - n));
    m.m[11] = -1;
    m.m[14] = static_cast<float>(-2 * f * n / (f - n));
    multiplyCurrent(m);
}

// --- frame buffer and switches ------------------------------------------------
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    webgl_layer::flushFrame();
    state.viewport[0] = x;
    state.viewport[1] = y;
    state.viewport[2] = w;
    state.viewport[3] = h;
    emscripten_glViewport(x, y, w, h);
}
void glClear(GLbitfield mask)
{
    webgl_layer::flushFrame();
    emscripten_glClear(mask);
}
void glEnable(GLenum cap)
{
    if (cap == GL_TEXTURE_2D) {
        state.texturing = true;
        return;
    }
    webgl_layer::flushFrame();
    emscripten_glEnable(cap);
}
void glDisable(GLenum cap)
{
    if (cap == GL_TEXTURE_2D) {
        state.texturing = false;
        return;
    }
    webgl_layer::flushFrame();
    emscripten_glDisable(cap);
}
void glLineWidth(GLfloat width) { state.lineWidth = width; }

// --- immediate mode -----------------------------------------------------------
void glBegin(GLenum mode)
{
    state.mode = mode;
    state.emitted = 0;
}
void glEnd() { state.mode = 0; }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { webgl_layer::addVertex(x, y, z); }
void glVertex3fv(const GLfloat* v) { webgl_layer::addVertex(v[0], v[1], v[2]); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    // The globe sets a colour at every vertex, mostly the one it had.
    if (state.colour[0] == r && state.colour[1] == g && state.colour[2] == b && state.colour[3] == 1)
        return;
    state.colour[0] = r;
    state.colour[1] = g;
    state.colour[2] = b;
    state.colour[3] = 1;
    for (int k = 0; k < 4; ++k)
        state.colourBytes[k] = webgl_layer::toByte(state.colour[k]);
}
void glColor3fv(const GLfloat* v) { glColor3f(v[0], v[1], v[2]); }
void glTexCoord2f(GLfloat s, GLfloat t)
{
    state.texCoord[0] = s;
    state.texCoord[1] = t;
}

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

// --- textures -----------------------------------------------------------------
void glGenTextures(GLsizei n, GLuint* names) { emscripten_glGenTextures(n, names); }
void glBindTexture(GLenum target, GLuint name)
{
    state.boundTexture = name;
    emscripten_glBindTexture(target, name);
}
void glTexParameteri(GLenum target, GLenum pname, GLint param) { emscripten_glTexParameteri(target, pname, param); }
// Decal is the only environment the window sets; the device always applies it.
void glTexEnvf(GLenum, GLenum, GLfloat) {}
void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                  GLenum format, GLenum type, const void* pixels)
{
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    emscripten_glTexImage2D(target, level, internal, w, h, border, format, type, pixels);
}

GLint gluBuild2DMipmaps(GLenum target, GLint, GLsizei w, GLsizei h, GLenum format, GLenum type,
                        const void* data)
{
    if (format != GL_RGBA || type != GL_UNSIGNED_BYTE || w < 1 || h < 1)
        return GLU_INVALID_ENUM;
    int width = webgl_layer::nearestPower(w), height = webgl_layer::nearestPower(h);
    std::vector<uint8_t> level(static_cast<size_t>(width) * height * 4), next(level.size());
    webgl_layer::scaleImage(static_cast<const uint8_t*>(data), w, h, level.data(), width, height);
    for (int n = 0;; ++n) {
        glTexImage2D(target, n, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, level.data());
        if (width == 1 && height == 1)
            break;
        int w2 = 0, h2 = 0;
        webgl_layer::halveImage(level.data(), width, height, next.data(), w2, h2);
        level.swap(next);
        width = w2;
        height = h2;
    }
    return 0;
}

// --- the Sun ------------------------------------------------------------------
// A sphere of stacks bands from +z to -z and slices columns, each band a
// quad strip, as GLUT tessellates it (drawn unlit, so in one colour).
void glutSolidSphere(GLdouble radius, GLint slices, GLint stacks)
{
    if (slices < 3 || stacks < 2)
        return;
    const double pi = math::pi;
    for (int i = 0; i < stacks; ++i) {
        const double a0 = pi * i / stacks, a1 = pi * (i + 1) / stacks;
        glBegin(GL_QUAD_STRIP);
        for (int j = 0; j <= slices; ++j) {
            const double b = 2 * pi * (j % slices) / slices;
            glVertex3f(static_cast<float>(radius * std::sin(a0) * std::cos(b)),
                       static_cast<float>(radius * std::sin(a0) * std::sin(b)), static_cast<float>(radius * std::cos(a0)));
            glVertex3f(static_cast<float>(radius * std::sin(a1) * std::cos(b)),
                       static_cast<float>(radius * std::sin(a1) * std::sin(b)), static_cast<float>(radius * std::cos(a1)));
        }
        glEnd();
    }
}

}  // extern "C"
