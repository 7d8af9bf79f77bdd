"""xarray and dask: apply_ufunc broadcasts DataArrays by name and keeps
their coordinates, and dask-backed inputs stay lazy, computed chunk by
chunk. And with as_xarray=True, a grid of 1-D axes laid out as the tool's
NetCDF file of the same request."""
import numpy as _np

from . import _core
from ._checks import _deferred, _numbers_of
from ._orbit import Orbit, _reliability_note

# The registry's outputs of each Python function, in the order it returns
# them; a function of a row whose outputs are not all its own (true_longitude
# beside calendar_day) has those named after it, or none.
_OUTPUTS = {f: [o for o in row["outputs"] if len(row["python_functions"]) == 1 or o["name"] == f]
            for row in _core.quantities() for f in row["python_functions"]}


# The model calendars' CF names (noleap, 365_day, 360_day, ...): the
# registry's choices after the first, the default tropical year. Days
# counted in one carry its name, as given, as CF's calendar attribute; the
# tropical year, no CF calendar, carries none.
_MODEL_CALENDARS = next(a["choices"] for row in _core.quantities() for a in row["arguments"]
                        if a["name"] == "model_calendar")[1:]


def _with_calendar(result, calendar):
    """result (a DataArray, a Dataset or a tuple of them) with the CF
    calendar on its day coordinate, where it has one and the days are a
    model calendar's."""
    if isinstance(result, tuple):
        return tuple(_with_calendar(r, calendar) for r in result)
    if calendar not in _MODEL_CALENDARS or "day" not in result.coords:
        return result
    return result.assign_coords(day=result["day"].assign_attrs(calendar=calendar))


def _as_dataarray(value, xarray):
    if isinstance(value, xarray.DataArray) or value is None:
        return value
    if _deferred(value) and hasattr(value, "ndim"):
        # A bare dask array: dimensions named from the right, as NumPy
        # broadcasting aligns them.
        return xarray.DataArray(value, dims=["dim_%d" % k for k in range(value.ndim - 1, -1, -1)])
    return value


def _inputs(values, xarray):
    """The arguments for apply_ufunc, and where none is an xarray object,
    the broadcast shape's dimensions (first to last) and the order in which
    apply_ufunc hands a block's axes over; None, None otherwise."""
    if any(isinstance(v, xarray.DataArray) for v in values):
        return [_as_dataarray(v, xarray) for v in values], None, None
    named, dims = _named_from_right(values, xarray)
    return named, dims, list(dict.fromkeys(d for a in named for d in a.dims))


def _named_from_right(values, xarray):
    """Bare arrays (NumPy or dask, none an xarray object) as DataArrays
    whose dimensions are named by broadcast position from the right, as
    NumPy aligns them, and the broadcast shape's dimensions, first to last.
    A length-1 axis where the broadcast is longer is dropped: xarray matches
    dimensions by name and would refuse two lengths under one name."""
    shapes = [_np.shape(v) for v in values]
    try:
        shape = _np.broadcast_shapes(*shapes)
    except ValueError:
        raise ValueError("arguments of shapes %s cannot be broadcast together"
                         % ", ".join(str(s) for s in shapes)) from None
    dims = ["dim_%d" % k for k in range(len(shape) - 1, -1, -1)]
    named = []
    for value, own in zip(values, shapes):
        first = len(shape) - len(own)
        dropped = tuple(k for k, n in enumerate(own) if n == 1 and shape[first + k] != 1)
        value = value if hasattr(value, "squeeze") else _np.asarray(value)
        kept = [dims[first + k] for k in range(len(own)) if k not in dropped]
        named.append(xarray.DataArray(value.squeeze(axis=dropped) if dropped else value, dims=kept))
    return named, dims


def _flattened(args):
    """args with an Orbit's three elements in its place, and where it was."""
    flat, orbit_at = [], None
    for k, a in enumerate(args):
        if isinstance(a, Orbit):
            orbit_at = k
            flat += [a.eccentricity, a.obliquity_deg, a.perihelion_deg]
        else:
            flat.append(a)
    return flat, orbit_at


def _apply(block, args, outputs, names=None, trailing=None, dtype=None, function=None, orbit=None,
           calendar=None):
    """block(*args) on NumPy arrays, through xarray.apply_ufunc; each of its
    `outputs` results has a trailing axis (name, length) where given.
    function and orbit: the Python function called and its solution, for
    the results' names, units and reliability note; calendar: the model
    calendar of the days, for a day coordinate's CF calendar."""
    import xarray

    flat, orbit_at = _flattened(args)
    present = [i for i, a in enumerate(flat) if a is not None]
    inputs, dims, handed = _inputs([flat[i] for i in present], xarray)

    def numpy_block(*values):
        if dims is None:
            return numpy_block_of(*values)
        # Bare arrays: the block in NumPy's layout, as the same call on NumPy arrays has it.
        return _laid_out(numpy_block_of(*_laid_out(values, handed, dims)), dims, handed)

    def numpy_block_of(*values):
        full = [None] * len(flat)
        for i, v in zip(present, values):
            full[i] = v
        if orbit_at is not None:
            full[orbit_at:orbit_at + 3] = [Orbit(*full[orbit_at:orbit_at + 3])]
        result = block(*full)
        if outputs == 1:
            return _np.asarray(result, dtype=float if dtype is None else dtype)
        return tuple(_np.asarray(r, dtype=float) for r in result)

    core = [[trailing[0]]] * outputs if trailing else [[]] * outputs
    result = xarray.apply_ufunc(
        numpy_block, *inputs, dask="parallelized", output_core_dims=core,
        output_dtypes=[float if dtype is None else dtype] * outputs,
        dask_gufunc_kwargs={"output_sizes": {trailing[0]: trailing[1]}} if trailing else None)
    results = [result] if outputs == 1 else list(result)
    if dims is not None:
        # NumPy's order of axes, whichever argument brought each.
        data = tuple(r.transpose(*dims, ...).data for r in results)
        return data if names is not None or outputs > 1 else data[0]
    return _with_calendar(_finished(results, names, function, _held_note(args[0], orbit), xarray), calendar)


