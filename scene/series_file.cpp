// The orbital series file: three header lines, then records of five numbers
// "time eccentricity precession-degrees obliquity-degrees extra" separated by
// any white space.
#include "scene/paleo_scene.h"

#include "files/regular_input.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <type_traits>

namespace {

constexpr int headerLines = 3;
constexpr int fieldsPerRecord = 5;
// What each column holds, for the messages about a record.
const char* const columnNames[fieldsPerRecord] = {"time", "eccentricity", "precession angle",
                                                  "obliquity", "extra value"};

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


// The input kept in memory as far as it has been read, so that the usual
// records are read with plain character tests: musl's fscanf scans each
// number in 128-bit long double, emulated in WebAssembly, which made the
// series most of the page's start. It reads ahead in chunks only as far as
// the records need (a pipe that never ends still gives its first records).
class InputBuffer {
public:
    explicit InputBuffer(FILE* file) : file_(file) {}
    // The byte at pos, or EOF past the end.
    int at(size_t pos) { return pos < text_.size() ? static_cast<unsigned char>(text_[pos]) : fill(pos); }
    bool failed() const { return failed_; }
    const char* data() const { return text_.data(); }
    size_t size() const { return text_.size(); }
    void readAll() { fill(SIZE_MAX); }

private:
    int fill(size_t pos)
    {
        char chunk[1 << 16];
        while (!ended_ && pos >= text_.size()) {
            const size_t got = std::fread(chunk, 1, sizeof chunk, file_);
            text_.append(chunk, got);
            ended_ = got < sizeof chunk;
            failed_ = failed_ || std::ferror(file_) != 0;
        }
        return pos < text_.size() ? static_cast<unsigned char>(text_[pos]) : EOF;
    }

