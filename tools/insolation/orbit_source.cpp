#include "orbit_source.h"
#include "value_lists.h"

#include "files/regular_input.h"

#include "math/constants.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

using math::radiansPerDegree;

namespace {

constexpr int headerLines = 3;
constexpr int fieldsPerRecord = 5;

struct Token {
    std::string text;
    int line;
};


std::string where(const std::string& fileName, int line)
{
    return fileName + " line " + std::to_string(line);
}

// The place of field k of record r (both from 0), for messages.
std::string where(const std::string& fileName, const Token& token, size_t record)
{
    return where(fileName, token.line) + " (record " + std::to_string(record + 1) + ")";
}

constexpr double rightAngle = 90;

struct Record {
    double time, e, varpi, obliquity;
};

// One line ended by LF, CR LF or a lone CR, as the window reads them.
bool readLine(std::istream& in, std::string& line)
{
    line.clear();
    for (int c; (c = in.get()) != EOF;) {
        if (c == '\n')
            return true;
        if (c == '\r') {
            if (in.peek() == '\n')
                in.get();
            return true;
        }
        line += static_cast<char>(c);
    }
    return !line.empty();
}

// Whether a line holds exactly one record's numbers: such a header line
// means the file has no header, and reading on would drop records.
bool isRecordLine(const std::string& line)
{
    std::istringstream words(line);
    int count = 0;
    double value = 0;
    for (std::string word; words >> word; ++count)
        if (count == fieldsPerRecord || !parseNumber(word, value))
            return false;
    return count == fieldsPerRecord;
}

// The header lines joined into one text, and every later word with its line.
bool readTokens(const std::string& fileName, std::string& header, std::vector<Token>& tokens,
                std::string& error)
{
    RegularFileStream in(fileName);
    if (!in) {
        error = "cannot read the series file: " + inputRefusalMessage(fileName, in.refusal);
        return false;
    }
    std::string line;
    int lineNumber = 0;
    for (; lineNumber < headerLines && readLine(in, line); ++lineNumber) {
        if (isRecordLine(line)) {
            error = where(fileName, lineNumber + 1) + " is a record: the three header lines are "
                    "missing (a series file starts with three lines of text)";
            return false;
        }
        header += (header.empty() ? "" : " | ") + line;
    }
    while (readLine(in, line)) {
        ++lineNumber;
        std::istringstream words(line);
        for (std::string word; words >> word;)
            tokens.push_back(Token{word, lineNumber});
    }
    return true;
}

// Records of five numbers in ascending time: every field a finite number,
// 0 <= e < 1, obliquity from 0 to 90 degrees, at least two records, no time
// twice.
bool parseRecords(const std::string& fileName, const std::vector<Token>& tokens,
                  std::vector<Record>& records, std::string& error)
{
    if (tokens.size() % fieldsPerRecord != 0) {
        error = where(fileName, tokens.back(), tokens.size() / fieldsPerRecord)
                + ": the last record is incomplete";
        return false;
    }
    for (size_t i = 0; i < tokens.size(); i += fieldsPerRecord) {
        double v[fieldsPerRecord];
        for (int k = 0; k < fieldsPerRecord; ++k) {
            if (!parseNumber(tokens[i + k].text, v[k])) {
                error = where(fileName, tokens[i + k], i / fieldsPerRecord) + ": \""
                        + tokens[i + k].text + "\" is not a number";
                return false;
            }
        }
        if (v[1] < 0 || v[1] >= 1) {
            error = where(fileName, tokens[i + 1], i / fieldsPerRecord) + ": eccentricity "
                    + tokens[i + 1].text + " is outside [0, 1)";
            return false;
        }
        if (v[3] < 0 || v[3] > rightAngle) {
            error = where(fileName, tokens[i + 3], i / fieldsPerRecord) + ": obliquity "
                    + tokens[i + 3].text + " is outside [0, 90] degrees";
            return false;
        }
        records.push_back(Record{v[0], v[1], v[2], v[3]});
    }
    if (records.size() < 2) {
        error = fileName + ": a series file needs at least two records";
        return false;
    }
    std::sort(records.begin(), records.end(),
              [](const Record& a, const Record& b) { return a.time < b.time; });
    for (size_t i = 1; i < records.size(); ++i) {
        if (records[i].time == records[i - 1].time) {
            std::ostringstream message;
            message << fileName << ": time " << records[i].time << " kyr appears twice";
            error = message.str();
            return false;
        }
    }
    return true;
}

}  // namespace

bool OrbitSource::open(const std::string& choice, std::string& error)
{
    solution = orbit::findSolution(choice);
    if (solution != nullptr) {
        name = solution->name;
        citation = solution->citation;
        origin = solution->origin;
        return true;
    }
    struct stat status;
    if (stat(choice.c_str(), &status) != 0) {
        error = orbit::unknownSolutionMessage(choice) + ", or the name of a series file";
        return false;
    }
    name = "series file " + choice;
    origin = "time 0 of the series file";
    return readSeries(choice, error);
}

bool OrbitSource::readSeries(const std::string& fileName, std::string& error)
{
    std::vector<Token> tokens;
    std::vector<Record> records;
    if (!readTokens(fileName, citation, tokens, error) || !parseRecords(fileName, tokens, records, error))
        return false;
    for (const Record& r : records) {
        times.push_back(r.time);
        zCos.push_back(r.e * std::cos(r.varpi * radiansPerDegree));
        zSin.push_back(r.e * std::sin(r.varpi * radiansPerDegree));
        obliquities.push_back(r.obliquity);
    }
    return true;
}

orbit::Span OrbitSource::span() const
{
    if (solution != nullptr)
        return solution->span;
    return orbit::Span{times.front(), times.back()};
}

bool OrbitSource::covers(double kyr) const
{
    const orbit::Span s = span();
    return kyr >= s.oldest && kyr <= s.newest;
}

orbit::Elements OrbitSource::at(double kyr) const
{
    if (solution != nullptr)
        return orbit::elementsAt(*solution, kyr);
    // Record pair around kyr; the last pair at the newest end.
    const size_t upper = std::min<size_t>(
        std::upper_bound(times.begin(), times.end(), kyr) - times.begin(), times.size() - 1);
    const size_t lower = upper - 1;
    const double f = (kyr - times[lower]) / (times[upper] - times[lower]);
    const double x = zCos[lower] + f * (zCos[upper] - zCos[lower]);
    const double y = zSin[lower] + f * (zSin[upper] - zSin[lower]);
    orbit::Elements elements;
    elements.eccentricity = std::hypot(x, y);
    elements.perihelion = orbit::wrapDegrees(std::atan2(y, x) / radiansPerDegree);
    elements.obliquity = obliquities[lower] + f * (obliquities[upper] - obliquities[lower]);
    elements.precessionIndex = y;
    return elements;
}
