// GL's immediate mode on WebGL 2: glBegin, glEnd and the vertices,
// colours and texture coordinates between them, the frame's vertex array
// they fill, and the Sun's sphere.
//
// Everything drawn between two clears goes into one vertex array. Quads and
// quad strips become triangle strips (strips joined by two repeated
// vertices, which make empty triangles), lines stay lines; a new segment
// starts only where the matrix, the primitive or the shading changes, so a
// whole globe is one draw call.
#include "web/gl_layer.h"

#include "web/gl_state.h"

#include "math/constants.h"

#include <GL/gl.h>
#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

namespace webgl_layer {
namespace {

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

Shading surfaceShading() { return state.texturing && state.boundTexture != 0 ? Shading::decal : Shading::colour; }

}  // namespace

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

Segment& surfaceSegment()
{
    return segmentFor(Primitive::triangleStrip, surfaceShading(), state.boundTexture, currentMvp());
}

namespace {

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

}  // namespace

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
    endFrameBands();
}

}  // namespace webgl_layer

using webgl_layer::state;

extern "C" {

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
