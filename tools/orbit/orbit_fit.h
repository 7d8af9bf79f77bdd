// Fitting compact quasi-periodic series to a tabulated orbital solution.
//
// The complex eccentricity vector z(t) = e exp(i perihelion) is represented
// as a sum of complex terms a exp(i (rate t + phase)), the obliquity as a
// mean plus cosine terms b cos(rate t + phase). Frequencies are found by
// frequency analysis (the strongest peak of a Hann-windowed spectrum of the
// residual, refined, then removed, one term after another), amplitudes and
// phases by linear least squares, and finally all frequencies, amplitudes
// and phases are refined together by Levenberg-Marquardt.
//
// Units: t in kyr (negative in the past), rates in radians per kyr, phases
// in radians, obliquity in degrees.
#ifndef PALEOVIZ_TOOLS_ORBIT_ORBIT_FIT_H
#define PALEOVIZ_TOOLS_ORBIT_ORBIT_FIT_H

#include "orbit/orbital_elements.h"
#include "orbit_series.h"

#include <complex>
#include <string>
#include <vector>

// Weight of the record at time kyr (0 or negative) in the linear least
// squares and the joint refinement alike:
// 1 + presentWeightBoost * exp(kyr / presentWeightScale). The records near
// the present, the ones a user sees first, count many times over, so that
// the series meets the table there more closely than elsewhere. (The
// table's record-to-record jitter, aliases of its short-period terms, is
// still left out: a series that followed it would wiggle between records.)
constexpr double presentWeightBoost = 1000.0;  // extra weight at 0 kyr
constexpr double presentWeightScale = 10.0;    // kyr
double fitWeight(double kyr);

struct FitTerm {
    double amplitude;
    double rate;   // radians per kyr
    double phase;  // radians
};

struct FittedSeries {
    std::vector<FitTerm> eccentricity;  // terms of z = e exp(i perihelion)
    double meanObliquity = 0.0;         // degrees
    std::vector<FitTerm> obliquity;     // degrees
};

// Sum of amplitude * exp(i (rate t + phase)) fitted to values at times
// (uniformly spaced, one sample per `step` kyr, in any order of time),
// each sample weighted by fitWeight.
std::vector<FitTerm> fitComplexSeries(const std::vector<double>& times,
                                      const std::vector<std::complex<double>>& values,
                                      int termCount);
// mean + sum of amplitude * cos(rate t + phase) fitted to real values.
std::vector<FitTerm> fitRealSeries(const std::vector<double>& times,
                                   const std::vector<double>& values, int termCount,
                                   double& mean);

// Both series fitted to records at times (records in degrees, as read by
// readLaskarTable).
FittedSeries fitElements(const std::vector<double>& times,
                         const std::vector<orbit::Elements>& records, int termCount);

// The elements of a fitted series at time kyr, computed as the orbit
// library computes its compiled-in table.
orbit::Elements evaluateSeries(const FittedSeries& series, double kyr);

// Largest absolute differences.
struct Differences {
    double eccentricity = 0.0;
    double obliquity = 0.0;        // degrees
    double precessionIndex = 0.0;
    double perihelion = 0.0;       // degrees, the shorter way round
};

// The elements as the series file stores them: printed with its decimals
// and read back.
orbit::Elements roundedAsInFile(int kyr, const orbit::Elements& elements);

// Largest differences between model and reference over records
// [first, end), each model record rounded as in the series file. A NaN
// element (an eccentricity-only solution's) gives NaN for its column.
Differences maxDifferences(const std::vector<orbit::Elements>& model,
                           const std::vector<orbit::Elements>& reference, int first, int end);

// The spans the accuracy is reported over: records [first, end).
struct ReportSpan {
    const char* name;
    int first;
    int end;
};
extern const ReportSpan reportSpans[6];  // the present, 0-20 kyr, 0-1, 1-3, 3-5.8 Myr, all

// Records [first, end) of the table.
struct RecordRange {
    int first;
    int end;
};
constexpr RecordRange allRecords{0, orbitRecordCount};

// The records of the table (record j at -j kyr) that a solution's span
// holds; empty (first == end) when it holds none.
RecordRange coveredRecords(const orbit::SolutionInfo& solution);

// Rows of a table "span  e  obliquity  e*sin(perihelion)  perihelion" for
// model against reference over reportSpans, each line starting with prefix.
// Only the records in covered are compared: a span partly outside it is
// marked with the records it was compared over, one wholly outside says so.
// REQUIRES: model holds the records in covered.
std::string differenceTable(const std::vector<orbit::Elements>& model,
                            const std::vector<orbit::Elements>& reference,
                            const std::string& prefix, RecordRange covered = allRecords);

// Comment lines on the weighting of the fit, each starting with prefix.
std::string fitMethodNote(const std::string& prefix);

// The C++ source of the term table (orbit/la2004_fit_terms.h); notes are
// comment lines placed in its opening comment.
std::string termTableSource(const FittedSeries& series, const Differences& overall,
                            const std::string& notes);

#endif
