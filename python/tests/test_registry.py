"""Every row of the registry of quantities, from the registry itself: the
tool and the module give the same numbers for one small request and the
same message for one value out of range, and each xarray output carries
the row's units and long name."""
import inspect
import os
import subprocess

import numpy as np
import pytest

import paleoviz

TOOL = os.environ.get("PALEOVIZ_INSOLATION_TOOL", "paleoviz-insolation")
ROWS = paleoviz.quantities()
TIMES = [-21.0, 0.0]
# The request's value of each argument the rows take (by registry name);
# those left out keep their defaults, and true longitudes stand for days.
VALUES = {"lat": [65.0, -30.0], "lon": [90.0, 180.0], "hour": [6.0, 12.0], "start": 30.0, "end": 200.0,
          "threshold": 300.0}
# A value out of range per argument; a row without one gets a time.
BAD = {"lat": 95.0, "lon": 400.0, "hour": 25.0, "start": 400.0, "end": -5.0}
# How many of a grid's leading axes an output spans.
SPANS = {"row": 1, "first": 2, "grid": 3}


def given(row):
    """(argument, value) of the request, in the row's order: a list of
    numbers, or one number (the first of them where the row takes one)."""
    pairs = [(a, VALUES[a["name"]]) for a in row["arguments"] if a["name"] in VALUES]
    return [(a, v[0] if a["shape"] == "one" else v) for a, v in pairs]


def callable_with(row, keywords):
    """The row's Python functions that need no argument beyond these:
    (name, parameters)."""
    found = []
    for name in row["python_functions"]:
        parameters = inspect.signature(getattr(paleoviz, name)).parameters
        needed = [p for p, v in parameters.items() if p != "time_kyr" and v.default is inspect.Parameter.empty]
        if all(p in keywords for p in needed):
            found.append((name, parameters))
    return found


def calls(row, keywords, time_kyr):
    """Each of those functions called on the keywords it takes."""
    return {name: getattr(paleoviz, name)(time_kyr, **{k: v for k, v in keywords.items() if k in parameters})
            for name, parameters in callable_with(row, keywords)}


def by_output(row, results):
    """Each output's values by name, from functions that give one output
    each (named after it) or several (a tuple or dict in the row's order)."""
    names = [o["name"] for o in row["outputs"]]
    values = {}
    for function, result in results.items():
        if function in names:
            values[function] = result
        else:
            parts = list(result.values()) if isinstance(result, dict) else result
            values.update(zip(names, parts if isinstance(parts, (list, tuple)) else [parts]))
    return values


def grid(pairs):
    """The keywords and times of a grid: the times along the first axis,
    each list along the next, in order; and the grid's rank."""
    axes = [(a, v) for a, v in pairs if isinstance(v, list)]
    keywords = {a["keyword"]: v for a, v in pairs if not isinstance(v, list)}
    for k, (a, v) in enumerate(axes):
        keywords[a["keyword"]] = np.reshape(v, (-1,) + (1,) * (len(axes) - 1 - k))
    return keywords, np.reshape(TIMES, (-1,) + (1,) * len(axes)), len(axes) + 1


@pytest.mark.parametrize("row", ROWS, ids=[r["name"] for r in ROWS])
def test_the_tool_and_the_module_agree(row):
    pairs = given(row)
    keywords, times, rank = grid(pairs)
    values = by_output(row, calls(row, keywords, times))
    command = [TOOL, row["name"], "--time", ",".join("%g" % t for t in TIMES)]
    for a, v in pairs:
        command += [a["option"], ",".join("%g" % x for x in np.atleast_1d(v))]
    run = subprocess.run(command, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    lines = [line.split(",")[1:] for line in run.stdout.splitlines() if line and line[0] not in "#t"]
    assert len(lines) == len(TIMES)
    for t, line in enumerate(lines):
        mine = []
        for o in row["outputs"]:
            a = np.asarray(values[o["name"]], dtype=float)
            a = a.reshape(a.shape + (1,) * (rank - a.ndim))[t]
            kept = min(SPANS[o["extent"]], rank) - 1  # the grid's axes it varies along
            mine += list(a[(slice(None),) * kept + (0,) * (rank - 1 - kept)].ravel())
        assert line == ["%.10g" % x for x in mine]


@pytest.mark.parametrize("row", ROWS, ids=[r["name"] for r in ROWS])
def test_a_value_out_of_range_has_the_tools_message(row):
    pairs = given(row)
    bad = next((a for a in row["arguments"] if a["name"] in BAD), None)
    keywords = {a["keyword"]: v for a, v in pairs}
    option, time_kyr = "--time", -99000.0
    if bad is not None:
        option, time_kyr = bad["option"], TIMES
        keywords[bad["keyword"]] = BAD[bad["name"]]
    command = [TOOL, row["name"], "--time", "%g" % np.min(time_kyr)]
    for a, v in pairs:
        command += [a["option"], "%g" % keywords[a["keyword"]] if a is bad else "%g" % np.atleast_1d(v)[0]]
    run = subprocess.run(command, capture_output=True, text=True)
    assert run.returncode == 2
    functions = [name for name, parameters in callable_with(row, keywords)
                 if bad is None or bad["keyword"] in parameters]
    assert functions
    for name in functions:
        with pytest.raises(ValueError) as raised:
            calls(dict(row, python_functions=[name]), keywords, time_kyr)
        assert option + ": " + str(raised.value).split(": ", 1)[1] in run.stderr


@pytest.mark.parametrize("row", ROWS, ids=[r["name"] for r in ROWS])
def test_each_xarray_output_has_the_rows_units_and_long_name(row):
    pytest.importorskip("xarray")
    keywords = dict((a["keyword"], v) for a, v in given(row))
    labelled = [name for name, parameters in callable_with(row, keywords) if "as_xarray" in parameters]
    if not labelled:
        pytest.skip("the row's functions have no xarray layout of their own")
    for result in calls(dict(row, python_functions=labelled), dict(keywords, as_xarray=True), TIMES).values():
        variables = dict(result.data_vars) if hasattr(result, "data_vars") else {result.name: result}
        assert set(variables) == {o["name"] for o in row["outputs"]}
        for o in row["outputs"]:
            assert variables[o["name"]].attrs["units"] == o["units"]
            assert variables[o["name"]].attrs["long_name"] == o["long_name"]


COMPUTED = [r for r in ROWS if r["name"] in paleoviz._core.point_quantities]


@pytest.mark.parametrize("row", COMPUTED, ids=[r["name"] for r in COMPUTED])
@pytest.mark.parametrize("lat", [VALUES["lat"], 65.0], ids=["latitude kernel", "point kernel"])
def test_the_generic_binding_gives_each_functions_numbers(row, lat):
    keywords, times, _ = grid([(a, lat if a["name"] == "lat" else v) for a, v in given(row)])
    expected = by_output(row, calls(row, keywords, times))
    computed = paleoviz._core.compute(row["name"], times, keywords, {})
    for o, values in zip(row["outputs"], computed):
        np.testing.assert_array_equal(np.broadcast_to(expected[o["name"]], np.shape(values)), values)
