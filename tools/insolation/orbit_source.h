// Where the tool's orbital elements come from: one of the orbit library's
// solutions, evaluated exactly at each time, or a series file in the
// program's orbit95b format, interpolated linearly in time.
//
// A series file holds three header lines, then records of five numbers
// separated by any white space: time (kyr, negative in the past),
// eccentricity, longitude of perihelion (degrees from the moving equinox,
// heliocentric), obliquity (degrees), and a fifth number that is not used.
// Between records the vector z = e exp(i varpi) and the obliquity are
// interpolated, never varpi itself, so the 360-to-0 wrap does no harm.
#ifndef PALEOVIZ_TOOLS_INSOLATION_ORBIT_SOURCE_H
#define PALEOVIZ_TOOLS_INSOLATION_ORBIT_SOURCE_H

#include "orbit/orbital_elements.h"

#include <string>
#include <vector>

class OrbitSource {
public:
    // A key of the orbit library's registry ("la2004", the default, and the
    // rest), or the name of a series file. On failure returns false with a
    // message naming the fault (for a name that is neither, the known keys).
    bool open(const std::string& choice, std::string& error);

    // Covered times in kyr, both ends included.
    orbit::Span span() const;
    bool covers(double kyr) const;
    // REQUIRES: covers(kyr).
    orbit::Elements at(double kyr) const;

    std::string name;      // short name
    std::string citation;  // full citation, or the series file's header
    std::string origin;    // what time 0 is
    // The registry entry; nullptr for a series file.
    const orbit::SolutionInfo* solution = nullptr;

private:
    bool readSeries(const std::string& fileName, std::string& error);

    // Series records in ascending time.
    std::vector<double> times;
    std::vector<double> zCos;  // e cos varpi
    std::vector<double> zSin;  // e sin varpi
    std::vector<double> obliquities;
};

#endif
