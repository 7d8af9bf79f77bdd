// paleoviz._core: the orbit, insolation and table libraries, callable from
// Python with NumPy arrays.
//
// A thin front end beside the tool paleoviz-insolation: every number comes
// from the same library functions as the tool's (insolation/quantities.h),
// and every check from the same insolation/request.h, so the two agree to
// the last bit and in every message. The arguments of a
// call broadcast with NumPy's rules; the work runs without the GIL on every
// core. Daily means go through the tool's grid kernel (LatitudeGrid): when
// the latitudes vary along one axis of the result and nothing else does,
// one grid of them serves every time and day, as in the tool's `daily`.
// The integrals over the year (integrated, monthly, annual) take the same
// path with such a latitude axis: every latitude at once, as the tool
// computes them (to about 1e-12 relatively of the one-latitude integral
// used element by element otherwise).
#include "insolation/daily_grid.h"
#include "insolation/quantities.h"
#include "insolation/request.h"
#include "insolation/year_insolation.h"
#include "math/constants.h"
#include "math/number_text.h"
#include "orbit/orbit_source.h"
#include "paleoviz_version.h"
#include "table/table.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
using insolation::Orbit;
using math::formatNumber;
using orbit::OrbitSource;
using namespace insolation;
using namespace table;

// One argument of a call, as doubles in C order.
struct Argument {
    std::string name;
    Doubles array;
    const double* data() const { return array.data(); }
    size_t size() const { return static_cast<size_t>(array.size()); }
};

Argument argument(const std::string& name, const py::object& value)
{
    Doubles array = Doubles::ensure(value);
    if (!array)
        throw py::value_error(name + ": " + std::string(py::repr(value)) + " is not a number or an array of numbers");
    return Argument{name, array};
}

// A problem the request checks found, raised as ValueError.
void raiseIf(const std::string& problem)
{
    if (!problem.empty())
        throw py::value_error(problem);
}

// Every value within [lowest, highest], the tool's limits for its option.
void checkRange(const Argument& a, double lowest, double highest)
{
    raiseIf(rangeProblem(a.name, a.data(), a.size(), lowest, highest));
}

void checkFinite(const Argument& a)
{
    raiseIf(finiteProblem(a.name, a.data(), a.size()));
}

void checkSolarConstant(double s0)
{
    raiseIf(solarConstantProblem(pythonNames.solarConstant, s0));
}

// True longitudes within a turn, calendar days within a year, as the tool's.
void checkLongitudeOrDay(const Argument& a, bool byDay, const DayCalendar& calendar = DayCalendar())
{
    raiseIf(longitudeOrDayProblem(pythonNames, a.data(), a.size(), byDay, calendar));
}

// The orbit a call names; insolation needs all three elements, so an
// eccentricity-only solution is refused for it, as by the tool.
OrbitSource openOrbit(const std::string& choice, bool forInsolation = true)
{
    OrbitSource source;
    std::string error;
    if (!source.open(choice, error))
        throw py::value_error(error);
    if (forInsolation && !source.insolationProblem().empty())
        throw py::value_error("orbit: " + source.insolationProblem());
    return source;
}

// The shape of a call's result and, per argument, its step along each axis
// of the result in its own values (0 where it is broadcast).
struct Layout {
    std::vector<size_t> shape;
    std::vector<std::vector<size_t>> steps;
    size_t size = 1;
};

std::string shapeText(const Doubles& a)
{
    std::string text = "(";
    for (py::ssize_t k = 0; k < a.ndim(); ++k)
        text += (k ? ", " : "") + std::to_string(a.shape(k));
    return text + (a.ndim() == 1 ? ",)" : ")");
}

Layout broadcast(const std::vector<const Argument*>& args)
{
    Layout l;
    size_t ndim = 0;
    for (const Argument* a : args)
        ndim = std::max(ndim, static_cast<size_t>(a->array.ndim()));
    l.shape.assign(ndim, 1);
    for (const Argument* a : args) {
        const size_t offset = ndim - a->array.ndim();
        for (py::ssize_t k = 0; k < a->array.ndim(); ++k) {
            const size_t n = a->array.shape(k);
            size_t& s = l.shape[offset + k];
            if (n != s && n != 1 && s != 1) {
                std::string message = "shapes cannot be broadcast together:";
                for (const Argument* b : args)
                    message += " " + b->name + " " + shapeText(b->array);
                throw py::value_error(message);
            }
            if (n != 1)
                s = n;
        }
    }
    for (const Argument* a : args) {
        std::vector<size_t> steps(ndim, 0);
        const size_t offset = ndim - a->array.ndim();
        size_t step = 1;
        for (py::ssize_t k = a->array.ndim() - 1; k >= 0; --k) {
            const size_t n = a->array.shape(k);
            steps[offset + k] = n == 1 ? 0 : step;
            step *= n;
        }
        l.steps.push_back(steps);
    }
    for (size_t n : l.shape)
        l.size *= n;
    return l;
}

