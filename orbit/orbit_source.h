// Where the front ends' orbital elements come from: one of the orbit
// library's solutions, evaluated exactly at each time; a series file in the
// program's orbit95b format, interpolated linearly in time; or elements
// given by hand, the same at every time (a sensitivity experiment, a
// model's orbit).
//
// A series file holds three header lines, then records of five numbers
// separated by any white space: time (kyr, negative in the past),
// eccentricity, longitude of perihelion (degrees from the moving equinox,
// heliocentric), obliquity (degrees), and a fifth number that is not used.
// Between records the vector z = e exp(i varpi) and the obliquity are
// interpolated, never varpi itself, so the 360-to-0 wrap does no harm; at a
// record's own time the record's values come back unchanged.
//
// Elements given by hand are checked as series records are: e in [0, 1),
// obliquity in [0, 90] degrees, varpi any finite number of degrees (kept
// wrapped into [0, 360)).
#ifndef PALEOVIZ_ORBIT_ORBIT_SOURCE_H
#define PALEOVIZ_ORBIT_ORBIT_SOURCE_H

#include "orbit/elements.h"
#include "orbit/orbital_elements.h"

#include <string>
#include <vector>

namespace orbit {

class OrbitSource {
public:
    // A key of the orbit library's registry ("la2004", the default, and the
    // rest), or the name of a series file. On failure returns false with a
    // message naming the fault: a name that looks like a path (it holds a
    // '/' or a '.') and names nothing is a missing file, any other unknown
    // name gets the known keys.
    bool open(const std::string& choice, std::string& error);

    // Elements given by hand (perihelion and obliquity in degrees), the
    // same at every time. False with elementsProblem's message.
    bool setElements(double eccentricity, double obliquity, double perihelion, std::string& error);

    // Covered times in kyr, both ends included.
    Span span() const;
    bool covers(double kyr) const;
    // REQUIRES: covers(kyr).
    Elements at(double kyr) const;
    // "-9000 kyr is outside the span of ..." for a time not covered.
    std::string outsideSpanMessage(double kyr) const;
    bool givenByHand() const { return byHand; }
    // "" when the source gives all three elements, as insolation needs;
    // for an eccentricity-only solution, why not, naming the solutions that
    // have them (every front end refuses insolation with this message).
    std::string insolationProblem() const;

    std::string name;      // short name
    std::string citation;  // full citation, or the series file's header
    std::string origin;    // what time 0 is
    // The registry entry; nullptr for a series file.
    const SolutionInfo* solution = nullptr;

private:
    bool readSeries(const std::string& fileName, std::string& error);

    // Series records in ascending time.
    std::vector<double> times;
    std::vector<double> zCos;  // e cos varpi
    std::vector<double> zSin;  // e sin varpi
    std::vector<double> obliquities;
    // The records as read, returned unchanged at their own times.
    std::vector<Elements> records;
    bool byHand = false;
    Elements fixed{};
};

}  // namespace orbit

#endif
