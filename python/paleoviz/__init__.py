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
- Calendars: a day is 1/year_days of the tropical year; model_calendar
  names the year as climate models count it ("tropical", the default, of
  365.2422 days; "noleap"/"365_day", "360_day", "all_leap"/"366_day"), or
  year_days gives its length (365.2422, 365 or 360); the March equinox falls
  at the instant equinox_day (21 March 00:00 of the calendar by default:
  day 80.0 of the tropical and noleap years, 81.0 of the 360-day and
  all_leap years; 80.5 is also common); day d is the instant d, or with
  day_mean=True the mean over the day [d, d + 1). true_longitude,
  calendar_day and perihelion_day convert. (climlab's calendar days are
  also days of a 365.2422-day year from 1 January with the March equinox
  on day 80; palinsol works in true longitudes and converts to days with
  functions of its own.)

quantities() lists the library's registry of quantities, whose rows the
tool's commands come from too; a row without a function written here gets
one made from the row (earth_sun_distance), with the same conventions,
checks and layouts as the others.

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

import numpy as _np

from . import _core, _dates, _generated
from ._checks import (_EQUINOX, _LA2004, _MODEL, _MONTHS, _S0, _THRESHOLD, _YEAR, _calendar, _checked,
                      _left_or_number, _numbers_of,
                      _orbit_name, _refuse_large, _scalar_number)
from ._labelled import _apply, _axis, _grid, _rows, _rows_size, _scalar, _to_xarray
from ._orbit import Orbit, _element_keys, _first, _labelled, _plain, _warn_reliability
from ._calendar_adjust import calendar_adjust

__all__ = ["Orbit", "elements", "daily_insolation", "integrated_insolation", "threshold_energy",
           "caloric_half_year", "monthly_insolation", "instant_insolation",
           "annual_insolation", "true_longitude", "calendar_day", "perihelion_day", "solutions",
           "quantities", "calendar_adjust"]

__version__ = _core.__version__


def solutions():
    """The orbital solutions built in: a list of dicts with key, name,
    citation, origin (what time 0 is), span_kyr (oldest, newest), elements
    (the keys elements() gives: all four, or eccentricity alone),
    reliable_span_kyr (the part of the span its authors vouch for),
    reliable_oldest_kyr and reliability_note. Insolation needs all three
    elements: the other solutions raise ValueError there."""
    return _core.solutions()


def quantities():
    """The registry of quantities the library computes, one dict per row:
    name (the tool's command), definition, example, python_functions,
    trailing (values per point: 12 for monthly means), arguments (each
    with name, option, keyword, units, shape, lowest and highest, None
    where unbounded, default, required, excludes, choices and help) and
    outputs (each with name, long_name, units, standard_name and extent).
    CLI: paleoviz-insolation quantities."""
    return _core.quantities()


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

        def block(t):
            values = tuple(elements(t, orbit).values())
            return values if len(values) > 1 else values[0]  # eccentricity alone: one output
        return _apply(block, [time_kyr], len(names), names=names, function="elements", orbit=orbit)
    if not as_xarray:
        result = _core.elements(_first(time_kyr, orbit), orbit)
        _warn_reliability(time_kyr, orbit)
        return result
    t = _rows(time_kyr)
    values = list(_core.elements(_first(t, orbit), orbit).values())
    _warn_reliability(t, orbit)
    return _to_xarray("elements", values, t, {"orbit": orbit})