// Calls f(flat, offsets) for the result's elements begin..end in C order,
// offsets[a] being argument a's value for the element.
template <class F>
void visit(const Layout& l, size_t begin, size_t end, F&& f)
{
    const size_t ndim = l.shape.size(), nargs = l.steps.size();
    std::vector<size_t> index(ndim), offsets(nargs, 0);
    size_t rest = begin;
    for (size_t k = ndim; k-- > 0;) {
        index[k] = rest % l.shape[k];
        rest /= l.shape[k];
        for (size_t a = 0; a < nargs; ++a)
            offsets[a] += index[k] * l.steps[a][k];
    }
    for (size_t flat = begin; flat < end; ++flat) {
        f(flat, offsets.data());
        for (size_t k = ndim; k-- > 0;) {
            for (size_t a = 0; a < nargs; ++a)
                offsets[a] += l.steps[a][k];
            if (++index[k] < l.shape[k])
                break;
            for (size_t a = 0; a < nargs; ++a)
                offsets[a] -= l.steps[a][k] * l.shape[k];
            index[k] = 0;
        }
    }
}

// How often the calling thread looks for a signal (Ctrl-C) during a call.
constexpr auto signalInterval = std::chrono::milliseconds(100);

// f(begin, end) over 0..n in pieces of `grain`, taken by whichever of the
// cores' threads is free. f must not throw. Called without the GIL: between
// its pieces the calling thread takes the GIL for a moment, at most every
// signalInterval, to run Python's signal handlers, so that Ctrl-C stops a
// long call within a fraction of a second (raising KeyboardInterrupt).
template <class F>
void parallelFor(size_t n, size_t grain, F&& f)
{
    const size_t pieces = (n + grain - 1) / grain;
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t threads = std::min(cores, pieces);
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    const auto work = [&](bool caller) {
        auto lastCheck = std::chrono::steady_clock::now();
        for (size_t p = next.fetch_add(1); p < pieces && !stop; p = next.fetch_add(1)) {
            f(p * grain, std::min(n, (p + 1) * grain));
            if (!caller || std::chrono::steady_clock::now() - lastCheck < signalInterval)
                continue;
            lastCheck = std::chrono::steady_clock::now();
            py::gil_scoped_acquire hold;
            if (PyErr_CheckSignals() != 0)
                stop = true;
        }
    };
    std::vector<std::thread> helpers;
    for (size_t k = 1; k < threads; ++k)
        helpers.emplace_back(work, false);
    work(true);
    for (std::thread& t : helpers)
        t.join();
    if (stop) {
        py::gil_scoped_acquire hold;
        throw py::error_already_set();
    }
}

void checkSpan(const OrbitSource& source, const Argument& time)
{
    for (size_t i = 0; i < time.size(); ++i)
        if (!source.covers(time.data()[i]))
            throw py::value_error(time.name + ": " + source.outsideSpanMessage(time.data()[i]));
}

// The first argument of every call: times of a source, or orbits given by
// hand. arg carries its shape into the broadcast; orbits[i] is the orbit
// of its element i.
struct Rows {
    Argument arg;
    std::vector<orbit::Elements> elements;
    std::vector<Orbit> orbits;
    bool eccentricityOnly = false;  // the others are NaN
};

// Orbits given by hand: a tuple (eccentricity, obliquity_deg,
// perihelion_deg) of arrays of one shape (paleoviz.Orbit broadcasts them),
// checked as series records are.
Rows handRows(const py::tuple& given)
{
    if (given.size() != 3)
        throw py::value_error("orbit: needs eccentricity, obliquity_deg and perihelion_deg");
    const Argument e = argument("eccentricity", given[0]), obl = argument("obliquity_deg", given[1]),
                   varpi = argument("perihelion_deg", given[2]);
    if (e.array.request().shape != obl.array.request().shape
        || e.array.request().shape != varpi.array.request().shape)
        throw py::value_error("orbit: eccentricity, obliquity_deg and perihelion_deg differ in shape");
    Rows rows{e, {}, {}, false};
    for (size_t i = 0; i < e.size(); ++i) {
        const std::string problem = orbit::elementsProblem(e.data()[i], obl.data()[i], varpi.data()[i]);
        if (!problem.empty())
            throw py::value_error("orbit: " + problem);
        const double w = orbit::wrapDegrees(varpi.data()[i]);
        rows.elements.push_back(orbit::Elements{e.data()[i], w, obl.data()[i],
                                                e.data()[i] * std::sin(w * math::radiansPerDegree)});
        rows.orbits.push_back(toOrbit(rows.elements.back()));
    }
    return rows;
}

