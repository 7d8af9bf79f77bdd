// One insolation globe: an elevation grid read from disk, a sphere vertex per
// grid sample, two colour tables, and the orbital parameters that colour it.
//
// A globe is one allocation of about 8.2 MB (the grid and the mesh are
// fixed-size arrays held inside the object); the scene's globes come from
// createGlobe, in huge pages where the kernel offers them. It owns no file, GL object or
// other resource. All GL calls are issued by draw() and drawAxis() only.
#ifndef PALEOVIZ_GLOBE_EARTH_H
#define PALEOVIZ_GLOBE_EARTH_H

#include <cstdint>

// Season held by each globe: the day whose daily-mean insolation colours it.
enum Season : int {
    seasonMarch = 0,      // March equinox, solar longitude 0
    seasonJune = 1,       // June solstice, solar longitude 90 degrees
    seasonSeptember = 2,  // September equinox, solar longitude 180 degrees
    seasonDecember = 3    // December solstice, solar longitude 270 degrees
};

constexpr int gridRows = 540;      // rows, north to south, 1/3 degree apart
constexpr int gridCols = 1080;     // columns, eastwards from longitude 0
constexpr int paletteSize = 192;   // entries of each InsolationPalette
// Palette entry k stands for daily means from k / paletteSize up to
// (k + 1) / paletteSize of paletteFullScale times S0 / pi (S0 / pi: the
// equator's equinox mean on a circular orbit), so that an entry covers
// paletteFullScale * S0 / (paletteSize * pi) W/m^2.
constexpr double paletteFullScale = 1.3;
constexpr long gridSamples = long(gridRows) * gridCols;
constexpr long gridFileBytes = gridSamples * 2;  // 1,166,400

// Signed 16-bit samples; only the sign matters (below 0 is ocean).
using ElevationGrid = int16_t[gridRows][gridCols];
// RGB floats in 0..1; entry 0 is grey (no sunlight or outside the lit zone).
using InsolationPalette = float[paletteSize][3];

// HSV on a 0..255 scale for each of h, s, v (hue 256 = full turn) to RGB
// floats in 0..1. For h > 256 the outputs are left unwritten.
void hsvToRgb(unsigned h, unsigned s, unsigned v, float& red, float& green, float& blue);

// Whether a globe colours a sample as ocean: below sea level, other than
// the -32768 that marks missing data (sea level counts as land).
inline bool isOceanSample(int16_t sample) { return static_cast<uint16_t>(sample) > 32768u; }

// True when the host stores the low byte of an integer last.
bool hostIsBigEndian();
// Exchanges the two bytes of one sample in place.
void swap16(int16_t& sample);

class Globe {
public:
    ElevationGrid elevation;              // row 0 at the north pole
    float vertices[gridRows][gridCols][3];  // sphere point per sample, scene units
    InsolationPalette oceanPalette;       // samples below sea level
    InsolationPalette landPalette;        // samples at or above sea level
    int rows;                             // always gridRows
    int cols;                             // always gridCols
    float omega;                          // perihelion angle, radians
    float eccentricity;                   // dimensionless
    float obliquity;                      // axial tilt, radians
    float radius;                         // scene units, 200
    int season;                           // Season 0..3
    int step;                             // mesh step in grid cells; below 1 draws the axis only
    // Solstice caps coloured by their value (polar day by its insolation,
    // polar night index 0) instead of the grey of entry 0 for both.
    bool capsByValue = false;
    // Set anew, from a count over all globes, whenever the mesh is built.
    unsigned meshGeneration = 0;

    // Builds the palettes and reads the grid file through load(). A file
    // that cannot be opened or read ends the process with status -1.
    Globe(int season, const char* fileName);

    // Reads rows x cols little-endian samples from fileName, then builds the
    // mesh. A short file leaves the unread samples 0 and reports the count on
    // standard output, once per run however many globes read it. A file
    // that opens but cannot be read (a directory, an I/O error) ends the
    // process as a missing one does. Called only by the constructor.
    void load(const char* fileName, bool verbose);
    // Fills vertices from radius, rows and cols (z is the polar axis).
    void buildVertices();

    void setStep(int n) { step = n; }
    void setOmega(float radians) { omega = radians; }
    void setEccentricity(float e) { eccentricity = e; }
    void setObliquity(float radians) { obliquity = radians; }

    // "March", "June", "September" or "December"; season must be 0..3.
    const char* monthName() const;

    // Latitude of grid row r in radians: +pi/2 at row 0, 0 at row 270.
    double latitudeOfRow(int r) const;
    // Palette index 0..191 for the daily-mean insolation at a latitude
    // (radians) on this globe's season day; 0 outside the lit zone unless
    // capsByValue, then 0 only where the Sun does not rise.
    int colourIndex(float latitude) const;
    // Sets the GL colour: the ocean table for negative samples other than
    // -32768, the land table otherwise (sea level counts as land).
    void setColour(int16_t sample, int index) const;

    // Draws the mesh as latitude bands of quad strips at this globe's step,
    // then the polar axis; a step below 1 draws the axis only. Changes only
    // the current GL colour.
    void draw() const;
    // White line along the polar axis from z = -1.5 radius to +1.5 radius.
    void drawAxis() const;

private:
    void buildPalettes();
};

// One latitude band of a globe's mesh, as draw() would give it to GL as a
// quad strip: for each column 0, stride, 2 stride ... below cols - stride,
// then column 0 again to close the ring, the upper row's vertex then the
// lower row's, each in its row's ocean colour where its sample is below sea
// level (other than -32768) and its land colour otherwise.
struct GlobeBand {
    const float (*upper)[3];   // the upper row's vertices, cols of them
    const float (*lower)[3];
    const int16_t* upperElevation;  // the upper row's samples
    const int16_t* lowerElevation;
    const float* upperOcean;   // RGB colours of the two rows
    const float* upperLand;
    const float* lowerOcean;
    const float* lowerLand;
    int cols;
    int stride;  // at least 1
    // The globe's mesh generation: rows with the same addresses and
    // generation hold the same samples and vertices, so a drawer may reuse
    // what it made of them.
    unsigned generation;
};

// Draws a whole band at once, in place of the strip's per-vertex GL calls.
// It must draw exactly what that strip draws and leave the current colour
// as the strip leaves it (the lower row's colour at column 0).
using BandDrawer = void (*)(const GlobeBand& band);
// Sets the drawer every globe's draw() hands its bands to; null (the
// default) draws them through glBegin, glColor3fv and glVertex3fv. A GL
// implementation that pays for each call (the web build's) sets one.
void setBandDrawer(BandDrawer drawer);

// A globe in its own mapping on huge-page boundaries, the kernel asked for
// transparent huge pages where it offers them (silently ordinary pages
// otherwise). Returns null when the memory cannot be had. Release it with
// destroyGlobe, never with delete.
Globe* createGlobe(int season, const char* fileName);
// Destroys a globe made by createGlobe and returns its memory; null is ignored.
void destroyGlobe(Globe* globe);

#endif
