// The Earth's orbital elements at any real time in a solution's span, from
// data compiled into the program: no file is read.
//
// Contract of every function here:
//   time        thousands of years (kyr) from the solution's present,
//               negative in the past: -21.0 is 21,000 years ago, +10.0 is
//               10,000 years ahead. The present of each solution is its
//               registry entry's origin (J2000 for Laskar et al. 2004, 1950
//               for Berger 1978).
//   eccentricity       dimensionless, 0 <= e < 1
//   perihelion         longitude of perihelion measured from the moving
//                      vernal equinox, degrees in [0, 360)
//   obliquity          degrees
//   precessionIndex    eccentricity * sin(perihelion), dimensionless
// Eccentricity-only solutions (availability eccentricityOnly) give NaN for
// perihelion, obliquity and precessionIndex.
// A time outside the solution's span (or NaN) is an error
// (std::out_of_range with a message naming the time and the span), never
// an extrapolation. A time at most spanToleranceKyr past either end is that
// end: times made by adding steps (numpy's arange, a loop of t += step)
// land a rounding past an end they were meant to reach.
//
// Every solution has one entry in the registry below: its key on command
// lines, name, citation, time origin, span and evaluator. A published
// table's solution takes its key, span and enumerator from its line of
// orbit/published_tables.list and the rest from its row in
// orbit/solutions.cpp (docs/design.md, "Adding a solution").
#ifndef PALEOVIZ_ORBIT_ORBITAL_ELEMENTS_H
#define PALEOVIZ_ORBIT_ORBITAL_ELEMENTS_H

#include "orbit/elements.h"
#include "orbit/published_table_list.h"

#include <string>

namespace orbit {


enum class Solution {
    // First the published tables, one per line of
    // orbit/published_tables.list, named by its symbols and in its order
    // (laskar2004, the default, first): a table's solution has the value of
    // its orbit::TableId.
    PALEOVIZ_PUBLISHED_TABLE_SYMBOLS
    laskar2004Fit,  // the project's fitted term table of Laskar et al. (2004)
    berger1978,     // the trigonometric series of Berger (1978)
};

// Which elements a solution gives.
enum class Availability {
    allElements,       // eccentricity, perihelion and obliquity
    eccentricityOnly,  // the others are NaN
};

// How far past either end of a span a time is still taken as that end, kyr.
constexpr double spanToleranceKyr = 1e-6;

// Covered times in kyr: oldest <= t <= newest (each end widened by
// spanToleranceKyr where a solution is evaluated).
struct Span {
    double oldest;
    double newest;
};

struct SolutionInfo {
    Solution id;
    const char* key;       // on command lines: "la2004"
    const char* name;      // short name for output headers
    const char* citation;  // full reference
    const char* origin;    // what time 0 is: "J2000", "1950"
    Span span;             // where the evaluator is defined
    Availability available;
    // Oldest time its authors vouch for; reliabilityNote applies to any
    // time before it (span.oldest when they state no such limit).
    double reliableOldest;
    const char* reliabilityNote;  // "" when there is none
    const char* spanReason;       // why the span is what it is
    Elements (*evaluate)(double kyr);  // REQUIRES: kyr in span
};

// Every solution, the default (la2004) first.
extern const SolutionInfo solutionRegistry[];
extern const int solutionCount;

// The entry whose key is key, or nullptr.
const SolutionInfo* findSolution(const std::string& key);
// The entry of a solution.
const SolutionInfo& solutionInfo(Solution solution);
// "la2004, la2004-fit, berger1978": for messages about an unknown key.
std::string solutionKeys();
// The message for a key no entry has, listing the known ones.
std::string unknownSolutionMessage(const std::string& key);
// "la2004, la2004-fit, ...": the keys of the solutions with all elements.
std::string fullSolutionKeys();
// The refusal of a request that needs all three elements of an
// eccentricity-only solution, naming those that have them.
std::string eccentricityOnlyMessage(const SolutionInfo& solution);
// "e, perihelion, obliquity" or "e only": for listings.
const char* availableElementsText(const SolutionInfo& solution);

Span span(Solution solution);
bool covers(Solution solution, double kyr);
// True for kyr in the span or at most spanToleranceKyr past an end; false
// for NaN.
bool covers(const SolutionInfo& solution, double kyr);
const char* solutionName(Solution solution);
const char* solutionCitation(Solution solution);

// The elements at time kyr, those of the nearer end for a time within
// spanToleranceKyr past it; throws std::out_of_range where covers is false.
Elements elementsAt(Solution solution, double kyr);
Elements elementsAt(const SolutionInfo& solution, double kyr);

// The message for a time outside a solution's span, naming both.
std::string outsideSpanMessage(const SolutionInfo& solution, double kyr);

// Brings an angle in degrees into [0, 360).
double wrapDegrees(double degrees);

}  // namespace orbit

#endif
