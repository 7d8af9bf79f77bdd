#include "globe/earth.h"

#include "files/regular_input.h"

#include <GL/glut.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

// Where the open-failure message says it comes from.
const char* const loadFailureLocation = "earth.cpp: line (__LINE__Var+3)";

// The mesh uses these decimals, not pi and 2 pi to full precision.
constexpr double meshHalfTurn = 3.1415927;
constexpr double meshFullTurn = 6.2831853;

const char monthNames[4][32] = {"March", "June", "September", "December"};

// Every globe reads the same grid file, so a short one is reported by the
// first globe only, once per run.
bool shortGridReported = false;

// A pipe can be read only once, but every globe reads the grid: the first
// globe's grid from a pipe is kept here, and the others copy it.
std::string pipedGridName;
std::vector<int16_t> pipedGrid;

BandDrawer bandDrawer = nullptr;
unsigned meshesBuilt = 0;

bool isPipe(const char* fileName)
{
    struct stat status;
    return stat(fileName, &status) == 0 && S_ISFIFO(status.st_mode);
}

// Ends the process when the grid file cannot be opened or read.
[[noreturn]] void failToLoad()
{
    std::printf("%s: ", loadFailureLocation);
    std::printf("file pointer is null!");
    std::printf("\n\nBailing Out....\n");
    std::fflush(stdout);
    std::exit(-1);
}

}  // namespace

void setBandDrawer(BandDrawer drawer) { bandDrawer = drawer; }

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
    const bool pipe = isPipe(fileName);
    if (pipe && pipedGridName == fileName) {
        std::memcpy(elevation, pipedGrid.data(), sizeof elevation);
        buildVertices();
        return;
    }
    FILE* file = openDataFile(fileName, "rb");
    if (file == nullptr)
        failToLoad();
    if (verbose)
        std::printf("Loading");

    const bool swap = hostIsBigEndian();
    long samplesRead = 0;
    for (int row = 0; row < rows; ++row) {
        if (verbose && row % 100 == 0)
            std::printf(".");
        const size_t got = std::fread(elevation[row], 2, static_cast<size_t>(cols), file);
        samplesRead += static_cast<long>(got);
        // A short file leaves sea level, not whatever the memory held.
        std::memset(&elevation[row][got], 0, (static_cast<size_t>(cols) - got) * 2);
        if (swap)
            for (int col = 0; col < cols; ++col)
                swap16(elevation[row][col]);
    }
    // A file that opened but cannot be read (a directory of that name, an
    // I/O error) is treated as one that cannot be opened.
    if (std::ferror(file))
        failToLoad();
    if (verbose) {
        std::printf("\n");
        std::fflush(stdout);
    }
    std::fclose(file);
    if (pipe) {
        pipedGridName = fileName;
        pipedGrid.assign(&elevation[0][0], &elevation[0][0] + sizeof elevation / sizeof elevation[0][0]);
    }
    if (samplesRead < long(rows) * cols && !shortGridReported) {
        shortGridReported = true;
        std::printf("%s: short elevation grid, read %ld of %ld samples; the rest are 0\n",
                    fileName, samplesRead, long(rows) * cols);
        std::fflush(stdout);
    }
    buildVertices();
}

void Globe::buildVertices()
{
    meshGeneration = ++meshesBuilt;
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
    const int stride = step;
    if (stride < 1) {  // a zero or negative step would never leave the loop
        drawAxis();
        return;
    }
    for (int upperRow = 0; upperRow < rows - stride; upperRow += stride) {
        const int lowerRow = upperRow + stride;
        const int upperIndex = colourIndex(static_cast<float>(latitudeOfRow(upperRow)));
        const int lowerIndex = colourIndex(static_cast<float>(latitudeOfRow(lowerRow)));
        const int16_t* upper = elevation[upperRow];
        const int16_t* lower = elevation[lowerRow];
        if (bandDrawer != nullptr) {
            bandDrawer(GlobeBand{vertices[upperRow], vertices[lowerRow], upper, lower, oceanPalette[upperIndex],
                                 landPalette[upperIndex], oceanPalette[lowerIndex], landPalette[lowerIndex], cols,
                                 stride, meshGeneration});
            continue;
        }
        glBegin(GL_QUAD_STRIP);
        for (int col = 0; col < cols - stride; col += stride) {
            setColour(upper[col], upperIndex);
            glVertex3fv(vertices[upperRow][col]);
            setColour(lower[col], lowerIndex);
            glVertex3fv(vertices[lowerRow][col]);
        }
        // Close the ring back to column 0.
        setColour(upper[0], upperIndex);
        glVertex3fv(vertices[upperRow][0]);
        setColour(lower[0], lowerIndex);
        glVertex3fv(vertices[lowerRow][0]);
        glEnd();
    }
    drawAxis();
}

void Globe::setColour(int16_t sample, int index) const
{
    glColor3fv(isOceanSample(sample) ? oceanPalette[index] : landPalette[index]);
}

void Globe::drawAxis() const
{
    glColor3f(1, 1, 1);
    glBegin(GL_LINES);
    glVertex3f(0, 0, -1.5f * radius);
    glVertex3f(0, 0, 1.5f * radius);
    glEnd();
}
