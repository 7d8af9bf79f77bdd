// GL's textures on WebGL 2 (the logo's), with GLU's mipmaps made as GLU
// makes them: the picture scaled to powers of two, then halved level by
// level.
#include "web/gl_state.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "web/webgl_calls.h"

namespace webgl_layer {
namespace {

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

}  // namespace
}  // namespace webgl_layer

using webgl_layer::state;

extern "C" {

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

}  // extern "C"