// The elements and orbit at each time, after checking that the source
// covers it; or the orbits given by hand.
// Insolation needs all three elements; elements() alone takes a solution
// of eccentricity alone (forInsolation false).
Rows rowsOf(const py::object& first, const std::string& orbitName, bool forInsolation = true)
{
    if (py::isinstance<py::tuple>(first))
        return handRows(py::reinterpret_borrow<py::tuple>(first));
    const OrbitSource source = openOrbit(orbitName, forInsolation);
    Rows rows{argument("time_kyr", first), {}, {}, !source.insolationProblem().empty()};
    const Argument& time = rows.arg;
    checkSpan(source, time);
    rows.elements.resize(time.size());
    rows.orbits.resize(time.size());
    py::gil_scoped_release release;
    parallelFor(time.size(), 64, [&](size_t begin, size_t end) {
        for (size_t i = begin; i < end; ++i) {
            rows.elements[i] = source.at(time.data()[i]);
            rows.orbits[i] = toOrbit(rows.elements[i]);
        }
    });
    return rows;
}

bool allScalars(const std::vector<const Argument*>& args)
{
    for (const Argument* a : args)
        if (a->array.ndim() != 0)
            return false;
    return true;
}

// A result: a float when every argument was a scalar (and no trailing axis).
py::object result(py::array array, bool scalar)
{
    if (scalar && array.ndim() == 0)
        return py::float_(*static_cast<const double*>(array.data()));
    return std::move(array);
}

// The outputs of a call: `outputs` arrays of the broadcast shape, each with
// `trailing` values per element when trailing > 1; data gets their buffers.
std::vector<py::array_t<double>> outputArrays(const Layout& layout, size_t outputs, size_t trailing,
                                              std::vector<double*>& data)
{
    std::vector<py::ssize_t> shape(layout.shape.begin(), layout.shape.end());
    if (trailing > 1)
        shape.push_back(static_cast<py::ssize_t>(trailing));
    std::vector<py::array_t<double>> out;
    for (size_t k = 0; k < outputs; ++k) {
        out.emplace_back(shape);
        data.push_back(out.back().mutable_data());
    }
    return out;
}

// The quantities computed element by element: args[0] is the rows' (time
// or orbit) argument, the kernel gets the element's orbit, the other
// arguments' values and one pointer per output (to `trailing` values each).
template <class Kernel>
std::vector<py::array_t<double>> elementwise(const Rows& rows, const std::vector<const Argument*>& args,
                                             size_t outputs, size_t trailing, size_t grain, Kernel kernel)
{
    const Layout layout = broadcast(args);
    std::vector<double*> data;
    std::vector<py::array_t<double>> out = outputArrays(layout, outputs, trailing, data);
    py::gil_scoped_release release;
    parallelFor(layout.size, grain, [&](size_t begin, size_t end) {
        std::vector<double> values(args.size());
        std::vector<double*> at(outputs);
        visit(layout, begin, end, [&](size_t flat, const size_t* offsets) {
            for (size_t a = 1; a < args.size(); ++a)
                values[a] = args[a]->data()[offsets[a]];
            for (size_t k = 0; k < outputs; ++k)
                at[k] = data[k] + flat * trailing;
            kernel(rows.orbits[offsets[0]], values.data(), at.data());
        });
    });
    return out;
}

py::dict elements(const py::object& time, const std::string& orbit)
{
    const Rows rows = rowsOf(time, orbit, false);
    const Argument& t = rows.arg;
    const std::vector<py::ssize_t> shape(t.array.shape(), t.array.shape() + t.array.ndim());
    const char* names[] = {"eccentricity", "perihelion_deg", "obliquity_deg", "precession_index"};
    // An eccentricity-only solution gives that key alone.
    const int keys = rows.eccentricityOnly ? 1 : 4;
    py::dict d;
    for (int k = 0; k < keys; ++k) {
        py::array_t<double> out(shape);
        double* data = out.mutable_data();
        for (size_t i = 0; i < t.size(); ++i) {
            const orbit::Elements& e = rows.elements[i];
            const double row[] = {e.eccentricity, e.perihelion, e.obliquity, e.precessionIndex};
            data[i] = row[k];
        }
        d[names[k]] = result(out, t.array.ndim() == 0);
    }
    return d;
}

// True longitudes in degrees or calendar days: exactly one of them.
const char* longitudeOrDay(const char* function, const py::object& lon, const py::object& day)
{
    if (lon.is_none() == day.is_none())
        throw py::value_error(std::string(function) + (lon.is_none()
            ? " needs true longitudes (lon_deg) or calendar days (day)"
            : " takes true longitudes (lon_deg) or calendar days (day), not both"));
    return lon.is_none() ? "day" : "lon_deg";
}

DayCalendar calendarOf(double yearDays, double equinoxDay, bool dayMean)
{
    DayCalendar c;
    c.yearDays = yearDays;
    c.equinoxDay = equinoxDay;
    c.dayMean = dayMean;
    raiseIf(calendarProblem(c, pythonNames.yearDays, pythonNames.equinoxDay));
    return c;
}

