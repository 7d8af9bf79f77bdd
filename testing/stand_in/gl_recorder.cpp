#include "gl_recorder.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <map>

namespace glrec {
namespace {

// The log is kept compact, for a full-detail frame makes millions of calls:
// one small entry per call with its name as a pointer to the literal, its
// arguments in one shared pool and its text as an index into a short list.
struct Entry {
    const char* name;
    uint32_t firstArg;
    uint16_t argCount;
    uint16_t text;  // index into texts; 0 is ""
};

bool recording = true;
std::vector<Entry> log;
std::vector<double> argPool;
std::vector<std::string> textPool{""};
std::vector<Call> expanded;  // calls() as Call objects, rebuilt when stale
bool expandedStale = false;
Callbacks registered;
int matrixMode = GL_MODELVIEW;
std::map<int, int> depth;
GLuint nextTexture = 1;

uint16_t textIndex(const std::string& text)
{
    for (size_t i = 0; i < textPool.size(); ++i)
        if (textPool[i] == text)
            return static_cast<uint16_t>(i);
    textPool.push_back(text);
    return static_cast<uint16_t>(textPool.size() - 1);
}

void record(const char* name, std::initializer_list<double> args, const std::string& text = std::string())
{
    log.push_back(Entry{name, static_cast<uint32_t>(argPool.size()),
                        static_cast<uint16_t>(args.size()), text.empty() ? uint16_t(0) : textIndex(text)});
    argPool.insert(argPool.end(), args);
    expandedStale = true;
}

bool is(const Entry& e, const char* name) { return std::strcmp(e.name, name) == 0; }
double arg(const Entry& e, int k) { return argPool[e.firstArg + k]; }

}  // namespace

void reset()
{
    log.clear();
    log.shrink_to_fit();
    argPool.clear();
    argPool.shrink_to_fit();
    expanded.clear();
    expanded.shrink_to_fit();
    expandedStale = false;
    recording = true;
    registered = Callbacks();
    matrixMode = GL_MODELVIEW;
    depth.clear();
    nextTexture = 1;
}

void setRecording(bool on) { recording = on; }

const std::vector<Call>& calls()
{
    if (expandedStale) {
        expanded.clear();
        expanded.reserve(log.size());
        for (const Entry& e : log)
            expanded.push_back(Call{e.name,
                                    std::vector<double>(argPool.begin() + e.firstArg,
                                                        argPool.begin() + e.firstArg + e.argCount),
                                    textPool[e.text]});
        expandedStale = false;
    }
    return expanded;
}

std::vector<Call> named(const std::string& name)
{
    std::vector<Call> out;
    for (const Entry& e : log)
        if (name == e.name)
            out.push_back(Call{e.name,
                               std::vector<double>(argPool.begin() + e.firstArg,
                                                   argPool.begin() + e.firstArg + e.argCount),
                               textPool[e.text]});
    return out;
}

size_t count(const std::string& name)
{
    size_t n = 0;
    for (const Entry& e : log)
        n += name == e.name;
    return n;
}

std::vector<std::string> names()
{
    std::vector<std::string> out;
    out.reserve(log.size());
    for (const Entry& e : log)
        out.push_back(e.name);
    return out;
}

std::vector<Primitive> primitives()
{
    std::vector<Primitive> out;
    double r = 1, g = 1, b = 1;
    bool inside = false;
    for (const Entry& e : log) {
        if (is(e, "glColor3f") || is(e, "glColor3fv")) {
            r = arg(e, 0);
            g = arg(e, 1);
            b = arg(e, 2);
        } else if (is(e, "glBegin")) {
            out.push_back(Primitive{static_cast<int>(arg(e, 0)), {}});
            inside = true;
        } else if (is(e, "glEnd")) {
            inside = false;
        } else if (inside && (is(e, "glVertex3f") || is(e, "glVertex3fv"))) {
            out.back().vertices.push_back(Vertex{arg(e, 0), arg(e, 1), arg(e, 2), r, g, b});
        }
    }
    return out;
}

std::vector<TextRun> texts()
{
    std::vector<TextRun> out;
    double x = 0, y = 0, z = 0;
    bool fresh = true;
    for (const Entry& e : log) {
        if (is(e, "glRasterPos3d") || is(e, "glRasterPos3f")) {
            x = arg(e, 0);
            y = arg(e, 1);
            z = arg(e, 2);
            fresh = true;
        } else if (is(e, "glutBitmapCharacter")) {
            const std::string& font = textPool[e.text];
            if (fresh || out.empty() || out.back().font != font)
                out.push_back(TextRun{x, y, z, font, ""});
            out.back().text += static_cast<char>(arg(e, 0));
            fresh = false;
        }
    }
    return out;
}

int matrixDepth(int mode) { return depth[mode]; }
int currentMatrixMode() { return matrixMode; }
const Callbacks& callbacks() { return registered; }

}  // namespace glrec

