#include "orbit_series.h"

#include "globe/math_constants.h"

#include "berger1978_terms.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

constexpr double arcsecondsPerDegree = 3600.0;
constexpr double fullTurn = 360.0;
constexpr double yearsPerRecord = 1000.0;
constexpr int laskarFields = 4;
// Table times are written with a few decimals ("-1.000").
constexpr double timeTolerance = 1e-6;
// The perihelion column is printed with six decimals.
constexpr double perihelionResolution = 1e-6;

double termArgument(const BergerTerm& term, double years)
{
    return (term.rate * years / arcsecondsPerDegree + term.phase) * radiansPerDegree;
}

double sumSin(const BergerTerm* terms, int count, double years)
{
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        sum += terms[i].amplitude * std::sin(termArgument(terms[i], years));
    return sum;
}

double sumCos(const BergerTerm* terms, int count, double years)
{
    double sum = 0.0;
    for (int i = 0; i < count; ++i)
        sum += terms[i].amplitude * std::cos(termArgument(terms[i], years));
    return sum;
}

OrbitalElements makeElements(double eccentricity, double perihelionDegrees, double obliquity)
{
    const double perihelion = wrapDegrees(perihelionDegrees);
    return {eccentricity, perihelion, obliquity,
            eccentricity * std::sin(perihelion * radiansPerDegree)};
}

