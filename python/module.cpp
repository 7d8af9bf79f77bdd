// paleoviz._core: the orbit, insolation and table libraries, callable from
// Python with NumPy arrays.
//
// A thin front end beside the tool paleoviz-insolation: every number comes
// from the same library functions as the tool's (insolation/quantities.h),
// and every check from the same insolation/request.h, so the two agree to
// the last bit and in every message. The arguments of a call broadcast
// with NumPy's rules; the work runs without the GIL on every core. Each
// area adds its own functions: the orbits (bind_orbit.cpp), the daily means
// (bind_daily.cpp), the other insolation quantities (bind_insolation.cpp),
// the tables labelling xarray results (bind_tables.cpp) and any quantity of
// the registry through one generic binding (bind_quantities.cpp).
#include "binding.h"

#include "insolation/request.h"
#include "paleoviz_version.h"

#include <pybind11/stl.h>

PYBIND11_MODULE(_core, m)
{
    m.doc() = "paleoviz's insolation library; see the package paleoviz for the documented functions.";
    m.attr("__version__") = paleovizVersion;
    pymodule::registerOrbit(m);
    pymodule::registerDaily(m);
    pymodule::registerInsolation(m);
    pymodule::registerTables(m);
    pymodule::registerQuantities(m);
    // The request checks of insolation/request.h, for the package's own
    // checks before any work.
    m.def("result_size_problem", &insolation::resultSizeProblem);
    m.def("distinct_problem", &insolation::distinctProblem);
    const insolation::Request defaults;
    m.attr("default_solar_constant") = defaults.solarConstant;
    // The default (tropical) calendar's; a request leaves both to its model calendar.
    const insolation::DayCalendar tropical;
    m.attr("default_year_days") = tropical.yearDays;
    m.attr("default_equinox_day") = tropical.equinoxDay;
}
