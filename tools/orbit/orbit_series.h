// Building the orbital series file: three header lines, then one record per
// thousand years from the present back, "time e perihelion obliquity index"
// as the program scans them with "%d %lf %lf %lf %f".
//
// Two kinds of source: a solution of the orbit library's registry (the
// published solution of Laskar et al. 2004, the project's fit of it, the
// series of Berger 1978), or a table of Laskar et al. (2004) converted row
// by row.
// Nothing here throws; failures return false with a message for the user.
#ifndef PALEOVIZ_TOOLS_ORBIT_ORBIT_SERIES_H
#define PALEOVIZ_TOOLS_ORBIT_ORBIT_SERIES_H

#include "files/atomic_output.h"  // writeFileAtomically, for every writer of these files
#include "math/constants.h"
#include "orbit/orbital_elements.h"

#include <istream>
#include <string>
#include <vector>

// Records in the file: record j holds the elements j thousand years ago.
constexpr int orbitRecordCount = math::seriesRecordCount;

// Where a file's records come from: a registry entry, or importedTable for
// a Laskar et al. (2004) table converted row by row.
using SeriesSource = const orbit::SolutionInfo*;
constexpr SeriesSource importedTable = nullptr;

// Records 0..orbitRecordCount-1 (record j at -j kyr) of a library solution.
// REQUIRES: seriesRefusal(solution) is empty.
std::vector<orbit::Elements> solutionSeries(const orbit::SolutionInfo& solution);

// Elements from one row of the Laskar et al. (2004) table: eccentricity,
// obliquity in radians and perihelion longitude from the moving equinox in
// radians (any turn).
orbit::Elements laskarElements(double eccentricity, double obliquityRadians,
                               double perihelionRadians);

// Reads rows "time-kyr eccentricity obliquity-rad perihelion-rad" (blank
// lines and lines starting with '#' skipped, exponents written E or D) into
// records: the times must run 0, -1, -2, ... kyr. Stops after
// orbitRecordCount rows. Returns false, with message naming the line, on a
// malformed row, a time out of sequence, an eccentricity outside [0, 1), or
// fewer than orbitRecordCount rows (naming the last line).
bool readLaskarTable(std::istream& in, std::vector<orbit::Elements>& records, std::string& message);

// The three header lines, each ending with a newline and under 255 characters.
std::string seriesHeader(SeriesSource source);
// One record line for time kyr (0 or negative), ending with a newline.
std::string formatRecord(int kyr, const orbit::Elements& elements);
// The whole file: header, then record j with time -j.
std::string seriesText(SeriesSource source, const std::vector<orbit::Elements>& records);

// Why a solution cannot fill the file (it lacks an element, or does not
// reach back orbitRecordCount - 1 kyr), naming its span; empty when it can.
std::string seriesRefusal(const orbit::SolutionInfo& solution);

// "la2004, ...": the keys of the solutions seriesRefusal lets through.
std::string seriesSolutionKeys();

// Writes the series of a library solution to outputPath; refuses, writing
// nothing, a solution seriesRefusal names.
bool writeSolutionFile(const orbit::SolutionInfo& solution, const char* outputPath, std::string& message);
// Converts the Laskar table at inputPath into a series file at outputPath;
// nothing is written when the table is rejected.
bool importLaskarFile(const char* inputPath, const char* outputPath, std::string& message);

#endif
