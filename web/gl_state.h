// What the web layer's files share: the GL state of the one context (the
// matrix stacks, the current colour and texture coordinate, the switches,
// the raster position and the frame being built) and the helpers each
// concern lends the others. Internal to the layer: gl_layer.cpp, the
// gl_*.cpp beside it and nothing else include it; the window's code sees
// gl_layer.h and the GL headers only.
//
// Not thread-safe: the layer is called from the page's one thread.
#ifndef PALEOVIZ_WEB_GL_STATE_H
#define PALEOVIZ_WEB_GL_STATE_H

#include "web/gl_layer.h"

#include <GL/gl.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace webgl_layer {

constexpr int stackDepth = 32;

// A 4 x 4 matrix, column-major as GL keeps it.
struct Matrix {
    float m[16];
};

// A matrix stack of GL: entries[0..top] are pushed, entries[top] current.
struct MatrixStack {
    Matrix entries[stackDepth];
    int top = 0;
    Matrix& current() { return entries[top]; }
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
};

// The one context's state, from the program's start to its end
// (gl_layer.cpp).
extern State state;

// --- matrices (gl_matrices.cpp) ----------------------------------------------
// out = a * in, for a point in homogeneous coordinates.
void transform(const Matrix& a, const float in[4], float out[4]);
// The index in state.frame.matrices of projection x modelview, added to
// the frame the first time it is asked for after a matrix changed.
int currentMvp();
// The index in state.frame.matrices of the identity, under which vertices
// are given in normalised device coordinates; added once a part.
int identityMatrix();
// Window coordinates (pixels; depth in [0, 1]) of an object point under
// the current matrices; false when it lies outside the view volume.
bool toWindow(double x, double y, double z, float& wx, float& wy, float& wz);

// --- immediate mode (gl_immediate.cpp) ---------------------------------------
// A colour component in [0, 1] (clamped) as its byte, 0 to 255.
uint8_t toByte(float c);
Vertex makeVertex(float x, float y, float z, const float colour[4], float s, float t);
// The segment of state.frame that new vertices drawn this way go to; valid
// until the next segment is added.
Segment& segmentFor(Primitive primitive, Shading shading, unsigned texture, int matrix);
// The segment of the surfaces (quads, quad strips) under the current
// matrix, texture and texturing switch.
Segment& surfaceSegment();
// Makes room for `count` more vertices after state.frame's used ones and
// returns the first one's index; used is left for the caller to advance.
size_t keptRoom(size_t count);
// Adds a vertex to the frame, at the end of `segment`.
void append(Segment& segment, const Vertex& v);
// Joins a new triangle strip starting at `first` to the strips `segment`
// already holds, by empty triangles.
void openStrip(Segment& segment, const Vertex& first);

// Whether two places have the same bytes: 8 + 8 + 4 bytes (memcpy of a
// fixed size compiles to plain loads), cheaper than a call to memcmp.
inline bool sameBytes(const Place& a, const Place& b)
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
inline void keep(Frame& f, size_t at, const Place& place, uint32_t colour)
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

// --- the globes' bands (gl_bands.cpp) ----------------------------------------
// Ends the bands' frame: the next frame's bands are matched against this
// one's.
void endFrameBands();

// --- lines (gl_lines.cpp) ----------------------------------------------------
// A line from a to b at the current line width.
void addLine(const Vertex& a, const Vertex& b);

// --- text (gl_text.cpp) ------------------------------------------------------
// Lays out the five fonts' glyphs in the glyph atlas and uploads it; once,
// after the device is made.
void buildAtlas();

}  // namespace webgl_layer

#endif
