// The orbit side of the Python module: the solutions built in, the
// elements at given times, and the orbits of every call's first argument
// (times of a solution or series file, or orbits given by hand).
#include "binding.h"
#include "parallel.h"

#include "math/constants.h"

#include <cmath>

namespace pymodule {

using insolation::toOrbit;
using orbit::OrbitSource;

OrbitSource openOrbit(const std::string& choice, bool forInsolation)
{
    OrbitSource source;
    std::string error;
    if (!source.open(choice, error))
        throw py::value_error(error);
    if (forInsolation && !source.insolationProblem().empty())
        throw py::value_error("orbit: " + source.insolationProblem());
    return source;
}

namespace {

void checkSpan(const OrbitSource& source, const Argument& time)
{
    for (size_t i = 0; i < time.size(); ++i)
        if (!source.covers(time.data()[i]))
            throw py::value_error(time.name + ": " + source.outsideSpanMessage(time.data()[i]));
}

// Orbits given by hand: a tuple (eccentricity, obliquity_deg,
// perihelion_deg) of arrays of one shape (paleoviz.Orbit broadcasts them),
// checked as series records are.
OrbitRows handRows(const py::tuple& given)
{
    if (given.size() != 3)
        throw py::value_error("orbit: needs eccentricity, obliquity_deg and perihelion_deg");
    const Argument e = argument("eccentricity", given[0]), obl = argument("obliquity_deg", given[1]),
                   varpi = argument("perihelion_deg", given[2]);
    if (e.array.request().shape != obl.array.request().shape
        || e.array.request().shape != varpi.array.request().shape)
        throw py::value_error("orbit: eccentricity, obliquity_deg and perihelion_deg differ in shape");
    OrbitRows rows{e, {}, {}, false};
    for (size_t i = 0; i < e.size(); ++i) {
        const std::string problem = orbit::elementsProblem(e.data()[i], obl.data()[i], varpi.data()[i]);
        if (!problem.empty())
            throw py::value_error("orbit: " + problem);
        const double w = orbit::wrapDegrees(varpi.data()[i]);
        rows.elements.push_back(orbit::Elements{e.data()[i], obl.data()[i], w,
                                                e.data()[i] * std::sin(w * math::radiansPerDegree)});
        rows.orbits.push_back(toOrbit(rows.elements.back()));
    }
    return rows;
}

}  // namespace

OrbitRows rowsOf(const py::object& first, const std::string& orbitName, bool forInsolation)
{
    if (py::isinstance<py::tuple>(first))
        return handRows(py::reinterpret_borrow<py::tuple>(first));
    const OrbitSource source = openOrbit(orbitName, forInsolation);
    OrbitRows rows{argument("time_kyr", first), {}, {}, !source.insolationProblem().empty()};
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

namespace {

py::dict elements(const py::object& time, const std::string& orbit)
{
    const OrbitRows rows = rowsOf(time, orbit, false);
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

}  // namespace

void registerOrbit(py::module_& m)
{
    m.def("elements", &elements, py::arg("time_kyr"), py::arg("orbit") = orbit::solutionRegistry[0].key);
    m.def("solutions", &solutions);
    // The orbit library's default solution, the first of its registry.
    m.attr("default_solution") = orbit::solutionRegistry[0].key;
}

}  // namespace pymodule
