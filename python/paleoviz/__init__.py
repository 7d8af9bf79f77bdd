"""paleoviz: the Earth's orbital elements and top-of-atmosphere insolation,
offline, from the same C++ library as the command-line tool
paleoviz-insolation, which gives the same numbers to the last bit.

Conventions (every result's xarray attributes state them too):

- time_kyr: thousands of years from the solution's present (J2000 for
  la2004, 1950 for berger1978, time 0 of a series file), negative in the
  past: -21 is 21,000 years ago.
- lat_deg: degrees north, -90 to 90.
- lon_deg: the Sun's true longitude in degrees from the March equinox
  (0 March equinox, 90 June solstice, 180 September equinox, 270 December
  solstice); day: a calendar day of a 365.2422-day year with the March
  equinox on day 80.0 (21 March when 1 January is day 1), the true
  longitude following from Kepler's equation.
- varpi (perihelion_deg): the longitude of perihelion from the moving
  March equinox, heliocentric, about 103 degrees today.
- solar_constant: S0 in W/m^2, 1365 unless given; insolation in W/m^2,
  energies in GJ/m^2, durations in days of 86,400 s.
- orbit: a solution's key (see solutions()) or the path (str or
  pathlib.Path) of an orbit95b-style series file, interpolated in
  e*exp(i*varpi) and obliquity.
- Orbit(eccentricity=, obliquity_deg=, perihelion_deg=): orbital elements
  given by hand, in place of times as every function's first argument;
  arrays of them broadcast with the other arguments. Checked as series
  records are: e in [0, 1), obliquity in [0, 90] degrees, varpi any finite
  number of degrees.
- Calendars: a day is 1/year_days of the tropical year (year_days 365.2422,
  the default, 365 or 360, as climate models count), the March equinox at
  the instant equinox_day (80.0 by default, 21 March 00:00 when 1 January is
  day 1; 80.5 is also common); day d is the instant d, or with
  day_mean=True the mean over the day [d, d + 1). true_longitude,
  calendar_day and perihelion_day convert. (climlab's calendar days are
  also days of a 365.2422-day year from 1 January with the March equinox
  on day 80; palinsol works in true longitudes and converts to days with
  functions of its own.)

The arguments are numbers or arrays that broadcast together with NumPy's
rules; the results are numpy.ndarrays of the broadcast shape (floats when
every argument is a number). Bad input (a latitude outside +-90, a time
outside the solution's span, both or neither of lon_deg and day, an unknown
solution) raises ValueError with the tool's message, named after the
argument instead of the option.

With as_xarray=True the arguments are the axes of a grid instead, each a
number or a 1-D list, as the tool's lists are, and the result is an
xarray.DataArray (one quantity) or xarray.Dataset (several) with the
dimensions, coordinates and attributes of the tool's NetCDF output.
xarray is imported only then.

xarray.DataArray arguments give DataArrays back: coordinates are kept and
dimensions broadcast by name, as xarray's arithmetic does. Arguments
backed by dask (DataArrays or dask arrays) stay lazy: the result is
computed chunk by chunk (xarray.apply_ufunc with dask="parallelized"; the
library releases the GIL), on the threads of one machine or a
dask.distributed cluster.

Input hygiene: numbers only (datetime64, strings, bytes, complex and object
arrays are refused), a masked array with masked values is refused (fill or
drop them: the mask is never ignored), a result too large for memory is
refused before any work with its size and what to do instead, and a long
call stops on Ctrl-C (KeyboardInterrupt).
"""
import numbers as _numbers
import os as _os
import warnings as _warnings

import numpy as _np

from . import _core

__all__ = ["Orbit", "elements", "daily_insolation", "integrated_insolation", "threshold_energy",
           "caloric_half_year", "monthly_insolation", "instant_insolation",
           "annual_insolation", "true_longitude", "calendar_day", "perihelion_day", "solutions"]

__version__ = _core.__version__

_LA2004 = "la2004"
_S0 = _core.default_solar_constant
_YEAR = _core.default_year_days
_EQUINOX = _core.default_equinox_day
_SUGGESTION = ("compute it in chunks: pass dask arrays or xarray DataArrays backed by dask, or a "
               "preallocated out= (dtype=float32 halves it), or use a coarser step")


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


