// GL's matrices on WebGL 2: the modelview and projection stacks, the
// matrix calls of the window, and the product under which the frame's
// vertices are drawn.
#include "web/gl_state.h"

#include "math/constants.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace webgl_layer {
namespace {

constexpr double degreesToRadians = math::radiansPerDegree;

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

}  // namespace

void transform(const Matrix& a, const float in[4], float out[4])
{
    for (int row = 0; row < 4; ++row)
        out[row] = a.m[row] * in[0] + a.m[4 + row] * in[1] + a.m[8 + row] * in[2] + a.m[12 + row] * in[3];
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

}  // extern "C"
