"""Dates in place of calendar days: numpy.datetime64 values and cftime
dates turned into the time of the orbit, a day of a model calendar and an
hour in universal time (UTC), as the tool's --date does.

- numpy.datetime64 (and ISO strings, and datetime.datetime) is the
  proleptic Gregorian calendar in UTC: a common year counts as the model
  calendar "noleap" (365 days), a leap year as "all_leap" (366 days), both
  with 1 January 00:00 at day 1.0 and the March equinox at 21 March 00:00.
  A string or datetime with a zone other than UTC is refused.
- cftime dates keep their own calendar: noleap/365_day, 360_day and
  all_leap/366_day are the model calendars of those names; standard,
  gregorian, proleptic_gregorian and julian count their own years, common
  or leap, as above. One call takes one of those calendars.
- The time of the orbit is the date's decimal year from the solution's
  time 0 (J2000 for la2004, 1950 for berger1978), in kyr.
- An xarray.DataArray of dates gives a DataArray of its dimensions and
  coordinates; a dask array of dates (or a DataArray backed by one) stays
  lazy and is computed chunk by chunk.
"""

import datetime as _datetime

import numpy as _np

from . import _core

_SAME = {"noleap": "noleap", "365_day": "noleap", "360_day": "360_day", "all_leap": "all_leap",
         "366_day": "all_leap"}
_OWN_YEARS = ("standard", "gregorian", "proleptic_gregorian", "julian")
_LENGTH = {"noleap": 365.0, "all_leap": 366.0, "360_day": 360.0}
_ORIGIN = {"J2000": 2000 + 0.5 / 366, "1950": 1950.0}


def _gregorian_leap(year):
    return (year % 4 == 0) & ((year % 100 != 0) | (year % 400 == 0))


def _utc_text(text):
    """An ISO string in UTC: a zone Z or +00:00 dropped, any other refused."""
    for suffix in ("Z", "+00:00"):
        if text.endswith(suffix):
            return text[:-len(suffix)]
    if "T" in text and any(c in text.split("T", 1)[1] for c in "+-"):
        raise ValueError("date: %r has a zone other than UTC; give the date in UTC" % text)
    return text


def _as_datetime64(value):
    if isinstance(value, str):
        return _np.datetime64(_utc_text(value), "ms")
    if isinstance(value, _datetime.datetime) and value.utcoffset() not in (None, _datetime.timedelta(0)):
        raise ValueError("date: %s has a zone other than UTC; give the date in UTC" % value)
    if isinstance(value, _datetime.datetime):
        value = value.replace(tzinfo=None)
    return _np.datetime64(value, "ms")


def _gregorian(dates):
    """(year, day of year, hour, calendar names) of datetime64 values."""
    if _np.isnat(dates).any():
        raise ValueError("date: NaT is no date")
    days = dates.astype("datetime64[D]")
    year = dates.astype("datetime64[Y]").astype(_np.int64) + 1970
    doy = (days - dates.astype("datetime64[Y]").astype("datetime64[D]")).astype(_np.int64) + 1
    hour = (dates - days) / _np.timedelta64(1, "h")
    return year, doy, hour, _np.where(_gregorian_leap(year), "all_leap", "noleap")


def _cftime(dates):
    """The same of an array of cftime dates of one calendar."""
    import cftime
    flat = dates.ravel()
    calendars = {d.calendar for d in flat}
    if len(calendars) != 1:
        raise ValueError("date: mixes the calendars %s; give dates of one calendar" % sorted(calendars))
    calendar = calendars.pop()
    if calendar not in _SAME and calendar not in _OWN_YEARS:
        raise ValueError("date: the calendar %r is none of %s" % (calendar, sorted(_SAME) + list(_OWN_YEARS)))
    year = _np.array([d.year for d in flat]).reshape(dates.shape)
    doy = _np.array([d.dayofyr for d in flat]).reshape(dates.shape)
    hour = _np.array([d.hour + d.minute / 60 + (d.second + d.microsecond / 1e6) / 3600
                      for d in flat], dtype=float).reshape(dates.shape)
    if calendar in _SAME:
        return year, doy, hour, _np.full(dates.shape, _SAME[calendar])
    leap = _np.array([cftime.is_leap_year(int(y), calendar) for y in year.ravel()]).reshape(dates.shape)
    return year, doy, hour, _np.where(leap, "all_leap", "noleap")