def daily_insolation(time_kyr=None, lat_deg=None, lon_deg=None, *, day=None, date=None, orbit=_LA2004,
                     solar_constant=_S0, dtype=None, out=None, as_xarray=False,
                     year_days=_YEAR, equinox_day=_EQUINOX, day_mean=False, model_calendar=_MODEL):
    """Daily-mean insolation (W/m^2) at a true longitude lon_deg or a
    calendar day `day` (exactly one of them):
    Q = (S0/pi) (a/r)^2 (h0 sin(lat) sin(dec) + cos(lat) cos(dec) sin(h0)).
    time_kyr may be an Orbit. Days count in a year of year_days days with
    the March equinox at equinox_day, by default those of model_calendar
    (CF names: tropical, 365.2422 days and day 80; noleap or 365_day, 365
    and 80; 360_day, 360 and 81; all_leap or 366_day, 366 and 81);
    day_mean=True gives the mean over the day [d, d + 1) instead of the
    instant d.
    dtype float32 halves the memory of large grids; out, a C-ordered float64
    or float32 array of the result's shape, takes the result instead of a new
    array (as NumPy's out= does), which saves allocating and clearing fresh
    memory on every call. date (numpy.datetime64, cftime dates or ISO
    strings, in UTC) stands for day, the calendar and, unless time_kyr is
    given, the time: see "Dates" in docs/python.md. CLI: daily --lon/--day
    [--year-days --equinox-day --day-mean --model-calendar] or --date."""
    if date is not None:
        _dates.refuse_with_date("daily_insolation", [
            ("lon_deg", lon_deg, None), ("day", day, None), ("dtype", dtype, None), ("out", out, None),
            ("as_xarray", as_xarray, False), ("year_days", year_days, _YEAR),
            ("equinox_day", equinox_day, _EQUINOX), ("model_calendar", model_calendar, _MODEL)])
        return _dates.call(daily_insolation, date, time_kyr, _orbit_name(orbit), _needed("lat_deg", lat_deg),
                           None, False, {"solar_constant": solar_constant, "day_mean": day_mean})
    _needed("time_kyr", time_kyr)
    _needed("lat_deg", lat_deg)
    by_day = lon_deg is None and day is not None
    calendar = _calendar(year_days, equinox_day, day_mean, model_calendar)
    if day_mean and lon_deg is not None and day is None:
        # The mean over a day needs a day; a longitude is one instant.
        raise ValueError("day_mean: takes calendar days (day), not true longitudes (lon_deg)")
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg, lon_deg, day):
        third = day if by_day else lon_deg

        def block(t, lat, x):
            return daily_insolation(t, lat, None if by_day else x, day=x if by_day else None,
                                    orbit=orbit, solar_constant=s0, dtype=dtype, **calendar)
        return _apply(block, [time_kyr, lat_deg, third], 1, dtype=dtype, function="daily_insolation",
                      orbit=orbit, calendar=model_calendar)
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
    return _to_xarray("daily", [g], t, {"lat_deg": lat, ("day" if by_day else "lon_deg"): third,
                                        "orbit": orbit, "solar_constant": s0, **calendar})


def integrated_insolation(time_kyr, lat_deg, start_deg, end_deg, *, orbit=_LA2004,
                          solar_constant=_S0, as_xarray=False):
    """Energy (GJ/m^2) received while the Sun goes from true longitude
    start_deg forward to end_deg (both in [0, 360]), its mean (W/m^2) over
    that time, and the time in days (Kepler's second law): a tuple
    (energy_GJ, mean_W, days). start_deg equal to end_deg is the whole year
    from that longitude. CLI: integrated --start --end."""
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg, start_deg, end_deg):
        return _apply(lambda t, lat, a, b: integrated_insolation(t, lat, a, b, orbit=orbit,
                                                                 solar_constant=s0),
                      [time_kyr, lat_deg, start_deg, end_deg], 3, function="integrated_insolation",
                      orbit=orbit)
    if not as_xarray:
        return _plain(_core.integrated_insolation, time_kyr, orbit, 3,
                      [("lat_deg", lat_deg), ("start_deg", start_deg), ("end_deg", end_deg)],
                      solar_constant=s0)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    a, b = _scalar("start_deg", start_deg), _scalar("end_deg", end_deg)
    energy, mean, days = _core.integrated_insolation(_grid(t, 2), lat[None, :], a, b, orbit=orbit,
                                                     solar_constant=s0)
    _warn_reliability(t, orbit)
    return _to_xarray("integrated", [energy, mean, days[:, 0]], t,
                      {"lat_deg": lat, "orbit": orbit, "solar_constant": s0, "start_deg": a, "end_deg": b})


