// The orbital series file: three header lines, then records of five numbers
// "time eccentricity precession-degrees obliquity-degrees extra" separated by
// any white space.
#include "scene/paleo_scene.h"

#include "files/regular_input.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int headerLines = 3;
constexpr int fieldsPerRecord = 5;
// What each column holds, for the messages about a record.
const char* const columnNames[fieldsPerRecord] = {"time", "eccentricity", "precession angle",
                                                  "obliquity", "extra value"};

// Consumes one whole line, however long, ended by LF, CR LF or a lone CR.
// Returns false at end of input.
bool skipLine(FILE* file)
{
    int c;
    while ((c = std::getc(file)) != EOF) {
        if (c == '\n')
            return true;
        if (c == '\r') {
            const int next = std::getc(file);
            if (next != '\n' && next != EOF)
                std::ungetc(next, file);
            return true;
        }
    }
    return false;
}

// A file that opened but cannot be read (a directory, an I/O error) is
// treated as one that cannot be opened.
[[noreturn]] void failToRead(const char* fileName)
{
    std::printf("Unable to open file \"%s\" for read\n", fileName);
    std::fflush(stdout);
    std::exit(-1);
}

// One record as scanned. Its time column should read -record.
struct ScannedRecord {
    int time;
    double ecc, prec, obl;
    float extra;
};

// The first implausible field of a record read whole, written into problem
// (a buffer of problemSize), or false when the record looks sound.
constexpr size_t problemSize = 128;
bool findImplausible(const ScannedRecord& r, int record, char* problem)
{
    const double values[fieldsPerRecord - 1] = {r.ecc, r.prec, r.obl, r.extra};
    for (int k = 0; k < fieldsPerRecord - 1; ++k) {
        if (!std::isfinite(values[k])) {
            std::snprintf(problem, problemSize, "column %d (%s) is not finite", k + 2,
                          columnNames[k + 1]);
            return true;
        }
    }
    if (r.ecc < 0.0 || r.ecc >= 1.0) {
        std::snprintf(problem, problemSize, "column 2 (eccentricity) %g is outside 0 <= e < 1",
                      r.ecc);
        return true;
    }
    if (r.time != -record) {
        std::snprintf(problem, problemSize,
                      "column 1 (time) %d where %d was expected; are the columns shifted?", r.time,
                      -record);
        return true;
    }
    return false;
}

// Scans record j. Returns the number of fields read: 0 at the end of input,
// fieldsPerRecord for a whole record; for a record cut short, one message
// names the field that could not be read.
int scanRecord(FILE* file, const char* fileName, int j, ScannedRecord& r)
{
    const int fields =
        std::fscanf(file, "%d %lf %lf %lf %f", &r.time, &r.ecc, &r.prec, &r.obl, &r.extra);
    if (std::ferror(file))
        failToRead(fileName);
    if (fields == EOF)
        return 0;
    if (fields < fieldsPerRecord) {
        std::printf("%s: record %d: column %d (%s) %s; it and every later field are 0\n", fileName,
                    j, fields + 1, columnNames[fields],
                    std::feof(file) ? "is missing at the end of the file" : "is not a number");
        std::fflush(stdout);
    }
    return fields;
}

}  // namespace

void PaleoScene::readSeries(const char* fileName, int n)
{
    FILE* file = openDataFile(fileName, "r");
    if (file == nullptr)
        failToRead(fileName);
    recordCount = n;
    delete[] eccSeries;
    delete[] precSeries;
    delete[] oblSeries;
    eccSeries = new double[n];
    precSeries = new double[n];
    oblSeries = new double[n];

    for (int line = 0; line < headerLines; ++line)
        skipLine(file);

    // From the first record that cannot be read whole, every field not read
    // is 0.0. Of the records read whole, the first implausible one is
    // reported; its values are kept as read.
    bool readable = true;
    bool reported = false;
    for (int j = 0; j < n; ++j) {
        ScannedRecord r{0, 0.0, 0.0, 0.0, 0.0f};
        const int fields = readable ? scanRecord(file, fileName, j, r) : 0;
        readable = fields == fieldsPerRecord;
        char problem[problemSize];
        if (readable && !reported && findImplausible(r, j, problem)) {
            std::printf("%s: record %d: %s\n", fileName, j, problem);
            std::fflush(stdout);
            reported = true;
        }
        eccSeries[j] = fields >= 2 ? r.ecc : 0.0;
        precSeries[j] = fields >= 3 ? r.prec : 0.0;
        oblSeries[j] = fields >= 4 ? r.obl : 0.0;
    }
    if (std::ferror(file))
        failToRead(fileName);
    std::fclose(file);
}

void PaleoScene::loadData(const char* seriesPath, const char* logoPath)
{
    readSeries(seriesPath, seriesRecords);
    enableAllSeries();
    loadLogo(logoPath);
    setGlobeStep(normalStep);
}