def places(date):
    """(year, day of year, hour in UTC, model calendar names) of the dates,
    arrays of the dates' shape."""
    values = _np.asarray(date)
    if values.dtype.kind == "M":
        return _gregorian(values.astype("datetime64[ms]"))
    if values.dtype.kind in "OU" and values.size and all(hasattr(d, "dayofyr") for d in values.ravel()):
        return _cftime(values)
    if values.dtype.kind in "OU" and values.size:
        flat = [_as_datetime64(d) for d in values.ravel()]
        return _gregorian(_np.array(flat).reshape(values.shape))
    raise TypeError("date: takes numpy.datetime64 values, cftime dates or ISO strings, not %s"
                    % values.dtype)


def time_kyr(year, doy, hour, calendars, orbit):
    """The dates' times in kyr from the time 0 of the solution `orbit`."""
    origin = {s["key"]: s["origin"] for s in _core.solutions()}.get(orbit)
    if origin not in _ORIGIN:
        raise ValueError("date: the orbit's time 0 (%s) is no calendar date; give time_kyr"
                         % (origin or "time 0 of the series file"))
    length = _np.vectorize(_LENGTH.get, otypes=[float])(calendars)
    return (year + (doy - 1 + hour / 24) / length - _ORIGIN[origin]) / 1000


def _wrapped(day, calendars):
    """Days past the end of a year (31 December after 00:00 in a leap year)
    as the same place of the next year's count: days are periodic."""
    length = _np.vectorize(_LENGTH.get, otypes=[float])(calendars)
    return _np.where(day > length, day - length, day)


def refuse_with_date(function, given):
    """ValueError naming the first argument given beside date that the
    date stands for or that a call with dates does not take."""
    for name, value, left in given:
        if value is not left and not (isinstance(left, float) and _np.isnan(left) and value is not None
                                      and _np.isnan(value)):
            raise ValueError("date: %s takes a date or %s, not both (the date gives its day, hour, "
                             "calendar and time)" % (function, name))


def call(function, date, given_time, orbit, lat_deg, lon_east, instant, keywords):
    """function (daily_insolation or instant_insolation) at the dates:
    each model calendar among them computed in one call. xarray and dask
    arguments go through xarray.apply_ufunc, block by block, as the other
    functions' do: a DataArray keeps its dimensions and coordinates, a
    dask array stays lazy."""
    from ._orbit import _labelled
    if _labelled(date, given_time, lat_deg, lon_east):
        from ._labelled import _apply

        def block(t, d, lat, lon):
            return call(function, d, t, orbit, lat, lon, instant, keywords)
        # Times first: their reliability note, where given; none of dates.
        return _apply(block, [given_time, date, lat_deg, lon_east], 1, function=function.__name__,
                      orbit=orbit)
    year, doy, hour, calendars = places(date)
    times = time_kyr(year, doy, hour, calendars, orbit) if given_time is None else given_time
    day = _wrapped(doy + (0.0 if instant else hour / 24), calendars)
    by_hand = hasattr(times, "eccentricity")
    parts = ([] if by_hand else [times]) + [lat_deg, day, hour, calendars] + ([lon_east] if instant else [])
    arrays = _np.broadcast_arrays(*[_np.asarray(p) for p in parts])
    first = times if by_hand else None
    arrays = ([None] if by_hand else []) + arrays
    out = _np.empty(arrays[1].shape)
    for name in _np.unique(arrays[4]):
        at = arrays[4] == name
        t = first if by_hand else arrays[0][at]
        if instant:
            out[at] = function(t, arrays[1][at], None, arrays[3][at], day=arrays[2][at], orbit=orbit,
                               model_calendar=str(name), lon_east_deg=arrays[5][at], **keywords)
        else:
            out[at] = function(t, arrays[1][at], day=arrays[2][at], orbit=orbit, model_calendar=str(name),
                               **keywords)
    return out if out.ndim else float(out)