bool isBlankOrComment(const std::string& line)
{
    for (char c : line) {
        if (c == '#')
            return true;
        if (!std::isspace(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Parses exactly four finite numbers separated by white space.
bool parseRow(const std::string& line, double (&fields)[laskarFields])
{
    std::string text = line;
    for (char& c : text) {
        if (c == 'D' || c == 'd')
            c = 'E';
    }
    const char* p = text.c_str();
    for (double& field : fields) {
        char* end = nullptr;
        field = std::strtod(p, &end);
        if (end == p || !std::isfinite(field))
            return false;
        if (*end != '\0' && !std::isspace(static_cast<unsigned char>(*end)))
            return false;
        p = end;
    }
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    return *p == '\0';
}

// Checks one parsed row as record j; an empty result means it is good.
std::string rowFault(const double (&fields)[laskarFields], int j)
{
    char text[256];
    const double time = fields[0];
    const double eccentricity = fields[1];
    if (time > timeTolerance) {
        std::snprintf(text, sizeof text,
                      "time %g kyr lies in the future; use the table of the past "
                      "(0, -1, -2, ... kyr)", time);
    } else if (std::fabs(time + j) > timeTolerance) {
        std::snprintf(text, sizeof text,
                      "time %g kyr where %d was expected; rows must run 0, -1, -2, ... kyr, "
                      "one per thousand years", time, -j);
    } else if (!(eccentricity >= 0.0 && eccentricity < 1.0)) {
        std::snprintf(text, sizeof text, "eccentricity %g is outside 0 to 1", eccentricity);
    } else {
        return std::string();
    }
    return text;
}

std::string lineMessage(int lineNumber, const std::string& text)
{
    return "line " + std::to_string(lineNumber) + ": " + text;
}

bool writeFile(const char* path, const std::string& text, std::string& message)
{
    FILE* file = std::fopen(path, "w");
    if (file == nullptr) {
        message = std::string("cannot open \"") + path + "\" for writing";
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        message = std::string("cannot write \"") + path + "\"";
        return false;
    }
    return true;
}

}  // namespace

double wrapDegrees(double degrees)
{
    double wrapped = std::fmod(degrees, fullTurn);
    if (wrapped < 0.0)
        wrapped += fullTurn;
    // A tiny negative angle wraps to exactly 360 in floating point.
    return wrapped >= fullTurn ? 0.0 : wrapped;
}

OrbitalElements bergerElements(double years)
{
    const double eSin = sumSin(bergerEccentricityTerms, bergerEccentricityTermCount, years);
    const double eCos = sumCos(bergerEccentricityTerms, bergerEccentricityTermCount, years);
    const double fixedPerihelion = std::atan2(eSin, eCos) / radiansPerDegree;
    const double precession =
        (bergerPrecessionRate * years +
         sumSin(bergerPrecessionTerms, bergerPrecessionTermCount, years)) /
            arcsecondsPerDegree +
        bergerPrecessionPhase;
    const double obliquity =
        bergerMeanObliquity +
        sumCos(bergerObliquityTerms, bergerObliquityTermCount, years) / arcsecondsPerDegree;
    return makeElements(std::hypot(eSin, eCos), fixedPerihelion + precession, obliquity);
}

std::vector<OrbitalElements> bergerSeries()
{
    std::vector<OrbitalElements> records;
    records.reserve(orbitRecordCount);
    for (int j = 0; j < orbitRecordCount; ++j)
        records.push_back(bergerElements(-j * yearsPerRecord));
    return records;
}

OrbitalElements laskarElements(double eccentricity, double obliquityRadians,
                               double perihelionRadians)
{
    return makeElements(eccentricity, perihelionRadians / radiansPerDegree,
                        obliquityRadians / radiansPerDegree);
}

bool readLaskarTable(std::istream& in, std::vector<OrbitalElements>& records, std::string& message)
{
    records.clear();
    std::string line;
    int lineNumber = 0;
    while (static_cast<int>(records.size()) < orbitRecordCount && std::getline(in, line)) {
        ++lineNumber;
        if (isBlankOrComment(line))
            continue;
        double fields[laskarFields];
        if (!parseRow(line, fields)) {
            message = lineMessage(lineNumber, "expected four numbers: time (kyr), eccentricity, "
                                              "obliquity (rad), perihelion longitude (rad)");
            return false;
        }
        const std::string fault = rowFault(fields, static_cast<int>(records.size()));
        if (!fault.empty()) {
            message = lineMessage(lineNumber, fault);
            return false;
        }
        records.push_back(laskarElements(fields[1], fields[2], fields[3]));
    }
    if (static_cast<int>(records.size()) < orbitRecordCount) {
        message = "the table has " + std::to_string(records.size()) +
                  " rows; the series file needs " + std::to_string(orbitRecordCount) +
                  " (0 to " + std::to_string(1 - orbitRecordCount) + " kyr)";
        return false;
    }
    return true;
}

std::string seriesHeader(OrbitSource source)
{
    std::string header =
        "Orbital elements of the Earth: " + std::to_string(orbitRecordCount) +
        " records, one per thousand years from the present (0) back to " +
        std::to_string(1 - orbitRecordCount) + " kyr\n";
    if (source == OrbitSource::berger1978) {
        header += "Source: A. L. Berger (1978), Long-term variations of daily insolation and "
                  "Quaternary climatic changes, Journal of the Atmospheric Sciences 35, "
                  "2362-2367\n";
    } else {
        header += "Source: J. Laskar, P. Robutel, F. Joutel, M. Gastineau, A. C. M. Correia and "
                  "B. Levrard (2004), A long-term numerical solution for the insolation "
                  "quantities of the Earth, Astronomy and Astrophysics 428, 261-285\n";
    }
    header += "Columns: time (kyr, negative in the past), eccentricity, longitude of perihelion "
              "from the moving equinox (degrees, 0 to 360), obliquity (degrees), "
              "precession index e*sin(perihelion)\n";
    return header;
}

std::string formatRecord(int kyr, const OrbitalElements& elements)
{
    // An angle just below 360 would print as 360.000000.
    double perihelion = elements.perihelion;
    if (perihelion > fullTurn - perihelionResolution / 2)
        perihelion = 0.0;
    char line[128];
    std::snprintf(line, sizeof line, "%6d %10.8f %11.6f %10.6f %11.8f\n", kyr,
                  elements.eccentricity, perihelion, elements.obliquity,
                  elements.precessionIndex);
    return line;
}

std::string seriesText(OrbitSource source, const std::vector<OrbitalElements>& records)
{
    std::string text = seriesHeader(source);
    for (size_t j = 0; j < records.size(); ++j)
        text += formatRecord(-static_cast<int>(j), records[j]);
    return text;
}

bool writeBergerFile(const char* outputPath, std::string& message)
{
    return writeFile(outputPath, seriesText(OrbitSource::berger1978, bergerSeries()), message);
}

bool importLaskarFile(const char* inputPath, const char* outputPath, std::string& message)
{
    std::ifstream in(inputPath);
    if (!in) {
        message = std::string("cannot open \"") + inputPath + "\" for reading";
        return false;
    }
    std::vector<OrbitalElements> records;
    if (!readLaskarTable(in, records, message)) {
        message = std::string(inputPath) + ": " + message;
        return false;
    }
    return writeFile(outputPath, seriesText(OrbitSource::laskar2004, records), message);
}