// What the daily means of one call share.
struct DailyCall {
    const std::vector<Orbit>& orbits;
    const Argument& lat;
    const Argument& third;
    bool byDay;
    DayCalendar calendar;
    double s0;
};

// The axes of `layout` other than `axis`, with the result's own steps as
// one more argument (the last); stride: the result's step along `axis`.
Layout outerLayout(const Layout& layout, size_t axis, size_t& stride)
{
    const size_t nargs = layout.steps.size();
    Layout outer;
    outer.steps.resize(nargs + 1);
    size_t resultStep = 1;
    std::vector<size_t> resultSteps(layout.shape.size());
    for (size_t k = layout.shape.size(); k-- > 0;) {
        resultSteps[k] = resultStep;
        resultStep *= layout.shape[k];
    }
    for (size_t k = 0; k < layout.shape.size(); ++k) {
        if (k == axis) {
            stride = resultSteps[k];
            continue;
        }
        outer.shape.push_back(layout.shape[k]);
        for (size_t a = 0; a < nargs; ++a)
            outer.steps[a].push_back(layout.steps[a][k]);
        outer.steps[nargs].push_back(resultSteps[k]);
        outer.size *= layout.shape[k];
    }
    return outer;
}

// The latitudes (argument 1) along `axis`, as a grid for the kernel.
insolation::LatitudeGrid latitudeGridOf(const Layout& layout, const Argument& lat, size_t axis)
{
    std::vector<double> radians;
    for (size_t k = 0; k < layout.shape[axis]; ++k)
        radians.push_back(lat.data()[k * layout.steps[1][axis]] * math::radiansPerDegree);
    return insolation::LatitudeGrid(radians);
}

// Rows of the latitude grid whose results lie side by side (the
// latitudes not the last axis, as in (time, lat, lon)) are made this many
// at a time in a block of our own and written out across: a run of
// neighbouring values per latitude instead of one value every `stride`.
constexpr size_t rowsAcross = 64;

template <class T>
void dailyGrid(const Layout& layout, const DailyCall& call, size_t axis, T* out)
{
    // One grid of the latitudes along the axis for every (time, day).
    const insolation::LatitudeGrid grid = latitudeGridOf(layout, call.lat, axis);
    const size_t n = grid.size();
    size_t stride = 1;
    const Layout outer = outerLayout(layout, axis, stride);
    parallelFor(outer.size, 256, [&](size_t begin, size_t end) {
        std::vector<T> block(stride == 1 ? 0 : rowsAcross * n);
        size_t rows = 0, first = 0;  // the block's rows and the first one's result offset
        const auto flush = [&] {
            for (size_t k = 0; k < n; ++k) {
                T* to = out + first + k * stride;
                for (size_t r = 0; r < rows; ++r)
                    to[r] = block[r * n + k];
            }
            rows = 0;
        };
        visit(outer, begin, end, [&](size_t, const size_t* offsets) {
            const Orbit& o = call.orbits[offsets[0]];
            const double lambda = trueLongitudeOf(o, call.third.data()[offsets[2]], call.byDay, call.calendar);
            const insolation::DayGeometry day = insolation::dayGeometry(o, call.s0, lambda);
            if (stride == 1) {
                grid.dailyMeans(day, out + offsets[3]);
                return;
            }
            if (rows > 0 && (rows == rowsAcross || offsets[3] != first + rows))
                flush();
            if (rows == 0)
                first = offsets[3];
            grid.dailyMeans(day, block.data() + rows * n);
            ++rows;
        });
        if (rows > 0)
            flush();
    });
}

template <class T>
void dailyEach(const Layout& layout, const DailyCall& call, T* out)
{
    const bool dayMean = call.byDay && call.calendar.dayMean;
    parallelFor(layout.size, dayMean ? 16 : 4096, [&](size_t begin, size_t end) {
        visit(layout, begin, end, [&](size_t flat, const size_t* offsets) {
            const Orbit& o = call.orbits[offsets[0]];
            const double x = call.third.data()[offsets[2]], lat = call.lat.data()[offsets[1]];
            if (dayMean) {
                out[flat] = static_cast<T>(dailyValueOfDay(o, call.s0, lat, x, call.calendar));
                return;
            }
            const double lambda = trueLongitudeOf(o, x, call.byDay, call.calendar);
            out[flat] = static_cast<T>(insolation::LatitudeGrid::dailyMeanAt(
                insolation::dayGeometry(o, call.s0, lambda), lat * math::radiansPerDegree));
        });
    });
}

// The one axis along which the latitudes vary and nothing else does, or
// none (-1) when there is no such axis longer than 1.
long latitudeAxis(const Layout& layout)
{
    long axis = -1;
    for (size_t k = 0; k < layout.shape.size(); ++k) {
        if (layout.steps[1][k] == 0)
            continue;
        if (axis >= 0)
            return -1;
        for (size_t a = 0; a < layout.steps.size(); ++a)
            if (a != 1 && layout.steps[a][k] != 0)
                return -1;
        axis = static_cast<long>(k);
    }
    return axis;
}

