// The published solution of Laskar et al. (2004), one record per thousand
// years from la2004OldestKyr to la2004NewestKyr, exactly as the tables
// print them (compiled in from data/la2004 by orbit/embed/la2004_embed).
#ifndef PALEOVIZ_ORBIT_LA2004_RECORDS_H
#define PALEOVIZ_ORBIT_LA2004_RECORDS_H

namespace orbit {

struct La2004Record {
    double eccentricity;
    double obliquity;   // radians
    double perihelion;  // radians from the moving equinox, [0, 2 pi)
};

// Kyr from J2000, negative in the past.
constexpr double la2004OldestKyr = -51000.0;
constexpr double la2004NewestKyr = 21000.0;
constexpr int la2004RecordCount = 72001;

// Record i holds the elements at la2004OldestKyr + i kyr.
extern const La2004Record la2004Records[la2004RecordCount];

}  // namespace orbit

#endif
