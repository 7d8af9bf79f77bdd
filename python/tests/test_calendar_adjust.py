"""calendar_adjust: monthly means re-averaged over celestial months."""
import numpy as np
import pytest

import paleoviz as pv
from paleoviz import _calendar_adjust

xr = pytest.importorskip("xarray")
cftime = pytest.importorskip("cftime")

CALENDARS = ["noleap", "360_day", "all_leap"]


def monthly(calendar="noleap", years=2, start="0001-01-01", freq="MS", seed=1, dtype=float):
    times = xr.cftime_range(start, periods=12 * years, freq=freq, calendar=calendar)
    values = np.random.default_rng(seed).normal(280.0, 10.0, (len(times), 3, 4)).astype(dtype)
    return xr.DataArray(values, dims=("time", "lat", "lon"), name="tas",
                        coords={"time": times, "lat": [-45.0, 0.0, 45.0]})


def lengths(calendar, years):
    return np.tile(_calendar_adjust._MONTH_DAYS[calendar], years)


@pytest.mark.parametrize("calendar", CALENDARS)
def test_a_constant_field_stays_constant(calendar):
    field = xr.full_like(monthly(calendar), 271.5)
    out = pv.calendar_adjust(field, -127)
    np.testing.assert_allclose(out.values, 271.5, rtol=1e-12)
    assert out.time.attrs["month_kind"] == "celestial" and out.dims == field.dims


@pytest.mark.parametrize("calendar,years", [("noleap", 1), ("360_day", 3), ("all_leap", 2)])
def test_the_annual_mean_is_kept(calendar, years):
    field = monthly(calendar, years)
    out = pv.calendar_adjust(field, -127)
    celestial = np.tile(out.time.attrs["celestial_month_length_days"], years)
    before = np.tensordot(lengths(calendar, years), field.values, 1) / lengths(calendar, years).sum()
    after = np.tensordot(celestial, out.values, 1) / celestial.sum()
    np.testing.assert_allclose(after, before, rtol=1e-6)
    assert np.abs(out.values - field.values).max() > 0.1  # the months did move


@pytest.mark.parametrize("calendar", CALENDARS)
def test_the_daily_values_keep_each_months_mean(calendar):
    field = monthly(calendar, 2)
    daily = _calendar_adjust._daily_values(np.moveaxis(field.values, 0, -1), calendar)
    days = lengths(calendar, 2)
    means = np.add.reduceat(daily, np.r_[0, np.cumsum(days)[:-1]], axis=-1) / days
    np.testing.assert_allclose(means, np.moveaxis(field.values, 0, -1), rtol=1e-12)


@pytest.mark.parametrize("calendar", ["noleap", "360_day"])
def test_monthly_insolation_becomes_the_celestial_months_insolation(calendar):
    # The arcs' own means are known exactly: the adjusted calendar months
    # approach them, labelled from the arc at the March equinox (March).
    lat = np.array([-60.0, 0.0, 30.0, 65.0])
    times = xr.cftime_range("0001-01-01", periods=12, freq="MS", calendar=calendar)
    field = xr.DataArray(pv.monthly_insolation(-127, lat, calendar=calendar).T,
                         dims=("time", "lat"), coords={"time": times})
    arcs = np.roll(pv.monthly_insolation(-127, lat, calendar="angular"), 2, axis=-1).T
    out = pv.calendar_adjust(field, -127)
    assert np.abs(field.values - arcs).max() > 50.0
    np.testing.assert_allclose(out.values, arcs, atol=1.0)


def test_dask_input_is_lazy_and_equals_the_eager_result():
    pytest.importorskip("dask")
    field = monthly("noleap", 3, dtype=np.float32)
    lazy = pv.calendar_adjust(field.chunk({"time": 12, "lat": 1}), -21)
    assert lazy.chunks is not None and lazy.dtype == np.float32
    np.testing.assert_array_equal(lazy.compute().values, pv.calendar_adjust(field, -21).values)
    dataset = pv.calendar_adjust(field.to_dataset().chunk({"lat": 2}), -21)
    np.testing.assert_array_equal(dataset["tas"].values, lazy.values)


def mixed():
    field = monthly("noleap", 1)
    times = list(field.time.values)
    times[5] = cftime.Datetime360Day(1, 6, 1)
    return field.assign_coords(time=np.array(times, dtype=object))


@pytest.mark.parametrize("make,kwargs,error,words", [
    (lambda: monthly(freq="D"), {}, ValueError, "sub-monthly"),
    (lambda: monthly(years=2).drop_isel(time=7), {}, ValueError, "missing month"),
    (lambda: monthly(start="0001-03-01"), {}, ValueError, "whole years"),
    (lambda: monthly(years=2).isel(time=slice(0, 18)), {}, ValueError, "whole years"),
    (lambda: monthly("standard"), {}, ValueError, "two lengths"),
    (lambda: monthly(), {"calendar": "julian_day"}, ValueError, "unknown calendar"),
    (lambda: monthly(), {"calendar": "360_day"}, ValueError, "disagrees"),
    (lambda: monthly().assign_coords(time=np.arange(24.0)), {}, ValueError, "without a calendar"),
    (mixed, {}, ValueError, "mixes calendars"),
    (lambda: monthly().values, {}, TypeError, "monthly"),
    (lambda: monthly(), {"time_kyr": [-127, 0]}, TypeError, "time_kyr"),
])
def test_refusals(make, kwargs, error, words):
    kwargs = dict({"time_kyr": -127}, **kwargs)
    with pytest.raises(error, match=words):
        pv.calendar_adjust(make(), **kwargs)
