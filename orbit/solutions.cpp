// The registry of solutions: one entry each, the default first.
#include "orbit/evaluators.h"
#include "orbit/la2004_fit_terms.h"
#include "orbit/la2004_records.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace orbit {

namespace {

constexpr const char* laskarCitation =
    "J. Laskar, P. Robutel, F. Joutel, M. Gastineau, A. C. M. Correia and B. Levrard (2004), "
    "A long-term numerical solution for the insolation quantities of the Earth, Astronomy and "
    "Astrophysics 428, 261-285";

// Berger's series is used back to the window's oldest record, so that it
// can stand in for the default series file.
constexpr double bergerOldestKyr = -5799.0;
constexpr double bergerNewestKyr = 1000.0;

// The shortest text that reads back as the same double (NaN and infinity
// as the C library spells them).
std::string shortest(double value)
{
    char text[40];
    for (int precision = 6; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        if (!std::isfinite(value) || std::strtod(text, nullptr) == value)
            break;
    }
    return text;
}

}  // namespace

const SolutionInfo solutionRegistry[] = {
    {Solution::laskar2004, "la2004", "Laskar et al. (2004), published solution", laskarCitation,
     "J2000", {la2004OldestKyr, la2004NewestKyr}, -40000.0,
     "Laskar et al. (2004) give the solution as reliable over about the last 40 million years; "
     "before that the chaotic motion of the inner planets makes it uncertain",
     "the whole published tables, -51000 to +21000 kyr, one record per kyr; between records a "
     "natural cubic spline in e cos(varpi), e sin(varpi) and the obliquity",
     la2004Elements},
    {Solution::laskar2004Fit, "la2004-fit", "La2004 fit", laskarCitation, "J2000",
     {la2004FitOldestKyr, la2004FitNewestKyr}, la2004FitOldestKyr, "",
     "the span of the table's past the project's quasi-periodic series was fitted to "
     "(200 + 200 terms)",
     la2004FitElements},
    {Solution::berger1978, "berger1978", "Berger 1978",
     "A. L. Berger (1978), Long-term variations of daily insolation and Quaternary climatic "
     "changes, Journal of the Atmospheric Sciences 35, 2362-2367",
     "1950", {bergerOldestKyr, bergerNewestKyr}, -1000.0,
     "Berger (1978) is valid within about a million years of the present; further back it "
     "drifts increasingly out of phase",
     "+-1000 kyr, where the series is valid, extended back to -5799 kyr so that it can fill the "
     "window's 5800 records for comparison",
     berger1978Elements},
};

const int solutionCount = sizeof solutionRegistry / sizeof solutionRegistry[0];

const SolutionInfo* findSolution(const std::string& key)
{
    for (const SolutionInfo& entry : solutionRegistry) {
        if (key == entry.key)
            return &entry;
    }
    return nullptr;
}

const SolutionInfo& solutionInfo(Solution solution)
{
    for (const SolutionInfo& entry : solutionRegistry) {
        if (entry.id == solution)
            return entry;
    }
    throw std::logic_error("a solution without a registry entry");
}

std::string solutionKeys()
{
    std::string keys;
    for (const SolutionInfo& entry : solutionRegistry)
        keys += (keys.empty() ? "" : ", ") + std::string(entry.key);
    return keys;
}

std::string unknownSolutionMessage(const std::string& key)
{
    return "unknown solution \"" + key + "\"; the known ones are " + solutionKeys();
}

Span span(Solution solution)
{
    return solutionInfo(solution).span;
}

bool covers(const SolutionInfo& solution, double kyr)
{
    return kyr >= solution.span.oldest && kyr <= solution.span.newest;  // false for NaN
}

bool covers(Solution solution, double kyr)
{
    return covers(solutionInfo(solution), kyr);
}

const char* solutionName(Solution solution)
{
    return solutionInfo(solution).name;
}

const char* solutionCitation(Solution solution)
{
    return solutionInfo(solution).citation;
}

std::string outsideSpanMessage(const SolutionInfo& solution, double kyr)
{
    return "time " + shortest(kyr) + " kyr is outside the span of " + solution.name + " (" +
           solution.key + "), " + shortest(solution.span.oldest) + " to " +
           shortest(solution.span.newest) + " kyr";
}

Elements elementsAt(const SolutionInfo& solution, double kyr)
{
    if (!covers(solution, kyr))
        throw std::out_of_range(outsideSpanMessage(solution, kyr));
    return solution.evaluate(kyr);
}

Elements elementsAt(Solution solution, double kyr)
{
    return elementsAt(solutionInfo(solution), kyr);
}

}  // namespace orbit
