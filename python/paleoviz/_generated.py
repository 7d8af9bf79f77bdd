"""Functions made from the registry of quantities: each row whose Python
function the package does not write by hand gets one, with the signature,
docstring, checks and xarray layouts its row declares, computed by the one
generic binding _core.compute. A quantity added to the library's registry
thus needs no Python.

The signature: time_kyr (times or an Orbit), then the row's point
arguments (those that vary point by point and broadcast) in its order as
positional-or-keyword, except one that another excludes (day beside
lon_deg), which is keyword-only; then keyword-only orbit, the row's
settings (solar_constant, year_days, ...) and as_xarray."""
import inspect as _inspect

import numpy as _np

from . import _core
from ._checks import _LA2004, _numbers_of, _orbit_name, _refuse_large, _scalar_number
from ._labelled import _apply, _axis, _grid, _rows, _rows_size, _scalar, _to_xarray
from ._orbit import _first, _labelled, _warn_reliability

_P = _inspect.Parameter

# The extent of an output: how many of a grid's leading axes it spans.
_SPANS = {"row": 1, "first": 2, "grid": 3}


def functions(rows, written):
    """name -> function for each row whose functions are not among
    `written` (the names the package defines itself) and that the library
    computes point by point: named after the row's first Python function."""
    made = {}
    for row in rows:
        names = row["python_functions"]
        if names and not set(names) & set(written) and row["name"] in _core.point_quantities:
            made[names[0]] = _function(row, names[0])
    return made


def _is_point(argument):
    return argument["keyword"] in _core.point_keywords


def _signature(row):
    excluded = {a["excludes"] for a in row["arguments"] if a["excludes"]}
    positional, alternatives, settings = [], [], []
    for a in row["arguments"]:
        default = a["default"]
        if _is_point(a) and a["name"] not in excluded:
            # A default once given, every later positional one needs one too.
            optional = not a["required"] or any(p.default is not _P.empty for p in positional)
            positional.append(_P(a["keyword"], _P.POSITIONAL_OR_KEYWORD,
                                 default=default if optional else _P.empty))
        elif _is_point(a):
            alternatives.append(_P(a["keyword"], _P.KEYWORD_ONLY, default=default))
        else:
            settings.append(_P(a["keyword"], _P.KEYWORD_ONLY, default=default))
    return _inspect.Signature([_P("time_kyr", _P.POSITIONAL_OR_KEYWORD)] + positional + alternatives
                              + [_P("orbit", _P.KEYWORD_ONLY, default=_LA2004)] + settings
                              + [_P("as_xarray", _P.KEYWORD_ONLY, default=False)])


def _limits(a):
    if a["choices"]:
        return "one of " + ", ".join(a["choices"])
    if a["lowest"] is None or a["highest"] is None or a["shape"] == "flag":
        return ""  # finite, or limits of the call's own (days within its year)
    return "%.10g to %.10g" % (a["lowest"], a["highest"])


def _docstring(row):
    lines = [row["definition"] + ".", "",
             "time_kyr: kyr from the solution's present, negative in the past; or a paleoviz.Orbit."]
    for a in row["arguments"]:
        facts = [f for f in (a["units"], _limits(a)) if f]
        if a["default"] is not None:
            facts.append("default %r" % a["default"])
        lines.append("%s (%s): %s." % (a["keyword"], ", ".join(facts), a["help"]))
    lines.append("orbit: a solution's key (see solutions()) or the path of a series file.")
    outputs = ["%s (%s): %s" % (o["name"], o["units"], o["long_name"]) for o in row["outputs"]]
    lines += ["", "Returns " + ("; ".join(outputs) if len(outputs) == 1
                                else "a dict of " + "; ".join(outputs)) + "."]
    lines += ["", "CLI: " + row["example"]]
    return "\n".join(lines)


