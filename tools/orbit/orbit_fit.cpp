// Fitting the series: frequency analysis, linear least squares and the
// joint Levenberg-Marquardt refinement (orbit_fit.h), and evaluating them.
// The report of their differences from the table is in orbit_fit_report.cpp,
// the writing of the term table in orbit_fit_terms.cpp.
#include "orbit_fit.h"

#include "math/constants.h"

#include <Eigen/Dense>
#include <unsupported/Eigen/FFT>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

using math::pi;
using math::radiansPerDegree;

double fitWeight(double kyr)
{
    return 1.0 + presentWeightBoost * std::exp(std::min(kyr, 0.0) / presentWeightScale);
}

namespace {

using Complex = std::complex<double>;
using Eigen::MatrixXd;
using Eigen::VectorXd;

// Zero padding of the spectrum: bins this many times finer than 1/span.
constexpr int spectrumOversampling = 8;
// Amplitudes of all terms found so far are solved again together after
// every this many new terms.
constexpr int termsPerLeastSquares = 10;
constexpr int goldenSectionSteps = 48;
// The solution's own lines lie below about 110 arcseconds per year (periods
// above 12 kyr); faster peaks in a table sampled once per kyr are aliases
// and rounding, and a term there would wiggle between the records. Rates
// are looked for below 0.8 radians per kyr (165 arcseconds per year).
constexpr double maxRate = 0.8;
// Frequency analysis finds this many terms at a time; all terms found so far
// are then refined together before the next stage, so that later peaks are
// looked for in a residual free of the leakage of misplaced earlier terms.
constexpr int termsPerStage = 40;
constexpr int stageRefinementSteps = 12;
constexpr int finalRefinementSteps = 40;
constexpr double convergedCostChange = 1e-5;

// Samples of one signal around their middle time, which keeps the
// frequency and phase of each term nearly independent in the refinement.
struct Samples {
    std::vector<double> tau;     // kyr from the middle time
    std::vector<double> weight;  // square root of each sample's weight
    double middle = 0.0;         // kyr
    double step = 1.0;           // kyr between samples
};

Samples centred(const std::vector<double>& times)
{
    Samples samples;
    const auto [low, high] = std::minmax_element(times.begin(), times.end());
    samples.middle = (*low + *high) / 2;
    samples.step = times.size() > 1 ? (*high - *low) / double(times.size() - 1) : 1.0;
    for (double t : times) {
        samples.tau.push_back(t - samples.middle);
        samples.weight.push_back(std::sqrt(fitWeight(t)));
    }
    return samples;
}

std::vector<double> hannWindow(size_t count)
{
    std::vector<double> window(count);
    for (size_t n = 0; n < count; ++n)
        window[n] = 1.0 - std::cos(2 * pi * (n + 0.5) / double(count));
    return window;
}

// |sum window * residual * exp(-i rate tau)|: the windowed spectrum's
// magnitude at one frequency.
double spectrumAt(const Samples& samples, const std::vector<double>& window,
                  const std::vector<Complex>& residual, double rate)
{
    Complex sum = 0.0;
    for (size_t n = 0; n < residual.size(); ++n)
        sum += window[n] * residual[n] * std::polar(1.0, -rate * samples.tau[n]);
    return std::abs(sum);
}

// The strongest peak of the windowed spectrum: located on a zero-padded
// FFT over sample order (times equally spaced), then refined by golden
// section search within one bin. positiveOnly skips rates below minRate
// (for real signals, whose spectrum is symmetric). Peaks closer than half
// the spectral resolution to a rate already found are skipped: they are the
// leftovers of that term, and a second term there would only cancel the
// first with huge opposite amplitudes.
double strongestRate(const Samples& samples, const std::vector<double>& window,
                     const std::vector<Complex>& residual, bool positiveOnly, double minRate,
                     const std::vector<double>& found)
{
    const size_t count = residual.size();
    // Samples sorted by time, so that FFT bin k is a rate.
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return samples.tau[a] < samples.tau[b]; });
    size_t padded = 1;
    while (padded < spectrumOversampling * count)
        padded *= 2;
    std::vector<Complex> input(padded, 0.0);
    for (size_t n = 0; n < count; ++n)
        input[n] = window[order[n]] * residual[order[n]];
    std::vector<Complex> spectrum;
    Eigen::FFT<double> fft;
    fft.fwd(spectrum, input);

    // Bin k holds sum x_n exp(-2 pi i k n / padded), n the rank in time, so
    // it is the rate 2 pi k / (padded step).
    const double binRate = 2 * pi / (double(padded) * samples.step);
    const double separation = pi / (double(count) * samples.step);
    double bestRate = 0.0;
    double bestPower = -1.0;
    for (size_t k = 0; k < padded; ++k) {
        const double signedBin = k < padded / 2 ? double(k) : double(k) - double(padded);
        const double rate = signedBin * binRate;
        if ((positiveOnly && rate < minRate) || std::fabs(rate) > maxRate)
            continue;
        const double power = std::norm(spectrum[k]);
        if (power <= bestPower)
            continue;
        const bool nearFound = std::any_of(found.begin(), found.end(), [&](double known) {
            return std::fabs(known - rate) < separation;
        });
        if (nearFound)
            continue;
        if (power > bestPower) {
            bestPower = power;
            bestRate = rate;
        }
    }
    // Golden section search for the maximum within one bin either side.
    const double golden = (std::sqrt(5.0) - 1) / 2;
    double a = bestRate - binRate;
    double b = bestRate + binRate;
    double c = b - golden * (b - a);
    double d = a + golden * (b - a);
    double fc = spectrumAt(samples, window, residual, c);
    double fd = spectrumAt(samples, window, residual, d);
    for (int i = 0; i < goldenSectionSteps; ++i) {
        if (fc > fd) {
            b = d;
            d = c;
            fd = fc;
            c = b - golden * (b - a);
            fc = spectrumAt(samples, window, residual, c);
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + golden * (b - a);
            fd = spectrumAt(samples, window, residual, d);
        }
    }
    return (a + b) / 2;
}

