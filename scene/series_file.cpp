// The orbital series file: three header lines, then records of five numbers
// "time eccentricity precession-degrees obliquity-degrees extra" separated by
// any white space.
#include "scene/paleo_scene.h"

#include "files/regular_input.h"

#include <cctype>
#include <climits>
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
constexpr int timeDigits = 24;
struct ScannedRecord {
    long long time;
    char timeText[timeDigits + 5];  // as written, "..." when cut
    double ecc, prec, obl;
    float extra;
    int lines[fieldsPerRecord];  // the line each field starts on
};

// The first implausible field of a record read whole, written into problem
// (a buffer of problemSize), or false when the record looks sound.
constexpr size_t problemSize = 160;
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
                      "column 1 (time) %lld where %d was expected; are the columns shifted?", r.time,
                      -record);
        return true;
    }
    return false;
}

// Why a record read whole cannot be used at all (written into problem,
// with the line of the field), or false. Such a record holds 0 in all three
// series, as a missing one does.
bool findRefusal(const ScannedRecord& r, char* problem, int& line)
{
    line = r.lines[0];
    if (r.time < INT_MIN || r.time > INT_MAX) {
        std::snprintf(problem, problemSize, "column 1 (time) %s is outside the whole numbers the "
                      "reader takes", r.timeText);
        return true;
    }
    const double angles[2] = {r.prec, r.obl};
    for (int k = 0; k < 2; ++k) {
        if (std::fabs(angles[k]) > maxAngleDegrees) {
            line = r.lines[k + 2];
            std::snprintf(problem, problemSize, "column %d (%s) %g is beyond +-1e6 degrees", k + 3,
                          columnNames[k + 2], angles[k]);
            return true;
        }
    }
    return false;
}

// Skips white space, counting the line ends (LF, CR LF or a lone CR).
void skipSpace(FILE* file, int& line)
{
    int c;
    while ((c = std::getc(file)) != EOF && std::isspace(c)) {
        if (c == '\r') {
            const int next = std::getc(file);
            if (next != '\n')
                std::ungetc(next, file);
        }
        if (c == '\n' || c == '\r')
            ++line;
    }
    std::ungetc(c, file);
}

// Column 1 as "%d" reads it (an optional sign, then digits), but of any
// length: its text is kept for messages, and a time beyond long long
// saturates, which still lies outside int and is refused.
bool scanTime(FILE* file, ScannedRecord& r)
{
    const int sign = std::getc(file);
    if (sign != '-' && sign != '+')
        std::ungetc(sign, file);
    char digits[timeDigits + 1];
    if (std::fscanf(file, "%24[0-9]", digits) != 1)
        return false;
    r.time = std::strtoll(digits, nullptr, 10);
    bool longer = false;
    int c;
    while ((c = std::getc(file)) >= '0' && c <= '9')
        longer = true;
    std::ungetc(c, file);
    if (longer)
        r.time = LLONG_MAX;
    if (sign == '-')
        r.time = -r.time;
    std::snprintf(r.timeText, sizeof r.timeText, "%s%s%s", sign == '-' ? "-" : "", digits,
                  longer ? "..." : "");
    return true;
}

// Reads field k of r; false when it is not there or not a number.
bool scanField(FILE* file, int k, ScannedRecord& r)
{
    switch (k) {
    case 0: return scanTime(file, r);
    case 1: return std::fscanf(file, "%lf", &r.ecc) == 1;
    case 2: return std::fscanf(file, "%lf", &r.prec) == 1;
    case 3: return std::fscanf(file, "%lf", &r.obl) == 1;
    default: return std::fscanf(file, "%f", &r.extra) == 1;
    }
}

// Scans record j field by field, as "%d %lf %lf %lf %f" would, keeping
// count of lines. Returns the number of fields read: 0 at the end of input,
// fieldsPerRecord for a whole record; for a record cut short, one message
// names the field that could not be read. A number followed by a comma (a
// decimal comma) counts as not read, and the message names its column.
int scanRecord(FILE* file, const char* fileName, int j, int& line, ScannedRecord& r)
{
    int fields = 0;
    const char* fault = nullptr;
    for (; fields < fieldsPerRecord; ++fields) {
        skipSpace(file, line);
        r.lines[fields] = line;
        if (!scanField(file, fields, r)) {
            fault = std::feof(file) ? "is missing at the end of the file" : "is not a number";
            break;
        }
        const int next = std::getc(file);
        std::ungetc(next, file);
        if (next == ',') {
            fault = "holds a comma (numbers here take a decimal point)";
            break;
        }
    }
    if (std::ferror(file))
        failToRead(fileName);
    if (fields == 0 && std::feof(file))
        return 0;
    if (fault != nullptr) {
        std::printf("%s: record %d: column %d (%s) %s; it and every later field are 0\n", fileName,
                    j, fields + 1, columnNames[fields], fault);
        std::fflush(stdout);
    }
    return fields;
}

// One line about record j; line, when not 0, is where the fault lies.
void report(const char* fileName, int line, int j, const char* problem, const char* outcome)
{
    if (line > 0)
        std::printf("%s: line %d: record %d: %s%s\n", fileName, line, j, problem, outcome);
    else
        std::printf("%s: record %d: %s%s\n", fileName, j, problem, outcome);
    std::fflush(stdout);
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
    // is 0.0. Of the records read whole, the first refused one and the first
    // implausible one are reported; a refused record is 0.0, an implausible
    // one keeps its values as read.
    bool readable = true;
    bool refusalReported = false, implausibleReported = false;
    int line = headerLines + 1;
    for (int j = 0; j < n; ++j) {
        ScannedRecord r{0, {}, 0.0, 0.0, 0.0, 0.0f, {}};
        int fields = readable ? scanRecord(file, fileName, j, line, r) : 0;
        readable = fields == fieldsPerRecord;
        char problem[problemSize];
        int faultLine = 0;
        if (readable && findRefusal(r, problem, faultLine)) {
            if (!refusalReported)
                report(fileName, faultLine, j, problem, "; the record is refused and holds 0");
            refusalReported = true;
            fields = 0;
        } else if (readable && !implausibleReported && findImplausible(r, j, problem)) {
            report(fileName, 0, j, problem, "");
            implausibleReported = true;
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