// The array `out` names, when it can take a result of this shape: C order,
// writeable, float64 or float32 (and dtype, if given, the same).
py::array resultArray(const py::object& out, const py::object& dtype, const std::vector<py::ssize_t>& shape)
{
    if (!py::isinstance<py::array>(out))
        throw py::value_error("out: not a numpy.ndarray");
    py::array a = py::reinterpret_borrow<py::array>(out);
    const std::vector<py::ssize_t> given(a.shape(), a.shape() + a.ndim());
    if (given != shape)
        throw py::value_error("out: shape " + std::string(py::str(py::object(py::cast(given))))
                              + " is not the result's " + std::string(py::str(py::object(py::cast(shape)))));
    if (!(a.flags() & py::array::c_style) || !a.writeable())
        throw py::value_error("out: not a writeable array in C order");
    if (!dtype.is_none() && !a.dtype().equal(py::dtype::from_args(dtype)))
        throw py::value_error("out: its dtype is not dtype");
    return a;
}

py::object dailyInsolation(const py::object& time, const py::object& lat, const py::object& lon,
                           const py::object& day, const std::string& orbit, double s0, const py::object& dtype,
                           const py::object& outArray, double yearDays, double equinoxDay, bool dayMean)
{
    const char* thirdName = longitudeOrDay("daily_insolation", lon, day);
    const bool byDay = lon.is_none();
    checkSolarConstant(s0);
    const DayCalendar calendar = calendarOf(yearDays, equinoxDay, dayMean);
    const py::dtype type = !outArray.is_none() && py::isinstance<py::array>(outArray)
                               ? py::reinterpret_borrow<py::array>(outArray).dtype()
                               : dtype.is_none() ? py::dtype::of<double>() : py::dtype::from_args(dtype);
    const bool single = type.equal(py::dtype::of<float>());
    if (!single && !type.equal(py::dtype::of<double>()))
        throw py::value_error("dtype: " + std::string(py::str(py::object(type))) + " is neither float64 nor float32");
    const Argument phi = argument("lat_deg", lat), third = argument(thirdName, byDay ? day : lon);
    checkRange(phi, -90, 90);
    checkLongitudeOrDay(third, byDay, calendar);
    const Rows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi, &third};
    const Layout layout = broadcast(args);
    const std::vector<py::ssize_t> shape(layout.shape.begin(), layout.shape.end());
    const long axis = latitudeAxis(layout);
    const bool grid = axis >= 0 && layout.shape[axis] > 1 && !(byDay && dayMean);
    const DailyCall call{rows.orbits, phi, third, byDay, calendar, s0};
    const auto run = [&](auto* out) {
        py::gil_scoped_release release;
        if (grid)
            dailyGrid(layout, call, static_cast<size_t>(axis), out);
        else
            dailyEach(layout, call, out);
    };
    if (!outArray.is_none()) {
        py::array out = resultArray(outArray, dtype, shape);
        if (single)
            run(static_cast<float*>(out.mutable_data()));
        else
            run(static_cast<double*>(out.mutable_data()));
        return std::move(out);
    }
    if (single) {
        py::array_t<float> out(shape);
        run(out.mutable_data());
        return std::move(out);
    }
    py::array_t<double> out(shape);
    run(out.mutable_data());
    return result(out, allScalars(args));
}

// The quantities computed a whole row of latitudes at a time (the grid
// kernel), when the latitudes (args[1]) vary along one axis longer than 1
// and nothing else does; otherwise none (empty). fill(orbit, values, grid,
// row, scratch) writes latitude k's outputs to row[k * outputs * trailing
// + output * trailing + m].
template <class Fill>
std::vector<py::array_t<double>> latitudeWise(const Rows& rows, const std::vector<const Argument*>& args,
                                              size_t outputs, size_t trailing, Fill fill)
{
    const Layout layout = broadcast(args);
    const long found = latitudeAxis(layout);
    if (found < 0 || layout.shape[static_cast<size_t>(found)] < 2)
        return {};
    const size_t axis = static_cast<size_t>(found);
    const insolation::LatitudeGrid grid = latitudeGridOf(layout, *args[1], axis);
    size_t stride = 1;
    const Layout outer = outerLayout(layout, axis, stride);
    std::vector<double*> data;
    std::vector<py::array_t<double>> out = outputArrays(layout, outputs, trailing, data);
    const size_t width = outputs * trailing;
    py::gil_scoped_release release;
    parallelFor(outer.size, 1, [&](size_t begin, size_t end) {
        std::vector<double> values(args.size()), row(grid.size() * width);
        insolation::GridScratch scratch;
        visit(outer, begin, end, [&](size_t, const size_t* offsets) {
            for (size_t a = 2; a < args.size(); ++a)
                values[a] = args[a]->data()[offsets[a]];
            fill(rows.orbits[offsets[0]], values.data(), grid, row.data(), scratch);
            const size_t base = offsets[args.size()];
            for (size_t k = 0; k < grid.size(); ++k)
                for (size_t v = 0; v < width; ++v)
                    data[v / trailing][(base + k * stride) * trailing + v % trailing] = row[k * width + v];
        });
    });
    return out;
}

