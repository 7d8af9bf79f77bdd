"""The Python module against paleoviz-insolation: the same numbers for the
same requests, NumPy's broadcasting, the tool's messages, and xarray
results laid out as the tool's NetCDF files."""
import os
import re
import subprocess
import threading
import time

import numpy as np
import pytest

import paleoviz

TOOL = os.environ.get("PALEOVIZ_INSOLATION_TOOL", "paleoviz-insolation")
SOURCE = os.environ.get("PALEOVIZ_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
SERIES = os.path.join(SOURCE, "data", "orbit95b")

TIMES = [-21.5, -10, 0]
LATS = [-90, -65, 0, 30.5, 65, 90]

# (tool arguments, the module's values for TIMES x LATS, in the CSV's column order)
CASES = [
    ("elements", lambda: list(paleoviz.elements(TIMES).values())),
    ("elements --orbit berger1978",
     lambda: list(paleoviz.elements(TIMES, orbit="berger1978").values())),
    ("elements --orbit la93-11", lambda: list(paleoviz.elements(TIMES, orbit="la93-11").values())),
    ("elements --orbit zb18a", lambda: list(paleoviz.elements(TIMES, orbit="zb18a").values())),
    ("daily --lon 0,90,275.5",
     lambda: [paleoviz.daily_insolation(g(TIMES, 3), g(LATS, 2), g([0, 90, 275.5], 1))]),
    ("daily --day 1,172.25",
     lambda: [paleoviz.daily_insolation(g(TIMES, 3), g(LATS, 2), day=g([1, 172.25], 1))]),
    ("integrated --start 30 --end 200",
     lambda: integrated(paleoviz.integrated_insolation(g(TIMES, 2), g(LATS, 1), 30, 200))),
    ("threshold --threshold 300",
     lambda: list(paleoviz.threshold_energy(g(TIMES, 2), g(LATS, 1), 300))),
    ("caloric", lambda: list(paleoviz.caloric_half_year(g(TIMES, 2), g(LATS, 1)).values())),
    ("monthly", lambda: [paleoviz.monthly_insolation(g(TIMES, 2), g(LATS, 1))]),
    ("monthly --calendar angular",
     lambda: [paleoviz.monthly_insolation(g(TIMES, 2), g(LATS, 1), "angular")]),
    ("instant --day 100 --hour 0:24:2.5",
     lambda: [paleoviz.instant_insolation(g(TIMES, 3), g(LATS, 2), None,
                                          g(np.arange(0, 24, 2.5), 1), day=100)]),
    ("annual --solar-constant 1361",
     lambda: [paleoviz.annual_insolation(g(TIMES, 2), g(LATS, 1), solar_constant=1361)]),
    ("annual --orbit " + SERIES, lambda: [paleoviz.annual_insolation(g(TIMES, 2), g(LATS, 1),
                                                                     orbit=SERIES)]),
]


def g(values, axes):
    """values along the first of `axes` trailing axes: a grid's axis."""
    return np.reshape(values, (-1,) + (1,) * (axes - 1))


def integrated(values):
    energy, mean, days = values
    return [energy, mean, days[:, 0]]  # the duration is the same at every latitude


def tool(args):
    return subprocess.run([TOOL] + args, capture_output=True, text=True)


def csv_rows(args):
    run = tool(args.split() + ["--time", ",".join(map(str, TIMES))]
               + ([] if args.startswith("elements") else ["--lat", ",".join(map(str, LATS))]))
    assert run.returncode == 0, run.stderr
    return [line.split(",")[1:] for line in run.stdout.splitlines()
            if line and line[0] not in "#t"]


@pytest.mark.parametrize("args,values", CASES, ids=[c[0].split(" --orbit /")[0] for c in CASES])
def test_the_tool_prints_the_module_numbers(args, values):
    rows = csv_rows(args)
    arrays = values()
    for t, row in enumerate(rows):
        mine = np.concatenate([np.asarray(a, dtype=float)[t].ravel() for a in arrays])
        assert row == ["%.10g" % x for x in mine]


def test_year_integrals_by_latitude_rows_match_one_element_at_a_time():
    # A row of latitudes goes through the grid kernel; a single element
    # through the one-latitude integral. Both lay the values out alike.
    t, lat = np.array([-3.0, 0.0]), np.array([-90.0, -40.0, 0.0, 66.5, 90.0])
    monthly = paleoviz.monthly_insolation(t, lat[:, None])  # (5, 2, 12): latitudes first
    integrated = paleoviz.integrated_insolation(t[:, None], lat, 10.0, 200.0)  # (2, 5): latitudes last
    annual = paleoviz.annual_insolation(t, lat[:, None])
    for i, phi in enumerate(lat):
        for j, time in enumerate(t):
            np.testing.assert_allclose(monthly[i, j], paleoviz.monthly_insolation(time, phi), rtol=1e-10, atol=1e-9)
            np.testing.assert_allclose(annual[i, j], paleoviz.annual_insolation(time, phi), rtol=1e-10)
            one = paleoviz.integrated_insolation(time, phi, 10.0, 200.0)
            for k in range(3):
                np.testing.assert_allclose(integrated[k][j, i], one[k], rtol=1e-10, atol=1e-9)


def test_arguments_broadcast_and_scalars_give_floats():
    t, lat, lon = np.array([-3.0, -1.0, 0.0]), np.linspace(-90, 90, 7), np.array([0.0, 90.0, 200.0, 300.0])
    grid = paleoviz.daily_insolation(t[:, None, None], lat[None, :, None], lon[None, None, :])
    assert grid.shape == (3, 7, 4)
    # The grid kernel (latitudes along one axis) in other layouts, and one
    # element at a time, give the same bits.
    assert np.array_equal(grid, paleoviz.daily_insolation(t[:, None, None], lat[:, None], lon)
                          .transpose(0, 1, 2))
    assert np.array_equal(grid.transpose(0, 2, 1),
                          paleoviz.daily_insolation(t[:, None, None], lat, lon[:, None]))
    # Latitudes not last, with more longitudes than the kernel writes across
    # at a time (and not a multiple of them), in both precisions.
    many = np.arange(0.0, 360.0, 2.4)
    for dtype in (np.float64, np.float32):
        assert np.array_equal(paleoviz.daily_insolation(t[:, None, None], lat[:, None], many, dtype=dtype),
                              paleoviz.daily_insolation(t[:, None, None], lat, many[:, None], dtype=dtype)
                              .transpose(0, 2, 1))
    each = [[[paleoviz.daily_insolation(a, b, c) for c in lon] for b in lat] for a in t]
    assert np.array_equal(grid, np.array(each))
    assert isinstance(each[0][0][0], float)
    # Latitudes that vary along two axes, paired with times.
    lat2 = lat[:6].reshape(2, 3)
    assert np.array_equal(paleoviz.daily_insolation(-1.0, lat2, 90.0),
                          [[paleoviz.daily_insolation(-1.0, x, 90.0) for x in r] for r in lat2])
    shapes = [
        (paleoviz.annual_insolation(t, 65.0), (3,)),
        (paleoviz.annual_insolation(t[:, None], lat), (3, 7)),
        (paleoviz.monthly_insolation(t[:, None], lat), (3, 7, 12)),
        (paleoviz.monthly_insolation(0.0, 65.0), (12,)),
        (paleoviz.instant_insolation(0.0, lat[:, None], 90.0, np.arange(24.0)), (7, 24)),
        (paleoviz.threshold_energy(t, 65.0, [[250.0], [300.0]])[1], (2, 3)),
        (paleoviz.caloric_half_year(t, lat[:, None])["summer_start"], (7, 3)),
        (paleoviz.integrated_insolation(0.0, 65.0, [0.0, 90.0], 180.0)[2], (2,)),
        (paleoviz.elements(t.reshape(3, 1))["eccentricity"], (3, 1)),
        (paleoviz.daily_insolation(t, 65.0, np.zeros((0, 1))), (0, 3)),
    ]
    for value, shape in shapes:
        assert np.shape(value) == shape
    assert isinstance(paleoviz.instant_insolation(0, 65, 90, 12), float)
    assert isinstance(paleoviz.threshold_energy(0, 65)[1], float)
    assert isinstance(paleoviz.elements(0)["obliquity_deg"], float)
    assert paleoviz.daily_insolation(t, 65, 90, dtype=np.float32).dtype == np.float32
    out = np.full((3, 7, 4), -1.0)
    assert paleoviz.daily_insolation(t[:, None, None], lat[:, None], lon, out=out) is out
    assert np.array_equal(out, grid)
    with pytest.raises(ValueError, match="out: shape"):
        paleoviz.daily_insolation(t, lat[:, None], lon[0], out=out)


# (call, the tool's arguments for the same fault or None, the message)
ERRORS = [
    (lambda: paleoviz.daily_insolation(0, 95, 90), "daily --lat 95 --lon 90", "lat_deg: 95 is outside -90 to 90"),
    (lambda: paleoviz.annual_insolation([0, -99000], 65), "annual --lat 65 --time -99000",
     "-99000 kyr is outside the span of"),
    (lambda: paleoviz.instant_insolation(0, 65, 90, 25), "instant --lat 65 --lon 90 --hour 25",
     "hour: 25 is outside 0 to 24"),
    (lambda: paleoviz.annual_insolation(0, 65, solar_constant=-5), "annual --lat 65 --solar-constant -5",
     "solar_constant: -5 W/m^2 is outside (0, 100000]"),
    (lambda: paleoviz.annual_insolation(0, 65, orbit="missing.series"), "annual --lat 65 --orbit missing.series",
     "missing.series"),
    (lambda: paleoviz.daily_insolation(0, 65, 90, orbit="la2010a"), "daily --lat 65 --lon 90 --orbit la2010a",
     "(la2010a) gives the eccentricity only; insolation needs all three elements, which these solutions "
     "give: la2004, la2004-fit, berger1978, berger1990, la93-01, la93-11"),
    (lambda: paleoviz.caloric_half_year(0, 65, orbit="zb18a"), "caloric --lat 65 --orbit zb18a",
     "(zb18a) gives the eccentricity only"),
    (lambda: paleoviz.monthly_insolation(0, 65, "julian"), None, "calendar: julian not in {equinox,angular}"),
    (lambda: paleoviz.daily_insolation(0, 65), None, "needs true longitudes (lon_deg) or calendar days (day)"),
    (lambda: paleoviz.daily_insolation(0, 65, 90, day=3), None, "not both"),
    (lambda: paleoviz.instant_insolation(0, 65, 90), None, "needs local solar times (hour)"),
    (lambda: paleoviz.daily_insolation([0, -1], [1, 2, 3], 90), None, "cannot be broadcast"),
    (lambda: paleoviz.daily_insolation(0, "north", 90), None, "lat_deg: 'north' is text, not a number"),
    (lambda: paleoviz.daily_insolation(0, 65, 400), "daily --lat 65 --lon 400", "lon_deg: 400 is outside 0 to 360"),
    (lambda: paleoviz.daily_insolation(0, 65, day=[1, np.nan]), None, "day: nan is outside 0 to 365.2422"),
    # Input hygiene: only real numbers, never under a mask, one solar constant.
    (lambda: paleoviz.annual_insolation(np.array(["2000-01-01"], "datetime64[D]"), 65), None,
     "time_kyr: datetime64[D] values are not real numbers; convert dates to kyr first"),
    (lambda: paleoviz.annual_insolation(0, b"65"), None, "lat_deg: b'65' is text, not a number"),
    (lambda: paleoviz.annual_insolation(0, 65 + 0j), None, "lat_deg: complex128 values are not real numbers"),
    (lambda: paleoviz.annual_insolation(0, [65, None]), None, "lat_deg: object values are not real numbers"),
    (lambda: paleoviz.annual_insolation(0, np.ma.array([65, 30], mask=[0, 1])), None,
     "lat_deg: a masked array with masked values"),
    (lambda: paleoviz.annual_insolation(0, 65, solar_constant=[1361, 1365]), None,
     "solar_constant: takes one number, not an array of shape (2,)"),
    (lambda: paleoviz.annual_insolation(0, 65, orbit=None), None, "orbit: None is neither a solution's key"),
    (lambda: paleoviz.annual_insolation(0, 65, orbit=3), None, "orbit: 3 is neither a solution's key"),
    (lambda: paleoviz.annual_insolation(0, 65, orbit="no/such/orbit.txt"), "annual --lat 65 --orbit no/such/orbit.txt",
     "the series file no/such/orbit.txt is missing"),
    # Limits: checked before any work, as the tool checks them.
    (lambda: paleoviz.daily_insolation(np.broadcast_to(0.0, (100000, 100000)), 65, 90), None,
     "the call's shape (100000, 100000): the result holds 2e+10 values"),
    (lambda: paleoviz.integrated_insolation(0, 65, 400, 10), "integrated --lat 65 --start 400 --end 10",
     "start_deg: 400 is outside 0 to 360"),
    (lambda: paleoviz.integrated_insolation(0, 65, 10, -5), "integrated --lat 65 --start 10 --end -5",
     "end_deg: -5 is outside 0 to 360"),
    (lambda: paleoviz.instant_insolation(0, 65, 90, [12, 12], as_xarray=True),
     "instant --lat 65 --lon 90 --hour 12,12", "hour: 12 is given twice"),
    (lambda: paleoviz.annual_insolation(0, [65, 65.0], as_xarray=True), "annual --lat 65,65.0",
     "lat_deg: 65 is given twice"),
    # Orbits given by hand and calendars.
    (lambda: paleoviz.Orbit(1.2, 23, 0), "daily --elements 1.2,23,0 --lat 65 --lon 90",
     "orbit: eccentricity 1.2 is outside [0, 1)"),
    (lambda: paleoviz.Orbit(0.01, 95, 0), "daily --elements 0.01,95,0 --lat 65 --lon 90",
     "orbit: obliquity 95 is outside [0, 90] degrees"),
    (lambda: paleoviz.Orbit(0.01, 23, np.inf), None, "orbit: perihelion inf is not a finite number"),
    (lambda: paleoviz.daily_insolation(0, 65, day=100, year_days=400), "daily --lat 65 --day 100 --year-days 400",
     "year_days: 400 is not a year length of the calendars known"),
    (lambda: paleoviz.daily_insolation(0, 65, day=361, year_days=360), "daily --lat 65 --day 361 --year-days 360",
     "day: 361 is outside 0 to 360"),
    (lambda: paleoviz.daily_insolation(0, 65, day=10, equinox_day=-3), "daily --lat 65 --day 10 --equinox-day -3",
     "equinox_day: -3 is outside [0, 365.2422)"),
    (lambda: paleoviz.daily_insolation(0, 65, 90, day_mean=True), None,
     "day_mean: takes calendar days (day), not true longitudes (lon_deg)"),
    (lambda: paleoviz.daily_insolation(0, 65, day=10, day_mean="no"), None, "day_mean: takes True or False, not 'no'"),
    (lambda: paleoviz.daily_insolation(0, 65, day=10, day_mean=2), None, "day_mean: takes True or False, not 2"),
]


@pytest.mark.parametrize("call,args,message", ERRORS)
def test_bad_input_raises_the_tools_message(call, args, message):
    with pytest.raises(ValueError, match=re.escape(message)) as raised:
        call()
    if args is not None:
        run = tool(args.split())
        assert run.returncode == 2
        # The same text after the option's name.
        assert str(raised.value).split(": ", 1)[-1] in run.stderr


def test_solutions_say_which_elements_they_give():
    listed = {s["key"]: s for s in paleoviz.solutions()}
    assert list(listed)[:3] == ["la2004", "la2004-fit", "berger1978"]
    for key in ["la2010a", "la2010b", "la2010c", "la2010d", "la2011", "zb18a"]:
        assert listed[key]["elements"] == ("eccentricity",)
        assert list(paleoviz.elements([-1, 0], orbit=key)) == ["eccentricity"]
    for key in ["berger1990", "la93-01", "la93-11"]:
        assert len(listed[key]["elements"]) == 4
        assert list(paleoviz.elements(0, orbit=key)) == list(listed[key]["elements"])
    assert listed["la2010a"]["span_kyr"] == (-249000, 0)
    assert listed["la2010a"]["reliable_span_kyr"] == (-50000, 0)
    assert listed["berger1990"]["reliable_span_kyr"] == listed["berger1990"]["span_kyr"]
    with pytest.raises(ValueError, match="zb18a gives the eccentricity only"):
        paleoviz.elements(0, orbit="zb18a", as_orbit=True)


def test_eccentricity_alone_through_xarray():
    xarray = pytest.importorskip("xarray")
    t = xarray.DataArray([-1.0, 0.0], dims="time")
    labelled = paleoviz.elements(t, orbit="la2011")
    assert list(labelled.data_vars) == ["eccentricity"]
    assert list(labelled["eccentricity"].values) == [0.017161383, 0.016702362]  # the table's rows
    assert paleoviz.elements([-1, 0], orbit="la2011", as_xarray=True).name == "eccentricity"


def test_the_work_runs_without_the_gil():
    # Another Python thread runs while the module computes: it records the
    # time at each turn of its loop, and some turns fall well inside the call.
    turns = []
    done = threading.Event()

    def ticker():
        while not done.is_set():
            turns.append(time.perf_counter())

    thread = threading.Thread(target=ticker)
    thread.start()
    try:
        start = time.perf_counter()
        paleoviz.caloric_half_year(np.linspace(-1000, 0, 40000)[:, None], [0, 30, 65])
        end = time.perf_counter()
    finally:
        done.set()
        thread.join()
    assert end - start > 0.05
    assert sum(start + 0.02 < t < end - 0.02 for t in turns) > 100


def same_as_netcdf(mine, expected, what):
    import xarray
    variables = {mine.name: mine} if isinstance(mine, xarray.DataArray) else dict(mine.data_vars)
    # All but the producer: the tool's command line and version.
    wanted = {k: v for k, v in expected.attrs.items() if k not in ("history", "version")}
    assert {k: mine.attrs.get(k) for k in wanted} == wanted, what
    assert mine.attrs["version"] == "paleoviz %s (Python module)" % paleoviz.__version__, what
    assert set(variables) == set(expected.data_vars), what
    for name, v in variables.items():
        e = expected[name]
        assert v.dims == e.dims, what
        assert np.array_equal(v.values, e.values, equal_nan=True), what
        assert {k: v.attrs.get(k) for k in e.attrs} == e.attrs, what
    assert set(mine.coords) == set(expected.coords), what
    for name in expected.coords:
        assert np.array_equal(mine[name].values, expected[name].values), what
        assert mine[name].attrs == expected[name].attrs, what


def test_xarray_results_match_the_tools_netcdf(tmp_path):
    xarray = pytest.importorskip("xarray")
    pytest.importorskip("netCDF4")
    requests = [
        ("daily --lon 0:270:90", lambda: paleoviz.daily_insolation(TIMES, LATS, [0, 90, 180, 270], as_xarray=True)),
        ("daily --day 80,172", lambda: paleoviz.daily_insolation(TIMES, LATS, day=[80, 172], as_xarray=True)),
        ("caloric", lambda: paleoviz.caloric_half_year(TIMES, LATS, as_xarray=True)),
        ("monthly --calendar angular", lambda: paleoviz.monthly_insolation(TIMES, LATS, "angular", as_xarray=True)),
        ("instant --lon 90 --hour 6,12", lambda: paleoviz.instant_insolation(TIMES, LATS, 90, [6, 12], as_xarray=True)),
        ("integrated --start 0 --end 180", lambda: paleoviz.integrated_insolation(TIMES, LATS, 0, 180, as_xarray=True)),
        ("threshold --threshold 250", lambda: paleoviz.threshold_energy(TIMES, LATS, 250, as_xarray=True)),
        ("annual", lambda: paleoviz.annual_insolation(TIMES, LATS, as_xarray=True)),
        ("elements", lambda: paleoviz.elements(TIMES, as_xarray=True)),
    ]
    for args, call in requests:
        path = str(tmp_path / "out.nc")
        run = tool(args.split() + ["--time", ",".join(map(str, TIMES)), "--format", "netcdf", "-o", path]
                   + ([] if args == "elements" else ["--lat", ",".join(map(str, LATS))]))
        assert run.returncode == 0, run.stderr
        with xarray.open_dataset(path) as expected:
            same_as_netcdf(call(), expected.load(), args)


def test_a_series_through_a_pipe_is_read_to_its_end():
    """orbit=/dev/fd/N reads a pipe to its end; the writer, another process, sends more than a
    pipe holds."""
    with subprocess.Popen(["cat", SERIES], stdout=subprocess.PIPE) as writer:
        piped = paleoviz.annual_insolation(-21, 65, orbit="/dev/fd/%d" % writer.stdout.fileno())
    assert piped == paleoviz.annual_insolation(-21, 65, orbit=SERIES)
