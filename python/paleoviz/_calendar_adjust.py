"""calendar_adjust: monthly means of a fixed model calendar re-averaged over
celestial months, the paleo calendar adjustment of Bartlein & Shafer (2019).

Under another orbit the months of a fixed calendar span other arcs of the
orbit than today's, so their means are not comparable with today's. Here
each series of monthly means is turned into daily values that keep every
month's mean exactly, and those are averaged again over the twelve arcs of
30 degrees of true longitude from the March equinox (celestial months).

The two steps are linear and the same for every year of a fixed-length
calendar, so they are composed once per call into a small matrix (twelve
celestial months of a year from the calendar months of the years around
it), which every series then meets in one matrix product: cheap enough for
a model grid, chunk by chunk on dask.
"""

import functools
import numbers

import numpy as _np

from ._orbit import Orbit

REFERENCE = ("Bartlein, P. J. and Shafer, S. L. (2019): Paleo calendar-effect adjustments in "
             "time-slice and transient climate-model simulations (PaleoCalAdjust v1.0), Geosci. "
             "Model Dev. 12, 3889-3913, doi:10.5194/gmd-12-3889-2019; daily values: Rymes, M. D. "
             "and Myers, D. R. (2001), Solar Energy 71, 225-231")
METHOD = ("calendar months re-averaged over celestial months (arcs of 30 degrees of true "
          "longitude from the March equinox, labelled in order from the arc at the March "
          "equinox, March, to the one at the December solstice, December): mean-preserving daily values (the smoothest daily "
          "series whose monthly means are the input's), averaged over each arc with its end days "
          "weighted by the fraction inside it")

# Each fixed-length CF calendar: its month lengths; aliases map to one name.
_MONTH_DAYS = {"noleap": [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31],
               "360_day": [30] * 12,
               "all_leap": [31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]}
_ALIASES = {"noleap": "noleap", "365_day": "noleap", "360_day": "360_day",
            "all_leap": "all_leap", "366_day": "all_leap"}
_LEAP_YEARS = ("standard", "gregorian", "proleptic_gregorian", "julian")
# A year's daily values come from a window of the years around it: a
# month's influence falls about fourfold per month, so a year either side
# leaves what lies beyond the window below 1e-6 of the values. (_operator
# and _daily_values take the window as three years.)
_WINDOW_YEARS = 3
_NEGLIGIBLE = 1e-13


def _calendar_name(calendar, argument="calendar"):
    """The canonical name of a fixed-length CF calendar, or a ValueError."""
    if not isinstance(calendar, str):
        raise TypeError("%s: a CF calendar name (str), not %r" % (argument, calendar))
    name = calendar.lower()
    if name in _ALIASES:
        return _ALIASES[name]
    if name in _LEAP_YEARS:
        raise ValueError("%s: %r has years of two lengths; calendar_adjust takes the fixed-length "
                         "calendars noleap/365_day, 360_day and all_leap/366_day" % (argument, calendar))
    raise ValueError("%s: unknown calendar %r; calendar_adjust takes noleap/365_day, 360_day and "
                     "all_leap/366_day" % (argument, calendar))


def _time_dim(obj):
    """The dimension holding the time axis: the one whose coordinate holds
    dates, else one named time."""
    def dates(d):
        values = obj[d].values
        return values.dtype.kind == "M" or (values.dtype.kind == "O" and values.size > 0 and
                                             hasattr(values.flat[0], "calendar"))
    dims = [d for d in obj.dims if d in obj.coords and dates(d)]
    if not dims and "time" in obj.dims:
        dims = ["time"]
    if len(dims) != 1:
        raise ValueError("monthly: needs one time axis of cftime dates, found %s" %
                         (dims or "none"))
    return dims[0]


