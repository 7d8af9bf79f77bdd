// Daily-mean insolation in the Python module, the call made most often and
// on the largest grids: through the tool's grid kernel (LatitudeGrid) when
// the latitudes vary along one axis of the result and nothing else does,
// one grid of them serving every time and day as in the tool's `daily`;
// element by element otherwise. In float64 or float32, into a new array or
// one the caller gives (out=).
#include "binding.h"
#include "parallel.h"

#include "insolation/request.h"
#include "math/constants.h"

#include <pybind11/stl.h>

namespace pymodule {

namespace {

using namespace insolation;

// What the daily means of one call share.
struct DailyCall {
    const std::vector<Orbit>& orbits;
    const Argument& lat;
    const Argument& third;
    bool byDay;
    DayCalendar calendar;
    double s0;
};

// Rows of the latitude grid whose results lie side by side (the
// latitudes not the last axis, as in (time, lat, lon)) are made this many
// at a time in a block of our own and written out across: a run of
// neighbouring values per latitude instead of one value every `stride`.
constexpr size_t rowsAcross = 64;

template <class T>
void dailyGrid(const Layout& layout, const DailyCall& call, size_t axis, T* out)
{
    // One grid of the latitudes along the axis for every (time, day).
    const LatitudeGrid grid = latitudeGridOf(layout, call.lat, axis);
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
            const DayGeometry day = dayGeometry(o, call.s0, lambda);
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
            out[flat] = static_cast<T>(LatitudeGrid::dailyMeanAt(dayGeometry(o, call.s0, lambda),
                                                                 lat * math::radiansPerDegree));
        });
    });
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

// float32 when out= is such an array or dtype says so, else float64.
bool singlePrecision(const py::object& dtype, const py::object& outArray)
{
    const py::dtype type = !outArray.is_none() && py::isinstance<py::array>(outArray)
                               ? py::reinterpret_borrow<py::array>(outArray).dtype()
                               : dtype.is_none() ? py::dtype::of<double>() : py::dtype::from_args(dtype);
    const bool single = type.equal(py::dtype::of<float>());
    if (!single && !type.equal(py::dtype::of<double>()))
        throw py::value_error("dtype: " + std::string(py::str(py::object(type))) + " is neither float64 nor float32");
    return single;
}

// The result array of a call: out= itself, or a new one of the precision.
template <class Run>
py::object dailyResult(const Layout& layout, const py::object& dtype, const py::object& outArray, bool single,
                       bool scalar, Run run)
{
    const std::vector<py::ssize_t> shape(layout.shape.begin(), layout.shape.end());
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
    return result(out, scalar);
}

py::object dailyInsolation(const py::object& time, const py::object& lat, const py::object& lon,
                           const py::object& day, const std::string& orbit, double s0, const py::object& dtype,
                           const py::object& outArray, double yearDays, double equinoxDay, bool dayMean,
                           const std::string& modelCalendar)
{
    const bool byDay = !firstOfTwo("daily_insolation", arguments::longitude, lon, arguments::day, day);
    const ArgumentInfo& thirdSpec = byDay ? arguments::day : arguments::longitude;
    checkSolarConstant(s0);
    const DayCalendar calendar = dayCalendarOf(yearDays, equinoxDay, dayMean, modelCalendar);
    const bool single = singlePrecision(dtype, outArray);
    const Argument phi = argument(arguments::latitude, lat), third = argument(thirdSpec, byDay ? day : lon);
    checkValues(phi, arguments::latitude);
    checkValues(third, thirdSpec, calendar);
    const OrbitRows rows = rowsOf(time, orbit);
    const std::vector<const Argument*> args{&rows.arg, &phi, &third};
    const Layout layout = broadcast(args);
    const long axis = latitudeAxis(layout, 1);
    const bool grid = axis >= 0 && layout.shape[axis] > 1 && !(byDay && dayMean);
    const DailyCall call{rows.orbits, phi, third, byDay, calendar, s0};
    return dailyResult(layout, dtype, outArray, single, allScalars(args), [&](auto* out) {
        py::gil_scoped_release release;
        if (grid)
            dailyGrid(layout, call, static_cast<size_t>(axis), out);
        else
            dailyEach(layout, call, out);
    });
}

}  // namespace

void registerDaily(py::module_& m)
{
    using py::arg;
    const Request defaults;
    m.def("daily_insolation", &dailyInsolation, arg("time_kyr"), arg("lat_deg"), arg("lon_deg") = py::none(),
          py::kw_only(), arg("day") = py::none(), arg("orbit") = orbit::solutionRegistry[0].key,
          arg("solar_constant") = defaults.solarConstant, arg("dtype") = py::none(), arg("out") = py::none(),
          arg("year_days") = defaults.dayCalendar.yearDays, arg("equinox_day") = defaults.dayCalendar.equinoxDay,
          arg("day_mean") = defaults.dayCalendar.dayMean, arg("model_calendar") = defaults.modelCalendar);
}

}  // namespace pymodule
