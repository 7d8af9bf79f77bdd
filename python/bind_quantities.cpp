// The registry of quantities (insolation/registry.h) in Python: its rows as
// data, and one binding computing any row that has a point kernel, so that
// a quantity added to the registry needs no code here. The row's arguments
// broadcast with the time or orbit argument as every call's do; its
// latitude kernel computes a whole row of latitudes at once when the
// latitudes vary along one axis of the result and nothing else does, its
// point kernel element by element otherwise, on every core.
#include "binding.h"
#include "compute.h"

#include "insolation/request.h"

#include <algorithm>
#include <cmath>
#include <atomic>
#include <thread>
#include <utility>

namespace pymodule {

namespace {

using namespace insolation;
namespace a = insolation::arguments;

// The most values one point of a quantity may have (outputs x trailing).
constexpr size_t maxPointValues = 64;

// One call of a quantity: its row, the settings and the point arguments
// given, in the row's order, each with the Point member it fills.
struct QuantityCall {
    const Quantity* quantity = nullptr;
    std::string function;  // the Python function's name, for messages
    Settings settings;
    std::vector<Argument> points;
    std::vector<double Point::*> fields;
};

bool computedPointByPoint(const Quantity& q)
{
    return q.point != nullptr && q.valueCount() <= maxPointValues;
}

const Quantity& computable(const std::string& name)
{
    const Quantity* q = findQuantity(name);
    if (q == nullptr || !computedPointByPoint(*q))
        throw py::value_error("compute: " + name + " is not a quantity computed point by point (" + quantityNames()
                              + ")");
    return *q;
}

py::object valueOf(const py::dict& given, const char* keyword)
{
    return given.contains(keyword) ? py::reinterpret_borrow<py::object>(given[keyword]) : py::none();
}

// The point arguments given, after the row's rules: exactly one of two
// that exclude each other, each required one, and a number left out
// taking a default-made Request's value.
std::vector<std::pair<const ArgumentInfo*, py::object>> pointValues(const Quantity& q, const py::dict& given,
                                                                    const std::string& function)
{
    std::vector<std::pair<const ArgumentInfo*, py::object>> values;
    Request defaults;
    for (const ArgumentUse& use : q.arguments) {
        const ArgumentInfo& info = *use.info;
        if (pointFieldOf(info) == nullptr)
            continue;
        py::object value = valueOf(given, info.keyword);
        if (use.excludes != nullptr)
            firstOfTwo(function, info, value, *use.excludes, valueOf(given, use.excludes->keyword));
        if (value.is_none() && use.required)
            throw py::value_error(function + " needs " + valuesNamed(info));
        // A default of NaN is an argument left out (lon_east: hours of
        // local solar time), as the Point's own default says.
        if (value.is_none() && info.number != nullptr && !std::isnan(info.number(defaults)))
            value = py::float_(info.number(defaults));
        if (!value.is_none())
            values.emplace_back(&info, value);
    }
    return values;
}

// The settings of a call: each of the row's arguments that is not a point
// argument, by its keyword in `given` or else a default-made Request's
// value, checked as the tool checks them.
Settings callSettings(const Quantity& q, const py::dict& given)
{
    Request r;
    for (const ArgumentUse& use : q.arguments) {
        const ArgumentInfo& info = *use.info;
        const py::object value = valueOf(given, info.keyword);
        if (pointFieldOf(info) != nullptr || value.is_none())
            continue;
        if (info.number != nullptr)
            info.number(r) = value.cast<double>();
        else if (info.flag != nullptr)
            info.flag(r) = value.cast<bool>();
        else if (info.text != nullptr)
            info.text(r) = value.cast<std::string>();
    }
    for (const ArgumentUse& use : q.arguments)
        if (!use.choices.empty() && use.info->text != nullptr)
            checkChoice(use, use.info->text(r));
    if (q.use(a::solarConstant.name) != nullptr)
        checkSolarConstant(r.solarConstant);
    r.dayCalendar =
        dayCalendarOf(r.dayCalendar.yearDays, r.dayCalendar.equinoxDay, r.dayCalendar.dayMean, modelCalendarOf(r));
    return settingsOf(r);
}

QuantityCall callOf(const Quantity& q, const py::dict& args, const py::dict& settings)
{
    QuantityCall call;
    call.quantity = &q;
    call.function = q.pythonFunctions.empty() ? q.name : q.pythonFunctions[0];
    const auto values = pointValues(q, args, call.function);
    call.settings = callSettings(q, settings);
    for (const auto& [info, value] : values) {
        call.settings.byDay = call.settings.byDay || info == &a::day;
        call.points.push_back(argument(*info, value));
        checkValues(call.points.back(), *info, call.settings.dayCalendar);
        call.fields.push_back(pointFieldOf(*info));
    }
    return call;
}

// The Point of one element: values[k] holds point argument k - 1 (values[0]
// is the row's), those from `from` on are read.
Point pointOf(const QuantityCall& call, const double* values, size_t from)
{
    Point p;
    for (size_t k = from; k <= call.fields.size(); ++k)
        p.*call.fields[k - 1] = values[k];
    return p;
}

size_t outputCount(const QuantityCall& call)
{
    return call.quantity->outputsFor(call.settings.byDay).size();
}

// Through the row's latitude kernel, when the row has one, the latitudes
// are its first point argument, they vary along one axis of the result and
// nothing else does, and the kernel takes the call's settings; else none.
std::vector<py::array_t<double>> byLatitudes(const QuantityCall& call, const OrbitRows& rows,
                                             const std::vector<const Argument*>& args)
{
    const Quantity& q = *call.quantity;
    if (q.latitudes == nullptr || call.fields.empty() || call.fields[0] != &Point::latitude)
        return {};
    std::atomic<bool> refused{false};
    auto out = latitudeWise(rows, args, outputCount(call), static_cast<size_t>(q.trailing),
                            [&](const Orbit& o, const double* x, const LatitudeGrid& grid, double* row,
                                GridScratch& scratch) {
                                if (!q.latitudes(o, call.settings, pointOf(call, x, 2), grid, row, scratch))
                                    refused = true;
                            });
    return refused ? std::vector<py::array_t<double>>() : out;
}

std::vector<py::array_t<double>> pointByPoint(const QuantityCall& call, const OrbitRows& rows,
                                              const std::vector<const Argument*>& args)
{
    const Quantity& q = *call.quantity;
    const size_t outputs = outputCount(call), trailing = static_cast<size_t>(q.trailing);
    // Pieces small enough that every core gets several, large enough that
    // taking one costs little beside the work.
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t grain = std::clamp<size_t>(broadcast(args).size / (8 * cores), 1, 1024);
    return elementwise(rows, args, outputs, trailing, grain, [&](const Orbit& o, const double* x, double* const* at) {
        double values[maxPointValues];
        q.point(o, call.settings, pointOf(call, x, 1), values);
        for (size_t k = 0; k < outputs; ++k)
            for (size_t m = 0; m < trailing; ++m)
                at[k][m] = values[k * trailing + m];
    });
}

// Quantity `name` of the registry at the times or orbits `first`: args
// holds its point arguments by keyword (arrays that broadcast together),
// settings the others (solar_constant, year_days, ...) and the orbit's
// name. A tuple of one array per output, in the row's order, each with a
// trailing axis of the row's `trailing` values when that is above 1.
py::object compute(const std::string& name, const py::object& first, const py::dict& args, const py::dict& settings)
{
    const QuantityCall call = callOf(computable(name), args, settings);
    const py::object orbit = valueOf(settings, "orbit");
    const OrbitRows rows = rowsOf(first, orbit.is_none() ? orbit::solutionRegistry[0].key : orbit.cast<std::string>());
    std::vector<const Argument*> all{&rows.arg};
    for (const Argument& p : call.points)
        all.push_back(&p);
    auto out = byLatitudes(call, rows, all);
    if (out.empty())
        out = pointByPoint(call, rows, all);
    return tupleOf(out, allScalars(all));
}

// The registry's rows as Python lists and dicts (registryJson).
py::object quantities()
{
    return py::module_::import("json").attr("loads")(registryJson());
}

}  // namespace

void registerQuantities(py::module_& m)
{
    m.def("quantities", &quantities);
    m.def("compute", &compute, py::arg("name"), py::arg("first"), py::arg("args"), py::arg("settings"));
    // What the package's functions made from the rows need beside them:
    // the keywords of the point arguments, and the rows compute() takes.
    py::list keywords, computed;
    for (const PointField& p : pointFields())
        keywords.append(p.info->keyword);
    for (const Quantity& q : insolation::quantities())
        if (computedPointByPoint(q))
            computed.append(q.name);
    m.attr("point_keywords") = keywords;
    m.attr("point_quantities") = computed;
}

}  // namespace pymodule
