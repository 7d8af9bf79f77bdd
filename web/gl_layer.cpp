// The web layer's state and its switches: the one context's state, the
// viewport, the capabilities that WebGL keeps itself (the depth test), the
// clear, and the layer's creation. A switch or a clear first draws what
// the frame holds so far, which GL would have drawn before it.
//
// The layer's other concerns lie beside this file: matrices
// (gl_matrices.cpp), immediate mode (gl_immediate.cpp), the globes' bands
// kept from frame to frame (gl_bands.cpp), wide lines (gl_lines.cpp),
// raster positions and bitmap text (gl_text.cpp), textures
// (gl_textures.cpp).
#include "web/gl_layer.h"

#include "web/gl_state.h"

#include <GL/gl.h>

#include "web/webgl_calls.h"

namespace webgl_layer {

State state;

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

}  // extern "C"