def solutions():
    """The orbital solutions built in: a list of dicts with key, name,
    citation, origin (what time 0 is), span_kyr (oldest, newest), elements
    (the keys elements() gives: all four, or eccentricity alone),
    reliable_span_kyr (the part of the span its authors vouch for),
    reliable_oldest_kyr and reliability_note. Insolation needs all three
    elements: the other solutions raise ValueError there."""
    return _core.solutions()


def _element_keys(orbit):
    """The keys elements() gives for orbit: all four, or eccentricity alone."""
    for s in _core.solutions():
        if s["key"] == orbit:
            return list(s["elements"])
    return ["eccentricity", "perihelion_deg", "obliquity_deg", "precession_index"]


def elements(time_kyr, orbit=_LA2004, *, as_xarray=False, as_orbit=False):
    """Orbital elements at time_kyr: a dict of eccentricity, perihelion_deg
    (varpi from the moving equinox, [0, 360)), obliquity_deg and
    precession_index (e sin varpi); for a solution of eccentricity alone
    (la2010a-d, la2011, zb18a) the one key eccentricity. With as_orbit=True
    an Orbit of them, for any function's first argument. CLI:
    paleoviz-insolation elements."""
    if as_orbit:
        e = elements(time_kyr, orbit)
        if "obliquity_deg" not in e:
            raise ValueError("orbit: %s gives the eccentricity only; an Orbit needs all three "
                             "elements" % orbit)
        return Orbit(e["eccentricity"], e["obliquity_deg"], e["perihelion_deg"])
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr):
        names = _element_keys(orbit)
        if len(names) == 1:  # eccentricity alone: one output, named as the four are
            e = _apply(lambda t: elements(t, orbit)["eccentricity"], [time_kyr], 1)
            return e.to_dataset(name="eccentricity") if hasattr(e, "to_dataset") else (e,)
        return _apply(lambda t: tuple(elements(t, orbit).values()), [time_kyr], 4, names=names)
    if not as_xarray:
        first = _first(time_kyr, orbit)
        return _core.elements(first, orbit)
    t = _axis("time_kyr", time_kyr)
    values = list(_core.elements(t, orbit).values())
    return _to_xarray("elements", values, t, orbit=orbit)


def daily_insolation(time_kyr, lat_deg, lon_deg=None, *, day=None, orbit=_LA2004,
                     solar_constant=_S0, dtype=None, out=None, as_xarray=False,
                     year_days=_YEAR, equinox_day=_EQUINOX, day_mean=False):
    """Daily-mean insolation (W/m^2) at a true longitude lon_deg or a
    calendar day `day` (exactly one of them):
    Q = (S0/pi) (a/r)^2 (h0 sin(lat) sin(dec) + cos(lat) cos(dec) sin(h0)).
    time_kyr may be an Orbit. Days count in a year of year_days days with
    the March equinox at equinox_day; day_mean=True gives the mean over the
    day [d, d + 1) instead of the instant d.
    dtype float32 halves the memory of large grids; out, a C-ordered float64
    or float32 array of the result's shape, takes the result instead of a new
    array (as NumPy's out= does), which saves allocating and clearing fresh
    memory on every call. CLI: daily --lon/--day [--year-days --equinox-day
    --day-mean]."""
    by_day = lon_deg is None and day is not None
    calendar = _calendar(year_days, equinox_day, day_mean)
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg, lon_deg, day):
        third = day if by_day else lon_deg

        def block(t, lat, x):
            return daily_insolation(t, lat, None if by_day else x, day=x if by_day else None,
                                    orbit=orbit, solar_constant=s0, dtype=dtype, **calendar)
        return _apply(block, [time_kyr, lat_deg, third], 1, dtype=dtype)
    if not as_xarray:
        args = _checked([("lat_deg", lat_deg), ("lon_deg", lon_deg), ("day", day)])
        first = _first(time_kyr, orbit)
        _refuse_large([first] + args, 1, 4 if dtype is not None and _np.dtype(dtype) == _np.float32
                      else 8)
        result = _core.daily_insolation(first, args[0], args[1], day=args[2], orbit=orbit,
                                        solar_constant=s0, dtype=dtype, out=out, **calendar)
        _warn_reliability(time_kyr, orbit)
        return result
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    third = _axis("day" if by_day else "lon_deg", day if by_day else lon_deg)
    _refuse_large([_rows_size(t), lat, third], 1)
    g = _core.daily_insolation(_grid(t, 3), lat[None, :, None],
                               None if by_day else third[None, None, :],
                               day=third[None, None, :] if by_day else None, orbit=orbit,
                               solar_constant=s0, dtype=dtype, **calendar)
    _warn_reliability(t, orbit)
    return _to_xarray("daily", [g], t, lat, third, by_day=by_day, orbit=orbit,
                      solar_constant=s0, calendar_of_days=calendar)