py::object tupleOf(const std::vector<py::array_t<double>>& out, bool scalar)
{
    py::tuple t(out.size());
    for (size_t k = 0; k < out.size(); ++k)
        t[k] = result(out[k], scalar);
    return std::move(t);
}

py::object integratedInsolation(const py::object& time, const py::object& lat, const py::object& start,
                                const py::object& end, const std::string& orbit, double s0)
{
    checkSolarConstant(s0);
    const Argument phi = argument("lat_deg", lat), a = argument("start_deg", start), b = argument("end_deg", end);
    checkRange(phi, -90, 90);
    // Within one turn, as longitudes are everywhere else.
    checkRange(a, 0, degreesPerTurn);
    checkRange(b, 0, degreesPerTurn);
    const Rows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi, &a, &b};
    auto out = latitudeWise(rows, args, 3, 1, [&](const Orbit& o, const double* x, const LatitudeGrid& grid,
                                                  double* row, GridScratch& scratch) {
        integratedGrid(o, s0, grid, x[2], x[3], row, scratch);
    });
    if (out.empty())
        out = elementwise(rows, args, 3, 1, 1, [&](const Orbit& o, const double* x, double* const* at) {
            double row[3];
            integratedValues(o, s0, x[1], x[2], x[3], row);
            for (int k = 0; k < 3; ++k)
                *at[k] = row[k];
        });
    return tupleOf(out, allScalars(args));
}

py::object thresholdEnergy(const py::object& time, const py::object& lat, const py::object& threshold,
                           const std::string& orbit, double s0)
{
    checkSolarConstant(s0);
    const Argument phi = argument("lat_deg", lat), tau = argument("threshold", threshold);
    checkRange(phi, -90, 90);
    checkFinite(tau);
    const Rows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi, &tau};
    const auto out = elementwise(rows, args, 2, 1, 1, [&](const Orbit& o, const double* x, double* const* at) {
        double row[2];
        thresholdValues(o, s0, x[1], x[2], row);
        *at[0] = row[0];
        *at[1] = row[1];
    });
    return tupleOf(out, allScalars(args));
}

py::dict caloricHalfYear(const py::object& time, const py::object& lat, const std::string& orbit, double s0)
{
    checkSolarConstant(s0);
    const Argument phi = argument("lat_deg", lat);
    checkRange(phi, -90, 90);
    const Rows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi};
    const auto out = elementwise(rows, args, caloricValueCount, 1, 1,
                                 [&](const Orbit& o, const double* x, double* const* at) {
                                     double row[caloricValueCount];
                                     caloricValues(o, s0, x[1], row);
                                     for (int k = 0; k < caloricValueCount; ++k)
                                         *at[k] = row[k];
                                 });
    const char* names[caloricValueCount] = {"summer_energy", "summer_mean", "summer_start", "summer_end",
                                            "winter_energy", "winter_mean", "winter_start", "winter_end"};
    py::dict d;
    for (int k = 0; k < caloricValueCount; ++k)
        d[names[k]] = result(out[k], allScalars(args));
    return d;
}

insolation::Calendar calendarNamed(const std::string& name)
{
    if (name != "equinox" && name != "angular")
        throw py::value_error("calendar: " + name + " not in {equinox,angular}");
    return insolation::calendarOf(name);
}

py::object monthlyInsolation(const py::object& time, const py::object& lat, const std::string& calendar,
                             const std::string& orbit, double s0)
{
    const insolation::Calendar c = calendarNamed(calendar);
    checkSolarConstant(s0);
    const Argument phi = argument("lat_deg", lat);
    checkRange(phi, -90, 90);
    const Rows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi};
    auto out = latitudeWise(rows, args, 1, insolation::monthCount,
                            [&](const Orbit& o, const double*, const LatitudeGrid& grid, double* row,
                                GridScratch& scratch) { monthlyGrid(o, s0, grid, c, row, scratch); });
    if (out.empty())
        out = elementwise(rows, args, 1, insolation::monthCount, 1,
                          [&](const Orbit& o, const double* x, double* const* at) {
                              monthlyValues(o, s0, x[1], c, at[0]);
                          });
    return std::move(out[0]);
}

