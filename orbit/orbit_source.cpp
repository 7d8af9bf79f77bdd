#include "orbit/orbit_source.h"

#include "files/regular_input.h"
#include "math/constants.h"
#include "math/number_text.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <sys/stat.h>

using math::formatNumber;
using math::parseNumber;
using math::radiansPerDegree;

namespace orbit {
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
        const std::string problem = elementsProblem(v[1], v[3], v[2]);
        if (!problem.empty()) {
            error = where(fileName, tokens[i + (problem[0] == 'e' ? 1 : 3)], i / fieldsPerRecord) + ": "
                    + problem;
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
    solution = findSolution(choice);
    if (solution != nullptr) {
        name = solution->name;
        citation = solution->citation;
        origin = solution->origin;
        return true;
    }
    struct stat status;
    if (stat(choice.c_str(), &status) != 0) {
        // A name with a folder or an extension was meant as a file.
        if (choice.find_first_of("/.") != std::string::npos)
            error = "the series file " + choice + " is missing";
        else
            error = unknownSolutionMessage(choice) + ", or the name of a series file";
        return false;
    }
    name = "series file " + choice;
    origin = "time 0 of the series file";
    return readSeries(choice, error);
}

bool OrbitSource::setElements(double eccentricity, double obliquity, double perihelion, std::string& error)
{
    error = elementsProblem(eccentricity, obliquity, perihelion);
    if (!error.empty())
        return false;
    const double varpi = wrapDegrees(perihelion);
    fixed = Elements{eccentricity, obliquity, varpi, eccentricity * std::sin(varpi * radiansPerDegree)};
    byHand = true;
    solution = nullptr;
    name = "orbital elements given by hand";
    citation = "e " + formatNumber(eccentricity) + ", obliquity " + formatNumber(obliquity)
               + " degrees, varpi " + formatNumber(perihelion) + " degrees";
    origin = "any time: the elements do not change";
    return true;
}

bool OrbitSource::readSeries(const std::string& fileName, std::string& error)
{
    std::vector<Token> tokens;
    std::vector<Record> parsed;
    if (!readTokens(fileName, citation, tokens, error) || !parseRecords(fileName, tokens, parsed, error))
        return false;
    for (const Record& r : parsed) {
        times.push_back(r.time);
        zCos.push_back(r.e * std::cos(r.varpi * radiansPerDegree));
        zSin.push_back(r.e * std::sin(r.varpi * radiansPerDegree));
        obliquities.push_back(r.obliquity);
        const double varpi = wrapDegrees(r.varpi);
        records.push_back(Elements{r.e, r.obliquity, varpi, r.e * std::sin(varpi * radiansPerDegree)});
    }
    return true;
}

Span OrbitSource::span() const
{
    if (solution != nullptr)
        return solution->span;
    if (byHand)
        return Span{-HUGE_VAL, HUGE_VAL};
    return Span{times.front(), times.back()};
}

bool OrbitSource::covers(double kyr) const
{
    // A solution takes a time a rounding past an end of its span as that end.
    if (solution != nullptr)
        return orbit::covers(*solution, kyr);
    const orbit::Span s = span();
    return kyr >= s.oldest && kyr <= s.newest;
}

Elements OrbitSource::at(double kyr) const
{
    if (solution != nullptr)
        return elementsAt(*solution, kyr);
    if (byHand)
        return fixed;
    // Record pair around kyr; the last pair at the newest end.
    const size_t upper = std::min<size_t>(
        std::upper_bound(times.begin(), times.end(), kyr) - times.begin(), times.size() - 1);
    const size_t lower = upper - 1;
    // A record's own time gives the record: no round trip through z.
    if (kyr == times[lower] || kyr == times[upper])
        return records[kyr == times[lower] ? lower : upper];
    const double f = (kyr - times[lower]) / (times[upper] - times[lower]);
    const double x = zCos[lower] + f * (zCos[upper] - zCos[lower]);
    const double y = zSin[lower] + f * (zSin[upper] - zSin[lower]);
    Elements elements;
    elements.eccentricity = std::hypot(x, y);
    elements.perihelion = wrapDegrees(std::atan2(y, x) / radiansPerDegree);
    elements.obliquity = obliquities[lower] + f * (obliquities[upper] - obliquities[lower]);
    elements.precessionIndex = y;
    return elements;
}

std::string OrbitSource::outsideSpanMessage(double kyr) const
{
    if (solution != nullptr)
        return orbit::outsideSpanMessage(*solution, kyr);
    const Span s = span();
    return formatNumber(kyr) + " kyr is outside the span of " + name + " (" + formatNumber(s.oldest)
           + " to " + formatNumber(s.newest) + " kyr)";
}

std::string OrbitSource::insolationProblem() const
{
    if (solution == nullptr || solution->available == Availability::allElements)
        return std::string();
    return eccentricityOnlyMessage(*solution);
}

}  // namespace orbit