def _axis_calendar(dim, values):
    """The canonical calendar of a time axis of cftime dates."""
    if values.dtype.kind == "M":
        raise ValueError("%s: numpy datetime64 dates are the proleptic Gregorian calendar, whose "
                         "years have two lengths; decode the file with use_cftime=True" % dim)
    calendars = {getattr(v, "calendar", None) for v in values.ravel()}
    if None in calendars or "" in calendars:
        raise ValueError("%s: the time axis has values without a calendar (%s); it needs cftime "
                         "dates (xarray.open_dataset(..., use_cftime=True))" % (dim, values.dtype))
    if len(calendars) > 1:
        raise ValueError("%s: the time axis mixes calendars %s" % (dim, sorted(calendars)))
    return _calendar_name(calendars.pop(), dim)


def _years(dim, values):
    """The number of whole years of consecutive months on the axis."""
    months = _np.array([v.year * 12 + v.month - 1 for v in values.ravel()])
    steps = _np.diff(months)

    def where(i):
        return "%04d-%02d" % (values[i].year, values[i].month)
    if (steps == 0).any():
        i = int(_np.argmax(steps == 0))
        raise ValueError("%s: two values in month %s: daily or other sub-monthly data; take "
                         "monthly means first" % (dim, where(i)))
    if (steps < 0).any():
        raise ValueError("%s: dates out of order after %s; sort by time" %
                         (dim, where(int(_np.argmax(steps < 0)))))
    if (steps > 1).any():
        i = int(_np.argmax(steps > 1))
        raise ValueError("%s: missing month after %s; the series needs every month" % (dim, where(i)))
    if months.size == 0 or months[0] % 12 != 0 or months.size % 12 != 0:
        raise ValueError("%s: needs whole years of months, January to December (%d months from %s)"
                         % (dim, months.size, where(0) if months.size else "none"))
    return months.size // 12


@functools.lru_cache(maxsize=None)
def _daily_operator(month_days):
    """Daily values of the middle year of a three-year window from its 36
    monthly means: a (year_days, 36) matrix. The daily series is the
    smoothest one (least sum of squared day-to-day differences) whose
    monthly means are the given ones, the fixed point of Rymes & Myers'
    iteration (smooth, then restore each month's mean); solved here
    directly from its Lagrange conditions. Its values are parabolas within
    each month, joined with continuous values and slopes."""
    lengths = _np.tile(_np.array(month_days), _WINDOW_YEARS)
    days, months = int(lengths.sum()), lengths.size
    month_of_day = _np.repeat(_np.arange(months), lengths)
    system = _np.zeros((days + months, days + months))
    index = _np.arange(days - 1)
    system[index, index] += 1.0
    system[index + 1, index + 1] += 1.0
    system[index, index + 1] -= 1.0
    system[index + 1, index] -= 1.0
    system[_np.arange(days), days + month_of_day] = 1.0
    system[days + month_of_day, _np.arange(days)] = 1.0
    rhs = _np.zeros((days + months, months))
    rhs[days + _np.arange(months), _np.arange(months)] = lengths
    year = int(_np.sum(month_days))
    middle = _WINDOW_YEARS // 2 * year
    daily = _np.linalg.solve(system, rhs)[middle:middle + year]
    daily.flags.writeable = False  # cached: shared by every call
    return daily


def _arcs(time_kyr, orbit, calendar, equinox_day):
    """The celestial months' starts (days from 1 January 00:00 of the year)
    and lengths in days, in label order January to December."""
    from . import calendar_day
    year = float(sum(_MONTH_DAYS[calendar]))
    kwargs = {} if equinox_day is None else {"equinox_day": equinox_day}
    entry = _np.asarray(calendar_day(time_kyr, _np.arange(0.0, 360.0, 30.0), orbit=orbit,
                                     model_calendar=calendar, **kwargs), dtype=float) - 1.0
    lengths = _np.mod(_np.diff(_np.append(entry, entry[0])), year)
    starts = entry[0] + _np.concatenate(([0.0], _np.cumsum(lengths)[:-1]))
    # Arc k (k = 0 from the March equinox) is month k + 2; the last two arcs
    # of the equinox year begun in the year before are its January and February.
    starts[10:] -= year
    return _np.roll(starts, 2), _np.roll(lengths, 2)


