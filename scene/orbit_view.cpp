// The orbit view: Sun, dashed orbit, apsides and latus rectum, four globes.
#include "scene/orbit_geometry.h"
#include "scene/paleo_scene.h"
#include "scene/panel.h"

#include "math/constants.h"

#include <GL/glut.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using math::pi;
using math::twoPi;
using math::halfPi;

namespace {

constexpr double dashAngle = pi / 100;
constexpr double zoomShift = -11.0;      // x translation per unit of zoom
constexpr double viewDistance = -3500;   // z translation of the orbit view
constexpr double referenceTilt = 23.5;   // degrees
constexpr double tiltExaggeration = 10.0;
constexpr double sunRadius = 50.0;
constexpr int sunDetail = 20;

// Month label offset from the globe's centre, in the globe's turned frame.
constexpr float labelX = 50, labelY = 250, labelZ = -200;
constexpr int labelCharWidth = 10;

double drawnEccLimit = maxDrawnEcc;

}  // namespace

void setDrawnEccLimit(double limit)
{
    drawnEccLimit = std::clamp(limit, 0.0, maxDrawnEcc);
}

double OrbitShape::radiusAt(double theta) const
{
    return semiLatus / (1 - drawnEcc * std::cos(theta));
}

OrbitShape orbitShape(double ecc, double semiMajorAxis)
{
    OrbitShape shape;
    // Exaggerated fourfold, an eccentricity of 0.25 or more would draw a
    // line or a hyperbola: the drawn value is capped so the orbit stays an
    // ellipse. Real orbits (below 0.07) are far from the cap.
    shape.drawnEcc = std::clamp(orbitExaggeration * ecc, -drawnEccLimit, drawnEccLimit);
    shape.semiMajor = semiMajorAxis;
    // The algebraic form also holds for a circle (eccentricity 0).
    shape.semiLatus = semiMajorAxis * (1 - shape.drawnEcc * shape.drawnEcc);
    return shape;
}

double drawnTilt(double obliquityDegrees)
{
    return (obliquityDegrees - referenceTilt) * tiltExaggeration + referenceTilt;
}

double PaleoScene::orbitX(double theta) const
{
    const OrbitShape shape = orbitShape(ecc, semiMajorAxis);
    return shape.radiusAt(theta) * std::cos(theta);
}

double PaleoScene::orbitY(double theta) const
{
    const OrbitShape shape = orbitShape(ecc, semiMajorAxis);
    return shape.radiusAt(theta) * std::sin(theta);
}

void PaleoScene::draw()
{
    // Per-frame state.
    if (autoAdvance) {
        advanceTime(1);
        updateCurrentValues();
    }
    spin = (spin + 1) % spinPeriod;
    const double b = degToRad(prec);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Orbit view under the user's rotation and zoom, perihelion turned with
    // the precession angle.
    glPushMatrix();
    glTranslatef(static_cast<float>(zoom * zoomShift), 0, static_cast<float>(viewDistance));
    const float s = static_cast<float>(zoom / 100 + 1);
    glScalef(s, s, s);
    glRotatef(static_cast<float>(rotX), 1, 0, 0);
    glRotatef(static_cast<float>(rotY), 0, 1, 0);
    glRotatef(static_cast<float>(rotZ), 0, 0, 1);
    glRotatef(static_cast<float>(prec - 90), 0, 0, 1);
    placeGlobe(globeMarch, -b);
    placeGlobe(globeJune, halfPi - b);
    placeGlobe(globeSeptember, pi - b);
    placeGlobe(globeDecember, -halfPi - b);
    drawSun();
    drawDashedOrbit();
    drawApsides();
    drawLatusRectum();
    glPopMatrix();

    // Panel and logo in a fixed frame.
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(240, 300, -2700);
    drawHeader();
    drawEccCurve();
    drawOblCurve();
    drawPrecCurve();
    drawLogo();
    glPopMatrix();
}

void PaleoScene::placeGlobe(const Globe* globe, double theta) const
{
    if (globe == nullptr)
        return;
    const double x = orbitX(theta);
    const double y = orbitY(theta);
    glColor3f(1, 1, 1);
    glPushMatrix();
    glTranslatef(static_cast<float>(x), static_cast<float>(y), 0);
    glRotatef(static_cast<float>(270 - prec), 0, 0, 1);

    glPushMatrix();
    glTranslatef(labelX, labelY, labelZ);
    const char* name = globe->monthName();
    drawText(name, labelCharWidth * static_cast<int>(std::strlen(name)), 0, 0,
             GLUT_BITMAP_HELVETICA_18);
    glPopMatrix();

    glPushMatrix();
    glRotatef(static_cast<float>(drawnTilt(obl)), 0, 1, 0);
    glRotatef(static_cast<float>(spin), 0, 0, 1);
    globe->draw();
    glPopMatrix();

    glPopMatrix();
}

void PaleoScene::drawSun() const
{
    glColor3f(1, 1, 0.5f);
    glutSolidSphere(sunRadius, sunDetail, sunDetail);
}

void PaleoScene::drawDashedOrbit() const
{
    // Vertices pair into dashes (0,1), (2,3), ...; the primitive restarts
    // before every even vertex after the first.
    const OrbitShape shape = orbitShape(ecc, semiMajorAxis);
    glColor3f(1, 1, 1);
    glBegin(GL_LINES);
    int k = 0;
    for (double theta = 0.0; theta < twoPi; theta += dashAngle, ++k) {
        if (k > 0 && k % 2 == 0) {
            glEnd();
            glBegin(GL_LINES);
        }
        const double r = shape.radiusAt(theta);
        glVertex3f(static_cast<float>(r * std::cos(theta)), static_cast<float>(r * std::sin(theta)), 0);
    }
    glEnd();
}

void PaleoScene::drawLatusRectum() const
{
    const float p = static_cast<float>(orbitShape(ecc, semiMajorAxis).semiLatus);
    glColor3f(1, 1, 1);
    glBegin(GL_LINES);
    glVertex3f(0, -p, 0);
    glVertex3f(0, p, 0);
    glEnd();
}

void PaleoScene::drawApsides() const
{
    const OrbitShape shape = orbitShape(ecc, semiMajorAxis);
    glColor3f(1, 1, 1);
    glBegin(GL_LINES);
    glVertex3f(static_cast<float>(-shape.perihelionDistance()), 0, 0);
    glVertex3f(static_cast<float>(shape.aphelionDistance()), 0, 0);
    glEnd();
}
