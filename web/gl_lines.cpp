// GL's lines on WebGL 2, which draws lines one pixel wide only: a line
// wider than that becomes the quad GL would fill.
#include "web/gl_state.h"
#include "web/gl_text.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

namespace webgl_layer {
namespace {

// Window pixels per line-width pixel (setTextScale): lines thicken with the text.
float lineScale = 1;

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

}  // namespace

void setLineScale(float scale)
{
    // The width in force (GL keeps it from frame to frame) changes with the scale.
    const float next = scale >= 1 ? scale : 1;
    state.lineWidth *= next / lineScale;
    lineScale = next;
}

float scaledLineWidth(float width) { return width * lineScale; }

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

}  // namespace webgl_layer

using webgl_layer::state;

extern "C" {

void glLineWidth(GLfloat width) { state.lineWidth = webgl_layer::scaledLineWidth(width); }

}  // extern "C"
