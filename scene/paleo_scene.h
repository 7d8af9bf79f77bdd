// The one scene object: four season globes, the three orbital series, the
// current orbital values, the view state and the display switches.
//
// Units: eccentricity dimensionless; precession angle and obliquity in
// degrees; time in records (record 0 = the present, larger = further back);
// rotations in degrees; zoom 0..325; semi-major axis in scene units.
// Ownership: the scene owns its globes (made by createGlobe) and series
// arrays (allocated with new), released by the destructor. Input changes the scene only through
// these operations; drawing code reads the fields directly.
#ifndef PALEOVIZ_SCENE_PALEO_SCENE_H
#define PALEOVIZ_SCENE_PALEO_SCENE_H

#include "globe/earth.h"
#include "math/constants.h"
#include "scene/data_files.h"

#include <cstdint>

constexpr double referenceEcc = 0.03;
constexpr double referencePrec = -90.0;  // degrees
constexpr double referenceObl = 23.5;    // degrees
constexpr double maxZoom = 325.0;
// Precession and obliquity angles beyond this many degrees are no orbit's:
// turning the view by them in single precision leaves nothing to see, so
// the series reader and --elements refuse them.
constexpr double maxAngleDegrees = 1e6;
constexpr int logoWidth = 190;
constexpr int logoHeight = 206;
constexpr int logoBytes = logoWidth * logoHeight * 4;  // 156560
constexpr int seriesRecords = math::seriesRecordCount;  // records read at start-up
constexpr int autoAdvanceStep = 6;                     // mesh step while advancing
constexpr int normalStep = 8;                          // mesh step otherwise
constexpr int spinPeriod = 3600;                       // spin wraps to 0 here

class PaleoScene {
public:
    Globe* globeJune;        // Season 1; null if it could not be allocated
    Globe* globeMarch;       // Season 0
    Globe* globeSeptember;   // Season 2
    Globe* globeDecember;    // Season 3
    double* eccSeries;       // recordCount entries, null before readSeries
    double* precSeries;      // degrees
    double* oblSeries;       // degrees
    double ecc;              // current eccentricity
    double prec;             // current precession angle, degrees
    double obl;              // current obliquity, degrees
    int recordCount;         // entries in each series array
    int timeIndex;           // 0..recordCount-1
    double rotX;             // view rotations, degrees, unbounded
    double rotY;
    double rotZ;
    int spin;                // globe spin, degrees 0..3599
    double zoom;             // 0..325
    bool showPrec;           // element follows its series, else reference value
    bool showEcc;
    bool showObl;
    int semiMajorAxis;       // scene units
    unsigned char logoPixels[logoBytes];  // RGBA, first stored row = texture row 0
    uint32_t logoTexture;    // GL texture name; 0 when no texture was made
    bool showLogo;
    bool autoAdvance;        // advance one record per frame
    // Given elements held in place of the series (a hypothetical orbit), as
    // a switched-off element holds its reference value.
    bool holdGiven = false;
    double heldEcc = referenceEcc;
    double heldPrec = referencePrec;  // degrees
    double heldObl = referenceObl;    // degrees

    // Sets the reference state, then creates the globes March, June,
    // September, December in that order, each reading the elevation grid
    // file gridPath (by default "partetopo" in the working folder).
    explicit PaleoScene(const char* gridPath = gridFileName);
    // Destroys the globes (June, March, September, December), then the
    // arrays (eccentricity, precession, obliquity).
    ~PaleoScene();
    PaleoScene(const PaleoScene&) = delete;
    PaleoScene& operator=(const PaleoScene&) = delete;

    // Start-up load: the series from seriesPath, all elements on, the logo
    // from logoPath, mesh step 8. By default the files "orbit95b" and
    // "logo.rgba" of the working folder. REQUIRES: a current GL context.
    void loadData(const char* seriesPath = seriesFileName, const char* logoPath = logoFileName);
    // Reads n records of the orbital series file into the three arrays.
    // Header lines may end in LF, CR LF or a lone CR. A file that cannot be
    // opened or read ends the process with status -1. From the first record
    // that cannot be read whole every field not read is 0.0, with one
    // message naming the record and column unless the input simply ended.
    // The first record read whole but implausible (a value not finite, an
    // eccentricity outside 0 <= e < 1, a time other than -record) is
    // reported once and kept as read. REQUIRES: n >= 1.
    void readSeries(const char* fileName, int n);
    // Reads the logo picture file (by default "logo.rgba") and makes its
    // texture. A file that cannot be opened or read prints "unable to load
    // logo" and hides the logo; bytes missing from a short file are 0.
    void loadLogo(const char* fileName = logoFileName);

    // Takes the current values from the series at timeIndex (or the
    // reference values for elements switched off) and pushes them to the
    // globes. REQUIRES: readSeries has run.
    void updateCurrentValues();
    // Sets omega (radians), e, eps (radians), rounded to float, on every globe
    // in the order June, March, December, September.
    void pushOrbitToGlobes(double omega, double e, double eps);
    // Holds e (0 <= e < 1), the precession angle and the obliquity (degrees)
    // in place of the series values whatever the time, then
    // updateCurrentValues; an element switched off still shows its reference
    // value. REQUIRES: the values checked as series values are.
    void holdElements(double e, double precDegrees, double oblDegrees);
    // Back to the series values, then updateCurrentValues.
    void releaseElements();
    // Solstice caps coloured by value (true) or grey (false) on every globe.
    void setCapsByValue(bool byValue);
    // Turns on all three elements, then updateCurrentValues.
    void enableAllSeries();
    // Mesh step n (grid cells) on every globe: June, March, December, September.
    void setGlobeStep(int n);
    void toggleEcc() { showEcc = !showEcc; }
    void togglePrec() { showPrec = !showPrec; }
    void toggleObl() { showObl = !showObl; }
    // timeIndex += n records, clamped to 0..recordCount-1.
    void advanceTime(int n);
    // timeIndex into 0..recordCount-1.
    void clampTime();
    // timeIndex = -v, clamped; v is an axis position (a negated record index).
    void setTimeFromAxis(int v);
    int axisTime() const { return -timeIndex; }
    void rotateX(double degrees) { rotX += degrees; }
    void rotateY(double degrees) { rotY += degrees; }
    void rotateZ(double degrees) { rotZ += degrees; }
    // zoom += n, clamped to 0..325.
    void changeZoom(int n);
    static double degToRad(double degrees);
    // Switches automatic advance; the mesh step becomes 6 when on, 8 when off.
    void toggleAutoAdvance();
    // Restores the start view and switches, then updateCurrentValues. The
    // mesh step is left as it is.
    void resetView();
    void toggleLogo() { showLogo = !showLogo; }

    // One whole frame: per-frame state, the orbit view, the panel, the logo.
    void draw();
    // Orbit point at angle theta (radians) for the current eccentricity.
    double orbitX(double theta) const;
    double orbitY(double theta) const;
    // Draws one globe with its month label at orbit angle theta (radians).
    void placeGlobe(const Globe* globe, double theta) const;
    void drawSun() const;
    void drawDashedOrbit() const;
    void drawLatusRectum() const;
    void drawApsides() const;

    // Time readout, marker and time axis of the panel.
    void drawHeader() const;
    void drawMarker() const;
    void drawTimeAxis() const;
    void drawEccCurve() const;
    void drawPrecCurve() const;
    void drawOblCurve() const;
    // Textured logo square, when showLogo is set and a texture exists.
    void drawLogo() const;
};

#endif
