// The time-series panel: time readout, marker, time axis and three curves.
#include "scene/panel.h"
#include "scene/panel_layout.h"
#include "scene/paleo_scene.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int readoutRight = 425;    // readout x = 425 - 40 x digits
constexpr int readoutDigitWidth = 40;
constexpr int readoutY = -1100;
constexpr int axisY = 480;           // the time axis line
constexpr int minorTickTop = 490;
constexpr int majorTickBottom = 470;
constexpr int minorTickSpacing = 20;   // 10 records
constexpr int majorTickSpacing = 200;  // 100 records
constexpr int axisLabelY = 510;
constexpr int axisLabelCharWidth = 10;
constexpr int markerBottom = 200;
constexpr int markerWing = 10;
constexpr int markerWingY = 460;
constexpr int valueX = 520;

struct CurveStyle {
    Curve curve;
    float red, green, blue;
    const char* label;
    int labelX, labelY;
    double PaleoScene::*current;
    bool PaleoScene::*shown;
    double* PaleoScene::*series;
    float lowest, highest, substitute;  // accepted band and the height outside it
};

constexpr CurveStyle eccStyle = {Curve::eccentricity, 1, 0, 0, "ecc", -1130, 420,
                                 &PaleoScene::ecc, &PaleoScene::showEcc, &PaleoScene::eccSeries,
                                 350, 500, 430};
constexpr CurveStyle precStyle = {Curve::precession, 0, 1, 0, "sin(p)", -1145, 340,
                                  &PaleoScene::prec, &PaleoScene::showPrec, &PaleoScene::precSeries,
                                  230, 400, 350};
constexpr CurveStyle oblStyle = {Curve::obliquity, 0, 1, 1, "obl", -1130, 250,
                                 &PaleoScene::obl, &PaleoScene::showObl, &PaleoScene::oblSeries,
                                 150, 300, 250};

const CurveStyle& styleOf(Curve curve)
{
    switch (curve) {
    case Curve::eccentricity: return eccStyle;
    case Curve::precession: return precStyle;
    default: return oblStyle;
    }
}

void drawSegment(int x0, int y0, int x1, int y1, GLenum mode)
{
    glBegin(mode);
    glVertex3f(static_cast<float>(x0), static_cast<float>(y0), 0);
    glVertex3f(static_cast<float>(x1), static_cast<float>(y1), 0);
    glEnd();
}

void drawCurve(const PaleoScene& scene, const CurveStyle& style)
{
    char text[textBufferSize];
    glColor3f(style.red, style.green, style.blue);
    drawText(style.label, style.labelX, style.labelY, 0, GLUT_BITMAP_HELVETICA_18);
    std::snprintf(text, sizeof text, "%lf", scene.*style.current);
    drawText(text, valueX, style.labelY, 0, GLUT_BITMAP_HELVETICA_10);

    glBegin(GL_LINE_STRIP);
    const double* series = scene.*style.series;
    if (scene.*style.shown && series != nullptr) {
        const int start = windowStart(scene.timeIndex);
        for (int x = plotLeft; x < plotRight; x += unitsPerRecord) {
            // The same scale as the axis and the marker, so the point under the
            // marker is the current record and the printed value lies on it.
            const int record = start - markerOffset - x / unitsPerRecord;
            if (record < 0 || record > scene.recordCount - 1)
                continue;  // outside the series: skipped, not drawn as zero
            glVertex3f(static_cast<float>(x), plottedHeight(style.curve, series[record]), 0);
        }
    } else {
        glVertex3f(plotLeft, style.substitute, 0);
        glVertex3f(plotRight, style.substitute, 0);
    }
    glEnd();
}

}  // namespace

int windowStart(int timeIndex)
{
    if (timeIndex < windowStartMin)
        return windowStartMin;
    if (timeIndex > windowStartMax)
        return windowStartMax;
    return timeIndex;
}

int markerX(int timeIndex)
{
    if (timeIndex < windowStartMin)
        return plotRight - unitsPerRecord * timeIndex;
    // From here on the window scrolls and the marker stays put.
    return plotRight - unitsPerRecord * windowStartMin;
}

void formatReadout(char* buffer, int timeIndex)
{
    std::snprintf(buffer, textBufferSize, "%c%d kY", timeIndex != 0 ? '-' : ' ', timeIndex);
}

int axisLabelAt(int x, int start)
{
    return x / unitsPerRecord - start + markerOffset;
}

float curveHeight(Curve curve, double value)
{
    switch (curve) {
    case Curve::eccentricity:
        return static_cast<float>(value * 1000 + 400);
    case Curve::precession:
        return static_cast<float>(std::sin(PaleoScene::degToRad(value) + 1.0) * 25 + 350);
    default:
        return static_cast<float>((value - 22) * 20 + 230);
    }
}

float plottedHeight(Curve curve, double value)
{
    const CurveStyle& style = styleOf(curve);
    const float y = curveHeight(curve, value);
    if (y > style.highest || !(y >= style.lowest))
        return style.substitute;
    return y;
}

void drawText(const char* text, int x, int y, int z, void* font)
{
    glRasterPos3d(x, y, z);
    for (const char* c = text; *c != '\0'; ++c)
        glutBitmapCharacter(font, static_cast<unsigned char>(*c));
}

void PaleoScene::drawHeader() const
{
    char text[textBufferSize];
    std::snprintf(text, sizeof text, "%d", timeIndex);
    const int len = static_cast<int>(std::strlen(text));
    glColor3f(1, 1, 1);
    glLineWidth(2);
    formatReadout(text, timeIndex);
    drawText(text, readoutRight - readoutDigitWidth * len, readoutY, 0, GLUT_BITMAP_TIMES_ROMAN_24);
    drawMarker();
    drawTimeAxis();
    glLineWidth(1);
}

void PaleoScene::drawMarker() const
{
    const int x = markerX(timeIndex);
    glBegin(GL_LINE_STRIP);
    glVertex3f(static_cast<float>(x - markerWing), markerWingY, 0);
    glVertex3f(static_cast<float>(x), axisY, 0);
    glVertex3f(static_cast<float>(x + markerWing), markerWingY, 0);
    glEnd();
    drawSegment(x, markerBottom, x, axisY, GL_LINE_STRIP);
}

void PaleoScene::drawTimeAxis() const
{
    const int start = windowStart(timeIndex);
    for (int x = (start % 10) * unitsPerRecord + plotLeft; x <= plotRight; x += minorTickSpacing)
        drawSegment(x, axisY, x, minorTickTop, GL_LINES);
    char text[textBufferSize];
    for (int x = (start % 100) * unitsPerRecord + plotLeft; x <= plotRight; x += majorTickSpacing) {
        drawSegment(x, axisY, x, majorTickBottom, GL_LINES);
        std::snprintf(text, sizeof text, "%d", axisLabelAt(x, start));
        const int len = static_cast<int>(std::strlen(text));
        drawText(text, x - axisLabelCharWidth * len, axisLabelY, 0, GLUT_BITMAP_HELVETICA_12);
    }
}

void PaleoScene::drawEccCurve() const { drawCurve(*this, eccStyle); }
void PaleoScene::drawPrecCurve() const { drawCurve(*this, precStyle); }
void PaleoScene::drawOblCurve() const { drawCurve(*this, oblStyle); }