def integrated_insolation(time_kyr, lat_deg, start_deg, end_deg, *, orbit=_LA2004,
                          solar_constant=_S0, as_xarray=False):
    """Energy (GJ/m^2) received while the Sun goes from true longitude
    start_deg forward to end_deg (both in [0, 360]), its mean (W/m^2) over
    that time, and the time in days (Kepler's second law): a tuple
    (energy_GJ, mean_W, days). CLI: integrated --start --end."""
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg, start_deg, end_deg):
        return _apply(lambda t, lat, a, b: integrated_insolation(t, lat, a, b, orbit=orbit,
                                                                 solar_constant=s0),
                      [time_kyr, lat_deg, start_deg, end_deg], 3)
    if not as_xarray:
        return _plain(_core.integrated_insolation, time_kyr, orbit, 3,
                      [("lat_deg", lat_deg), ("start_deg", start_deg), ("end_deg", end_deg)],
                      solar_constant=s0)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    a, b = _scalar("start_deg", start_deg), _scalar("end_deg", end_deg)
    energy, mean, days = _core.integrated_insolation(_grid(t, 2), lat[None, :], a, b, orbit=orbit,
                                                     solar_constant=s0)
    _warn_reliability(t, orbit)
    return _to_xarray("integrated", [energy, mean, days[:, 0]], t, lat, orbit=orbit,
                      solar_constant=s0, start=a, end=b)


def threshold_energy(time_kyr, lat_deg, threshold=275.0, *, orbit=_LA2004, solar_constant=_S0,
                     as_xarray=False):
    """Energy (GJ/m^2) of the part of the year whose daily mean exceeds
    threshold (W/m^2), and that part's duration in days: a tuple
    (energy_GJ, days). CLI: threshold --threshold."""
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg, threshold):
        return _apply(lambda t, lat, x: threshold_energy(t, lat, x, orbit=orbit, solar_constant=s0),
                      [time_kyr, lat_deg, threshold], 2)
    if not as_xarray:
        return _plain(_core.threshold_energy, time_kyr, orbit, 2,
                      [("lat_deg", lat_deg), ("threshold", threshold)], solar_constant=s0)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    tau = _scalar("threshold", threshold)
    values = _core.threshold_energy(_grid(t, 2), lat[None, :], tau, orbit=orbit, solar_constant=s0)
    _warn_reliability(t, orbit)
    return _to_xarray("threshold", list(values), t, lat, orbit=orbit, solar_constant=s0,
                      threshold=tau)


_CALORIC = ["summer_energy", "summer_mean", "summer_start", "summer_end",
            "winter_energy", "winter_mean", "winter_start", "winter_end"]