def _laid_out(arrays, source, target):
    """Arrays (one, or a tuple) whose axes are the last of the dimensions
    `source`, then any trailing axes of their own, with every dimension
    present and in the order of `target` instead."""
    if not isinstance(arrays, tuple):
        return _laid_out((arrays,), source, target)[0]
    out = []
    for a in arrays:
        a = _np.asarray(a)
        own = max(a.ndim - len(source), 0)
        a = a.reshape((1,) * (len(source) + own - a.ndim) + a.shape)
        out.append(a.transpose([source.index(d) for d in target] + list(range(len(source), a.ndim))))
    return tuple(out)


def _held_note(time, orbit):
    """The solution's reliability note for times held in memory that reach
    before those its authors vouch for; "" otherwise, and for times not yet
    computed (dask), which are not read for it."""
    if orbit is None or time is None or isinstance(time, Orbit):
        return ""
    if getattr(time, "chunks", None) is not None:
        return ""
    return _reliability_note(getattr(time, "values", time), orbit)


def _finished(results, names, function, note, xarray):
    """DataArray results named and given units from the registry's outputs
    of `function` (where it lists one per result), and the note as the
    attribute "reliability", as the tool's NetCDF file has it: one
    DataArray, a tuple of them, or a Dataset of `names`."""
    outputs = _OUTPUTS.get(function, [])
    if len(outputs) == len(results):
        results = [r.rename(o["name"]).assign_attrs(_attributes(o)) for r, o in zip(results, outputs)]
    extra = {"reliability": note} if note else {}
    if names is not None:
        return xarray.Dataset(dict(zip(names, results)), attrs=extra)
    results = [r.assign_attrs(extra) for r in results]
    return results[0] if len(results) == 1 else tuple(results)


def _axis(name, values):
    if values is None:
        raise ValueError("%s: as_xarray=True needs a value for this axis" % name)
    a = _numbers_of(name, values)
    if a.ndim > 1:
        raise ValueError("%s: as_xarray=True takes a number or a 1-D list per axis" % name)
    a = _np.atleast_1d(a).astype(float)
    problem = _core.distinct_problem(name, list(a))
    if problem:
        raise ValueError(problem)
    return a


def _scalar(name, value):
    a = _numbers_of(name, value)
    if a.ndim != 0:
        raise ValueError("%s: as_xarray=True takes one value here, as the command line does" % name)
    return float(a)


def _rows(time_kyr):
    """The row axis: times, or a 1-D Orbit's elements."""
    if isinstance(time_kyr, Orbit):
        e, obl, varpi = [_np.atleast_1d(a) for a in time_kyr._core()]
        if e.ndim > 1:
            raise ValueError("orbit: as_xarray=True takes a number or a 1-D list per element")
        return Orbit(e, obl, varpi)
    return _axis("time_kyr", time_kyr)


def _rows_size(rows):
    return rows.eccentricity if isinstance(rows, Orbit) else rows


def _grid(rows, axes):
    """The rows along the first of `axes` axes."""
    shape = (-1,) + (1,) * (axes - 1)
    if isinstance(rows, Orbit):
        return tuple(_np.reshape(a, shape) for a in rows._core())
    return _np.reshape(rows, shape)


def _attributes(x):
    a = {"long_name": x["long_name"], "units": x["units"]}
    if x["standard_name"]:
        a["standard_name"] = x["standard_name"]
    if x.get("axis"):
        a["axis"] = x["axis"]
    if x.get("calendar"):
        a["calendar"] = x["calendar"]
    return a


def _listed(value):
    """A request's value for the library: arrays as lists of floats."""
    return [float(x) for x in value] if isinstance(value, (list, tuple, _np.ndarray)) else value


def _to_xarray(command, values, time, request):
    """The tool's NetCDF layout of a request, filled with values. request:
    the request's values by Python keyword (lat_deg, lon_deg or day, hour,
    start_deg, threshold, calendar, solar_constant, year_days, ...) and its
    orbit; those left out keep the library's defaults."""
    import xarray

    by_hand = isinstance(time, Orbit)
    described = {key: _listed(value) for key, value in request.items()}
    described["command"] = command
    if by_hand:
        described["orbits"] = [list(r) for r in zip(*time._core())]
    else:
        described["time_kyr"] = _listed(time)
    d = _core.describe(described)
    dims = [x["name"] for x in d["axes"]]
    coords = {x["name"]: (x["name"], _np.asarray(x["values"]), _attributes(x)) for x in d["axes"]}
    variables = d["variables"]
    if by_hand:
        # The orbit's elements label its rows: coordinates, not results.
        element_values = {"eccentricity": time.eccentricity, "perihelion": _np.mod(time.perihelion_deg, 360.0),
                          "obliquity": time.obliquity_deg}
        labels = [v for v in variables if v["name"] in element_values and command != "elements"]
        for v in labels:
            coords[v["name"]] = (dims[0], _np.asarray(element_values[v["name"]], dtype=float),
                                 _attributes(v))
        variables = [v for v in variables if v not in labels]
    data = {v["name"]: (dims[:v["rank"]], _np.asarray(array), _attributes(v))
            for v, array in zip(variables, values)}
    dataset = xarray.Dataset(data, coords=coords, attrs=dict(d["attributes"]))
    if len(data) > 1:
        return dataset
    (name,) = data
    array = dataset[name]
    array.attrs = {**dataset.attrs, **array.attrs}
    return array
