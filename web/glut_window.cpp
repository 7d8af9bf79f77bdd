// GLUT's window, callbacks and main loop on Emscripten's HTML5 API: the
// page's canvas is the window, one frame is drawn per animation frame, and
// the browser's keys and mouse are delivered as GLUT delivers X's.
#include "web/glut_window.h"

#include "web/gl_layer.h"
#include "web/gl_text.h"

#include <GL/glut.h>
#include "web/webgl_calls.h"
#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// In keep_runtime.js.
extern "C" void paleoviz_keep_runtime();

namespace {

const char* const canvas = "#canvas";
constexpr int defaultSide = 600;

struct Callbacks {
    void (*display)() = nullptr;
    void (*idle)() = nullptr;
    void (*reshape)(int, int) = nullptr;
    void (*keyboard)(unsigned char, int, int) = nullptr;
    void (*special)(int, int, int) = nullptr;
    void (*mouse)(int, int, int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
} callbacks;

int width = defaultSide, height = defaultSide;
int framesLeft = -1;  // frames until the loop stops; -1 runs on
int framesDrawn = 0;
int buttonsDown = 0;  // bit per GLUT button
int pointerX = 0, pointerY = 0;

// Input waits here until the next frame delivers it, as GLUT's loop
// delivers X's events between frames: a handler that ends the program
// (Escape) then does so inside the loop, which Emscripten stops quietly.
struct InputEvent {
    enum Kind : uint8_t { key, special, button, motion } kind;
    int code, state, x, y;
};
constexpr int queueSize = 512;
InputEvent queue[queueSize];
int queueHead = 0, queueLength = 0;

void enqueue(InputEvent::Kind kind, int code, int state)
{
    if (queueLength == queueSize)
        return;  // a frame that long overdue drops the rest
    queue[(queueHead + queueLength++) % queueSize] = InputEvent{kind, code, state, pointerX, pointerY};
}

void deliverInput()
{
    while (queueLength > 0) {
        const InputEvent e = queue[queueHead];
        queueHead = (queueHead + 1) % queueSize;
        --queueLength;
        switch (e.kind) {
        case InputEvent::key:
            if (callbacks.keyboard != nullptr) callbacks.keyboard(static_cast<unsigned char>(e.code), e.x, e.y);
            break;
        case InputEvent::special:
            if (callbacks.special != nullptr) callbacks.special(e.code, e.x, e.y);
            break;
        case InputEvent::button:
            if (callbacks.mouse != nullptr) callbacks.mouse(e.code, e.state, e.x, e.y);
            break;
        case InputEvent::motion:
            if (callbacks.motion != nullptr) callbacks.motion(e.x, e.y);
            break;
        }
    }
}

// The pointer in window pixels from its place in the page: the canvas may
// be drawn smaller than its pixel size (a phone's screen), and releases and
// moves come from the whole document.
EM_JS(int, canvasPixel, (const char* selector, int client, int vertical), {
    var c = document.querySelector(UTF8ToString(selector));
    var r = c.getBoundingClientRect();
    return vertical ? Math.floor((client - r.top) * c.height / r.height)
                    : Math.floor((client - r.left) * c.width / r.width);
});

void toWindowPixels(long clientX, long clientY, int& x, int& y)
{
    x = canvasPixel(canvas, static_cast<int>(clientX), 0);
    y = canvasPixel(canvas, static_cast<int>(clientY), 1);
}

// GLUT's special key codes for the browser's key names; 0 for none.
struct SpecialKey {
    const char* name;
    int code;
};
const SpecialKey specialKeys[] = {
    {"F1", GLUT_KEY_F1},         {"F2", GLUT_KEY_F2},         {"F3", GLUT_KEY_F3},
    {"F4", GLUT_KEY_F4},         {"F5", GLUT_KEY_F5},         {"F6", GLUT_KEY_F6},
    {"F7", GLUT_KEY_F7},         {"F8", GLUT_KEY_F8},         {"F9", GLUT_KEY_F9},
    {"F10", GLUT_KEY_F10},       {"F11", GLUT_KEY_F11},       {"F12", GLUT_KEY_F12},
    {"ArrowLeft", GLUT_KEY_LEFT}, {"ArrowUp", GLUT_KEY_UP},   {"ArrowRight", GLUT_KEY_RIGHT},
    {"ArrowDown", GLUT_KEY_DOWN}, {"PageUp", GLUT_KEY_PAGE_UP}, {"PageDown", GLUT_KEY_PAGE_DOWN},
    {"Home", GLUT_KEY_HOME},     {"End", GLUT_KEY_END},       {"Insert", GLUT_KEY_INSERT},
};

// Keys without a character that GLUT still delivers as characters.
struct ControlKey {
    const char* name;
    unsigned char code;
};
// Tab is left to the browser: it moves the focus off the picture.
const ControlKey controlKeys[] = {{"Escape", 27}, {"Backspace", 8}, {"Delete", 127}};

EM_BOOL onKeyDown(int, const EmscriptenKeyboardEvent* e, void*)
{
    for (const SpecialKey& k : specialKeys)
        if (std::strcmp(e->key, k.name) == 0) {
            enqueue(InputEvent::special, k.code, 0);
            return EM_TRUE;  // no scrolling of the page
        }
    for (const ControlKey& k : controlKeys)
        if (std::strcmp(e->key, k.name) == 0) {
            enqueue(InputEvent::key, k.code, 0);
            return EM_TRUE;
        }
    // Characters come with the key press that follows, which a handled key
    // down would suppress.
    return EM_FALSE;
}

// The character typed, shift and layout applied: '&' is '&', not '7'.
EM_BOOL onKeyPress(int, const EmscriptenKeyboardEvent* e, void*)
{
    const unsigned long c = e->charCode;
    if (e->ctrlKey || e->metaKey || c == 0 || c > 255)
        return EM_FALSE;
    enqueue(InputEvent::key, static_cast<int>(c), 0);
    return EM_TRUE;
}

int glutButton(unsigned short domButton)
{
    switch (domButton) {
    case 0: return GLUT_LEFT_BUTTON;
    case 1: return GLUT_MIDDLE_BUTTON;
    case 2: return GLUT_RIGHT_BUTTON;
    default: return -1;
    }
}

EM_BOOL onMouseDown(int, const EmscriptenMouseEvent* e, void*)
{
    const int button = glutButton(e->button);
    if (button < 0)
        return EM_FALSE;
    toWindowPixels(e->clientX, e->clientY, pointerX, pointerY);
    buttonsDown |= 1 << button;
    enqueue(InputEvent::button, button, GLUT_DOWN);
    return EM_TRUE;
}

// Releases and moves are taken from the whole document, so that a drag
// that leaves the canvas still ends, as a grabbed X pointer does.
EM_BOOL onMouseUp(int, const EmscriptenMouseEvent* e, void*)
{
    const int button = glutButton(e->button);
    if (button < 0 || (buttonsDown & (1 << button)) == 0)
        return EM_FALSE;
    toWindowPixels(e->clientX, e->clientY, pointerX, pointerY);
    buttonsDown &= ~(1 << button);
    enqueue(InputEvent::button, button, GLUT_UP);
    return EM_TRUE;
}

EM_BOOL onMouseMove(int, const EmscriptenMouseEvent* e, void*)
{
    toWindowPixels(e->clientX, e->clientY, pointerX, pointerY);
    if (buttonsDown != 0)
        enqueue(InputEvent::motion, 0, 0);
    return EM_FALSE;
}

// The size the page asks the picture to be drawn at (its shown size times
// the device pixel ratio), or 0 to keep it.
EM_JS(int, wantedSide, (int vertical), {
    var s = Module.paleovizCanvasSize;
    return s ? s[vertical] | 0 : 0;
});

// The text grows with the canvas's height, from the desktop window's own
// size at the default side (1.8 on a 1080-pixel canvas), never below it.
// Exactly in proportion, not rounded up: the panel's values end at the
// picture's right edge and its names just before the curves, so text any
// larger than the picture's own scale would be cut off or overlap.
void followTextScale(int side)
{
    const float scale = std::max(1.0f, static_cast<float>(side) / defaultSide);
    webgl_layer::setTextScale(scale);
    webgl_layer::setLineScale(scale);
}

// A new size takes effect between frames, as X delivers a window's new
// size: the canvas's pixels, then the window's reshape.
void followPageSize()
{
    const int w = wantedSide(0), h = wantedSide(1);
    if (w <= 0 || h <= 0 || (w == width && h == height))
        return;
    width = w;
    height = h;
    emscripten_set_canvas_element_size(canvas, w, h);
    followTextScale(h);
    if (callbacks.reshape != nullptr)
        callbacks.reshape(w, h);
}

void frame()
{
    followPageSize();
    deliverInput();
    if (callbacks.idle != nullptr)
        callbacks.idle();
    else if (callbacks.display != nullptr)
        callbacks.display();
    ++framesDrawn;
    EM_ASM({ if (Module.paleovizFrame) Module.paleovizFrame($0); }, framesDrawn);
    if (framesLeft > 0 && --framesLeft == 0) {
        // Paused, not cancelled, and the runtime kept alive: a paused loop
        // otherwise lets the runtime exit at its next tick, which destroys
        // the layer's buffers while the page may still ask for frames.
        emscripten_pause_main_loop();
        paleoviz_keep_runtime();
        EM_ASM({ if (Module.paleovizStopped) Module.paleovizStopped(); });
    }
}

}  // namespace

namespace webgl_layer {

void stopAfterFrames(int frames) { framesLeft = frames; }

}  // namespace webgl_layer

extern "C" {

void glutInit(int*, char**) {}
void glutInitDisplayMode(unsigned int) {}
int glutCreateWindow(const char*)
{
    if (!webgl_layer::createLayer(canvas, width, height)) {
        std::printf("paleoviz: this browser offers no WebGL 2\n");
        std::fflush(stdout);
        std::exit(1);
    }
    return 1;
}
void glutPositionWindow(int, int) {}
void glutReshapeWindow(int w, int h)
{
    width = w;
    height = h;
    emscripten_set_canvas_element_size(canvas, w, h);
    followTextScale(h);
}
void glutKeyboardFunc(void (*f)(unsigned char, int, int)) { callbacks.keyboard = f; }
void glutSpecialFunc(void (*f)(int, int, int)) { callbacks.special = f; }
void glutMouseFunc(void (*f)(int, int, int, int)) { callbacks.mouse = f; }
void glutMotionFunc(void (*f)(int, int)) { callbacks.motion = f; }
void glutDisplayFunc(void (*f)()) { callbacks.display = f; }
void glutIdleFunc(void (*f)()) { callbacks.idle = f; }
void glutReshapeFunc(void (*f)(int, int)) { callbacks.reshape = f; }
void glutSwapBuffers() { webgl_layer::endFrame(); }

// For the benchmark: one frame drawn by the display callback and waited
// for (reading a pixel back waits for the drawing).
EMSCRIPTEN_KEEPALIVE void paleoviz_draw_frame_waited()
{
    if (callbacks.display != nullptr)
        callbacks.display();
    unsigned char pixel[4];
    emscripten_glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

// For the benchmark: one frame drawn by the display callback and not waited
// for, the program's own share of a frame: its work and the handing of the
// GL calls to the browser, without the drawing itself.
EMSCRIPTEN_KEEPALIVE void paleoviz_draw_frame()
{
    if (callbacks.display != nullptr)
        callbacks.display();
}

// Delivers the window's size, as GLUT does when the window appears, and
// then draws a frame per animation frame. Like GLUT's, it never returns.
void glutMainLoop()
{
    // Keys reach the window only while the picture has the focus: the
    // page's fields and buttons keep theirs, and Tab leaves the picture.
    emscripten_set_keydown_callback(canvas, nullptr, EM_TRUE, onKeyDown);
    emscripten_set_keypress_callback(canvas, nullptr, EM_TRUE, onKeyPress);
    emscripten_set_mousedown_callback(canvas, nullptr, EM_TRUE, onMouseDown);
    emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, onMouseUp);
    emscripten_set_mousemove_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, onMouseMove);
    if (callbacks.reshape != nullptr)
        callbacks.reshape(width, height);
    emscripten_set_main_loop(frame, 0, 1);
}

}  // extern "C"