using glrec::record;
using glrec::recording;

namespace {

std::string fontName(void* font)
{
    if (font == GLUT_BITMAP_8_BY_13) return "8_BY_13";
    if (font == GLUT_BITMAP_9_BY_15) return "9_BY_15";
    if (font == GLUT_BITMAP_TIMES_ROMAN_10) return "TIMES_ROMAN_10";
    if (font == GLUT_BITMAP_TIMES_ROMAN_24) return "TIMES_ROMAN_24";
    if (font == GLUT_BITMAP_HELVETICA_10) return "HELVETICA_10";
    if (font == GLUT_BITMAP_HELVETICA_12) return "HELVETICA_12";
    if (font == GLUT_BITMAP_HELVETICA_18) return "HELVETICA_18";
    return "unknown";
}

}  // namespace

// Font handles: freeglut identifies its bitmap fonts by these symbols' addresses.
void* glutBitmap9By15;
void* glutBitmap8By13;
void* glutBitmapTimesRoman10;
void* glutBitmapTimesRoman24;
void* glutBitmapHelvetica10;
void* glutBitmapHelvetica12;
void* glutBitmapHelvetica18;

extern "C" {

// --- GL ---------------------------------------------------------------------
void glBegin(GLenum mode) { if (recording) record("glBegin", {double(mode)}); }
void glEnd() { if (recording) record("glEnd", {}); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { if (recording) record("glVertex3f", {x, y, z}); }
void glVertex3fv(const GLfloat* v) { if (recording) record("glVertex3fv", {v[0], v[1], v[2]}); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { if (recording) record("glColor3f", {r, g, b}); }
void glColor3fv(const GLfloat* v) { if (recording) record("glColor3fv", {v[0], v[1], v[2]}); }
void glTexCoord2f(GLfloat s, GLfloat t) { if (recording) record("glTexCoord2f", {s, t}); }
void glRasterPos3d(GLdouble x, GLdouble y, GLdouble z) { if (recording) record("glRasterPos3d", {x, y, z}); }
void glRasterPos3f(GLfloat x, GLfloat y, GLfloat z) { if (recording) record("glRasterPos3f", {x, y, z}); }

void glPushMatrix()
{
    if (!recording) return;
    ++glrec::depth[glrec::matrixMode];
    record("glPushMatrix", {});
}
void glPopMatrix()
{
    if (!recording) return;
    --glrec::depth[glrec::matrixMode];
    record("glPopMatrix", {});
}
void glMatrixMode(GLenum mode)
{
    if (!recording) return;
    glrec::matrixMode = static_cast<int>(mode);
    record("glMatrixMode", {double(mode)});
}
void glGetIntegerv(GLenum pname, GLint* data)
{
    if (pname == GL_MATRIX_MODE)
        *data = glrec::matrixMode;
    if (recording) record("glGetIntegerv", {double(pname)});
}
void glLoadIdentity() { if (recording) record("glLoadIdentity", {}); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { if (recording) record("glTranslatef", {x, y, z}); }
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) { if (recording) record("glRotatef", {a, x, y, z}); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { if (recording) record("glScalef", {x, y, z}); }
void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f)
{
    if (recording) record("glFrustum", {l, r, b, t, n, f});
}
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { if (recording) record("glViewport", {double(x), double(y), double(w), double(h)}); }
void glClear(GLbitfield mask) { if (recording) record("glClear", {double(mask)}); }
void glEnable(GLenum cap) { if (recording) record("glEnable", {double(cap)}); }
void glDisable(GLenum cap) { if (recording) record("glDisable", {double(cap)}); }
void glLineWidth(GLfloat w) { if (recording) record("glLineWidth", {w}); }
void glGenTextures(GLsizei n, GLuint* names)
{
    for (GLsizei i = 0; i < n; ++i)
        names[i] = glrec::nextTexture++;
    if (recording) record("glGenTextures", {double(n)});
}
void glBindTexture(GLenum target, GLuint name) { if (recording) record("glBindTexture", {double(target), double(name)}); }
void glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    if (recording) record("glTexParameteri", {double(target), double(pname), double(param)});
}
void glTexEnvf(GLenum target, GLenum pname, GLfloat param)
{
    if (recording) record("glTexEnvf", {double(target), double(pname), param});
}
void glTexImage2D(GLenum target, GLint level, GLint internal, GLsizei w, GLsizei h, GLint border,
                  GLenum format, GLenum type, const void* pixels)
{
    if (!recording) return;
    const unsigned char* p = static_cast<const unsigned char*>(pixels);
    record("glTexImage2D", {double(target), double(level), double(internal), double(w), double(h),
                            double(border), double(format), double(type), p ? double(p[0]) : -1});
}

// --- GLU --------------------------------------------------------------------
GLint gluBuild2DMipmaps(GLenum target, GLint internal, GLsizei w, GLsizei h, GLenum format,
                        GLenum type, const void*)
{
    if (recording)
        record("gluBuild2DMipmaps", {double(target), double(internal), double(w), double(h),
                                     double(format), double(type)});
    return 0;
}

// --- GLUT -------------------------------------------------------------------
void glutInit(int* argc, char**) { if (recording) record("glutInit", {double(*argc)}); }
void glutInitDisplayMode(unsigned int mode) { if (recording) record("glutInitDisplayMode", {double(mode)}); }
int glutCreateWindow(const char* title)
{
    if (recording) record("glutCreateWindow", {}, title);
    return 1;
}
void glutPositionWindow(int x, int y) { if (recording) record("glutPositionWindow", {double(x), double(y)}); }
void glutReshapeWindow(int w, int h) { if (recording) record("glutReshapeWindow", {double(w), double(h)}); }
void glutKeyboardFunc(void (*f)(unsigned char, int, int)) { glrec::registered.keyboard = f; record("glutKeyboardFunc", {}); }
void glutSpecialFunc(void (*f)(int, int, int)) { glrec::registered.special = f; record("glutSpecialFunc", {}); }
void glutMouseFunc(void (*f)(int, int, int, int)) { glrec::registered.mouse = f; record("glutMouseFunc", {}); }
void glutMotionFunc(void (*f)(int, int)) { glrec::registered.motion = f; record("glutMotionFunc", {}); }
void glutDisplayFunc(void (*f)()) { glrec::registered.display = f; record("glutDisplayFunc", {}); }
void glutIdleFunc(void (*f)()) { glrec::registered.idle = f; record("glutIdleFunc", {}); }
void glutReshapeFunc(void (*f)(int, int)) { glrec::registered.reshape = f; record("glutReshapeFunc", {}); }
void glutMainLoop() { if (recording) record("glutMainLoop", {}); }
void glutSwapBuffers() { if (recording) record("glutSwapBuffers", {}); }
void glutSolidSphere(double radius, GLint slices, GLint stacks)
{
    if (recording) record("glutSolidSphere", {radius, double(slices), double(stacks)});
}
void glutBitmapCharacter(void* font, int character)
{
    if (recording) record("glutBitmapCharacter", {double(character)}, fontName(font));
}

}  // extern "C"