def caloric_half_year(time_kyr, lat_deg, *, orbit=_LA2004, solar_constant=_S0, as_xarray=False):
    """Milankovitch's caloric half-years: the caloric summer is the half of
    the tropical year (182.62 days) whose daily means are greater than on
    any day of the other half, the caloric winter. A dict of summer_energy
    and winter_energy (GJ/m^2), summer_mean and winter_mean (W/m^2), and
    summer_start, summer_end, winter_start, winter_end (true longitudes in
    degrees; NaN where the summer is not one arc, near the equator, where
    the daily mean peaks twice a year). CLI: caloric."""
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg):
        def block(t, lat):
            c = caloric_half_year(t, lat, orbit=orbit, solar_constant=s0)
            return tuple(c[k] for k in _CALORIC)
        return _apply(block, [time_kyr, lat_deg], len(_CALORIC), names=_CALORIC)
    if not as_xarray:
        return _plain(_core.caloric_half_year, time_kyr, orbit, len(_CALORIC),
                      [("lat_deg", lat_deg)], solar_constant=s0)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    c = _core.caloric_half_year(_grid(t, 2), lat[None, :], orbit=orbit, solar_constant=s0)
    _warn_reliability(t, orbit)
    return _to_xarray("caloric", [c[k] for k in _CALORIC], t, lat, orbit=orbit,
                      solar_constant=s0)


def monthly_insolation(time_kyr, lat_deg, calendar="equinox", *, orbit=_LA2004,
                       solar_constant=_S0, as_xarray=False):
    """Monthly-mean insolation (W/m^2), a trailing axis of 12 months.
    calendar "equinox": calendar months, the day counts of a 365-day year
    (31, 28, 31, ...) stretched to the 365.2422-day year, 1 January starting
    at day 1.0 and the March equinox at day 80.0 (21 March); index 0 is
    January. calendar "angular": twelve arcs of 30 degrees of true
    longitude, index k from 30k to 30(k+1) degrees (index 0 begins at the
    March equinox). Each is the energy over the month divided by its
    duration. CLI: monthly --calendar."""
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg):
        return _apply(lambda t, lat: monthly_insolation(t, lat, calendar, orbit=orbit,
                                                        solar_constant=s0),
                      [time_kyr, lat_deg], 1, month=True)
    if not as_xarray:
        return _plain(_core.monthly_insolation, time_kyr, orbit, 12, [("lat_deg", lat_deg)],
                      calendar, solar_constant=s0)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    m = _core.monthly_insolation(_grid(t, 2), lat[None, :], calendar, orbit=orbit,
                                 solar_constant=s0)
    _warn_reliability(t, orbit)
    return _to_xarray("monthly", [m], t, lat, orbit=orbit, solar_constant=s0,
                      calendar=calendar)


def instant_insolation(time_kyr, lat_deg, lon_deg=None, hour=None, *, day=None, orbit=_LA2004,
                       solar_constant=_S0, as_xarray=False, year_days=_YEAR,
                       equinox_day=_EQUINOX):
    """Instantaneous insolation (W/m^2) on a horizontal surface at the top
    of the atmosphere, at true longitude lon_deg (or calendar day `day`) and
    local apparent solar time `hour` (0 to 24, 12 at noon; hour angle
    (hour - 12) x 15 degrees): I = S0 (a/r)^2 max(0, cos(zenith)), the Sun
    held at that day's place for the whole day, so that its average over the
    day is the daily mean. CLI: instant --lon/--day --hour."""
    by_day = lon_deg is None and day is not None
    calendar = _calendar(year_days, equinox_day, False)
    del calendar["day_mean"]
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg, lon_deg, hour, day):
        def block(t, lat, x, h):
            return instant_insolation(t, lat, None if by_day else x, h, day=x if by_day else None,
                                      orbit=orbit, solar_constant=s0, **calendar)
        return _apply(block, [time_kyr, lat_deg, day if by_day else lon_deg, hour], 1)
    if not as_xarray:
        return _plain(_core.instant_insolation, time_kyr, orbit, 1,
                      [("lat_deg", lat_deg), ("lon_deg", lon_deg), ("hour", hour)],
                      day=_numbers_of("day", day), solar_constant=s0, **calendar)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    at = _scalar("day" if by_day else "lon_deg", day if by_day else lon_deg)
    h = _axis("hour", hour)
    v = _core.instant_insolation(_grid(t, 3), lat[None, :, None],
                                 None if by_day else at, h[None, None, :],
                                 day=at if by_day else None, orbit=orbit,
                                 solar_constant=s0, **calendar)
    _warn_reliability(t, orbit)
    return _to_xarray("instant", [v], t, lat, h, by_day=by_day, instant_at=at, orbit=orbit,
                      solar_constant=s0, calendar_of_days=dict(calendar, day_mean=False))