// ---- Complex series: coefficients c_k of exp(i rate_k tau).

MatrixXd complexDesign(const Samples& samples, const std::vector<double>& rates)
{
    // Real form of the complex design: rows [Re; Im], columns [Re c, Im c].
    const Eigen::Index count = Eigen::Index(samples.tau.size());
    MatrixXd design(2 * count, 2 * rates.size());
    for (size_t k = 0; k < rates.size(); ++k) {
        for (Eigen::Index n = 0; n < count; ++n) {
            const double angle = rates[k] * samples.tau[n];
            const double cosine = samples.weight[size_t(n)] * std::cos(angle);
            const double sine = samples.weight[size_t(n)] * std::sin(angle);
            design(n, 2 * k) = cosine;
            design(count + n, 2 * k) = sine;
            design(n, 2 * k + 1) = -sine;
            design(count + n, 2 * k + 1) = cosine;
        }
    }
    return design;
}

// Values weighted in the real form [Re; Im].
VectorXd stacked(const Samples& samples, const std::vector<Complex>& values)
{
    const Eigen::Index count = Eigen::Index(values.size());
    VectorXd v(2 * count);
    for (Eigen::Index n = 0; n < count; ++n) {
        const double weight = samples.weight[size_t(n)];
        v(n) = weight * values[n].real();
        v(count + n) = weight * values[n].imag();
    }
    return v;
}

std::vector<Complex> complexModel(const Samples& samples, const std::vector<Complex>& coefficients,
                                  const std::vector<double>& rates)
{
    std::vector<Complex> model(samples.tau.size(), 0.0);
    for (size_t k = 0; k < rates.size(); ++k) {
        for (size_t n = 0; n < model.size(); ++n)
            model[n] += coefficients[k] * std::polar(1.0, rates[k] * samples.tau[n]);
    }
    return model;
}