def threshold_energy(time_kyr, lat_deg, threshold=_THRESHOLD, *, orbit=_LA2004, solar_constant=_S0,
                     as_xarray=False):
    """Energy (GJ/m^2) of the part of the year whose daily mean exceeds
    threshold (W/m^2), and that part's duration in days: a tuple
    (energy_GJ, days). CLI: threshold --threshold."""
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg, threshold):
        return _apply(lambda t, lat, x: threshold_energy(t, lat, x, orbit=orbit, solar_constant=s0),
                      [time_kyr, lat_deg, threshold], 2, function="threshold_energy", orbit=orbit)
    if not as_xarray:
        return _plain(_core.threshold_energy, time_kyr, orbit, 2,
                      [("lat_deg", lat_deg), ("threshold", threshold)], solar_constant=s0)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    tau = _scalar("threshold", threshold)
    values = _core.threshold_energy(_grid(t, 2), lat[None, :], tau, orbit=orbit, solar_constant=s0)
    _warn_reliability(t, orbit)
    return _to_xarray("threshold", list(values), t,
                      {"lat_deg": lat, "orbit": orbit, "solar_constant": s0, "threshold": tau})


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
        return _apply(block, [time_kyr, lat_deg], len(_CALORIC), names=_CALORIC,
                      function="caloric_half_year", orbit=orbit)
    if not as_xarray:
        return _plain(_core.caloric_half_year, time_kyr, orbit, len(_CALORIC),
                      [("lat_deg", lat_deg)], solar_constant=s0)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    c = _core.caloric_half_year(_grid(t, 2), lat[None, :], orbit=orbit, solar_constant=s0)
    _warn_reliability(t, orbit)
    return _to_xarray("caloric", [c[k] for k in _CALORIC], t,
                      {"lat_deg": lat, "orbit": orbit, "solar_constant": s0})


def monthly_insolation(time_kyr, lat_deg, calendar=_MONTHS, *, orbit=_LA2004,
                       solar_constant=_S0, as_xarray=False, equinox_day=_EQUINOX):
    """Monthly-mean insolation (W/m^2), a trailing axis of 12 months.
    calendar "equinox": calendar months, the day counts of a 365-day year
    (31, 28, 31, ...) stretched to the 365.2422-day year, 1 January starting
    at day 1.0 and the March equinox at day 80.0 (21 March); index 0 is
    January. calendar "angular": twelve arcs of 30 degrees of true
    longitude, index k from 30k to 30(k+1) degrees (index 0 begins at the
    March equinox). A model calendar (CF names noleap or 365_day, 360_day,
    all_leap or 366_day): its twelve months (31, 28, 31, ... days; twelve of
    30; 31, 29, ...), each day 1/year-length of the tropical year, the March
    equinox at equinox_day (default 21 March 00:00: day 80, or 81 in 360_day
    and all_leap). Each is the energy over the month divided by its
    duration. CLI: monthly --calendar [--equinox-day]."""
    s0 = _scalar_number("solar_constant", solar_constant)
    equinox = _left_or_number("equinox_day", equinox_day)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg):
        return _apply(lambda t, lat: monthly_insolation(t, lat, calendar, orbit=orbit,
                                                        solar_constant=s0, equinox_day=equinox_day),
                      [time_kyr, lat_deg], 1, trailing=("month", 12), function="monthly_insolation",
                      orbit=orbit)
    if not as_xarray:
        return _plain(_core.monthly_insolation, time_kyr, orbit, 12, [("lat_deg", lat_deg)],
                      calendar, solar_constant=s0, equinox_day=equinox)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    m = _core.monthly_insolation(_grid(t, 2), lat[None, :], calendar, orbit=orbit,
                                 solar_constant=s0, equinox_day=equinox)
    _warn_reliability(t, orbit)
    return _to_xarray("monthly", [m], t, {"lat_deg": lat, "orbit": orbit, "solar_constant": s0,
                                          "calendar": calendar, "equinox_day": equinox})


