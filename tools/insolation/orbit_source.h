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
    // "la2004" (the default), "berger1978", or the name of a series file.
    // On failure returns false with a message naming the fault.
    bool open(const std::string& choice, std::string& error);

    // Covered times in kyr, both ends included.
    orbit::Span span() const;
    bool covers(double kyr) const;
    // REQUIRES: covers(kyr).
    orbit::Elements at(double kyr) const;

    std::string name;      // short name
    std::string citation;  // full citation, or the series file's header
    std::string origin;    // what time 0 is

private:
    bool readSeries(const std::string& fileName, std::string& error);

    bool fromFile = false;
    orbit::Solution solution = orbit::Solution::laskar2004Fit;
    // Series records in ascending time.
    std::vector<double> times;
    std::vector<double> zCos;  // e cos varpi
    std::vector<double> zSin;  // e sin varpi
    std::vector<double> obliquities;
};

#endif