def annual_insolation(time_kyr, lat_deg, *, orbit=_LA2004, solar_constant=_S0, as_xarray=False):
    """Annual-mean insolation (W/m^2). CLI: annual."""
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg):
        return _apply(lambda t, lat: annual_insolation(t, lat, orbit=orbit, solar_constant=s0),
                      [time_kyr, lat_deg], 1)
    if not as_xarray:
        return _plain(_core.annual_insolation, time_kyr, orbit, 1, [("lat_deg", lat_deg)],
                      solar_constant=s0)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    a = _core.annual_insolation(_grid(t, 2), lat[None, :], orbit=orbit, solar_constant=s0)
    _warn_reliability(t, orbit)
    return _to_xarray("annual", [a], t, lat, orbit=orbit, solar_constant=s0)


def true_longitude(time_kyr, day, *, orbit=_LA2004, year_days=_YEAR, equinox_day=_EQUINOX):
    """The Sun's true longitude (degrees from the March equinox, [0, 360))
    at the instant `day` of a year of year_days days with the March equinox
    at equinox_day. time_kyr may be an Orbit. CLI: calendar --day."""
    return _conversion("true_longitude", time_kyr, day, orbit, year_days, equinox_day)


def calendar_day(time_kyr, lon_deg, *, orbit=_LA2004, year_days=_YEAR, equinox_day=_EQUINOX):
    """The calendar day in [0, year_days) when the Sun reaches true
    longitude lon_deg (degrees, 0 to 360). CLI: calendar --lon."""
    return _conversion("calendar_day", time_kyr, lon_deg, orbit, year_days, equinox_day)


def perihelion_day(time_kyr, *, orbit=_LA2004, year_days=_YEAR, equinox_day=_EQUINOX):
    """The calendar day in [0, year_days) of perihelion, where the Sun's
    true longitude is varpi + 180 degrees. CLI: calendar (perihelion_day)."""
    return _conversion("perihelion_day", time_kyr, None, orbit, year_days, equinox_day)


def _conversion(what, time_kyr, value, orbit, year_days, equinox_day):
    calendar = _calendar(year_days, equinox_day, False)
    del calendar["day_mean"]
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, value):
        args = [time_kyr] + ([] if value is None else [value])
        return _apply(lambda t, *x: _conversion(what, t, x[0] if x else None, orbit, year_days,
                                                equinox_day), args, 1)
    name = "day" if what == "true_longitude" else "lon_deg"
    args = [] if value is None else [(name, value)]
    checked = _checked(args)
    first = _first(time_kyr, orbit)
    _refuse_large([first] + checked, 1)
    result = _core.calendar_conversion(what, first, checked[0] if checked else None, orbit,
                                       **calendar)
    _warn_reliability(time_kyr, orbit)
    return result


# What every call checks before any work.

def _deferred(value):
    """True for values computed later: xarray objects and dask arrays."""
    module = type(value).__module__ or ""
    return module.startswith("xarray") or module.startswith("dask")


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


def _calendar(year_days, equinox_day, day_mean):
    return {"year_days": _scalar_number("year_days", year_days),
            "equinox_day": _scalar_number("equinox_day", equinox_day),
            "day_mean": bool(day_mean)}


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


def _first(time_kyr, orbit):
    """The first argument for _core: an Orbit's elements, or times."""
    if isinstance(time_kyr, Orbit):
        if orbit != _LA2004:
            raise ValueError("orbit: an Orbit given by hand takes no orbit= (%r)" % orbit)
        return time_kyr._core()
    if time_kyr is None:
        raise ValueError("time_kyr: needs times in kyr or a paleoviz.Orbit")
    return _numbers_of("time_kyr", time_kyr)


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


def _plain(function, time_kyr, orbit, outputs, pairs, *rest, **options):
    """A NumPy call of a _core function: arguments checked, size refused
    before any work, the reliability note as a UserWarning."""
    args = _checked(pairs)
    first = _first(time_kyr, orbit)
    _refuse_large([first] + args, outputs)
    result = function(first, *args, *rest, orbit=orbit, **options)
    _warn_reliability(time_kyr, orbit)
    return result


