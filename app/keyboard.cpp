// Keyboard commands and the key help line.
#include "app/shell.h"

#include "scene/paleo_scene.h"

#include <GL/glut.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr unsigned char escapeKey = 27;
constexpr int timeJump = 25;  // records for 7 and &
constexpr int zoomKeyStep = 10;
constexpr double rotateKeyStep = 1.0;

const char* const helpText = "lmoepyY7&zZrRaAsS<spc><esc>";
constexpr int helpWordsLength = 10;  // "<spc><esc>" carries no caret
// x of the help line on the near plane for a window width, and its rows.
constexpr double helpXPerPixel = 0.003779069767;
constexpr double helpXOffset = -6.187;
constexpr float helpY = -9.6f;
constexpr float caretRowY = -0.36f;

}  // namespace

void onKeyboard(unsigned char key, int, int)
{
    PaleoScene& scene = *theScene;
    switch (key) {
    case escapeKey: std::exit(0);
    case ' ': scene.resetView(); break;
    case 'y': scene.advanceTime(1); break;
    case 'Y': scene.advanceTime(-1); break;
    case '7': scene.advanceTime(timeJump); break;
    case '&': scene.advanceTime(-timeJump); break;
    case 'z': scene.changeZoom(zoomKeyStep); break;
    case 'Z': scene.changeZoom(-zoomKeyStep); break;
    case 'r': scene.rotateX(rotateKeyStep); break;
    case 'R': scene.rotateX(-rotateKeyStep); break;
    case 'a': scene.rotateY(rotateKeyStep); break;
    case 'A': scene.rotateY(-rotateKeyStep); break;
    case 's': scene.rotateZ(rotateKeyStep); break;
    case 'S': scene.rotateZ(-rotateKeyStep); break;
    case 'e': scene.toggleEcc(); break;
    case 'p': scene.togglePrec(); break;
    case 'o': scene.toggleObl(); break;
    case 'm': scene.toggleAutoAdvance(); break;
    case 'l': scene.toggleLogo(); break;
    default: break;
    }
    lastKey = key;
    scene.updateCurrentValues();
}

void onSpecialKey(int key, int, int)
{
    PaleoScene& scene = *theScene;
    switch (key) {
    case GLUT_KEY_LEFT: scene.advanceTime(1); break;
    case GLUT_KEY_RIGHT: scene.advanceTime(-1); break;
    case GLUT_KEY_UP: scene.rotateX(-rotateKeyStep); break;
    case GLUT_KEY_DOWN: scene.rotateX(rotateKeyStep); break;
    case escapeKey: std::exit(0);
    default: break;
    }
    lastKey = specialKeyBase + key;
    scene.updateCurrentValues();
}

void drawKeyHelp()
{
    const float x0 = static_cast<float>(windowWidth * helpXPerPixel + helpXOffset);
    glColor3f(1, 1, 1);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x0, helpY, 0);
    glRasterPos3f(0, 0, 0);
    for (const char* c = helpText; *c != '\0'; ++c)
        glutBitmapCharacter(GLUT_BITMAP_8_BY_13, static_cast<unsigned char>(*c));
    glRasterPos3f(0, caretRowY, 0);
    const int commandLetters = static_cast<int>(std::strlen(helpText)) - helpWordsLength;
    for (int i = 0; i < commandLetters; ++i)
        glutBitmapCharacter(GLUT_BITMAP_8_BY_13,
                            static_cast<unsigned char>(helpText[i]) == lastKey ? '^' : ' ');
    glPopMatrix();
}
