// The application shell: the globals the GLUT callbacks share, the callbacks
// themselves and the program entry.
#ifndef PALEOVIZ_APP_SHELL_H
#define PALEOVIZ_APP_SHELL_H

class PaleoScene;

extern PaleoScene* theScene;  // owned by the entry
extern int windowWidth;       // pixels, from the last reshape
extern int windowHeight;
extern int lastKey;           // 0..255 a character key; specialKeyBase + code a special key
extern int detailStep;        // last mesh step chosen with the right button
// Zoom change per frame set by the entry; the first middle press negates it.
constexpr int startZoomStep = -5;
extern int zoomStep;          // zoom change per frame while the middle button is held
extern bool leftDown;
extern bool middleDown;
extern bool scrollPresent;    // left button held right of the time axis
extern bool scrollPast;       // left button held left of the time axis
extern double lastMouseX;     // pointer at the last left press or drag, pixels
extern double lastMouseY;

// Special keys are recorded above the character codes so that they never
// place the help line's caret under a command letter.
constexpr int specialKeyBase = 256;

// Draws one frame of width x height pixels and writes it as a PNG file at
// path; returns the exit status. Called with the window open and the scene
// loaded and set to the state the options ask for.
using SnapshotWriter = int (*)(const char* path, int width, int height);

// Reads the options (GLUT's go to glutInit), creates the scene from the data
// files they point to, opens the window, loads the data, sets the start
// state the options ask for and runs the main loop; returns 0 if the loop
// ever returns. With --snapshot it calls writeSnapshot instead of the loop
// and returns its status (1 when no writer is given). --help: the usage on
// standard output, status 0. Bad options: one line on standard error,
// status 2, before any window exists. Without options it reads the three
// files of the working folder, falling back to the installed data folder for
// any the working folder lacks.
int runProgram(int argc, char** argv, SnapshotWriter writeSnapshot = nullptr);

void onReshape(int width, int height);
// Display and idle callback: held-mouse actions, the scene, the key help line.
void onDisplay();
void onKeyboard(unsigned char key, int x, int y);
void onSpecialKey(int key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);

// The key help line with the caret under the last command letter pressed.
void drawKeyHelp();

#endif