std::vector<Complex> complexLeastSquares(const Samples& samples,
                                         const std::vector<Complex>& values,
                                         const std::vector<double>& rates)
{
    const VectorXd solution =
        complexDesign(samples, rates).colPivHouseholderQr().solve(stacked(samples, values));
    std::vector<Complex> coefficients(rates.size());
    for (size_t k = 0; k < rates.size(); ++k)
        coefficients[k] = Complex(solution(2 * k), solution(2 * k + 1));
    return coefficients;
}

// Weighted residual model - values in the real form [Re; Im] for parameters
// (Re c, Im c, rate) per term.
VectorXd complexResidual(const Samples& samples, const std::vector<Complex>& values,
                         const VectorXd& parameters)
{
    const size_t terms = size_t(parameters.size() / 3);
    std::vector<Complex> coefficients(terms);
    std::vector<double> rates(terms);
    for (size_t k = 0; k < terms; ++k) {
        coefficients[k] = Complex(parameters(3 * k), parameters(3 * k + 1));
        rates[k] = parameters(3 * k + 2);
    }
    std::vector<Complex> model = complexModel(samples, coefficients, rates);
    for (size_t n = 0; n < model.size(); ++n)
        model[n] -= values[n];
    return stacked(samples, model);
}

void complexJacobian(const Samples& samples, const VectorXd& parameters, MatrixXd& jacobian)
{
    const Eigen::Index count = Eigen::Index(samples.tau.size());
    const Eigen::Index terms = parameters.size() / 3;
    jacobian.resize(2 * count, 3 * terms);
    for (Eigen::Index k = 0; k < terms; ++k) {
        const double re = parameters(3 * k);
        const double im = parameters(3 * k + 1);
        const double rate = parameters(3 * k + 2);
        for (Eigen::Index n = 0; n < count; ++n) {
            const double tau = samples.tau[n];
            const double cosine = samples.weight[size_t(n)] * std::cos(rate * tau);
            const double sine = samples.weight[size_t(n)] * std::sin(rate * tau);
            jacobian(n, 3 * k) = cosine;
            jacobian(count + n, 3 * k) = sine;
            jacobian(n, 3 * k + 1) = -sine;
            jacobian(count + n, 3 * k + 1) = cosine;
            // d/d rate of c exp(i rate tau) = i tau c exp(i rate tau)
            jacobian(n, 3 * k + 2) = -tau * (re * sine + im * cosine);
            jacobian(count + n, 3 * k + 2) = tau * (re * cosine - im * sine);
        }
    }
}

// ---- Real series: mean + sum A_k cos(rate_k tau) + B_k sin(rate_k tau).

MatrixXd realDesign(const Samples& samples, const std::vector<double>& rates)
{
    const Eigen::Index count = Eigen::Index(samples.tau.size());
    MatrixXd design(count, 1 + 2 * rates.size());
    for (Eigen::Index n = 0; n < count; ++n)
        design(n, 0) = samples.weight[size_t(n)];
    for (size_t k = 0; k < rates.size(); ++k) {
        for (Eigen::Index n = 0; n < count; ++n) {
            const double weight = samples.weight[size_t(n)];
            design(n, 1 + 2 * k) = weight * std::cos(rates[k] * samples.tau[n]);
            design(n, 2 + 2 * k) = weight * std::sin(rates[k] * samples.tau[n]);
        }
    }
    return design;
}

// Model - values, unweighted.
VectorXd realResidual(const Samples& samples, const VectorXd& values, const VectorXd& parameters)
{
    // parameters: mean, then (A, B, rate) per term
    const Eigen::Index terms = (parameters.size() - 1) / 3;
    VectorXd residual = VectorXd::Constant(values.size(), parameters(0)) - values;
    for (Eigen::Index k = 0; k < terms; ++k) {
        const double a = parameters(1 + 3 * k);
        const double b = parameters(2 + 3 * k);
        const double rate = parameters(3 + 3 * k);
        for (Eigen::Index n = 0; n < values.size(); ++n) {
            const double angle = rate * samples.tau[n];
            residual(n) += a * std::cos(angle) + b * std::sin(angle);
        }
    }
    return residual;
}

