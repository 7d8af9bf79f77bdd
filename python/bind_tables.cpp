// What the tool's NetCDF output of a request holds (table/table.h): its
// global attributes, axes and variables, which label the Python module's
// xarray results, so that the two cannot drift apart.
#include "binding.h"

#include "insolation/registry.h"
#include "insolation/request.h"
#include "paleoviz_version.h"
#include "table/table.h"

#include <pybind11/stl.h>

#include <algorithm>

namespace pymodule {

namespace {

using insolation::ArgumentInfo;
using insolation::Quantity;
using insolation::Request;
using orbit::OrbitSource;

// The orbits given by hand (each [eccentricity, obliquity, perihelion]),
// one row each, and a source citing them.
OrbitSource handSource(const std::vector<std::vector<double>>& orbits, Request& r)
{
    OrbitSource source;
    for (const std::vector<double>& o : orbits) {
        std::string error;
        if (o.size() != 3 || !source.setElements(o[0], o[1], o[2], error))
            throw py::value_error("orbit: " + error);
        r.orbits.push_back(source.at(0));
    }
    source.citation = "each element's orbit as given by paleoviz.Orbit";
    return source;
}

// Each argument of the registry once.
std::vector<const ArgumentInfo*> everyArgument()
{
    std::vector<const ArgumentInfo*> every{&insolation::arguments::time};
    for (const Quantity& q : insolation::quantities())
        for (const insolation::ArgumentUse& use : q.arguments)
            if (std::find(every.begin(), every.end(), use.info) == every.end())
                every.push_back(use.info);
    return every;
}

// r's value of the argument from d[keyword], where d has it.
void setArgument(const ArgumentInfo& info, const py::dict& d, Request& r)
{
    if (!d.contains(info.keyword))
        return;
    const py::object value = d[info.keyword];
    if (info.list != nullptr)
        info.list(r) = value.cast<std::vector<double>>();
    else if (info.number != nullptr)
        info.number(r) = value.cast<double>();
    else if (info.flag != nullptr)
        info.flag(r) = value.cast<bool>();
    else if (info.text != nullptr)
        info.text(r) = value.cast<std::string>();
}

// The request a dict of its values names: "command", the times (time_kyr)
// or "orbits" given by hand, "orbit", and any other argument of the
// registry by its Python keyword (lat_deg, day, solar_constant, ...), each
// absent one keeping a default-made Request's value.
Request requestOf(const py::dict& d, OrbitSource& source)
{
    Request r;
    r.command = d["command"].cast<std::string>();
    const auto orbits = d.contains("orbits") ? d["orbits"].cast<std::vector<std::vector<double>>>()
                                             : std::vector<std::vector<double>>();
    if (orbits.empty())
        source = openOrbit(d.contains("orbit") ? d["orbit"].cast<std::string>() : orbit::solutionRegistry[0].key,
                           r.command != "elements");
    else
        source = handSource(orbits, r);
    for (const ArgumentInfo* info : everyArgument())
        setArgument(*info, d, r);
    r.dayCalendar =
        dayCalendarOf(r.dayCalendar.yearDays, r.dayCalendar.equinoxDay, r.dayCalendar.dayMean, modelCalendarOf(r));
    return r;
}

py::list attributesOf(const table::Table& t)
{
    py::list attributes;
    attributes.append(py::make_tuple("Conventions", "CF-1.8"));
    attributes.append(py::make_tuple("title", t.title));
    for (const auto& a : t.attributes)
        attributes.append(py::make_tuple(a.first, a.second));
    attributes.append(py::make_tuple("version", std::string("paleoviz ") + paleovizVersion + " (Python module)"));
    for (const table::NumberAttribute& n : t.numbers) {
        attributes.append(py::make_tuple(n.name, n.value));
        attributes.append(py::make_tuple(n.name + "_units", n.units));
    }
    return attributes;
}

py::list axesOf(const table::Table& t)
{
    py::list axes;
    for (const table::Axis* a : {&t.time, &t.latitude, &t.third}) {
        if (a->values.empty())
            continue;
        py::dict x;
        x["name"] = a->name;
        x["long_name"] = a->longName;
        x["units"] = a->units;
        x["standard_name"] = a->standardName;
        x["axis"] = a->cfAxis;
        // CF's calendar of days counted in a model calendar, as the tool's NetCDF has it.
        if (!a->calendar.empty())
            x["calendar"] = a->calendar;
        x["values"] = a->values;
        axes.append(x);
    }
    return axes;
}

py::list variablesOf(const table::Table& t)
{
    py::list variables;
    for (const table::Variable& v : t.variables) {
        py::dict x;
        x["name"] = v.name;
        x["long_name"] = v.longName;
        x["units"] = v.units;
        x["standard_name"] = v.standardName;
        x["rank"] = v.extent == table::Extent::time ? 1 : v.extent == table::Extent::latitude ? 2 : 3;
        variables.append(x);
    }
    return variables;
}

// What the tool's NetCDF output of a request holds: its global attributes,
// axes and variables, for the xarray results.
py::dict describe(const py::dict& values)
{
    OrbitSource source;
    const Request r = requestOf(values, source);
    const table::Table t = table::describeTable(r, source);
    py::dict d;
    d["attributes"] = attributesOf(t);
    d["axes"] = axesOf(t);
    d["variables"] = variablesOf(t);
    return d;
}

}  // namespace

void registerTables(py::module_& m)
{
    m.def("describe", &describe, py::arg("request"));
}

}  // namespace pymodule
