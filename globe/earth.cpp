#include "globe/earth.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Where the open-failure message says it comes from.
const char* const loadFailureLocation = "earth.cpp: line (__LINE__Var+3)";

// The mesh uses these decimals, not pi and 2 pi to full precision.
constexpr double meshHalfTurn = 3.1415927;
constexpr double meshFullTurn = 6.2831853;

const char monthNames[4][32] = {"March", "June", "September", "December"};

}  // namespace

bool hostIsBigEndian()
{
    const int32_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    return first == 0;
}

void swap16(int16_t& sample)
{
    const uint16_t u = static_cast<uint16_t>(sample);
    sample = static_cast<int16_t>(static_cast<uint16_t>((u << 8) | (u >> 8)));
}

Globe::Globe(int seasonNumber, const char* fileName)
    : rows(gridRows),
      cols(gridCols),
      omega(1.7692402601242065f),
      eccentricity(0.017236f),
      obliquity(0.4092099f),
      radius(200.0f),
      season(seasonNumber),
      step(3)
{
    buildPalettes();
    load(fileName, false);
}

void Globe::load(const char* fileName, bool verbose)
{
    FILE* file = std::fopen(fileName, "rb");
    if (file == nullptr) {
        std::printf("%s: ", loadFailureLocation);
        std::printf("file pointer is null!");
        std::printf("\n\nBailing Out....\n");
        std::fflush(stdout);
        std::exit(-1);
    }
    if (verbose)
        std::printf("Loading");

    const bool swap = hostIsBigEndian();
    long samplesRead = 0;
    for (int r = 0; r < rows; ++r) {
        if (verbose && r % 100 == 0)
            std::printf(".");
        const size_t got = std::fread(elevation[r], 2, static_cast<size_t>(cols), file);
        samplesRead += static_cast<long>(got);
        // A short file leaves sea level, not whatever the memory held.
        std::memset(&elevation[r][got], 0, (static_cast<size_t>(cols) - got) * 2);
        if (swap)
            for (int c = 0; c < cols; ++c)
                swap16(elevation[r][c]);
    }
    if (verbose) {
        std::printf("\n");
        std::fflush(stdout);
    }
    std::fclose(file);
    if (samplesRead < long(rows) * cols) {
        std::printf("%s: short elevation grid, read %ld of %ld samples; the rest are 0\n",
                    fileName, samplesRead, long(rows) * cols);
        std::fflush(stdout);
    }
    buildVertices();
}

void Globe::buildVertices()
{
    // Each angle depends only on the row or only on the column, so the
    // trigonometry is done once per row and once per column. The products
    // are formed in the same order as sin(theta) * (cos(phi) * radius), so
    // every vertex is bit-for-bit what the per-vertex formula gives.
    std::vector<double> sinTheta(rows), cosThetaR(rows);
    std::vector<double> cosPhiR(cols), sinPhiR(cols);
    const double r = radius;
    for (int i = 0; i < rows; ++i) {
        const double theta = i * meshHalfTurn / rows;
        sinTheta[i] = std::sin(theta);
        cosThetaR[i] = std::cos(theta) * r;
    }
    for (int j = 0; j < cols; ++j) {
        const double phi = j * meshFullTurn / cols;
        cosPhiR[j] = std::cos(phi) * r;
        sinPhiR[j] = std::sin(phi) * r;
    }
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < cols; ++j) {
            float* v = vertices[i][j];
            v[0] = static_cast<float>(sinTheta[i] * cosPhiR[j]);
            v[1] = static_cast<float>(sinTheta[i] * sinPhiR[j]);
            v[2] = static_cast<float>(cosThetaR[i]);
        }
    }
}

const char* Globe::monthName() const
{
    return monthNames[season];
}

void Globe::draw() const
{
    const int s = step;
    if (s < 1) {  // a zero or negative step would never leave the loop
        drawAxis();
        return;
    }
    for (int a = 0; a < rows - s; a += s) {
        const int b = colourIndex(static_cast<float>(latitudeOfRow(a)));
        const int c = colourIndex(static_cast<float>(latitudeOfRow(a + s)));
        const int16_t* upper = elevation[a];
        const int16_t* lower = elevation[a + s];
        glBegin(GL_QUAD_STRIP);
        for (int d = 0; d < cols - s; d += s) {
            setColour(upper[d], b);
            glVertex3fv(vertices[a][d]);
            setColour(lower[d], c);
            glVertex3fv(vertices[a + s][d]);
        }
        // Close the ring back to column 0.
        setColour(upper[0], b);
        glVertex3fv(vertices[a][0]);
        setColour(lower[0], c);
        glVertex3fv(vertices[a + s][0]);
        glEnd();
    }
    drawAxis();
}

void Globe::setColour(int16_t sample, int index) const
{
    const unsigned u = static_cast<uint16_t>(sample);
    glColor3fv(u > 32768u ? oceanPalette[index] : landPalette[index]);
}

void Globe::drawAxis() const
{
    glColor3f(1, 1, 1);
    glBegin(GL_LINES);
    glVertex3f(0, 0, -1.5f * radius);
    glVertex3f(0, 0, 1.5f * radius);
    glEnd();
}