    FILE* file_;
    std::string text_;
    bool ended_ = false, failed_ = false;
};

bool isSpace(int c)
{
    return c != EOF && std::isspace(c);
}

// Consumes one whole line, however long, ended by LF, CR LF or a lone CR.
void skipLineAt(InputBuffer& in, size_t& pos)
{
    for (int c; (c = in.at(pos)) != EOF;) {
        ++pos;
        if (c == '\n')
            return;
        if (c == '\r') {
            pos += in.at(pos) == '\n';
            return;
        }
    }
}

// Skips white space, counting the line ends (LF, CR LF or a lone CR).
void skipSpaceAt(InputBuffer& in, size_t& pos, int& line)
{
    for (int c; isSpace(c = in.at(pos));) {
        ++pos;
        if (c == '\r')
            pos += in.at(pos) == '\n';
        if (c == '\n' || c == '\r')
            ++line;
    }
}

// Column 1 as scanTime reads it, when it is a sign and at most timeDigits
// digits; false for anything else.
bool plainTime(InputBuffer& in, size_t& pos, ScannedRecord& r)
{
    const int sign = in.at(pos);
    size_t p = pos + (sign == '-' || sign == '+');
    char digits[timeDigits + 1];
    int n = 0;
    for (int c; (c = in.at(p)) >= '0' && c <= '9'; ++p) {
        if (n == timeDigits)
            return false;
        digits[n++] = static_cast<char>(c);
    }
    if (n == 0)
        return false;
    digits[n] = '\0';
    r.time = std::strtoll(digits, nullptr, 10);
    if (sign == '-')
        r.time = -r.time;
    std::snprintf(r.timeText, sizeof r.timeText, "%s%s", sign == '-' ? "-" : "", digits);
    pos = p;
    return true;
}

// A plain decimal number: a sign, digits with at most one point (at least
// one digit), and an exponent with digits. Its value is mantissa times ten
// to the exponent; digits counts the mantissa's significant digits.
struct Decimal {
    bool negative = false;
    unsigned long long mantissa = 0;
    int digits = 0;
    long exponent = 0;
};

// The digits of a mantissa; the number of them read.
int mantissaDigits(InputBuffer& in, size_t& pos, Decimal& d, bool fraction)
{
    int n = 0;
    for (int c; (c = in.at(pos)) >= '0' && c <= '9'; ++pos, ++n) {
        if (d.digits == 0 && c == '0') {
            d.exponent -= fraction;
            continue;
        }
        if (++d.digits <= 19)
            d.mantissa = d.mantissa * 10 + static_cast<unsigned>(c - '0');
        else if (!fraction)
            ++d.exponent;
        if (fraction && d.digits <= 19)
            --d.exponent;
    }
    return n;
}

// Reads a plain decimal from pos; false (pos unchanged) for any other text.
bool plainDecimal(InputBuffer& in, size_t& pos, Decimal& d)
{
    size_t p = pos;
    d.negative = in.at(p) == '-';
    p += in.at(p) == '-' || in.at(p) == '+';
    int n = mantissaDigits(in, p, d, false);
    if (in.at(p) == '.') {
        ++p;
        n += mantissaDigits(in, p, d, true);
    }
    if (n == 0)
        return false;
    if (in.at(p) == 'e' || in.at(p) == 'E') {
        ++p;
        const bool below = in.at(p) == '-';
        p += in.at(p) == '-' || in.at(p) == '+';
        long e = 0;
        const size_t first = p;
        for (int c; (c = in.at(p)) >= '0' && c <= '9'; ++p)
            e = std::min(e * 10 + (c - '0'), 100000L);
        if (p == first)
            return false;
        d.exponent += below ? -e : e;
    }
    pos = p;
    return true;
}

// Ten to the powers that doubles hold exactly, and floats.
constexpr double tenPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr float tenPowersFloat[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                    1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The value fscanf gives a plain decimal ("%lf", or "%f" when single):
// a mantissa and a power of ten that the type holds exactly make one
// correctly rounded multiplication or division, as the C library's
// correctly rounded result; any other goes through strtod or strtof.
template <typename Real>
Real decimalValue(const Decimal& d, const char* text, size_t length)
{
    constexpr bool single = std::is_same<Real, float>::value;
    constexpr unsigned long long exact = single ? 1ULL << 24 : 1ULL << 53;
    constexpr long power = single ? 10 : 22;
    if (d.digits == 0)
        return d.negative ? -Real(0) : Real(0);
    if (d.digits > 19 || d.mantissa > exact || d.exponent > power || d.exponent < -power) {
        const std::string token(text, length);
        if constexpr (single)
            return std::strtof(token.c_str(), nullptr);
        else
            return std::strtod(token.c_str(), nullptr);
    }
    const Real m = static_cast<Real>(d.mantissa);
    Real scale;
    if constexpr (single)
        scale = tenPowersFloat[std::labs(d.exponent)];
    else
        scale = tenPowers[std::labs(d.exponent)];
    const Real v = d.exponent < 0 ? m / scale : m * scale;
    return d.negative ? -v : v;
}

// Field k of a record, when plain; false for anything else.
bool plainField(InputBuffer& in, size_t& pos, int k, ScannedRecord& r)
{
    if (k == 0)
        return plainTime(in, pos, r);
    Decimal d;
    const size_t start = pos;
    if (!plainDecimal(in, pos, d))
        return false;
    const char* text = in.data() + start;
    double* const columns[3] = {&r.ecc, &r.prec, &r.obl};
    if (k < fieldsPerRecord - 1)
        *columns[k - 1] = decimalValue<double>(d, text, pos - start);
    else
        r.extra = decimalValue<float>(d, text, pos - start);
    return true;
}

// Record j read from the buffer: fieldsPerRecord for a whole record of
// plain numbers each followed by white space or the end, 0 at the end of
// input, -1 (nothing consumed) for anything else, which scanRecord reads
// with fscanf and reports as it always has.
int scanPlainRecord(InputBuffer& in, size_t& pos, int& line, ScannedRecord& r)
{
    size_t p = pos;
    int l = line;
    for (int k = 0; k < fieldsPerRecord; ++k) {
        skipSpaceAt(in, p, l);
        r.lines[k] = l;
        if (k == 0 && in.at(p) == EOF && !in.failed()) {
            pos = p;
            return 0;
        }
        if (!plainField(in, p, k, r) || (in.at(p) != EOF && !isSpace(in.at(p))))
            return -1;
    }
    if (in.failed())
        return -1;
    pos = p;
    line = l;
    return fieldsPerRecord;
}

// Where the records come from: the buffer while they are plain; from the
// first that is not, scanRecord's fscanf on the file from that record's
// place, or for a pipe on the rest of the input in memory.
class RecordReader {
public:
    RecordReader(FILE* file, const char* fileName) : file_(file), fileName_(fileName), in_(file)
    {
        for (int k = 0; k < headerLines; ++k)
            skipLineAt(in_, pos_);
    }
    ~RecordReader()
    {
        if (memory_ != nullptr)
            std::fclose(memory_);
    }
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;

    int next(int j, ScannedRecord& r)
    {
        if (scanned_ == nullptr) {
            const int fields = scanPlainRecord(in_, pos_, line_, r);
            if (fields >= 0)
                return fields;
            r = ScannedRecord{0, {}, 0.0, 0.0, 0.0, 0.0f, {}};
            scanned_ = scannedInput();
        }
        return scanRecord(scanned_, fileName_, j, line_, r);
    }
    bool failed() const { return scanned_ != nullptr && std::ferror(scanned_) != 0; }

private:
    FILE* scannedInput()
    {
        std::clearerr(file_);
        if (std::fseek(file_, static_cast<long>(pos_), SEEK_SET) == 0)
            return file_;
        in_.readAll();
        memory_ = fmemopen(const_cast<char*>(in_.data()) + pos_, in_.size() - pos_, "r");
        if (memory_ == nullptr)
            failToRead(fileName_);
        return memory_;
    }

    FILE* file_;
    const char* fileName_;
    InputBuffer in_;
    size_t pos_ = 0;
    int line_ = headerLines + 1;
    FILE* scanned_ = nullptr;
    FILE* memory_ = nullptr;
};

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

    RecordReader reader(file, fileName);

    // From the first record that cannot be read whole, every field not read
    // is 0.0. Of the records read whole, the first refused one and the first
    // implausible one are reported; a refused record is 0.0, an implausible
    // one keeps its values as read.
    bool readable = true;
    bool refusalReported = false, implausibleReported = false;
    for (int j = 0; j < n; ++j) {
        ScannedRecord r{0, {}, 0.0, 0.0, 0.0, 0.0f, {}};
        int fields = readable ? reader.next(j, r) : 0;
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
    if (reader.failed())
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
