"""Orbits given by hand, calendars, warnings and Ctrl-C in the module, and
the tool's --elements and calendar command giving the same numbers."""
import os
import signal
import subprocess
import threading
import time
import warnings

import numpy as np
import pytest

import paleoviz as pv

TOOL = os.environ.get("PALEOVIZ_INSOLATION_TOOL", "paleoviz-insolation")
ROWS = [(0.0167, 23.44, 102.9), (0.05, 22.1, 461.5), (0.0, 24.5, -30.0)]


def test_an_orbit_equals_a_series_file_of_the_same_values_bit_for_bit(tmp_path):
    path = tmp_path / "given.series"
    path.write_text("h\nh\nh\n" + "".join("%d %r %r %r 0\n" % (-k, e, varpi, obl)
                                         for k, (e, obl, varpi) in enumerate(ROWS)))
    e, obl, varpi = (np.array(a)[:, None, None] for a in zip(*ROWS))
    orbit = pv.Orbit(eccentricity=e, obliquity_deg=obl, perihelion_deg=varpi)
    t = -np.arange(len(ROWS), dtype=float)[:, None, None]
    lat, lon = np.array([-65.0, 0.0, 65.0])[:, None], np.array([0.0, 90.0, 271.5])
    by_hand = pv.daily_insolation(orbit, lat, lon)
    from_file = pv.daily_insolation(t, lat, lon, orbit=path)  # a pathlib.Path
    assert by_hand.shape == (3, 3, 3)
    assert by_hand.tobytes() == from_file.tobytes()
    assert (pv.caloric_half_year(orbit, 65.0)["summer_energy"].tobytes()
            == pv.caloric_half_year(t, 65.0, orbit=str(path))["summer_energy"].tobytes())


def test_elements_as_an_orbit_give_the_times_own_numbers():
    t = np.array([-21.0, -115.0, 0.0])
    assert pv.daily_insolation(pv.elements(-21, as_orbit=True), 65, 90) == pv.daily_insolation(-21, 65, 90)
    assert np.array_equal(pv.annual_insolation(pv.elements(t, as_orbit=True), [[10], [80]]),
                          pv.annual_insolation(t, [[10], [80]]))
    assert set(pv.elements(t)) == {"eccentricity", "perihelion_deg", "obliquity_deg", "precession_index"}


