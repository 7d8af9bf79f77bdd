#include "binding.h"

#include "insolation/request.h"
#include "math/constants.h"

#include <cmath>
#include <utility>

namespace pymodule {

using namespace insolation;

Argument argument(const std::string& name, const py::object& value)
{
    Doubles array = Doubles::ensure(value);
    if (!array)
        throw py::value_error(name + ": " + std::string(py::repr(value)) + " is not a number or an array of numbers");
    return Argument{name, array};
}

Argument argument(const ArgumentInfo& info, const py::object& value)
{
    return argument(info.keyword, value);
}

Layout broadcast(const std::vector<const Argument*>& args)
{
    std::vector<Shape> shapes;
    std::vector<std::string> names;
    for (const Argument* a : args) {
        shapes.push_back(a->shape());
        names.push_back(a->name);
    }
    return broadcast(shapes, names);
}

void raiseIf(const std::string& problem)
{
    if (!problem.empty())
        throw py::value_error(problem);
}

void checkValues(const Argument& a, const ArgumentInfo& info, const DayCalendar& calendar)
{
    if (&info == &arguments::day)
        raiseIf(longitudeOrDayProblem(pythonNames, a.data(), a.size(), true, calendar));
    else if (std::isfinite(info.lowest) || std::isfinite(info.highest))
        raiseIf(rangeProblem(a.name, a.data(), a.size(), info.lowest, info.highest));
    else
        raiseIf(finiteProblem(a.name, a.data(), a.size()));
}

void checkSolarConstant(double s0)
{
    raiseIf(solarConstantProblem(pythonNames.solarConstant, s0));
}

void checkChoice(const ArgumentUse& use, const std::string& value)
{
    const std::string problem = choiceProblem(use, value);
    if (!problem.empty())
        throw py::value_error(std::string(use.info->keyword) + ": " + problem);
}

namespace {

// The words messages give an argument's values, where they need more than
// its keyword.
struct ValuesWords {
    const ArgumentInfo* info;
    const char* words;
};
const ValuesWords valuesWords[] = {
    {&arguments::longitude, "true longitudes"},
    {&arguments::day, "calendar days"},
    {&arguments::hour, "local solar times"},
};

}  // namespace

std::string valuesNamed(const ArgumentInfo& info)
{
    for (const ValuesWords& w : valuesWords)
        if (w.info == &info)
            return std::string(w.words) + " (" + info.keyword + ")";
    return info.keyword;
}

bool firstOfTwo(const std::string& function, const ArgumentInfo& first, const py::object& given,
                const ArgumentInfo& second, const py::object& other)
{
    if (given.is_none() == other.is_none())
        throw py::value_error(function + (given.is_none() ? " needs " : " takes ") + valuesNamed(first) + " or "
                              + valuesNamed(second) + (given.is_none() ? "" : ", not both"));
    return !given.is_none();
}

DayCalendar dayCalendarOf(double yearDays, double equinoxDay, bool dayMean, const std::string& modelCalendar)
{
    const DayCalendar given{yearDays, equinoxDay, dayMean};
    raiseIf(modelCalendarProblem(modelCalendar, given, pythonNames.modelCalendar, pythonNames.yearDays,
                                 pythonNames.equinoxDay));
    return resolvedCalendar(modelCalendar, given);
}

bool allScalars(const std::vector<const Argument*>& args)
{
    for (const Argument* a : args)
        if (a->array.ndim() != 0)
            return false;
    return true;
}

py::object result(py::array array, bool scalar)
{
    if (scalar && array.ndim() == 0)
        return py::float_(*static_cast<const double*>(array.data()));
    return std::move(array);
}

py::object tupleOf(const std::vector<py::array_t<double>>& out, bool scalar)
{
    py::tuple t(out.size());
    for (size_t k = 0; k < out.size(); ++k)
        t[k] = result(out[k], scalar);
    return std::move(t);
}

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

LatitudeGrid latitudeGridOf(const Layout& layout, const Argument& lat, size_t axis)
{
    std::vector<double> radians;
    for (size_t k = 0; k < layout.shape[axis]; ++k)
        radians.push_back(lat.data()[k * layout.steps[1][axis]] * math::radiansPerDegree);
    return LatitudeGrid(radians);
}

}  // namespace pymodule
