// The published tables shipped unchanged under data/ (Berger & Loutre 1991,
// Laskar et al. 1993, 2011a, 2011b, Zeebe & Lourens 2019) and the one parser
// that reads them: at build time to check them, at run time to load them.
//
// Every table is listed once in publishedTables: its files (relative to
// data/, gzip-compressed unless they end in .txt), their layout and the
// times of its records. The build checks each file's SHA-256
// (orbit/CMakeLists.txt), parses it with parseTable (orbit/embed/tables_embed)
// and only then compiles its bytes, as shipped, into the library, so the
// same parse at run time cannot fail.
#ifndef PALEOVIZ_ORBIT_PUBLISHED_TABLES_H
#define PALEOVIZ_ORBIT_PUBLISHED_TABLES_H

#include <cstddef>
#include <string>
#include <vector>

namespace orbit {

enum class TableLayout {
    // Laskar's columns: time (kyr), e, obliquity (rad), perihelion from the
    // moving equinox (rad); exponents written E or D. A past file (0, -1,
    // ...) and a future file (0, 1, ...) whose rows at 0 agree.
    laskarColumns,
    // "#" lines, then time (kyr, 0, -1, ...), e, perihelion (degrees),
    // obliquity (degrees), e sin(perihelion).
    bergerColumns,
    // One quoted header line, then one eccentricity per row; row j is -j kyr.
    eccentricityList,
    // One "%" header line, then time (kyr, positive into the past, one step
    // apart), e, inclination (degrees, not kept).
    zeebeColumns,
};

enum class TableId {
    berger1990,
    laskar1993zero,  // La93 (0,1)
    laskar1993one,   // La93 (1,1)
    laskar2010a,
    laskar2010b,
    laskar2010c,
    laskar2010d,
    laskar2011,
    zeebe2018a,
};
constexpr int publishedTableCount = 9;

struct PublishedTable {
    TableId id;
    const char* symbol;     // names its compiled bytes: "ber90"
    TableLayout layout;
    const char* past;       // file under data/, times 0 and before
    const char* future;     // file under data/ for times after 0, or nullptr
    double oldest;          // kyr of the first record, negative in the past
    double step;            // kyr between records
    int records;            // oldest + (records - 1) * step is the newest
};

// Every table, in TableId order.
extern const PublishedTable publishedTables[publishedTableCount];
const PublishedTable& publishedTable(TableId id);

// The records of a table, oldest first. perihelion and obliquity are empty
// for eccentricity-only tables. Angles in degrees; perihelion is as
// published (any turn).
struct TableRecords {
    std::vector<double> eccentricity;
    std::vector<double> perihelion;
    std::vector<double> obliquity;
};

// The bytes of one file: gzip-compressed or plain text.
struct FileBytes {
    const unsigned char* data;
    std::size_t size;
};

// The compiled-in bytes of a table's past (file 0) or future (file 1)
// file; {nullptr, 0} for a file the table does not have. Defined in the
// source orbit_tables_embed generates.
FileBytes publishedTableBytes(TableId id, int file);

// Reads exactly count finite numbers separated by white space, and nothing
// else, from line into fields; Fortran's D exponent is read as E. Returns
// false for anything else (fields then hold what was read so far).
bool parseNumbers(const std::string& line, int count, double* fields);

// Decompresses (when they start with gzip's magic) and parses the files of
// table: exactly table.records records with the expected times, finite
// values, eccentricity in [0, 1). Returns false with a message naming the
// file and line otherwise. future is ignored for a table without one.
bool parseTable(const PublishedTable& table, FileBytes past, FileBytes future,
                TableRecords& records, std::string& message);

}  // namespace orbit

#endif
