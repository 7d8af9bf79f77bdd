"""Orbits given by hand and the first argument of every call: times of a
solution or series file, or an Orbit; the solution's caveat for times
before those its authors vouch for."""
import warnings as _warnings

import numpy as _np

from . import _core
from ._checks import _LA2004, _checked, _deferred, _numbers_of, _refuse_large


class Orbit:
    """Orbital elements given by hand: eccentricity (0 <= e < 1),
    obliquity_deg (0 to 90) and perihelion_deg (varpi, the longitude of
    perihelion from the moving March equinox, heliocentric; any finite
    number of degrees). Numbers or arrays that broadcast with each other and
    with the other arguments of the function called; xarray DataArrays and
    dask arrays are kept as they are (checked when computed).

    >>> pv.daily_insolation(pv.Orbit(eccentricity=0.0167, obliquity_deg=23.44,
    ...                              perihelion_deg=102.9), 65, 90)
    """

    def __init__(self, eccentricity, obliquity_deg, perihelion_deg):
        values = [eccentricity, obliquity_deg, perihelion_deg]
        names = ["eccentricity", "obliquity_deg", "perihelion_deg"]
        if any(_deferred(v) for v in values):
            self.eccentricity, self.obliquity_deg, self.perihelion_deg = values
            return
        arrays = [_numbers_of(n, v) for n, v in zip(names, values)]
        try:
            arrays = _np.broadcast_arrays(*arrays)
        except ValueError:
            raise ValueError("Orbit: the shapes of eccentricity, obliquity_deg and perihelion_deg "
                             "(%s) cannot be broadcast together"
                             % ", ".join(str(_np.shape(a)) for a in arrays)) from None
        arrays = [_np.array(a, dtype=float, order="C") for a in arrays]
        _core.elements(tuple(arrays))  # checks every value as series records are
        self.eccentricity, self.obliquity_deg, self.perihelion_deg = [
            float(a) if a.ndim == 0 else a for a in arrays]

    def _core(self):
        arrays = _np.broadcast_arrays(*[_np.asarray(v, dtype=float) for v in
                                        (self.eccentricity, self.obliquity_deg, self.perihelion_deg)])
        return tuple(_np.array(a, dtype=float, order="C") for a in arrays)

    def __repr__(self):
        return "Orbit(eccentricity=%r, obliquity_deg=%r, perihelion_deg=%r)" % (
            self.eccentricity, self.obliquity_deg, self.perihelion_deg)


Orbit.__module__ = "paleoviz"


def _element_keys(orbit):
    """The keys elements() gives for orbit: all four, or eccentricity alone."""
    for s in _core.solutions():
        if s["key"] == orbit:
            return list(s["elements"])
    return ["eccentricity", "perihelion_deg", "obliquity_deg", "precession_index"]


def _labelled(*values):
    """True when an argument (or an Orbit's element) is an xarray or dask
    object: the call then goes through xarray.apply_ufunc."""
    for v in values:
        if isinstance(v, Orbit):
            if any(_deferred(x) for x in (v.eccentricity, v.obliquity_deg, v.perihelion_deg)):
                return True
        elif _deferred(v):
            return True
    return False


def _first(time_kyr, orbit):
    """The first argument for _core: an Orbit's elements, or times."""
    if isinstance(time_kyr, Orbit):
        if orbit != _LA2004:
            raise ValueError("orbit: an Orbit given by hand takes no orbit= (%r)" % orbit)
        return time_kyr._core()
    if time_kyr is None:
        raise ValueError("time_kyr: needs times in kyr or a paleoviz.Orbit")
    return _numbers_of("time_kyr", time_kyr)


def _plain(function, time_kyr, orbit, outputs, pairs, *rest, **options):
    """A NumPy call of a _core function: arguments checked, size refused
    before any work, the reliability note as a UserWarning."""
    args = _checked(pairs)
    first = _first(time_kyr, orbit)
    _refuse_large([first] + args, outputs)
    result = function(first, *args, *rest, orbit=orbit, **options)
    _warn_reliability(time_kyr, orbit)
    return result


def _reliability_note(time_kyr, orbit):
    """The solution's caveat where time_kyr (NumPy values) reaches before
    the times its authors vouch for, else ""."""
    for s in _core.solutions():
        if s["key"] == orbit and s["reliability_note"]:
            t = _np.asarray(time_kyr, dtype=float)
            if t.size and _np.nanmin(t) < s["reliable_oldest_kyr"]:
                return s["reliability_note"]
    return ""


def _warn_reliability(time_kyr, orbit):
    """The solution's caveat for times before those its authors vouch for."""
    if isinstance(time_kyr, Orbit) or _deferred(time_kyr):
        return
    note = _reliability_note(time_kyr, orbit)
    if note:
        _warnings.warn(note, UserWarning, stacklevel=3)
