// What the Python module's bindings share: a call's arguments as arrays of
// doubles, the checks of insolation/request.h raised as ValueError, the
// orbits of a call's first argument (times of a solution, or orbits given
// by hand) and the results handed back to Python.
//
// Every check is the insolation tool's own, under the Python name of the
// value (pythonNames), so that the module and the tool agree in every
// message. Functions returning py objects need the GIL.
#ifndef PALEOVIZ_PYTHON_BINDING_H
#define PALEOVIZ_PYTHON_BINDING_H

#include "broadcast.h"
#include "insolation/daily_grid.h"
#include "insolation/quantities.h"
#include "insolation/registry.h"
#include "orbit/orbit_source.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace pymodule {

namespace py = pybind11;

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

// One argument of a call, as doubles in C order.
struct Argument {
    std::string name;
    Doubles array;
    const double* data() const { return array.data(); }
    size_t size() const { return static_cast<size_t>(array.size()); }
    Shape shape() const { return Shape(array.shape(), array.shape() + array.ndim()); }
};

// value as doubles, or ValueError naming the argument.
Argument argument(const std::string& name, const py::object& value);
// The same named by the argument's Python keyword.
Argument argument(const insolation::ArgumentInfo& info, const py::object& value);
// The layout of a call's arguments, or ValueError naming their shapes.
Layout broadcast(const std::vector<const Argument*>& args);

// A problem the request checks found, raised as ValueError.
void raiseIf(const std::string& problem);
// Every value within the argument's limits in the registry, as the tool
// checks its option: calendar days within the calendar's year, values of
// an argument without limits finite.
void checkValues(const Argument& a, const insolation::ArgumentInfo& info,
                 const insolation::DayCalendar& calendar = insolation::DayCalendar());
void checkSolarConstant(double s0);
// `value` among the choices of the argument's use, else ValueError naming
// them, as the tool's message: "calendar: julian not in {equinox,angular}".
void checkChoice(const insolation::ArgumentUse& use, const std::string& value);
// What a message calls an argument's values: "true longitudes (lon_deg)",
// or its keyword alone.
std::string valuesNamed(const insolation::ArgumentInfo& info);
// Exactly one of two arguments that exclude each other given (true
// longitudes or calendar days), else ValueError naming `function`; true
// when it is the first.
bool firstOfTwo(const std::string& function, const insolation::ArgumentInfo& first, const py::object& given,
                const insolation::ArgumentInfo& second, const py::object& other);
// The calendar of days a call names, checked as the tool checks it: a
// model calendar (modelCalendars) and the values given beside it, NaN
// where left to it.
insolation::DayCalendar dayCalendarOf(double yearDays, double equinoxDay, bool dayMean,
                                      const std::string& modelCalendar);

// The orbit a call names; insolation needs all three elements, so an
// eccentricity-only solution is refused for it, as by the tool.
orbit::OrbitSource openOrbit(const std::string& choice, bool forInsolation = true);

// The first argument of every call: times of a source, or orbits given by
// hand. arg carries its shape into the broadcast; orbits[i] is the orbit
// of its element i.
struct OrbitRows {
    Argument arg;
    std::vector<orbit::Elements> elements;
    std::vector<insolation::Orbit> orbits;
    bool eccentricityOnly = false;  // the others are NaN
};

// The elements and orbit at each time, after checking that the source
// covers it; or the orbits given by hand (a tuple of eccentricity,
// obliquity_deg and perihelion_deg arrays of one shape). Insolation needs
// all three elements; elements() alone takes a solution of eccentricity
// alone (forInsolation false).
OrbitRows rowsOf(const py::object& first, const std::string& orbitName, bool forInsolation = true);

// True when no argument has an axis: the results are then floats.
bool allScalars(const std::vector<const Argument*>& args);
// A result: a float when every argument was a scalar (and no trailing axis).
py::object result(py::array array, bool scalar);
// Several results as a tuple, each as result() makes it.
py::object tupleOf(const std::vector<py::array_t<double>>& out, bool scalar);
// The outputs of a call: `outputs` arrays of the broadcast shape, each with
// `trailing` values per element when trailing > 1; data gets their buffers.
std::vector<py::array_t<double>> outputArrays(const Layout& layout, size_t outputs, size_t trailing,
                                              std::vector<double*>& data);
// The latitudes `lat` along `axis` of the layout (argument 1), as a grid
// for the grid kernel.
insolation::LatitudeGrid latitudeGridOf(const Layout& layout, const Argument& lat, size_t axis);

// The module's functions by area, each adding its own to m.
void registerOrbit(py::module_& m);
void registerDaily(py::module_& m);
void registerInsolation(py::module_& m);
void registerTables(py::module_& m);
void registerQuantities(py::module_& m);

}  // namespace pymodule

#endif
