"""Bare dask arrays broadcast as NumPy arrays do and stay lazy; the
reliability note of every solution, as a warning and as an attribute; the
registry's names and units on DataArray results; elements of orbits given
by hand as the tool's NetCDF layout; a day's mean refused at a longitude."""
import os
import re
import subprocess
import warnings

import numpy as np
import pytest

import paleoviz as pv

TOOL = os.environ.get("PALEOVIZ_INSOLATION_TOOL", "paleoviz-insolation")
T = np.array([-21.0, -10.0, -3.0, 0.0])
# Even lengths: chunks of two never leave one latitude alone in a block,
# which the library computes with its point kernel instead of its kernel
# for rows of latitudes (the two may differ in the last bit).
LAT = np.array([-60.0, -15.0, 30.0, 45.0, 75.0, 90.0])
E = np.array([0.0167, 0.03, 0.05])
VARPI = np.array([102.9, 200.0, 300.0])

# Each case: the two arguments made by `w` (np.asarray or a chunked dask array).
SHAPES = {
    "(n,1) with (m,)": lambda w: (w(T[:, None]), LAT),
    "scalar with (n,)": lambda w: (w(np.array(-10.0)), w(LAT)),
    "(1,m) with (n,1)": lambda w: (w(T[None, :]), w(LAT[:, None])),
    "an Orbit of dask arrays": lambda w: (pv.Orbit(w(E[:, None]), 23.44, w(VARPI[:, None])), LAT),
}
FUNCTIONS = {
    "daily_insolation": lambda first, x: pv.daily_insolation(first, x, 90),
    "annual_insolation": pv.annual_insolation,
    "earth_sun_distance": lambda first, x: pv.earth_sun_distance(first, x + 90),
}


@pytest.mark.parametrize("function", FUNCTIONS)
@pytest.mark.parametrize("shapes", SHAPES)
def test_bare_dask_arrays_broadcast_as_numpy_lazily(shapes, function):
    da = pytest.importorskip("dask.array")
    pytest.importorskip("xarray")
    call = FUNCTIONS[function]
    lazy = call(*SHAPES[shapes](lambda a: da.from_array(a, chunks=2)))
    eager = call(*SHAPES[shapes](np.asarray))
    assert isinstance(lazy, da.Array)
    assert lazy.shape == np.shape(eager)
    assert np.array_equal(lazy.compute(), eager)


NOTED = [s for s in pv.solutions() if s["reliability_note"] and s["reliable_oldest_kyr"] > s["span_kyr"][0]]


@pytest.mark.parametrize("solution", NOTED, ids=[s["key"] for s in NOTED])
def test_elements_warn_before_the_span_the_authors_vouch_for(solution):
    old = (solution["span_kyr"][0] + solution["reliable_oldest_kyr"]) / 2
    for as_xarray in (False, True):
        with pytest.warns(UserWarning, match=re.escape(solution["reliability_note"])):
            pv.elements(old, solution["key"], as_xarray=as_xarray)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        pv.elements(solution["reliable_oldest_kyr"] + 1, solution["key"])


# Each: the call, the Python function, which of its results (index or key).
LABELLED = [
    (lambda t: pv.daily_insolation(t, 65, 90), "daily_insolation", None),
    (lambda t: pv.integrated_insolation(t, 65, 0, 180), "integrated_insolation", 1),
    (lambda t: pv.earth_sun_distance(t, 90), "earth_sun_distance", None),
    (lambda t: pv.elements(t), "elements", 2),
]


@pytest.mark.parametrize("call,function,which", LABELLED, ids=[row[1] for row in LABELLED])
@pytest.mark.parametrize("oldest", [-21.0, -45000.0])
def test_dataarray_results_carry_the_registrys_units_and_the_note(call, function, which, oldest):
    xarray = pytest.importorskip("xarray")
    result = call(xarray.DataArray([oldest, 0.0], dims="time"))
    row = next(r for r in pv.quantities() if function in r["python_functions"])
    output = row["outputs"][which or 0]
    if isinstance(result, xarray.Dataset):
        array = result[list(result.data_vars)[which]]
    else:
        array = result if which is None else result[which]
        assert array.name == output["name"]
    assert (array.attrs["units"], array.attrs["long_name"]) == (output["units"], output["long_name"])
    note = [s for s in pv.solutions() if s["key"] == "la2004"][0]["reliability_note"]
    holder = result if isinstance(result, xarray.Dataset) else array
    assert holder.attrs.get("reliability") == (note if oldest < -40000 else None)


def test_elements_of_orbits_given_by_hand_as_xarray():
    pytest.importorskip("xarray")
    orbit = pv.Orbit(E, 23.44, VARPI)
    labelled = pv.elements(orbit, as_xarray=True)
    plain = pv.elements(orbit)
    assert labelled["eccentricity"].dims == ("orbit",)
    assert np.array_equal(labelled["obliquity"].values, plain["obliquity_deg"])
    assert np.array_equal(labelled["precession_index"].values, plain["precession_index"])


@pytest.mark.parametrize("args,code,message", [
    ("daily --lat 65 --lon 90 --day-mean", 2, "--day-mean: takes calendar days (--day), not true longitudes (--lon)"),
    ("daily --lat 65 --day 90 --day-mean", 0, ""),
])
def test_the_tool_takes_a_days_mean_of_days_only(args, code, message):
    run = subprocess.run([TOOL] + args.split(), capture_output=True, text=True)
    assert run.returncode == code
    assert message in run.stderr