def instant_insolation(time_kyr=None, lat_deg=None, lon_deg=None, hour=None, *, day=None, date=None,
                       lon_east_deg=None, orbit=_LA2004, solar_constant=_S0, as_xarray=False,
                       year_days=_YEAR, equinox_day=_EQUINOX, model_calendar=_MODEL):
    """Instantaneous insolation (W/m^2) on a horizontal surface at the top
    of the atmosphere, at true longitude lon_deg (or calendar day `day`) and
    local apparent solar time `hour` (0 to 24, 12 at noon; hour angle
    (hour - 12) x 15 degrees): I = S0 (a/r)^2 max(0, cos(zenith)), the Sun
    held at that day's place for the whole day, so that its average over the
    day is the daily mean. With lon_east_deg (degrees east of Greenwich,
    -180 to 360) `hour` is universal time (UTC) there: local apparent solar
    time = UTC + lon_east_deg / 15 h + the equation of time of the orbit.
    date (numpy.datetime64, cftime dates or ISO strings, in UTC; needs
    lon_east_deg) stands for day (the Sun held at its place at 00:00 UTC of
    the date's day), hour, the calendar and, unless time_kyr is given, the
    time: see "Dates" in docs/python.md. CLI: instant --lon/--day --hour
    [--lon-east] or --date --lon-east."""
    if date is not None:
        _dates.refuse_with_date("instant_insolation", [
            ("lon_deg", lon_deg, None), ("day", day, None), ("hour", hour, None),
            ("as_xarray", as_xarray, False), ("year_days", year_days, _YEAR),
            ("equinox_day", equinox_day, _EQUINOX), ("model_calendar", model_calendar, _MODEL)])
        if lon_east_deg is None:
            raise ValueError("date: gives universal time (UTC); give the place's lon_east_deg")
        return _dates.call(instant_insolation, date, time_kyr, _orbit_name(orbit), _needed("lat_deg", lat_deg),
                           lon_east_deg, True, {"solar_constant": solar_constant})
    _needed("time_kyr", time_kyr)
    _needed("lat_deg", lat_deg)
    by_day = lon_deg is None and day is not None
    calendar = _calendar(year_days, equinox_day, False, model_calendar)
    del calendar["day_mean"]
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg, lon_deg, hour, day):
        def block(t, lat, x, h):
            return instant_insolation(t, lat, None if by_day else x, h, day=x if by_day else None,
                                      orbit=orbit, solar_constant=s0, lon_east_deg=lon_east_deg, **calendar)
        return _apply(block, [time_kyr, lat_deg, day if by_day else lon_deg, hour], 1,
                      function="instant_insolation", orbit=orbit, calendar=model_calendar)
    if not as_xarray:
        return _plain(_core.instant_insolation, time_kyr, orbit, 1,
                      [("lat_deg", lat_deg), ("lon_deg", lon_deg), ("hour", hour)],
                      day=_numbers_of("day", day), solar_constant=s0,
                      lon_east_deg=_numbers_of("lon_east_deg", lon_east_deg), **calendar)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    at = _scalar("day" if by_day else "lon_deg", day if by_day else lon_deg)
    h = _axis("hour", hour)
    v = _core.instant_insolation(_grid(t, 3), lat[None, :, None],
                                 None if by_day else at, h[None, None, :],
                                 day=at if by_day else None, orbit=orbit, solar_constant=s0,
                                 lon_east_deg=None if lon_east_deg is None else _scalar("lon_east_deg", lon_east_deg),
                                 **calendar)
    _warn_reliability(t, orbit)
    return _to_xarray("instant", [v], t, {"lat_deg": lat, "hour": h, ("day" if by_day else "lon_deg"): [at],
                                          "orbit": orbit, "solar_constant": s0, **calendar})


