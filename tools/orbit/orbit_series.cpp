#include "orbit_series.h"

#include "math/constants.h"
#include "files/regular_input.h"
#include "orbit/la2004_fit_terms.h"
#include "orbit/published_tables.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

using math::radiansPerDegree;

namespace {

constexpr double fullTurn = 360.0;
constexpr int laskarFields = 4;
// Table times are written with a few decimals ("-1.000").
constexpr double timeTolerance = 1e-6;
// The perihelion column is printed with six decimals.
constexpr double perihelionResolution = 1e-6;

orbit::Elements makeElements(double eccentricity, double obliquity, double perihelionDegrees)
{
    const double perihelion = orbit::wrapDegrees(perihelionDegrees);
    return {eccentricity, obliquity, perihelion,
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

}  // namespace

std::vector<orbit::Elements> solutionSeries(const orbit::SolutionInfo& solution)
{
    std::vector<orbit::Elements> records;
    records.reserve(orbitRecordCount);
    for (int j = 0; j < orbitRecordCount; ++j)
        records.push_back(orbit::elementsAt(solution, -j));
    return records;
}

orbit::Elements laskarElements(double eccentricity, double obliquityRadians,
                               double perihelionRadians)
{
    return makeElements(eccentricity, obliquityRadians / radiansPerDegree,
                        perihelionRadians / radiansPerDegree);
}

bool readLaskarTable(std::istream& in, std::vector<orbit::Elements>& records, std::string& message)
{
    records.clear();
    std::string line;
    int lineNumber = 0;
    while (static_cast<int>(records.size()) < orbitRecordCount && std::getline(in, line)) {
        ++lineNumber;
        if (isBlankOrComment(line))
            continue;
        double fields[laskarFields];
        if (!orbit::parseNumbers(line, laskarFields, fields)) {
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
        message = "the table ends at line " + std::to_string(lineNumber) + " with " +
                  std::to_string(records.size()) + " rows; the series file needs " +
                  std::to_string(orbitRecordCount) +
                  " (0 to " + std::to_string(1 - orbitRecordCount) + " kyr)";
        return false;
    }
    return true;
}

std::string seriesHeader(SeriesSource source)
{
    const std::string records = std::to_string(orbitRecordCount) + " records";
    const std::string oldest = std::to_string(1 - orbitRecordCount) + " kyr";
    const orbit::SolutionInfo& named =
        source != importedTable ? *source : orbit::solutionInfo(orbit::Solution::laskar2004);
    std::string header;
    switch (source != importedTable ? source->id : orbit::Solution::laskar2004) {
    case orbit::Solution::laskar2004:
        header = std::string(named.name) + ": " + records +
                 ", one per thousand years, time 0 at J2000, back to " + oldest +
                 "; the published values rounded to the decimals below\n";
        break;
    case orbit::Solution::laskar2004Fit: {
        char differences[160];
        std::snprintf(differences, sizeof differences,
                      "max differences from the reference: e %.5f, obliquity %.4f deg, "
                      "e*sin(perihelion) %.5f\n",
                      orbit::la2004FitMaxEccentricityDifference,
                      orbit::la2004FitMaxObliquityDifference,
                      orbit::la2004FitMaxPrecessionIndexDifference);
        header = "Approximation of Laskar et al. (2004) by the project's fitted series: " +
                 records + ", one per thousand years, time 0 at J2000, back to " + oldest +
                 "; " + differences;
        break;
    }
    case orbit::Solution::berger1978:
        header = "Orbital elements of the Earth: " + records +
                 ", one per thousand years from the present (0, " + named.origin + ") back to " +
                 oldest + "\n";
        break;
    default:
        header = std::string(named.name) + ": " + records +
                 ", one per thousand years, time 0 at " + named.origin + ", back to " + oldest +
                 "; the published values rounded to the decimals below\n";
        break;
    }
    header += std::string("Source: ") + named.citation + "\n";
    header += "Columns: time (kyr, negative in the past), eccentricity, longitude of perihelion "
              "from the moving equinox (degrees, 0 to 360), obliquity (degrees), "
              "precession index e*sin(perihelion)\n";
    return header;
}

std::string formatRecord(int kyr, const orbit::Elements& elements)
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

std::string seriesText(SeriesSource source, const std::vector<orbit::Elements>& records)
{
    std::string text = seriesHeader(source);
    for (size_t j = 0; j < records.size(); ++j)
        text += formatRecord(-static_cast<int>(j), records[j]);
    return text;
}

std::string seriesRefusal(const orbit::SolutionInfo& solution)
{
    const double oldest = 1 - orbitRecordCount;
    if (solution.available != orbit::Availability::allElements)
        return orbit::eccentricityOnlyMessage(solution) + "; the series file needs them too";
    if (orbit::covers(solution, oldest) && orbit::covers(solution, 0.0))
        return std::string();
    char text[320];
    std::snprintf(text, sizeof text,
                  "%s (%s) spans %g to %g kyr, %d records back from the present; the series file "
                  "needs %d (0 to %g kyr)",
                  solution.name, solution.key, solution.span.oldest, solution.span.newest,
                  static_cast<int>(std::floor(-solution.span.oldest)) + 1, orbitRecordCount,
                  oldest);
    return text;
}

std::string seriesSolutionKeys()
{
    std::string keys;
    for (int i = 0; i < orbit::solutionCount; ++i) {
        if (seriesRefusal(orbit::solutionRegistry[i]).empty())
            keys += (keys.empty() ? "" : ", ") + std::string(orbit::solutionRegistry[i].key);
    }
    return keys;
}

bool writeSolutionFile(const orbit::SolutionInfo& solution, const char* outputPath,
                       std::string& message)
{
    message = seriesRefusal(solution);
    if (!message.empty())
        return false;
    return writeFileAtomically(outputPath, seriesText(&solution, solutionSeries(solution)), message);
}

bool importLaskarFile(const char* inputPath, const char* outputPath, std::string& message)
{
    RegularFileStream in(inputPath);
    if (!in) {
        message = inputRefusalMessage(inputPath, in.refusal);
        return false;
    }
    std::vector<orbit::Elements> records;
    if (!readLaskarTable(in, records, message)) {
        message = std::string(inputPath) + ": " + message;
        return false;
    }
    return writeFileAtomically(outputPath, seriesText(importedTable, records), message);
}