def test_the_tool_labels_rows_by_their_elements_with_the_modules_numbers():
    args = sum((["--elements", "%r,%r,%r" % row] for row in ROWS), [])
    run = subprocess.run([TOOL, "daily", "--lat", "65", "--lon", "90"] + args, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    rows = [line.split(",") for line in run.stdout.splitlines() if line[:1].isdigit()]
    e, obl, varpi = map(np.array, zip(*ROWS))
    mine = pv.daily_insolation(pv.Orbit(e, obl, varpi), 65, 90)
    assert [r[0] for r in rows] == ["1", "2", "3"]
    assert [float(r[1]) for r in rows] == list(e)
    assert [float(r[2]) for r in rows] == pytest.approx(np.mod(varpi, 360))
    assert [r[4] for r in rows] == ["%.10g" % x for x in mine]


def test_xarray_results_carry_the_elements_as_coordinates():
    e, obl, varpi = map(list, zip(*ROWS))
    a = pv.annual_insolation(pv.Orbit(e, obl, varpi), [-30, 65], as_xarray=True)
    assert a.dims == ("orbit", "lat")
    assert list(a["eccentricity"].values) == e and list(a["obliquity"].values) == obl
    assert a["perihelion"].dims == ("orbit",)


@pytest.mark.parametrize("year,equinox", [(365.2422, 80.0), (365, 80.5), (360, 80.0)])
def test_calendars_agree_with_each_other(year, equinox):
    t = [-21.0, 0.0]
    # The equinox day is the equinox.
    lam = pv.true_longitude(t, equinox, year_days=year, equinox_day=equinox)
    assert np.all(np.minimum(lam, 360 - lam) < 1e-9)
    # A day is 1/year of the tropical year, whatever the year's length.
    d = np.array([10.0, 100.5, 250.0])
    tropical = equinox + (d - equinox) * 365.2422 / year
    assert np.allclose(pv.daily_insolation(t, 65, day=d[:, None, None], year_days=year, equinox_day=equinox),
                       pv.daily_insolation(t, 65, day=tropical[:, None, None], equinox_day=equinox),
                       rtol=0, atol=1e-9)
    # The conversions invert each other, and perihelion is at varpi + 180.
    assert np.allclose(pv.calendar_day(t, np.mod(lam, 360), year_days=year, equinox_day=equinox), equinox,
                       rtol=0, atol=1e-9)
    assert np.allclose(pv.calendar_day(t, pv.true_longitude(t, d[:, None], year_days=year, equinox_day=equinox),
                                       year_days=year, equinox_day=equinox), d[:, None], rtol=0, atol=1e-9)
    p = pv.true_longitude(t, pv.perihelion_day(t, year_days=year, equinox_day=equinox),
                          year_days=year, equinox_day=equinox)
    assert np.allclose(p, np.mod(pv.elements(t)["perihelion_deg"] + 180, 360), atol=1e-9)


@pytest.mark.parametrize("calendar, cf", [("tropical", None), ("noleap", "noleap"), ("365_day", "365_day"),
                                          ("360_day", "360_day"), ("all_leap", "all_leap"),
                                          ("366_day", "366_day")])
def test_days_of_a_model_calendar_carry_its_cf_name_as_the_tool_writes_it(tmp_path, calendar, cf):
    xarray = pytest.importorskip("xarray")
    pytest.importorskip("netCDF4")
    path = str(tmp_path / "days.nc")
    run = subprocess.run([TOOL, "daily", "--time", "0", "--lat", "65", "--day", "80,172", "--model-calendar",
                          calendar, "--format", "netcdf", "-o", path], capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    with xarray.open_dataset(path) as written:
        tools = dict(written["day"].attrs)
    grid = pv.daily_insolation(0, 65, day=[80, 172], model_calendar=calendar, as_xarray=True)
    assert grid["day"].attrs == tools and tools.get("calendar") == cf
    days = xarray.DataArray([80.0, 172.0], dims="day", coords={"day": [80.0, 172.0]})
    labelled = [pv.daily_insolation(0, 65, day=days, model_calendar=calendar),
                pv.instant_insolation(0, 65, hour=12, day=days, model_calendar=calendar),
                pv.true_longitude(0, days, model_calendar=calendar)]
    assert [r["day"].attrs.get("calendar") for r in labelled] == [cf] * 3
    months = pv.monthly_insolation(0, 65, "noleap" if cf is None else calendar, as_xarray=True)
    assert "calendar" not in months["month"].attrs  # the tool's month axis has none either


def test_a_days_mean_is_the_mean_of_its_instants_and_the_tool_agrees():
    instants = pv.daily_insolation(-10, [60, -45], day=170 + (np.arange(4000)[:, None] + 0.5) / 4000)
    mean = pv.daily_insolation(-10, [60, -45], day=170, day_mean=True)
    assert np.allclose(mean, instants.mean(axis=0), rtol=0, atol=1e-6)
    run = subprocess.run([TOOL, "daily", "--time", "-10", "--lat", "60,-45", "--day", "170", "--day-mean"],
                         capture_output=True, text=True)
    assert run.stdout.splitlines()[-1].split(",")[1:] == ["%.10g" % x for x in mean]


def test_the_reliability_note_is_a_user_warning():
    with pytest.warns(UserWarning, match="reliable"):
        pv.annual_insolation(-45000, 65)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        pv.annual_insolation(-21, 65)


def test_ctrl_c_stops_a_long_call_within_a_second():
    main = threading.get_ident()
    timer = threading.Timer(0.3, lambda: signal.pthread_kill(main, signal.SIGINT))
    start = time.monotonic()
    timer.start()
    with pytest.raises(KeyboardInterrupt):
        # Minutes of work: caloric half-years at 2 million points.
        pv.caloric_half_year(np.linspace(-1000, 0, 2000)[:, None], np.linspace(-89, 89, 1000))
    assert time.monotonic() - start < 1.5


def test_an_orbit_of_numbers_gives_a_number_and_arrays_broadcast():
    orbit = pv.Orbit(eccentricity=0.0167, obliquity_deg=23.44, perihelion_deg=102.9)
    assert isinstance(pv.daily_insolation(orbit, 65, 90), float)
    grid = pv.Orbit([[0.0], [0.03]], [22.0, 23.0, 24.0], 90.0)
    assert pv.annual_insolation(grid, 65).shape == (2, 3)


def test_a_request_beyond_memory_is_refused_within_a_second():
    start = time.monotonic()
    with pytest.raises(ValueError, match="dask"):
        pv.daily_insolation(np.zeros(100000)[:, None], np.linspace(-90, 90, 100000), 90)
    assert time.monotonic() - start < 1.0