def _day_weights(starts, lengths, year):
    """(12, 3 year) weights of the days of the previous, this and the next
    year in each celestial month's mean: each day's fraction inside it."""
    t = _np.arange(-year, 2 * year, dtype=float)
    ends = starts + lengths
    inside = _np.minimum(ends[:, None], t + 1.0) - _np.maximum(starts[:, None], t)
    return _np.clip(inside, 0.0, None) / lengths[:, None]


def _operator(starts, lengths, calendar):
    """The composed matrix: a year's 12 celestial means from the calendar
    months of the two years before it to the two after it (60 columns from
    January of year - 2), trimmed to its non-negligible columns; (K, lo)
    with lo the first column kept."""
    year = int(sum(_MONTH_DAYS[calendar]))
    daily = _daily_operator(tuple(_MONTH_DAYS[calendar]))
    weights = _day_weights(starts, lengths, year)
    full = _np.zeros((12, 60))
    for j in range(3):  # the days of years - 1, 0, + 1, each from its own window
        full[:, 12 * j:12 * j + 36] += weights[:, j * year:(j + 1) * year] @ daily
    big = _np.abs(full).max(axis=0) > _NEGLIGIBLE * _np.abs(full).max()
    lo, hi = int(_np.argmax(big)), 60 - int(_np.argmax(big[::-1]))
    return full[:, lo:hi], lo


def _apply(values, matrix, lo):
    """The celestial means of series along the last axis (whole years, the
    record taken as periodic: its last December is followed by its first
    January), in float64."""
    n = values.shape[-1]
    padded = _np.take(_np.asarray(values, dtype=_np.float64),
                      _np.arange(-24, n + 24) % n, axis=-1)
    width = matrix.shape[1]
    windows = _np.lib.stride_tricks.sliding_window_view(padded, width, axis=-1)
    windows = windows[..., lo:lo + n - 11:12, :]
    return (windows @ matrix.T).reshape(values.shape[:-1] + (n,))


