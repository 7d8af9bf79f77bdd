"""xarray and dask: apply_ufunc broadcasts DataArrays by name and keeps
their coordinates, and dask-backed inputs stay lazy, computed chunk by
chunk. And with as_xarray=True, a grid of 1-D axes laid out as the tool's
NetCDF file of the same request."""
import numpy as _np

from . import _core
from ._checks import _deferred, _numbers_of
from ._orbit import Orbit


def _as_dataarray(value, xarray):
    if isinstance(value, xarray.DataArray) or value is None:
        return value
    if _deferred(value) and hasattr(value, "ndim"):
        # A bare dask array: dimensions named from the right, as NumPy
        # broadcasting aligns them.
        return xarray.DataArray(value, dims=["dim_%d" % k for k in range(value.ndim - 1, -1, -1)])
    return value


def _apply(block, args, outputs, names=None, trailing=None, dtype=None):
    """block(*args) on NumPy arrays, through xarray.apply_ufunc; each of its
    `outputs` results has a trailing axis (name, length) where given."""
    import xarray

    flat, orbit_at = [], None
    for k, a in enumerate(args):
        if isinstance(a, Orbit):
            orbit_at = k
            flat += [a.eccentricity, a.obliquity_deg, a.perihelion_deg]
        else:
            flat.append(a)
    present = [i for i, a in enumerate(flat) if a is not None]
    bare_dask = not any(isinstance(a, xarray.DataArray) for a in flat if a is not None)
    inputs = [_as_dataarray(flat[i], xarray) for i in present]

    def numpy_block(*values):
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
    if bare_dask:
        return result.data if outputs == 1 else tuple(r.data for r in result)
    if names is not None:
        return xarray.Dataset(dict(zip(names, result)))
    return result


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
