"""Input hygiene: what every call checks before any work. Numbers only
(datetime64, strings, bytes, complex and object arrays are refused), never
under a mask, one number where one is taken, an orbit named by a key or a
path, and no result too large for memory."""
import os as _os

import numpy as _np

from . import _core

_LA2004 = _core.default_solution
_S0 = _core.default_solar_constant
# Each argument's default in the library's registry, by Python keyword.
_DEFAULTS = {a["keyword"]: a["default"] for row in _core.quantities() for a in row["arguments"]}
# None: the model calendar's year length and 21 March 00:00.
_YEAR = _DEFAULTS["year_days"]
_EQUINOX = _DEFAULTS["equinox_day"]
_MODEL = _DEFAULTS["model_calendar"]
_THRESHOLD = float(_DEFAULTS["threshold"])
_MONTHS = _DEFAULTS["calendar"]
_SUGGESTION = ("compute it in chunks: pass dask arrays or xarray DataArrays backed by dask, or a "
               "preallocated out= (dtype=float32 halves it), or use a coarser step")


def _deferred(value):
    """True for values computed later: xarray objects and dask arrays."""
    module = type(value).__module__ or ""
    return module.startswith("xarray") or module.startswith("dask")


def _numbers_of(name, value):
    """value as a NumPy array of real numbers (a view where it can be), or
    None for None; refuses what is not a real number."""
    if value is None:
        return None
    if isinstance(value, (str, bytes)):
        raise ValueError("%s: %r is text, not a number" % (name, value))
    if _np.ma.isMaskedArray(value):
        if _np.ma.getmaskarray(value).any():
            raise ValueError("%s: a masked array with masked values; fill them (a.filled(...)) or "
                             "drop them first: paleoviz will not compute under a mask" % name)
        value = _np.ma.getdata(value)
    if isinstance(value, _np.ndarray) or _np.isscalar(value):
        a = _np.asarray(value)
    else:
        try:
            a = _np.asarray(value)
        except (ValueError, TypeError) as error:
            raise ValueError("%s: not a number or an array of numbers (%s)" % (name, error)) from None
    if a.dtype.kind not in "iuf":
        raise ValueError("%s: %s values are not real numbers%s" % (
            name, a.dtype, "; convert dates to kyr first" if a.dtype.kind in "mM" else ""))
    return a


def _scalar_number(name, value):
    a = _numbers_of(name, value)
    if a.ndim != 0:
        raise ValueError("%s: takes one number, not an array of shape %s" % (name, a.shape))
    return float(a)


def _left_or_number(name, value):
    """One number, or NaN for None: left to the model calendar."""
    return float("nan") if value is None else _scalar_number(name, value)


def _calendar(year_days, equinox_day, day_mean, model_calendar=_MODEL):
    # A string such as "no" would be true: only a boolean says which is meant.
    if not isinstance(day_mean, (bool, _np.bool_)):
        raise ValueError("day_mean: takes True or False, not %r" % (day_mean,))
    return {"year_days": _left_or_number("year_days", year_days),
            "equinox_day": _left_or_number("equinox_day", equinox_day),
            "day_mean": bool(day_mean), "model_calendar": str(model_calendar)}


def _orbit_name(orbit):
    if isinstance(orbit, str):
        return orbit
    if isinstance(orbit, _os.PathLike):
        path = _os.fspath(orbit)
        if isinstance(path, str):
            return path
    keys = ", ".join(s["key"] for s in _core.solutions())
    raise ValueError("orbit: %r is neither a solution's key (%s) nor the path of a series file "
                     "(str or pathlib.Path)" % (orbit, keys))


def _checked(pairs):
    return [_numbers_of(name, value) for name, value in pairs]


def _refuse_large(arrays, outputs, bytes_per_value=8):
    """Refuses, before any work, a call whose result (or whose broadcast
    arguments, which are copied) would not fit in memory."""
    shapes = []
    for a in arrays:
        if a is None:
            continue
        if isinstance(a, tuple):
            a = a[0]
        shapes.append(_np.shape(a))
    try:
        shape = _np.broadcast_shapes(*shapes)
    except ValueError:
        return  # the library names the shapes that differ
    values = float(_np.prod(shape, dtype=float)) * outputs * bytes_per_value / 8
    values += sum(float(_np.prod(s, dtype=float)) for s in shapes)
    problem = _core.result_size_problem(values, _SUGGESTION)
    if problem:
        raise ValueError("the call's shape %s: %s" % (shape, problem))