def _needed(name, value):
    """value, or TypeError where a call without date leaves it out."""
    if value is None:
        raise TypeError("%s is needed (time_kyr may be left out only with date=)" % name)
    return value


def annual_insolation(time_kyr, lat_deg, *, orbit=_LA2004, solar_constant=_S0, as_xarray=False):
    """Annual-mean insolation (W/m^2). CLI: annual."""
    s0 = _scalar_number("solar_constant", solar_constant)
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, lat_deg):
        return _apply(lambda t, lat: annual_insolation(t, lat, orbit=orbit, solar_constant=s0),
                      [time_kyr, lat_deg], 1, function="annual_insolation", orbit=orbit)
    if not as_xarray:
        return _plain(_core.annual_insolation, time_kyr, orbit, 1, [("lat_deg", lat_deg)],
                      solar_constant=s0)
    t, lat = _rows(time_kyr), _axis("lat_deg", lat_deg)
    a = _core.annual_insolation(_grid(t, 2), lat[None, :], orbit=orbit, solar_constant=s0)
    _warn_reliability(t, orbit)
    return _to_xarray("annual", [a], t, {"lat_deg": lat, "orbit": orbit, "solar_constant": s0})


def true_longitude(time_kyr, day, *, orbit=_LA2004, year_days=_YEAR, equinox_day=_EQUINOX,
                   model_calendar=_MODEL):
    """The Sun's true longitude (degrees from the March equinox, [0, 360))
    at the instant `day` of a year of year_days days with the March equinox
    at equinox_day (by default those of model_calendar, as daily_insolation
    takes them). time_kyr may be an Orbit. CLI: calendar --day."""
    return _conversion("true_longitude", time_kyr, day, orbit, year_days, equinox_day, model_calendar)


def calendar_day(time_kyr, lon_deg, *, orbit=_LA2004, year_days=_YEAR, equinox_day=_EQUINOX,
                 model_calendar=_MODEL):
    """The calendar day in [0, year_days) when the Sun reaches true
    longitude lon_deg (degrees, 0 to 360). CLI: calendar --lon."""
    return _conversion("calendar_day", time_kyr, lon_deg, orbit, year_days, equinox_day, model_calendar)


def perihelion_day(time_kyr, *, orbit=_LA2004, year_days=_YEAR, equinox_day=_EQUINOX,
                   model_calendar=_MODEL):
    """The calendar day in [0, year_days) of perihelion, where the Sun's
    true longitude is varpi + 180 degrees. CLI: calendar (perihelion_day)."""
    return _conversion("perihelion_day", time_kyr, None, orbit, year_days, equinox_day, model_calendar)


def _conversion(what, time_kyr, value, orbit, year_days, equinox_day, model_calendar):
    calendar = _calendar(year_days, equinox_day, False, model_calendar)
    del calendar["day_mean"]
    orbit = _orbit_name(orbit)
    if _labelled(time_kyr, value):
        args = [time_kyr] + ([] if value is None else [value])
        return _apply(lambda t, *x: _conversion(what, t, x[0] if x else None, orbit, year_days,
                                                equinox_day, model_calendar), args, 1, function=what,
                      orbit=orbit, calendar=model_calendar)
    name = "day" if what == "true_longitude" else "lon_deg"
    args = [] if value is None else [(name, value)]
    checked = _checked(args)
    first = _first(time_kyr, orbit)
    _refuse_large([first] + checked, 1)
    result = _core.calendar_conversion(what, first, checked[0] if checked else None, orbit,
                                       **calendar)
    _warn_reliability(time_kyr, orbit)
    return result


# Every row of the registry whose function is not written above.
_MADE = _generated.functions(_core.quantities(), set(globals()))
globals().update(_MADE)
__all__ += list(_MADE)