VectorXd weightedRealResidual(const Samples& samples, const VectorXd& values,
                              const VectorXd& parameters)
{
    const Eigen::Map<const VectorXd> weight(samples.weight.data(), Eigen::Index(samples.weight.size()));
    return realResidual(samples, values, parameters).cwiseProduct(weight);
}

void realJacobian(const Samples& samples, const VectorXd& parameters, MatrixXd& jacobian)
{
    const Eigen::Index count = Eigen::Index(samples.tau.size());
    const Eigen::Index terms = (parameters.size() - 1) / 3;
    jacobian.resize(count, parameters.size());
    for (Eigen::Index n = 0; n < count; ++n)
        jacobian(n, 0) = samples.weight[size_t(n)];
    for (Eigen::Index k = 0; k < terms; ++k) {
        const double a = parameters(1 + 3 * k);
        const double b = parameters(2 + 3 * k);
        const double rate = parameters(3 + 3 * k);
        for (Eigen::Index n = 0; n < count; ++n) {
            const double tau = samples.tau[n];
            const double cosine = samples.weight[size_t(n)] * std::cos(rate * tau);
            const double sine = samples.weight[size_t(n)] * std::sin(rate * tau);
            jacobian(n, 1 + 3 * k) = cosine;
            jacobian(n, 2 + 3 * k) = sine;
            jacobian(n, 3 + 3 * k) = tau * (b * cosine - a * sine);
        }
    }
}

// Levenberg-Marquardt on all parameters: with J scaled to unit columns,
// (J'J + lambda I) delta = -J'r solved by Eigen's LDLT.
template <typename Residual, typename Jacobian>
VectorXd refineJointly(VectorXd parameters, int maxSteps, Residual residualOf,
                       Jacobian jacobianOf)
{
    VectorXd residual = residualOf(parameters);
    double cost = residual.squaredNorm();
    double lambda = 1e-4;
    MatrixXd jacobian;
    int step = 0;
    for (; step < maxSteps; ++step) {
        jacobianOf(parameters, jacobian);
        const Eigen::Index size = parameters.size();
        MatrixXd normal = MatrixXd::Zero(size, size);
        normal.selfadjointView<Eigen::Lower>().rankUpdate(jacobian.transpose());
        VectorXd scale = normal.diagonal().cwiseSqrt();
        for (Eigen::Index i = 0; i < size; ++i)
            scale(i) = scale(i) > 0 ? 1 / scale(i) : 1.0;
        normal.triangularView<Eigen::StrictlyUpper>() = normal.transpose();
        normal = scale.asDiagonal() * normal * scale.asDiagonal();
        const VectorXd gradient = scale.asDiagonal() * (jacobian.transpose() * residual);
        bool improved = false;
        const double previous = cost;
        while (lambda < 1e12) {
            MatrixXd damped = normal;
            damped.diagonal().array() += lambda;
            const VectorXd delta = scale.asDiagonal() * damped.ldlt().solve(-gradient);
            const VectorXd trial = parameters + delta;
            const VectorXd trialResidual = residualOf(trial);
            const double trialCost = trialResidual.squaredNorm();
            if (std::isfinite(trialCost) && trialCost < cost) {
                parameters = trial;
                residual = trialResidual;
                cost = trialCost;
                lambda = std::max(lambda / 5, 1e-12);
                improved = true;
                break;
            }
            lambda *= 4;
        }
        if (!improved || (previous - cost) < convergedCostChange * previous)
            break;
    }
    std::fprintf(stderr,
                 "  %ld parameters refined together in %d steps: weighted rms residual %.3g\n",
                 long(parameters.size()), step, std::sqrt(cost / double(residual.size())));
    return parameters;
}

std::vector<FitTerm> sortedByAmplitude(std::vector<FitTerm> terms)
{
    std::sort(terms.begin(), terms.end(),
              [](const FitTerm& a, const FitTerm& b) { return a.amplitude > b.amplitude; });
    return terms;
}

double wrapRadians(double angle)
{
    return std::remainder(angle, 2 * pi);
}

}  // namespace

