// WebGL's own entry points for the calls that the layer also defines with
// fixed-function meaning, under the names Emscripten gives them beside the
// plain ones. Include after a GL header.
#ifndef PALEOVIZ_WEB_WEBGL_CALLS_H
#define PALEOVIZ_WEB_WEBGL_CALLS_H

extern "C" {
void emscripten_glViewport(GLint, GLint, GLsizei, GLsizei);
void emscripten_glClear(GLbitfield);
void emscripten_glEnable(GLenum);
void emscripten_glDisable(GLenum);
void emscripten_glGenTextures(GLsizei, GLuint*);
void emscripten_glBindTexture(GLenum, GLuint);
void emscripten_glTexParameteri(GLenum, GLenum, GLint);
void emscripten_glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*);
void emscripten_glPixelStorei(GLenum, GLint);
void emscripten_glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*);
}

#endif
