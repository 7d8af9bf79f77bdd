// The web build's own GL/GLU/GLUT layer: the subset of the fixed-function
// API the window calls, drawn through WebGL 2. The window's code calls the
// usual gl*, glu* and glut* functions (gl_layer.cpp, glut_window.cpp); they
// collect one frame's primitives into reused buffers as segments that
// share a matrix and a shading mode, and the device (webgl_device.cpp)
// draws the segments in order when the frame ends or the screen is cleared.
#ifndef PALEOVIZ_WEB_GL_LAYER_H
#define PALEOVIZ_WEB_GL_LAYER_H

#include <cstdint>
#include <vector>

namespace webgl_layer {

// One vertex as the device takes it: a position (object coordinates under
// the segment's matrix, or normalised device coordinates under the
// identity), a colour and a texture coordinate (texels of the glyph atlas
// for text).
struct Vertex {
    float x, y, z;
    uint8_t r, g, b, a;
    float s, t;
};

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

struct Frame {
    std::vector<Vertex> vertices;
    std::vector<Segment> segments;
    std::vector<float> matrices;  // 16 per matrix, column-major
};

// A lit glyph pixel block in the glyph atlas.
struct AtlasGlyph {
    int x, y;  // texel of the glyph's lower left corner
};

// The device: the WebGL 2 context of the page's canvas and what it draws with.
bool createDevice(const char* canvasSelector, int width, int height);
// Uploads the frame's vertices and draws its segments in order; the frame is
// left empty with its buffers' capacity kept.
void drawFrame(Frame& frame);
// The glyph atlas: every glyph of the five fonts unpacked, one byte a texel.
void uploadAtlas(const std::vector<uint8_t>& texels, int width, int height);

// Makes the device for the canvas and the glyph atlas; false when the
// browser offers no WebGL 2.
bool createLayer(const char* canvasSelector, int width, int height);
// The layer's pending frame, drawn by glClear and glutSwapBuffers.
void flushFrame();
// The frame buffer's size in pixels, set by glViewport.
void viewportSize(int& width, int& height);

}  // namespace webgl_layer

#endif