def _function(row, name):
    signature = _signature(row)

    def quantity(*args, **kwargs):
        bound = signature.bind(*args, **kwargs)
        bound.apply_defaults()
        return _call(row, dict(bound.arguments))

    quantity.__name__ = quantity.__qualname__ = name
    quantity.__signature__ = signature
    quantity.__doc__ = _docstring(row)
    quantity.__module__ = "paleoviz"
    return quantity


def _settings(row, values):
    """The row's settings, each checked as one value of its kind."""
    settings = {}
    for a in row["arguments"]:
        value = values[a["keyword"]]
        if _is_point(a) or value is None:
            continue
        if a["shape"] == "flag":
            settings[a["keyword"]] = bool(value)
        elif a["shape"] == "choice":
            settings[a["keyword"]] = str(value)
        else:
            settings[a["keyword"]] = _scalar_number(a["keyword"], value)
    return settings


def _outputs(row, results):
    """One output as it is; several as a dict by name."""
    if len(row["outputs"]) == 1:
        return results[0]
    return dict(zip((o["name"] for o in row["outputs"]), results))


def _call(row, values):
    time_kyr, as_xarray = values.pop("time_kyr"), values.pop("as_xarray")
    orbit = _orbit_name(values.pop("orbit"))
    settings = _settings(row, values)
    points = {a["keyword"]: values[a["keyword"]] for a in row["arguments"]
              if _is_point(a) and values[a["keyword"]] is not None}
    if _labelled(time_kyr, *points.values()):
        return _lazy(row, time_kyr, points, orbit, settings)
    if as_xarray:
        return _gridded(row, time_kyr, points, orbit, settings)
    args = {k: _numbers_of(k, v) for k, v in points.items()}
    first = _first(time_kyr, orbit)
    _refuse_large([first] + list(args.values()), len(row["outputs"]) * row["trailing"])
    results = _core.compute(row["name"], first, args, dict(settings, orbit=orbit))
    _warn_reliability(time_kyr, orbit)
    return _outputs(row, results)


def _lazy(row, time_kyr, points, orbit, settings):
    """xarray and dask arguments: block by block through apply_ufunc."""
    keys = list(points)
    call = _function(row, row["python_functions"][0])

    def block(t, *xs):
        results = call(t, orbit=orbit, **dict(zip(keys, xs)), **settings)
        return tuple(results.values()) if isinstance(results, dict) else results
    names = [o["name"] for o in row["outputs"]] if len(row["outputs"]) > 1 else None
    trailing = ("value", row["trailing"]) if row["trailing"] > 1 else None
    return _apply(block, [time_kyr] + list(points.values()), len(row["outputs"]), names=names,
                  trailing=trailing, function=row["python_functions"][0], orbit=orbit)


def _gridded(row, time_kyr, points, orbit, settings):
    """as_xarray=True: each list argument one axis of the grid (in the row's
    order), the others one value, laid out as the tool's NetCDF file."""
    shapes = {a["keyword"]: a["shape"] for a in row["arguments"]}
    t = _rows(time_kyr)
    axes = {k: _axis(k, v) for k, v in points.items() if shapes[k] == "list"}
    ones = {k: _scalar(k, v) for k, v in points.items() if shapes[k] != "list"}
    rank = len(axes) + 1
    args = {k: _np.reshape(a, (1,) * (i + 1) + (-1,) + (1,) * (rank - i - 2))
            for i, (k, a) in enumerate(axes.items())}
    _refuse_large([_rows_size(t)] + list(axes.values()), len(row["outputs"]) * row["trailing"])
    results = _core.compute(row["name"], _grid(t, rank), dict(args, **ones), dict(settings, orbit=orbit))
    _warn_reliability(t, orbit)
    values = [r[(slice(None),) * min(_SPANS[o["extent"]], rank) + (0,) * max(rank - _SPANS[o["extent"]], 0)]
              for o, r in zip(row["outputs"], results)]
    request = dict(axes, **{k: [v] if shapes[k] == "one" else v for k, v in ones.items()})
    return _to_xarray(row["name"], values, t, dict(request, orbit=orbit, **settings))
