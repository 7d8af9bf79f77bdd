// The published tables shipped unchanged under data/ (Laskar et al. 2004,
// Berger & Loutre 1991, Laskar et al. 1993, 2011a, 2011b, Zeebe & Lourens
// 2019) and the one parser that reads them: at build time to check them, at
// run time to load them.
//
// Every table is one line of orbit/published_tables.list: its key, symbol,
// layout, files (relative to data/, gzip-compressed unless they end in
// .txt), the times of its records and each file's SHA-256. Configuring the
// project turns the list into TableId and publishedTables below
// (orbit/published_tables.cmake); the build checks each file's SHA-256,
// parses it with parseTable (orbit/embed/tables_embed) and only then
// compiles its bytes, as shipped, into the library, so the same parse at run
// time cannot fail.
#ifndef PALEOVIZ_ORBIT_PUBLISHED_TABLES_H
#define PALEOVIZ_ORBIT_PUBLISHED_TABLES_H

#include "orbit/published_table_list.h"

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

// Radians (laskarColumns) or degrees (the others): the unit of a layout's
// angles, in degrees.
constexpr double degreesPerAngleUnit(TableLayout layout)
{
    return layout == TableLayout::laskarColumns ? 57.295779513082320876798 : 1.0;
}

// Whether a layout gives the perihelion and the obliquity besides e.
constexpr bool givesAllElements(TableLayout layout)
{
    return layout == TableLayout::laskarColumns || layout == TableLayout::bergerColumns;
}

// One per line of orbit/published_tables.list, in its order.
enum class TableId { PALEOVIZ_PUBLISHED_TABLE_SYMBOLS };

struct PublishedTable {
    TableId id;
    const char* symbol;     // names its compiled bytes: "berger1990"
    TableLayout layout;
    const char* past;       // file under data/, times 0 and before
    const char* future;     // file under data/ for times after 0, or nullptr
    double oldest;          // kyr of the first record, negative in the past
    double step;            // kyr between records
    int records;            // oldest + (records - 1) * step is the newest
    // Its solution's key on command lines; a table made up for parseTable
    // alone needs none.
    const char* key = "";
};

// Every table, in TableId order.
inline constexpr PublishedTable publishedTables[] = {PALEOVIZ_PUBLISHED_TABLE_ROWS};
constexpr int publishedTableCount = sizeof publishedTables / sizeof publishedTables[0];

constexpr const PublishedTable& publishedTable(TableId id)
{
    return publishedTables[static_cast<int>(id)];
}

// Kyr of the table's last record.
constexpr double newestKyr(const PublishedTable& table)
{
    return table.oldest + (table.records - 1) * table.step;
}

// The records of a table, oldest first, as published: angles in the
// layout's unit (degreesPerAngleUnit), perihelion any turn. perihelion and
// obliquity are empty for eccentricity-only tables.
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

// The records of a compiled-in table, parsed from its bytes (2 to 60 ms);
// throws std::logic_error should they not parse, which the build's parse of
// the same bytes rules out. Defined with the library's evaluators
// (orbit/published_solutions.cpp), not in the embed tool.
TableRecords loadPublishedTable(TableId id);

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
