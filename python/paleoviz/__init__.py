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
- orbit: a solution's key (see solutions()) or the path of an
  orbit95b-style series file, interpolated in e*exp(i*varpi) and obliquity.

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
"""
import numpy as _np

from . import _core

__all__ = ["elements", "daily_insolation", "integrated_insolation", "threshold_energy",
           "caloric_half_year", "monthly_insolation", "instant_insolation",
           "annual_insolation", "solutions"]

__version__ = _core.__version__

_LA2004 = "la2004"
_S0 = 1365.0


def solutions():
    """The orbital solutions built in: a list of dicts with key, name,
    citation, origin (what time 0 is), span_kyr (oldest, newest), elements
    (the keys elements() gives: all four, or eccentricity alone),
    reliable_span_kyr (the part of the span its authors vouch for),
    reliable_oldest_kyr and reliability_note. Insolation needs all three
    elements: the other solutions raise ValueError there."""
    return _core.solutions()


def elements(time_kyr, orbit=_LA2004, *, as_xarray=False):
    """Orbital elements at time_kyr: a dict of eccentricity, perihelion_deg
    (varpi from the moving equinox, [0, 360)), obliquity_deg and
    precession_index (e sin varpi); for a solution of eccentricity alone
    (la2010a-d, la2011, zb18a) the one key eccentricity. CLI:
    paleoviz-insolation elements."""
    if not as_xarray:
        return _core.elements(time_kyr, orbit)
    t = _axis("time_kyr", time_kyr)
    values = list(_core.elements(t, orbit).values())
    return _to_xarray("elements", values, t, orbit=orbit)


def daily_insolation(time_kyr, lat_deg, lon_deg=None, *, day=None, orbit=_LA2004,
                     solar_constant=_S0, dtype=None, out=None, as_xarray=False):
    """Daily-mean insolation (W/m^2) at a true longitude lon_deg or a
    calendar day `day` (exactly one of them):
    Q = (S0/pi) (a/r)^2 (h0 sin(lat) sin(dec) + cos(lat) cos(dec) sin(h0)).
    dtype float32 halves the memory of large grids; out, a C-ordered float64
    or float32 array of the result's shape, takes the result instead of a new
    array (as NumPy's out= does), which saves allocating and clearing fresh
    memory on every call. CLI: daily --lon/--day."""
    if not as_xarray:
        return _core.daily_insolation(time_kyr, lat_deg, lon_deg, day=day, orbit=orbit,
                                      solar_constant=solar_constant, dtype=dtype, out=out)
    by_day = lon_deg is None and day is not None
    t, lat = _axis("time_kyr", time_kyr), _axis("lat_deg", lat_deg)
    third = _axis("day" if by_day else "lon_deg", day if by_day else lon_deg)
    g = _core.daily_insolation(t[:, None, None], lat[None, :, None],
                               None if by_day else third[None, None, :],
                               day=third[None, None, :] if by_day else None, orbit=orbit,
                               solar_constant=solar_constant, dtype=dtype)
    return _to_xarray("daily", [g], t, lat, third, by_day=by_day, orbit=orbit,
                      solar_constant=solar_constant)


def integrated_insolation(time_kyr, lat_deg, start_deg, end_deg, *, orbit=_LA2004,
                          solar_constant=_S0, as_xarray=False):
    """Energy (GJ/m^2) received while the Sun goes from true longitude
    start_deg forward to end_deg, its mean (W/m^2) over that time, and the
    time in days (Kepler's second law): a tuple (energy_GJ, mean_W, days).
    CLI: integrated --start --end."""
    if not as_xarray:
        return _core.integrated_insolation(time_kyr, lat_deg, start_deg, end_deg, orbit=orbit,
                                           solar_constant=solar_constant)
    t, lat = _axis("time_kyr", time_kyr), _axis("lat_deg", lat_deg)
    a, b = _scalar("start_deg", start_deg), _scalar("end_deg", end_deg)
    energy, mean, days = _core.integrated_insolation(t[:, None], lat[None, :], a, b, orbit=orbit,
                                                     solar_constant=solar_constant)
    return _to_xarray("integrated", [energy, mean, days[:, 0]], t, lat, orbit=orbit,
                      solar_constant=solar_constant, start=a, end=b)


def threshold_energy(time_kyr, lat_deg, threshold=275.0, *, orbit=_LA2004, solar_constant=_S0,
                     as_xarray=False):
    """Energy (GJ/m^2) of the part of the year whose daily mean exceeds
    threshold (W/m^2), and that part's duration in days: a tuple
    (energy_GJ, days). CLI: threshold --threshold."""
    if not as_xarray:
        return _core.threshold_energy(time_kyr, lat_deg, threshold, orbit=orbit,
                                      solar_constant=solar_constant)
    t, lat = _axis("time_kyr", time_kyr), _axis("lat_deg", lat_deg)
    tau = _scalar("threshold", threshold)
    values = _core.threshold_energy(t[:, None], lat[None, :], tau, orbit=orbit,
                                    solar_constant=solar_constant)
    return _to_xarray("threshold", list(values), t, lat, orbit=orbit,
                      solar_constant=solar_constant, threshold=tau)


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
    if not as_xarray:
        return _core.caloric_half_year(time_kyr, lat_deg, orbit=orbit,
                                       solar_constant=solar_constant)
    t, lat = _axis("time_kyr", time_kyr), _axis("lat_deg", lat_deg)
    c = _core.caloric_half_year(t[:, None], lat[None, :], orbit=orbit, solar_constant=solar_constant)
    return _to_xarray("caloric", [c[k] for k in _CALORIC], t, lat, orbit=orbit,
                      solar_constant=solar_constant)


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
    if not as_xarray:
        return _core.monthly_insolation(time_kyr, lat_deg, calendar, orbit=orbit,
                                        solar_constant=solar_constant)
    t, lat = _axis("time_kyr", time_kyr), _axis("lat_deg", lat_deg)
    m = _core.monthly_insolation(t[:, None], lat[None, :], calendar, orbit=orbit,
                                 solar_constant=solar_constant)
    return _to_xarray("monthly", [m], t, lat, orbit=orbit, solar_constant=solar_constant,
                      calendar=calendar)


def instant_insolation(time_kyr, lat_deg, lon_deg=None, hour=None, *, day=None, orbit=_LA2004,
                       solar_constant=_S0, as_xarray=False):
    """Instantaneous insolation (W/m^2) on a horizontal surface at the top
    of the atmosphere, at true longitude lon_deg (or calendar day `day`) and
    local apparent solar time `hour` (0 to 24, 12 at noon; hour angle
    (hour - 12) x 15 degrees): I = S0 (a/r)^2 max(0, cos(zenith)), the Sun
    held at that day's place for the whole day, so that its average over the
    day is the daily mean. CLI: instant --lon/--day --hour."""
    if not as_xarray:
        return _core.instant_insolation(time_kyr, lat_deg, lon_deg, hour, day=day, orbit=orbit,
                                        solar_constant=solar_constant)
    by_day = lon_deg is None and day is not None
    t, lat = _axis("time_kyr", time_kyr), _axis("lat_deg", lat_deg)
    at = _scalar("day" if by_day else "lon_deg", day if by_day else lon_deg)
    h = _axis("hour", hour)
    v = _core.instant_insolation(t[:, None, None], lat[None, :, None],
                                 None if by_day else at, h[None, None, :],
                                 day=at if by_day else None, orbit=orbit,
                                 solar_constant=solar_constant)
    return _to_xarray("instant", [v], t, lat, h, by_day=by_day, instant_at=at, orbit=orbit,
                      solar_constant=solar_constant)


def annual_insolation(time_kyr, lat_deg, *, orbit=_LA2004, solar_constant=_S0, as_xarray=False):
    """Annual-mean insolation (W/m^2). CLI: annual."""
    if not as_xarray:
        return _core.annual_insolation(time_kyr, lat_deg, orbit=orbit,
                                       solar_constant=solar_constant)
    t, lat = _axis("time_kyr", time_kyr), _axis("lat_deg", lat_deg)
    a = _core.annual_insolation(t[:, None], lat[None, :], orbit=orbit,
                                solar_constant=solar_constant)
    return _to_xarray("annual", [a], t, lat, orbit=orbit, solar_constant=solar_constant)


def _axis(name, values):
    if values is None:
        raise ValueError("%s: as_xarray=True needs a value for this axis" % name)
    a = _np.asarray(values, dtype=float)
    if a.ndim > 1:
        raise ValueError("%s: as_xarray=True takes a number or a 1-D list per axis" % name)
    return _np.atleast_1d(a)


def _scalar(name, value):
    a = _np.asarray(value, dtype=float)
    if a.ndim != 0:
        raise ValueError("%s: as_xarray=True takes one value here, as the command line does" % name)
    return float(a)


def _to_xarray(command, values, time, lat=(), third=(), *, by_day=False, instant_at=0.0,
               orbit=_LA2004, solar_constant=_S0, calendar="equinox", threshold=275.0,
               start=0.0, end=180.0):
    """The tool's NetCDF layout of a request, filled with values."""
    import xarray

    d = _core.describe(command, list(time), list(lat), list(third), by_day, instant_at, orbit,
                       float(solar_constant), calendar, threshold, start, end)

    def attributes(x):
        a = {"long_name": x["long_name"], "units": x["units"]}
        if x["standard_name"]:
            a["standard_name"] = x["standard_name"]
        if x.get("axis"):
            a["axis"] = x["axis"]
        return a

    dims = [x["name"] for x in d["axes"]]
    coords = {x["name"]: (x["name"], _np.asarray(x["values"]), attributes(x)) for x in d["axes"]}
    data = {v["name"]: (dims[:v["rank"]], _np.asarray(array), attributes(v))
            for v, array in zip(d["variables"], values)}
    dataset = xarray.Dataset(data, coords=coords, attrs=dict(d["attributes"]))
    if len(data) > 1:
        return dataset
    (name,) = data
    array = dataset[name]
    array.attrs = {**dataset.attrs, **array.attrs}
    return array
