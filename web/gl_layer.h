// The web build's own GL/GLU/GLUT layer: the subset of the fixed-function
// API the window calls, drawn through WebGL 2. The window's code calls the
// usual gl*, glu* and glut* functions (gl_layer.cpp and the gl_*.cpp
// beside it, glut_window.cpp); they collect one frame's primitives into
// reused buffers as segments that share a matrix and a shading mode, and
// the device (webgl_device.cpp) draws the segments in order when the frame
// ends or the screen is cleared.
#ifndef PALEOVIZ_WEB_GL_LAYER_H
#define PALEOVIZ_WEB_GL_LAYER_H

#include <cstddef>
#include <cstdint>
#include <vector>

struct GlobeBand;

namespace webgl_layer {

// One vertex as the layer builds it: a position (object coordinates under
// the segment's matrix, or normalised device coordinates under the
// identity), a colour and a texture coordinate (texels of the glyph atlas
// for text).
struct Vertex {
    float x, y, z;
    uint8_t r, g, b, a;
    float s, t;
};

// The device keeps a vertex in two buffers, its place (position and
// texture coordinate) in one and its colour in the other, so that a frame
// whose colours change (the globes at a new time) uploads 4 bytes a vertex
// and not the places, which stay.
struct Place {
    float x, y, z, s, t;
};
static_assert(sizeof(Place) == 20, "places are compared as bytes: no padding");

enum class Primitive : uint8_t { triangleStrip, lines };
enum class Shading : uint8_t { colour, decal, glyph };

// A run of vertices drawn with one call.
struct Segment {
    Primitive primitive;
    Shading shading;
    unsigned texture;  // the logo's texture for decal shading
    int matrix;        // index into Frame::matrices
    int first, count;
};

// A span of vertex indices [first, end), empty when first >= end.
struct Span {
    size_t first = 0, end = 0;
    bool empty() const { return first >= end; }
};

// The vertices changed since the device's buffer was brought up to date:
// spans, each one upload. A change near the last span (within `gap`
// vertices) widens it, one further away starts a new span, so that a
// frame whose text moves at its start and its end does not send the
// unchanged globes between them.
struct Changes {
    static constexpr size_t gap = 64;
    std::vector<Span> spans;
    void add(size_t from, size_t to)
    {
        if (!spans.empty()) {
            Span& last = spans.back();
            if (from <= last.end + gap && to + gap >= last.first) {
                last.first = from < last.first ? from : last.first;
                last.end = to > last.end ? to : last.end;
                return;
            }
        }
        spans.push_back(Span{from, to});
    }
};

// The primitives of one frame (from one swap of buffers to the next),
// drawn in parts: each clear, switch or swap draws what came since the
// last. Vertices [0, used) are the frame's so far, each part's after the
// previous part's; the rest are left from an earlier frame. The device's
// buffers hold the same as `places` and `colours` except the spans marked
// changed: a frame that draws what the one before drew uploads nothing,
// and one that changes some colours uploads only the spans of those colours.
struct Frame {
    std::vector<Place> places;
    std::vector<uint32_t> colours;  // RGBA bytes, r first in memory
    size_t used = 0;
    Changes placesChanged, coloursChanged;
    std::vector<Segment> segments;  // of the part not drawn yet
    std::vector<float> matrices;  // 16 per matrix, column-major
};

// A lit glyph pixel block in the glyph atlas.
struct AtlasGlyph {
    int x, y;  // texel of the glyph's lower left corner
};

// The device: the WebGL 2 context of the page's canvas and what it draws with.
bool createDevice(const char* canvasSelector, int width, int height);
// Uploads the vertices that changed and draws the pending segments in
// order; the segments and matrices are then cleared, the vertices kept.
void drawFrame(Frame& frame);
// The glyph atlas: every glyph of the five fonts unpacked, one byte a texel.
void uploadAtlas(const std::vector<uint8_t>& texels, int width, int height);

// Makes the device for the canvas and the glyph atlas; false when the
// browser offers no WebGL 2.
bool createLayer(const char* canvasSelector, int width, int height);
// The layer's pending part of the frame, drawn by glClear, switches and
// glutSwapBuffers.
void flushFrame();
// Draws the pending part and ends the frame (glutSwapBuffers): the next
// frame's vertices are compared with this one's.
void endFrame();
// A globe's latitude band as one quad strip, the same vertices that its
// glBegin, glColor3fv and glVertex3fv calls would give, made in one loop:
// the globes are nearly all of a frame's vertices, and a call per vertex
// costs more in WebAssembly than the vertex's own work.
void drawGlobeBand(const GlobeBand& band);
// The frame buffer's size in pixels, set by glViewport.
void viewportSize(int& width, int& height);

}  // namespace webgl_layer

#endif
