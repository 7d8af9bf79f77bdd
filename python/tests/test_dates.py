"""Dates in place of days: a date call equals the same instant given by
day and hour, in the module and the tool; faulty dates are refused."""

import os
import subprocess

import cftime
import numpy as np
import pytest

import paleoviz

TOOL = os.environ.get("PALEOVIZ_INSOLATION_TOOL", "paleoviz-insolation")
J2000 = 2000 + 0.5 / 366

# date, model calendar, its day at 00:00 UTC, hour (UTC), decimal year
CASES = [
    (np.datetime64("2020-06-21T12:00"), "all_leap", 173, 12.0, 2020 + (172.5 / 366)),
    (np.datetime64("2021-12-01T06:30"), "noleap", 335, 6.5, 2021 + (334 + 6.5 / 24) / 365),
    (cftime.datetime(2020, 6, 21, 12, calendar="360_day"), "360_day", 171, 12.0, 2020 + 170.5 / 360),
    (cftime.datetime(1999, 3, 1, 18, calendar="noleap"), "noleap", 60, 18.0, 1999 + (59.75 / 365)),
    (cftime.datetime(2004, 3, 1, 0, calendar="standard"), "all_leap", 61, 0.0, 2004 + 60 / 366),
]


@pytest.mark.parametrize("date, calendar, day, hour, year", CASES)
def test_a_date_is_its_day_and_hour(date, calendar, day, hour, year):
    t = (year - J2000) / 1000
    daily = paleoviz.daily_insolation(lat_deg=[65, -30], date=date)
    np.testing.assert_allclose(daily, paleoviz.daily_insolation(t, [65, -30], day=day + hour / 24,
                                                                model_calendar=calendar), rtol=1e-9)
    instant = paleoviz.instant_insolation(lat_deg=[65, -30], date=date, lon_east_deg=10)
    np.testing.assert_allclose(instant, paleoviz.instant_insolation(t, [65, -30], hour=hour, day=day,
                                                                    model_calendar=calendar,
                                                                    lon_east_deg=10), rtol=1e-9)


def test_the_tool_gives_what_the_module_gives():
    date = "2020-06-21T12:00"
    run = subprocess.run([TOOL, "instant", "--date", date, "--lat", "65", "--lon-east", "10"],
                         capture_output=True, text=True, check=True)
    value = float(run.stdout.splitlines()[-1].split(",")[1])
    module = paleoviz.instant_insolation(lat_deg=65, date=np.datetime64(date), lon_east_deg=10)
    assert value == pytest.approx(module, rel=1e-9)


def test_dates_broadcast_across_leap_and_common_years():
    dates = np.array(["2019-06-21", "2020-06-21"], dtype="datetime64[s]")
    both = paleoviz.daily_insolation(lat_deg=np.array([[65], [0]]), date=dates)
    assert both.shape == (2, 2)
    assert both[0, 1] == paleoviz.daily_insolation(lat_deg=65, date=dates[1])


STAMPS = np.array(["2019-06-21T06:00", "2020-06-21T12:00", "2021-12-01T18:30"], dtype="datetime64[ns]")
MODEL_DATES = np.array([cftime.datetime(2020, 6, 21, 12, calendar="360_day"),
                        cftime.datetime(2021, 1, 30, 3, calendar="360_day")])


def as_dataarray(dates):
    xarray = pytest.importorskip("xarray")
    return xarray.DataArray(dates, dims="when", coords={"when": np.arange(dates.size) * 10})


def as_dask(dates):
    return pytest.importorskip("dask.array").from_array(dates, chunks=1)


def as_lazy_dataarray(dates):
    return as_dataarray(dates).chunk({"when": 1})


@pytest.mark.parametrize("dates", [STAMPS, MODEL_DATES])
@pytest.mark.parametrize("wrap, lazy, labelled", [(as_dataarray, False, True), (as_dask, True, False),
                                                  (as_lazy_dataarray, True, True)])
def test_dates_in_xarray_and_dask_give_numpys_numbers(dates, wrap, lazy, labelled):
    for call in (lambda d: paleoviz.daily_insolation(lat_deg=65, date=d),
                 lambda d: paleoviz.instant_insolation(lat_deg=-30, date=d, lon_east_deg=10)):
        eager = call(dates)
        result = call(wrap(dates))
        assert (getattr(getattr(result, "data", result), "dask", None) is not None) == lazy
        if labelled:
            assert result.dims == ("when",) and list(result["when"].values) == [0, 10, 20][:dates.size]
        assert np.array_equal(np.asarray(result), eager)


REFUSED = [
    (dict(lat_deg=65, date=np.datetime64("2020-06-21"), day=3), "day"),
    (dict(lat_deg=65, date=np.datetime64("2020-06-21"), model_calendar="noleap"), "model_calendar"),
    (dict(lat_deg=65, date="2020-06-21T12:00+02:00"), "zone"),
    (dict(lat_deg=65, date=np.array(["2020-06-21", "NaT"], dtype="datetime64[D]")), "NaT"),
    (dict(lat_deg=65, date=np.array([cftime.datetime(2020, 1, 1, calendar="noleap"),
                                     cftime.datetime(2020, 1, 1, calendar="360_day")])), "calendars"),
    (dict(lat_deg=65, date=np.datetime64("-200000000-01-01")), "span"),
    (dict(lat_deg=65, date=np.datetime64("2020-06-21"), orbit="berger1978", as_xarray=True), "as_xarray"),
]


@pytest.mark.parametrize("keywords, word", REFUSED)
def test_faulty_dates_are_refused_by_name(keywords, word):
    with pytest.raises(ValueError, match="date|" + word) as caught:
        paleoviz.daily_insolation(**keywords)
    assert word in str(caught.value) or "date" in str(caught.value)


def test_instant_needs_a_place_for_utc():
    with pytest.raises(ValueError, match="lon_east_deg"):
        paleoviz.instant_insolation(lat_deg=65, date=np.datetime64("2020-06-21T12:00"))
    with pytest.raises(ValueError, match="lon_east_deg"):
        paleoviz.instant_insolation(0, 65, 90, 12, lon_east_deg=400)