def _warn_reliability(time_kyr, orbit):
    """The solution's caveat for times before those its authors vouch for."""
    if isinstance(time_kyr, Orbit) or _deferred(time_kyr):
        return
    for s in _core.solutions():
        if s["key"] == orbit and s["reliability_note"]:
            t = _np.asarray(time_kyr, dtype=float)
            if t.size and _np.nanmin(t) < s["reliable_oldest_kyr"]:
                _warnings.warn(s["reliability_note"], UserWarning, stacklevel=3)


# xarray and dask: apply_ufunc broadcasts by name and keeps coordinates;
# dask-backed inputs stay lazy and are computed chunk by chunk.

def _as_dataarray(value, xarray):
    if isinstance(value, xarray.DataArray) or value is None:
        return value
    if _deferred(value) and hasattr(value, "ndim"):
        # A bare dask array: dimensions named from the right, as NumPy
        # broadcasting aligns them.
        return xarray.DataArray(value, dims=["dim_%d" % k for k in range(value.ndim - 1, -1, -1)])
    return value


def _apply(block, args, outputs, names=None, month=False, dtype=None):
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

    core = [["month"]] if month else [[]] * outputs
    result = xarray.apply_ufunc(
        numpy_block, *inputs, dask="parallelized", output_core_dims=core,
        output_dtypes=[float if dtype is None else dtype] * outputs,
        dask_gufunc_kwargs={"output_sizes": {"month": 12}} if month else None)
    if bare_dask:
        return result.data if outputs == 1 else tuple(r.data for r in result)
    if names is not None:
        return xarray.Dataset(dict(zip(names, result)))
    return result


# as_xarray=True: a grid of 1-D axes laid out as the tool's NetCDF file.

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


def _to_xarray(command, values, time, lat=(), third=(), *, by_day=False, instant_at=0.0,
               orbit=_LA2004, solar_constant=_S0, calendar="equinox", threshold=275.0,
               start=0.0, end=180.0, calendar_of_days=None):
    """The tool's NetCDF layout of a request, filled with values."""
    import xarray

    days = calendar_of_days or {"year_days": _YEAR, "equinox_day": _EQUINOX, "day_mean": False}
    by_hand = isinstance(time, Orbit)
    orbits = [list(r) for r in zip(*time._core())] if by_hand else []
    d = _core.describe(command, [] if by_hand else list(time), list(lat), list(third), by_day,
                       instant_at, orbit, float(solar_constant), calendar, threshold, start, end,
                       orbits, days["year_days"], days["equinox_day"], days["day_mean"])

    def attributes(x):
        a = {"long_name": x["long_name"], "units": x["units"]}
        if x["standard_name"]:
            a["standard_name"] = x["standard_name"]
        if x.get("axis"):
            a["axis"] = x["axis"]
        return a

    dims = [x["name"] for x in d["axes"]]
    coords = {x["name"]: (x["name"], _np.asarray(x["values"]), attributes(x)) for x in d["axes"]}
    variables = d["variables"]
    if by_hand:
        # The orbit's elements label its rows: coordinates, not results.
        element_values = {"eccentricity": time.eccentricity, "perihelion": _np.mod(time.perihelion_deg, 360.0),
                          "obliquity": time.obliquity_deg}
        labels = [v for v in variables if v["name"] in element_values and command != "elements"]
        for v in labels:
            coords[v["name"]] = (dims[0], _np.asarray(element_values[v["name"]], dtype=float),
                                 attributes(v))
        variables = [v for v in variables if v not in labels]
    data = {v["name"]: (dims[:v["rank"]], _np.asarray(array), attributes(v))
            for v, array in zip(variables, values)}
    dataset = xarray.Dataset(data, coords=coords, attrs=dict(d["attributes"]))
    if len(data) > 1:
        return dataset
    (name,) = data
    array = dataset[name]
    array.attrs = {**dataset.attrs, **array.attrs}
    return array
