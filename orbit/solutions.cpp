// The registry of solutions: one entry each, the default first. A published
// table's entry takes its key, span and availability from the table's line
// of orbit/published_tables.list (publishedTables) and its name, citation
// and notes from its row here.
#include "orbit/evaluators.h"
#include "orbit/la2004_fit_terms.h"

#include <algorithm>
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

constexpr const char* laskar1993Citation =
    "J. Laskar, F. Joutel and F. Boudin (1993), Orbital, precessional, and insolation quantities "
    "for the Earth from -20 Myr to +10 Myr, Astronomy and Astrophysics 270, 522-533";
constexpr const char* laskar2010Citation =
    "J. Laskar, A. Fienga, M. Gastineau and H. Manche (2011), La2010: a new orbital solution for "
    "the long-term motion of the Earth, Astronomy and Astrophysics 532, A89, "
    "doi:10.1051/0004-6361/201116836";
constexpr const char* laskar1993Span =
    "the published tables, -20000 to +10000 kyr, one record per kyr; between records a "
    "not-a-knot cubic spline in e cos(varpi), e sin(varpi) and the obliquity";
constexpr const char* laskar2010Span =
    "the published eccentricity table, 0 to -249000 kyr, one record per kyr; between records a "
    "not-a-knot cubic spline in e";
constexpr const char* laskar2010Note =
    "Laskar et al. (2011a) consider the eccentricity reliable to about 50 million years ago; "
    "the four solutions La2010a-d diverge before that";
constexpr double laskar2010ReliableKyr = -50000.0;

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

// What a published table's entry takes from its row here rather than from
// its line of the list.
struct TableText {
    const char* name;
    const char* citation;
    const char* origin;
    double reliableOldest;
    const char* reliabilityNote;
    const char* spanReason;
};

constexpr SolutionInfo tableEntry(TableId id, const TableText& text, Elements (*evaluate)(double))
{
    const PublishedTable& table = publishedTable(id);
    return {static_cast<Solution>(id), table.key, text.name, text.citation, text.origin,
            {table.oldest, newestKyr(table)},
            givesAllElements(table.layout) ? Availability::allElements
                                           : Availability::eccentricityOnly,
            text.reliableOldest, text.reliabilityNote, text.spanReason, evaluate};
}

// A table evaluated as published_solutions.cpp evaluates them all.
template <TableId id>
constexpr SolutionInfo tableEntry(const TableText& text)
{
    return tableEntry(id, text, tableElements<id>);
}

}  // namespace