py::object instantInsolation(const py::object& time, const py::object& lat, const py::object& lon,
                             const py::object& hour, const py::object& day, const std::string& orbit, double s0,
                             double yearDays, double equinoxDay)
{
    const char* thirdName = longitudeOrDay("instant_insolation", lon, day);
    const bool byDay = lon.is_none();
    if (hour.is_none())
        throw py::value_error("instant_insolation needs local solar times (hour)");
    checkSolarConstant(s0);
    const DayCalendar calendar = calendarOf(yearDays, equinoxDay, false);
    const Argument phi = argument("lat_deg", lat), third = argument(thirdName, byDay ? day : lon),
                   h = argument("hour", hour);
    checkRange(phi, -90, 90);
    checkLongitudeOrDay(third, byDay, calendar);
    checkRange(h, 0, hoursPerDay);
    const Rows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi, &third, &h};
    const auto out = elementwise(rows, args, 1, 1, 1024, [&](const Orbit& o, const double* x, double* const* at) {
        *at[0] = instantValue(o, s0, x[1], trueLongitudeOf(o, x[2], byDay, calendar), x[3]);
    });
    return result(out[0], allScalars(args));
}

py::object annualInsolation(const py::object& time, const py::object& lat, const std::string& orbit, double s0)
{
    checkSolarConstant(s0);
    const Argument phi = argument("lat_deg", lat);
    checkRange(phi, -90, 90);
    const Rows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi};
    auto out = latitudeWise(rows, args, 1, 1, [&](const Orbit& o, const double*, const LatitudeGrid& grid,
                                                double* row, GridScratch& scratch) {
        annualGrid(o, s0, grid, row, scratch);
    });
    if (out.empty())
        out = elementwise(rows, args, 1, 1, 1, [&](const Orbit& o, const double* x, double* const* at) {
            *at[0] = annualValue(o, s0, x[1]);
        });
    return result(out[0], allScalars(args));
}

// Calendar conversions: what = "true_longitude" (value: days), "calendar_day"
// (value: true longitudes in degrees) or "perihelion_day" (value unused).
py::object calendarConversion(const std::string& what, const py::object& time, const py::object& value,
                              const std::string& orbit, double yearDays, double equinoxDay)
{
    const DayCalendar calendar = calendarOf(yearDays, equinoxDay, false);
    const bool byDay = what == "true_longitude";
    const Argument x = argument(byDay ? "day" : "lon_deg", value.is_none() ? py::object(py::float_(0.0)) : value);
    if (what != "perihelion_day")
        checkLongitudeOrDay(x, byDay, calendar);
    const Rows rows = rowsOf(time, orbit);
    std::vector<const Argument*> args{&rows.arg};
    if (what != "perihelion_day")
        args.push_back(&x);
    const auto out = elementwise(rows, args, 1, 1, 256, [&](const Orbit& o, const double* v, double* const* at) {
        if (what == "perihelion_day")
            *at[0] = perihelionDay(o, calendar);
        else if (byDay)
            *at[0] = longitudeDegrees(trueLongitudeOfDay(o, v[1], calendar));
        else
            *at[0] = calendarDayOf(o, v[1], calendar);
    });
    return result(out[0], allScalars(args));
}

py::list solutions()
{
    py::list list;
    for (int k = 0; k < orbit::solutionCount; ++k) {
        const orbit::SolutionInfo& info = orbit::solutionRegistry[k];
        py::dict d;
        d["key"] = info.key;
        d["name"] = info.name;
        d["citation"] = info.citation;
        d["origin"] = info.origin;
        d["span_kyr"] = py::make_tuple(info.span.oldest, info.span.newest);
        d["elements"] = info.available == orbit::Availability::allElements
                            ? py::make_tuple("eccentricity", "perihelion_deg", "obliquity_deg",
                                             "precession_index")
                            : py::make_tuple("eccentricity");
        d["reliable_span_kyr"] = py::make_tuple(info.reliableOldest, info.span.newest);
        d["reliable_oldest_kyr"] = info.reliableOldest;
        d["reliability_note"] = info.reliabilityNote;
        list.append(d);
    }
    return list;
}

