// A recording stand-in for the GL, GLU and GLUT functions the program calls.
// Test binaries link it instead of the real libraries: every call is logged
// with its arguments so that a test can run a handler or a drawing routine
// and check what it would have drawn. Benchmarks switch recording off.
#ifndef PALEOVIZ_TESTS_GL_RECORDER_H
#define PALEOVIZ_TESTS_GL_RECORDER_H

#include <cstddef>
#include <string>
#include <vector>

namespace glrec {

struct Call {
    std::string name;          // function name, e.g. "glVertex3f"
    std::vector<double> args;  // numeric arguments (vectors expanded)
    std::string text;          // window title, font name, or "" otherwise
};

// Forgets the log, turns recording on and resets the tracked state (matrix
// mode and depth, colour, texture names, registered callbacks).
void reset();
// Recording on (tests, the default) or off (benchmarks, and tests that draw
// frames no assertion reads: calls do nothing) until the next reset.
void setRecording(bool on);
// The log as Call objects, made on request: the log itself is kept compact.
// Valid until the next call of a GL function or of reset.
const std::vector<Call>& calls();

// Calls with this name, in order.
std::vector<Call> named(const std::string& name);
size_t count(const std::string& name);
// Names of all calls, in order, for comparing sequences.
std::vector<std::string> names();

// One primitive between glBegin and glEnd, with the colour in force at each
// vertex.
struct Vertex {
    double x, y, z;
    double r, g, b;
};
struct Primitive {
    int mode;  // GL_LINES, GL_QUAD_STRIP, ...
    std::vector<Vertex> vertices;
};
std::vector<Primitive> primitives();

// Text drawn with glutBitmapCharacter, grouped by raster position.
struct TextRun {
    double x, y, z;    // the last raster position set before the characters
    std::string font;  // "HELVETICA_18", "8_BY_13", ...
    std::string text;
};
std::vector<TextRun> texts();

// Tracked state.
int matrixDepth(int mode);  // pushes minus pops per matrix mode
int currentMatrixMode();

// Callbacks as registered through glut*Func, null until registered.
struct Callbacks {
    void (*display)() = nullptr;
    void (*idle)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*special)(int, int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
};
const Callbacks& callbacks();

}  // namespace glrec

#endif