constexpr SolutionInfo solutionRegistry[] = {
    tableEntry(TableId::laskar2004,
               {"Laskar et al. (2004), published solution", laskarCitation, "J2000", -40000.0,
                "Laskar et al. (2004) give the solution as reliable over about the last 40 "
                "million years; before that the chaotic motion of the inner planets makes it "
                "uncertain",
                "the whole published tables, -51000 to +21000 kyr, one record per kyr; between "
                "records a not-a-knot cubic spline in e cos(varpi), e sin(varpi) and the "
                "obliquity"},
               la2004Elements),
    {Solution::laskar2004Fit, "la2004-fit", "La2004 fit", laskarCitation, "J2000",
     {la2004FitOldestKyr, la2004FitNewestKyr}, Availability::allElements, la2004FitOldestKyr, "",
     "the span of the table's past the project's quasi-periodic series was fitted to "
     "(200 + 200 terms)",
     la2004FitElements},
    {Solution::berger1978, "berger1978", "Berger 1978",
     "A. L. Berger (1978), Long-term variations of daily insolation and Quaternary climatic "
     "changes, Journal of the Atmospheric Sciences 35, 2362-2367",
     "1950", {bergerOldestKyr, bergerNewestKyr}, Availability::allElements, -1000.0,
     "Berger (1978) is valid within about a million years of the present; further back it "
     "drifts increasingly out of phase",
     "+-1000 kyr, where the series is valid, extended back to -5799 kyr so that it can fill the "
     "window's 5800 records for comparison",
     berger1978Elements},
    tableEntry<TableId::berger1990>(
        {"Berger and Loutre (1991), BER90",
         "A. Berger and M. F. Loutre (1991), Insolation values for the climate of the last 10 "
         "million years, Quaternary Science Reviews 10, 297-317, doi:10.1016/0277-3791(91)90033-Q",
         "1950", -5000.0, "",
         "the published table, 0 to -5000 kyr, one record per kyr; between records a not-a-knot "
         "cubic spline in e cos(varpi), e sin(varpi) and the obliquity"}),
    tableEntry<TableId::laskar1993zero>({"Laskar et al. (1993), La93 (0,1)", laskar1993Citation,
                                         "J2000", -20000.0, "", laskar1993Span}),
    tableEntry<TableId::laskar1993one>({"Laskar et al. (1993), La93 (1,1)", laskar1993Citation,
                                        "J2000", -20000.0, "", laskar1993Span}),
    tableEntry<TableId::laskar2010a>({"Laskar et al. (2011a), La2010a", laskar2010Citation,
                                      "J2000", laskar2010ReliableKyr, laskar2010Note,
                                      laskar2010Span}),
    tableEntry<TableId::laskar2010b>({"Laskar et al. (2011a), La2010b", laskar2010Citation,
                                      "J2000", laskar2010ReliableKyr, laskar2010Note,
                                      laskar2010Span}),
    tableEntry<TableId::laskar2010c>({"Laskar et al. (2011a), La2010c", laskar2010Citation,
                                      "J2000", laskar2010ReliableKyr, laskar2010Note,
                                      laskar2010Span}),
    tableEntry<TableId::laskar2010d>({"Laskar et al. (2011a), La2010d", laskar2010Citation,
                                      "J2000", laskar2010ReliableKyr, laskar2010Note,
                                      laskar2010Span}),
    tableEntry<TableId::laskar2011>(
        {"Laskar et al. (2011b), La2011",
         "J. Laskar, M. Gastineau, J.-B. Delisle, A. Farres and A. Fienga (2011), Strong chaos "
         "induced by close encounters with Ceres and Vesta, Astronomy and Astrophysics 532, L4, "
         "doi:10.1051/0004-6361/201117504",
         "J2000", -60000.0,
         "Laskar et al. (2011b) find that close encounters with Ceres and Vesta make the "
         "eccentricity impossible to determine precisely beyond about 60 million years",
         "the published eccentricity table, 0 to -99999 kyr, one record per kyr; between records "
         "a not-a-knot cubic spline in e"}),
    tableEntry<TableId::zeebe2018a>(
        {"Zeebe and Lourens (2019), ZB18a",
         "R. E. Zeebe and L. J. Lourens (2019), Solar System chaos and the Paleocene-Eocene "
         "boundary age constrained by geology and astronomy, Science 365, 926-929, "
         "doi:10.1126/science.aax0612",
         "J2000", -58000.0,
         "Zeebe and Lourens (2019) constrain the solution with the geological record back to "
         "about 58 million years ago; before that the chaos of the solar system leaves it "
         "uncertain",
         "the published eccentricity table, 0 to -100000 kyr, one record every 1.6 kyr; between "
         "records a not-a-knot cubic spline in e"}),
};

namespace {

// A line of the list without a row here would be a table no key reaches.
constexpr bool everyTableHasOneEntry()
{
    for (int t = 0; t < publishedTableCount; ++t) {
        int entries = 0;
        for (const SolutionInfo& entry : solutionRegistry)
            entries += entry.id == static_cast<Solution>(t) ? 1 : 0;
        if (entries != 1)
            return false;
    }
    return true;
}
static_assert(everyTableHasOneEntry(),
              "every line of orbit/published_tables.list needs one row in solutionRegistry");

}  // namespace

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

std::string fullSolutionKeys()
{
    std::string keys;
    for (const SolutionInfo& entry : solutionRegistry) {
        if (entry.available == Availability::allElements)
            keys += (keys.empty() ? "" : ", ") + std::string(entry.key);
    }
    return keys;
}

std::string eccentricityOnlyMessage(const SolutionInfo& solution)
{
    return std::string(solution.name) + " (" + solution.key +
           ") gives the eccentricity only; insolation needs all three elements, which these "
           "solutions give: " + fullSolutionKeys();
}

const char* availableElementsText(const SolutionInfo& solution)
{
    return solution.available == Availability::allElements ? "e, perihelion, obliquity"
                                                           : "e only";
}

Span span(Solution solution)
{
    return solutionInfo(solution).span;
}

bool covers(const SolutionInfo& solution, double kyr)
{
    return kyr >= solution.span.oldest - spanToleranceKyr
           && kyr <= solution.span.newest + spanToleranceKyr;  // false for NaN
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
    return solution.evaluate(std::clamp(kyr, solution.span.oldest, solution.span.newest));
}

Elements elementsAt(Solution solution, double kyr)
{
    return elementsAt(solutionInfo(solution), kyr);
}

}  // namespace orbit