// What the tool's NetCDF output of a request holds: its global attributes,
// axes and variables, for the xarray results.
py::dict describe(const std::string& command, const std::vector<double>& times,
                  const std::vector<double>& latitudes, const std::vector<double>& third, bool byDay,
                  double instantAt,
                  const std::string& orbit, double s0, const std::string& calendar, double threshold,
                  double start, double end, const std::vector<std::vector<double>>& orbits, double yearDays,
                  double equinoxDay, bool dayMean)
{
    OrbitSource source;
    Request r;
    if (orbits.empty()) {
        source = openOrbit(orbit, command != "elements");
    } else {
        for (const std::vector<double>& o : orbits) {
            std::string error;
            if (o.size() != 3 || !source.setElements(o[0], o[1], o[2], error))
                throw py::value_error("orbit: " + error);
            r.orbits.push_back(source.at(0));
        }
        source.citation = "each element's orbit as given by paleoviz.Orbit";
    }
    r.dayCalendar = calendarOf(yearDays, equinoxDay, dayMean);
    r.command = command;
    r.times = times;
    r.latitudes = latitudes;
    // The third axis: the hours of `instant` (its one day or longitude is
    // `day`), else the days or true longitudes.
    if (command == "instant") {
        r.hours = third;
        (byDay ? r.days : r.longitudes) = {instantAt};
    } else {
        (byDay ? r.days : r.longitudes) = third;
    }
    r.solarConstant = s0;
    r.calendar = calendar;
    r.threshold = threshold;
    r.start = start;
    r.end = end;
    const Table table = describeTable(r, source);
    py::dict d;
    py::list attributes;
    attributes.append(py::make_tuple("Conventions", "CF-1.8"));
    attributes.append(py::make_tuple("title", table.title));
    for (const auto& a : table.attributes)
        attributes.append(py::make_tuple(a.first, a.second));
    attributes.append(py::make_tuple("version", std::string("paleoviz ") + paleovizVersion + " (Python module)"));
    for (const NumberAttribute& n : table.numbers) {
        attributes.append(py::make_tuple(n.name, n.value));
        attributes.append(py::make_tuple(n.name + "_units", n.units));
    }
    d["attributes"] = attributes;
    py::list axes;
    for (const Axis* a : {&table.time, &table.latitude, &table.third}) {
        if (a->values.empty())
            continue;
        py::dict x;
        x["name"] = a->name;
        x["long_name"] = a->longName;
        x["units"] = a->units;
        x["standard_name"] = a->standardName;
        x["axis"] = a->cfAxis;
        x["values"] = a->values;
        axes.append(x);
    }
    d["axes"] = axes;
    py::list variables;
    for (const Variable& v : table.variables) {
        py::dict x;
        x["name"] = v.name;
        x["long_name"] = v.longName;
        x["units"] = v.units;
        x["standard_name"] = v.standardName;
        x["rank"] = v.extent == Extent::time ? 1 : v.extent == Extent::latitude ? 2 : 3;
        variables.append(x);
    }
    d["variables"] = variables;
    return d;
}

}  // namespace

PYBIND11_MODULE(_core, m)
{
    m.doc() = "paleoviz's insolation library; see the package paleoviz for the documented functions.";
    m.attr("__version__") = paleovizVersion;
    using py::arg;
    const char* la2004 = orbit::solutionRegistry[0].key;  // the default solution
    const double s0 = math::defaultSolarConstant;
    m.def("elements", &elements, arg("time_kyr"), arg("orbit") = la2004);
    m.def("daily_insolation", &dailyInsolation, arg("time_kyr"), arg("lat_deg"), arg("lon_deg") = py::none(),
          py::kw_only(), arg("day") = py::none(), arg("orbit") = la2004, arg("solar_constant") = s0,
          arg("dtype") = py::none(), arg("out") = py::none(), arg("year_days") = insolation::yearDays,
          arg("equinox_day") = insolation::equinoxDay, arg("day_mean") = false);
    m.def("integrated_insolation", &integratedInsolation, arg("time_kyr"), arg("lat_deg"), arg("start_deg"),
          arg("end_deg"), py::kw_only(), arg("orbit") = la2004, arg("solar_constant") = s0);
    m.def("threshold_energy", &thresholdEnergy, arg("time_kyr"), arg("lat_deg"), arg("threshold") = 275.0,
          py::kw_only(), arg("orbit") = la2004, arg("solar_constant") = s0);
    m.def("caloric_half_year", &caloricHalfYear, arg("time_kyr"), arg("lat_deg"), py::kw_only(),
          arg("orbit") = la2004, arg("solar_constant") = s0);
    m.def("monthly_insolation", &monthlyInsolation, arg("time_kyr"), arg("lat_deg"),
          arg("calendar") = "equinox", py::kw_only(), arg("orbit") = la2004, arg("solar_constant") = s0);
    m.def("instant_insolation", &instantInsolation, arg("time_kyr"), arg("lat_deg"), arg("lon_deg") = py::none(),
          arg("hour") = py::none(), py::kw_only(), arg("day") = py::none(), arg("orbit") = la2004,
          arg("solar_constant") = s0, arg("year_days") = insolation::yearDays,
          arg("equinox_day") = insolation::equinoxDay);
    m.def("annual_insolation", &annualInsolation, arg("time_kyr"), arg("lat_deg"), py::kw_only(),
          arg("orbit") = la2004, arg("solar_constant") = s0);
    m.def("calendar_conversion", &calendarConversion, arg("what"), arg("time_kyr"), arg("value"),
          arg("orbit") = la2004, arg("year_days") = insolation::yearDays,
          arg("equinox_day") = insolation::equinoxDay);
    m.def("solutions", &solutions);
    m.def("describe", &describe);
    // The request checks of insolation/request.h, for the package's own
    // checks before any work.
    m.def("result_size_problem", &resultSizeProblem);
    m.def("distinct_problem", &distinctProblem);
    m.attr("default_solar_constant") = s0;
    m.attr("default_year_days") = insolation::yearDays;
    m.attr("default_equinox_day") = insolation::equinoxDay;
}