def _daily_values(values, calendar):
    """The daily values of series of monthly means along the last axis
    (whole years, the record periodic), (..., days): the interpolation
    calendar_adjust averages over celestial months."""
    calendar = _calendar_name(calendar)
    daily = _daily_operator(tuple(_MONTH_DAYS[calendar]))
    values = _np.asarray(values, dtype=_np.float64)
    n = values.shape[-1]
    years = []
    for y in range(n // 12):
        window = _np.take(values, _np.arange(12 * y - 12, 12 * y + 24) % n, axis=-1)
        years.append(window @ daily.T)
    return _np.concatenate(years, axis=-1)


def _orbit_text(time_kyr, orbit):
    if isinstance(time_kyr, Orbit):
        return repr(time_kyr)
    return "time_kyr=%g, orbit=%s" % (time_kyr, orbit)


def _checked_time(time_kyr):
    """One time (a real number) or one Orbit."""
    if isinstance(time_kyr, Orbit):
        if _np.size(time_kyr.eccentricity) != 1:
            raise ValueError("time_kyr: one Orbit, not an array of them")
        return time_kyr
    if isinstance(time_kyr, (bool, _np.bool_)) or not isinstance(time_kyr, (numbers.Real, _np.ndarray)) \
            or _np.ndim(time_kyr) != 0 or _np.asarray(time_kyr).dtype.kind not in "iuf":
        raise TypeError("time_kyr: one time in kyr (a number) or one Orbit, not %r" % (time_kyr,))
    if not _np.isfinite(time_kyr):
        raise ValueError("time_kyr: not a finite number: %r" % (time_kyr,))
    return float(time_kyr)


def _attributes(time_kyr, orbit, calendar):
    return {"calendar_adjustment": METHOD,
            "calendar_adjustment_orbit": _orbit_text(time_kyr, orbit),
            "calendar_adjustment_calendar": calendar,
            "calendar_adjustment_reference": REFERENCE}


def _adjust_array(array, dim, matrix, lo, attrs):
    """One DataArray along dim, lazily where it is backed by dask."""
    import xarray as xr
    kind = array.dtype.kind
    if kind not in "iuf":
        raise TypeError("monthly: %s holds %s values, not numbers" % (array.name or "the array",
                                                                      array.dtype))
    dtype = array.dtype if kind == "f" else _np.dtype(_np.float64)
    if array.chunks is not None:
        array = array.chunk({dim: -1})  # every series whole in one block
    out = xr.apply_ufunc(lambda x: _apply(x, matrix, lo).astype(dtype, copy=False), array,
                         input_core_dims=[[dim]], output_core_dims=[[dim]], dask="parallelized",
                         output_dtypes=[dtype], keep_attrs=True)
    out = out.transpose(*array.dims)
    out.attrs.update(attrs)
    return out


def calendar_adjust(monthly, time_kyr, calendar=None, *, orbit="la2004", equinox_day=None):
    """Monthly means of a fixed model calendar re-averaged over celestial
    months, the paleo calendar adjustment of Bartlein & Shafer (2019).

    monthly: an xarray.DataArray or Dataset of monthly means on a time axis
    of cftime dates in a fixed-length calendar (noleap/365_day, 360_day,
    all_leap/366_day), whole years January to December with no month
    missing. calendar: None takes the time axis's own; a name that disagrees
    with it is refused. time_kyr: the orbit's time (kyr, negative in the
    past, as every function takes it, with orbit= the solution) or an Orbit;
    equinox_day: the calendar day of the March equinox (21 March 00:00 by
    default).

    Each series is interpolated to the smoothest daily values that keep
    every month's mean exactly (Rymes & Myers 2001), the record taken as
    periodic (its last December runs into its first January), and those are
    averaged over the twelve arcs of 30 degrees of true longitude from the
    March equinox, the days at an arc's ends weighted by their fraction in
    it. The arc from the March equinox is labelled March, and so on: the
    December arc begins at the December solstice and runs into January.

    Returns the same layout (dims, coordinates, dates; floats keep their
    dtype, integers become float64), lazily where the input is backed by
    dask (the time axis is rechunked to one block). The data's attributes
    calendar_adjustment* state the method, orbit, calendar and reference;
    the time coordinate gets month_kind="celestial" and the celestial
    months' start days (from 1 January 00:00) and lengths in days, label
    order. Weight annual means by celestial_month_length_days."""
    import xarray as xr
    if not isinstance(monthly, (xr.DataArray, xr.Dataset)):
        raise TypeError("monthly: an xarray.DataArray or Dataset, not %s" % type(monthly).__name__)
    time_kyr = _checked_time(time_kyr)
    dim = _time_dim(monthly)
    values = _np.asarray(monthly[dim].values)
    axis = _axis_calendar(dim, values)
    if calendar is not None and _calendar_name(calendar) != axis:
        raise ValueError("calendar: %r disagrees with the time axis's calendar %r" % (calendar, axis))
    _years(dim, values)
    starts, lengths = _arcs(time_kyr, orbit, axis, equinox_day)
    matrix, lo = _operator(starts, lengths, axis)
    attrs = _attributes(time_kyr, orbit, axis)
    if isinstance(monthly, xr.DataArray):
        out = _adjust_array(monthly, dim, matrix, lo, attrs)
    else:
        out = monthly.copy()
        for name, array in monthly.data_vars.items():
            if dim in array.dims and array.dtype.kind in "iuf":
                out[name] = _adjust_array(array, dim, matrix, lo, attrs)
        out.attrs.update(attrs)
    coord = monthly[dim].copy()
    coord.attrs.update({"month_kind": "celestial",
                        "celestial_month_start_day": starts,
                        "celestial_month_length_days": lengths})
    return out.assign_coords({dim: coord})
