// Mouse zones: picking and scrolling on the time axis, switching curves by
// their rows, rotating by dragging, zooming and the mesh step.
#include "app/mouse_zones.h"
#include "app/shell.h"

#include "scene/paleo_scene.h"
#include "scene/panel_layout.h"

namespace {

// Band heights as fractions of the window height, as written (not 1/12, 1/24).
constexpr double axisBandFraction = 0.08333333;
constexpr double rowBandFraction = 0.04166666;
// The plot's ends as fractions of the window width.
constexpr double plotLeftFraction = 0.08166666666666667;
constexpr double plotRightFraction = 0.9066666666666666;
constexpr int maxDetailStep = 10;

enum MouseButton { leftButton = 0, middleButton = 1, rightButton = 2 };
enum ButtonState { pressed = 0, released = 1 };

// Picks the time under x, or starts scrolling when x lies beyond either end.
void handleTimeAxis(int x)
{
    scrollPresent = false;
    scrollPast = false;
    if (windowWidth <= 0)
        return;
    const int leftEnd = axisLeftEnd(theScene->axisTime());
    const int v = axisValueAt(x, windowWidth, leftEnd);
    if (v > leftEnd)
        scrollPresent = true;
    else if (v < leftEnd - plotRecords)
        scrollPast = true;
    else
        theScene->setTimeFromAxis(v);
}

void pressLeft(int x, int y)
{
    scrollPresent = false;
    scrollPast = false;
    switch (bandOfY(y, windowHeight)) {
    case MouseBand::timeAxis: handleTimeAxis(x); break;
    case MouseBand::eccRow: theScene->toggleEcc(); break;
    case MouseBand::precRow: theScene->togglePrec(); break;
    case MouseBand::oblRow: theScene->toggleObl(); break;
    default: break;
    }
    leftDown = true;
    lastMouseX = x;
    lastMouseY = y;
}

}  // namespace

MouseBand bandOfY(double y, int windowHeight)
{
    const double h = windowHeight;
    const double t = h * axisBandFraction;
    const double r = h * rowBandFraction;
    if (y > 0 && y <= t)
        return MouseBand::timeAxis;
    if (y > t && y <= t + r)
        return MouseBand::eccRow;
    if (y > t + r && y <= t + 2 * r)
        return MouseBand::precRow;
    if (y > t + 2 * r && y <= t + 3 * r)
        return MouseBand::oblRow;
    if (y > t + 3 * r)
        return MouseBand::view;
    return MouseBand::none;
}

int axisLeftEnd(int axisTime)
{
    return axisTime < -(windowStartMin - 1) ? axisTime + windowStartMin : 0;
}

int axisValueAt(int x, int windowWidth, int leftEnd)
{
    const double w = windowWidth;
    const double x0 = w * plotLeftFraction;
    const double x1 = w * plotRightFraction;
    const double f = (x - x0) / (x1 - x0);
    return static_cast<int>(leftEnd - (1 - f) * plotRecords);
}

void onMouse(int button, int state, int x, int y)
{
    if (button == rightButton && state == pressed) {
        detailStep = (detailStep + 1) % maxDetailStep + 1;
        theScene->setGlobeStep(detailStep);
    } else if (button == middleButton) {
        if (state == pressed) {
            middleDown = true;
            zoomStep = -zoomStep;
        } else if (state == released) {
            middleDown = false;
        }
    } else if (button == leftButton) {
        if (state == pressed)
            pressLeft(x, y);
        else if (state == released)
            leftDown = false;
    }
    theScene->updateCurrentValues();
    onDisplay();
}

void onMotion(int x, int y)
{
    if (!leftDown)
        return;
    switch (bandOfY(y, windowHeight)) {
    case MouseBand::timeAxis:
        handleTimeAxis(x);
        break;
    case MouseBand::view:
        theScene->rotateX((y - lastMouseY) / 3);
        theScene->rotateY((x - lastMouseX) / 3);
        break;
    default:
        break;
    }
    lastMouseX = x;
    lastMouseY = y;
}