std::vector<FitTerm> fitComplexSeries(const std::vector<double>& times,
                                      const std::vector<Complex>& values, int termCount)
{
    const Samples samples = centred(times);
    const std::vector<double> window = hannWindow(values.size());
    std::vector<double> rates;
    std::vector<Complex> coefficients;
    std::vector<Complex> residual = values;
    auto updateResidual = [&] {
        const std::vector<Complex> model = complexModel(samples, coefficients, rates);
        for (size_t n = 0; n < residual.size(); ++n)
            residual[n] = values[n] - model[n];
    };
    const double count = double(values.size());
    while (int(rates.size()) < termCount) {
        // Frequency analysis of the residual for the next stage's terms.
        const int stageEnd = std::min(termCount, int(rates.size()) + termsPerStage);
        for (int k = int(rates.size()); k < stageEnd; ++k) {
            const double rate = strongestRate(samples, window, residual, false, 0.0, rates);
            rates.push_back(rate);
            if ((k + 1) % termsPerLeastSquares == 0 || k + 1 == stageEnd) {
                coefficients = complexLeastSquares(samples, values, rates);
                updateResidual();
            } else {
                // Remove the new term's projection until the next joint solve.
                Complex projection = 0.0;
                for (size_t n = 0; n < residual.size(); ++n)
                    projection += residual[n] * std::polar(1.0, -rate * samples.tau[n]);
                projection /= count;
                for (size_t n = 0; n < residual.size(); ++n)
                    residual[n] -= projection * std::polar(1.0, rate * samples.tau[n]);
            }
        }
        // All terms so far refined together.
        const size_t terms = rates.size();
        VectorXd parameters(3 * terms);
        for (size_t k = 0; k < terms; ++k)
            parameters.segment<3>(3 * k) << coefficients[k].real(), coefficients[k].imag(), rates[k];
        parameters = refineJointly(
            parameters, stageEnd == termCount ? finalRefinementSteps : stageRefinementSteps,
            [&](const VectorXd& p) { return complexResidual(samples, values, p); },
            [&](const VectorXd& p, MatrixXd& j) { complexJacobian(samples, p, j); });
        for (size_t k = 0; k < terms; ++k) {
            coefficients[k] = Complex(parameters(3 * k), parameters(3 * k + 1));
            rates[k] = parameters(3 * k + 2);
        }
        updateResidual();
    }

    std::vector<FitTerm> terms;
    for (size_t k = 0; k < rates.size(); ++k) {
        // c exp(i rate (t - middle)) = |c| exp(i (rate t + arg c - rate middle))
        terms.push_back({std::abs(coefficients[k]), rates[k],
                         wrapRadians(std::arg(coefficients[k]) - rates[k] * samples.middle)});
    }
    return sortedByAmplitude(terms);
}

