// The program's command line. GLUT's own options (-display, -geometry and
// the like) go to glutInit; the rest are read here. Nothing here needs a
// display, so --help and every refusal work without one.
#ifndef PALEOVIZ_APP_OPTIONS_H
#define PALEOVIZ_APP_OPTIONS_H

#include <string>
#include <vector>

constexpr int snapshotMinSide = 100;   // pixels
constexpr int snapshotMaxSide = 8192;
constexpr int defaultSnapshotSide = 600;  // the window's own size

// What the command line asked for; the defaults mean "as without options".
struct ProgramOptions {
    std::string dataDir;    // --data: folder of the three files; "" = working folder
    std::string orbitFile;  // --orbit: orbital series file; "" = the data folder's
    int timeKyr = -1;       // --time -N: N thousand years before the present; -1 = not given
    int step = 0;           // --step: mesh step 2, 4, 6, 8 or 10; 0 = not given
    int spinDegrees = -1;   // --spin: 0..359; -1 = not given
    std::string snapshot;   // --snapshot: PNG file to write; "" = interactive window
    int width = defaultSnapshotSide;   // --size, pixels
    int height = defaultSnapshotSide;
    // --elements E,OBL,VARPI: a hypothetical orbit held in place of the
    // series; eccentricity in [0, 1), obliquity in [0, 90] degrees and the
    // precession angle (degrees, as the window prints it) finite.
    bool holdElements = false;
    double heldEcc = 0;
    double heldObl = 0;
    double heldPrec = 0;
    bool capsByValue = false;  // --caps value; --caps grey (the default) otherwise
};

// The outcome of reading the command line: run the program, stop with
// status 0 (the help was asked for) or stop with status 2 (bad input).
enum class OptionsOutcome { run, help, bad };
constexpr int badInputStatus = 2;

// GLUT's -geometry [=][WxH][{+-}X{+-}Y]: what it gives of the window's size
// and place. Without -geometry the window has its fixed ones.
struct GlutGeometry {
    bool hasSize = false;
    bool hasPlace = false;
};
constexpr int maxWindowSide = 32767;  // X's limit

// Reads the -geometry value among GLUT's options (the last one counts, as
// in GLUT). False with text naming the value when it is malformed or a side
// is outside 1..maxWindowSide, which the X server would refuse.
bool readGeometry(const std::vector<char*>& glutArgs, GlutGeometry& geometry, std::string& text);

// Splits argv into GLUT's own options with their values and everything
// else; both lists start with argv[0] and end with a null pointer, as
// glutInit and the option parser expect. The pointers are argv's own.
void splitGlutOptions(int argc, char** argv, std::vector<char*>& glutArgs,
                      std::vector<char*>& ownArgs);

// Reads the program's own options (args[0] is the program name). On run,
// options holds them; on help, text is the usage; on bad, text is one line
// naming the offending value. Checks that a --data folder exists, that an
// --orbit file can be read and that a snapshot's folder can be written.
OptionsOutcome parseOptions(const std::vector<std::string>& args, ProgramOptions& options,
                            std::string& text);

#endif