std::vector<FitTerm> fitRealSeries(const std::vector<double>& times,
                                   const std::vector<double>& values, int termCount, double& mean)
{
    const Samples samples = centred(times);
    const std::vector<double> window = hannWindow(values.size());
    const VectorXd data = Eigen::Map<const VectorXd>(values.data(), Eigen::Index(values.size()));
    const double span = samples.step * double(values.size());
    // A term slower than one cycle over the span cannot be told from the mean.
    const double minRate = 2 * pi / span;
    std::vector<double> rates;
    // mean, then the cosine and sine coefficients of each term
    VectorXd solution = VectorXd::Constant(1, data.mean());
    std::vector<Complex> residual(values.size());
    auto setResidual = [&](const VectorXd& rest) {
        for (size_t n = 0; n < residual.size(); ++n)
            residual[n] = rest(Eigen::Index(n));
    };
    setResidual(data.array() - solution(0));
    while (int(rates.size()) < termCount) {
        const int stageEnd = std::min(termCount, int(rates.size()) + termsPerStage);
        for (int k = int(rates.size()); k < stageEnd; ++k) {
            const double rate = strongestRate(samples, window, residual, true, minRate, rates);
            rates.push_back(rate);
            if ((k + 1) % termsPerLeastSquares == 0 || k + 1 == stageEnd) {
                const MatrixXd design = realDesign(samples, rates);
                const Eigen::Map<const VectorXd> weight(samples.weight.data(),
                                                        Eigen::Index(samples.weight.size()));
                solution = design.colPivHouseholderQr().solve(data.cwiseProduct(weight));
                setResidual(data - (design * solution).cwiseQuotient(weight));
            } else {
                // Remove the new term's cosine and sine projections.
                double c = 0.0;
                double s = 0.0;
                for (size_t n = 0; n < residual.size(); ++n) {
                    c += residual[n].real() * std::cos(rate * samples.tau[n]);
                    s += residual[n].real() * std::sin(rate * samples.tau[n]);
                }
                c *= 2 / double(residual.size());
                s *= 2 / double(residual.size());
                for (size_t n = 0; n < residual.size(); ++n)
                    residual[n] -= c * std::cos(rate * samples.tau[n]) +
                                   s * std::sin(rate * samples.tau[n]);
            }
        }
        const size_t terms = rates.size();
        VectorXd parameters(1 + 3 * terms);
        parameters(0) = solution(0);
        for (size_t k = 0; k < terms; ++k)
            parameters.segment<3>(1 + 3 * k) << solution(1 + 2 * k), solution(2 + 2 * k), rates[k];
        parameters = refineJointly(
            parameters, stageEnd == termCount ? finalRefinementSteps : stageRefinementSteps,
            [&](const VectorXd& p) { return weightedRealResidual(samples, data, p); },
            [&](const VectorXd& p, MatrixXd& j) { realJacobian(samples, p, j); });
        solution.resize(1 + 2 * Eigen::Index(terms));
        solution(0) = parameters(0);
        for (size_t k = 0; k < terms; ++k) {
            solution(1 + 2 * k) = parameters(1 + 3 * k);
            solution(2 + 2 * k) = parameters(2 + 3 * k);
            rates[k] = parameters(3 + 3 * k);
        }
        setResidual(-realResidual(samples, data, parameters));
    }

    mean = solution(0);
    std::vector<FitTerm> terms;
    for (size_t k = 0; k < rates.size(); ++k) {
        const double a = solution(1 + 2 * k);
        const double b = solution(2 + 2 * k);
        double rate = rates[k];
        // a cos(x) + b sin(x) = R cos(x - atan2(b, a)), x = rate (t - middle)
        double phase = -std::atan2(b, a) - rate * samples.middle;
        if (rate < 0) {  // cos is even: keep every rate positive
            rate = -rate;
            phase = -phase;
        }
        terms.push_back({std::hypot(a, b), rate, wrapRadians(phase)});
    }
    return sortedByAmplitude(terms);
}

FittedSeries fitElements(const std::vector<double>& times,
                         const std::vector<orbit::Elements>& records, int termCount)
{
    std::vector<Complex> z;
    std::vector<double> obliquity;
    for (const orbit::Elements& record : records) {
        z.push_back(std::polar(record.eccentricity, record.perihelion * radiansPerDegree));
        obliquity.push_back(record.obliquity);
    }
    FittedSeries series;
    series.eccentricity = fitComplexSeries(times, z, termCount);
    series.obliquity = fitRealSeries(times, obliquity, termCount, series.meanObliquity);
    return series;
}

orbit::Elements evaluateSeries(const FittedSeries& series, double kyr)
{
    double re = 0.0;
    double im = 0.0;
    for (const FitTerm& term : series.eccentricity) {
        const double angle = term.rate * kyr + term.phase;
        re += term.amplitude * std::cos(angle);
        im += term.amplitude * std::sin(angle);
    }
    double obliquity = series.meanObliquity;
    for (const FitTerm& term : series.obliquity)
        obliquity += term.amplitude * std::cos(term.rate * kyr + term.phase);
    return {std::hypot(re, im), obliquity, orbit::wrapDegrees(std::atan2(im, re) / radiansPerDegree), im};
}
