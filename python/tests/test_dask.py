"""xarray and dask: DataArrays keep their coordinates and broadcast by
name; dask-backed inputs stay lazy and, computed on a dask.distributed
LocalCluster of two worker processes, equal the eager results."""
import numpy as np
import pytest

import paleoviz as pv

xr = pytest.importorskip("xarray")
da = pytest.importorskip("dask.array")


def grids():
    time = xr.DataArray(np.array([-21.0, -10.0, 0.0]), dims="time", coords={"time": [-21.0, -10.0, 0.0]})
    lat = xr.DataArray(np.linspace(-80, 80, 5), dims="lat", coords={"lat": np.linspace(-80, 80, 5)})
    lon = xr.DataArray(np.array([0.0, 90.0]), dims="lon", coords={"lon": [0.0, 90.0]})
    return time, lat, lon


def test_dataarrays_broadcast_by_name_and_keep_coordinates():
    time, lat, lon = grids()
    # Three 1-D arrays: NumPy would refuse to broadcast them, xarray matches
    # their dimensions by name.
    q = pv.daily_insolation(time, lat, lon)
    assert isinstance(q, xr.DataArray)
    assert set(q.dims) == {"time", "lat", "lon"}
    assert np.array_equal(q["lat"], lat["lat"])
    eager = pv.daily_insolation(time.values[:, None, None], lat.values[None, :, None], lon.values)
    assert np.array_equal(q.transpose("time", "lat", "lon").values, eager)
    assert np.array_equal(pv.daily_insolation(time, lat, lon.isel(lon=1)).values, eager[:, :, 1])
    months = pv.monthly_insolation(time, lat)
    assert months.dims == ("time", "lat", "month")
    caloric = pv.caloric_half_year(time, lat)
    assert isinstance(caloric, xr.Dataset) and "summer_energy" in caloric


def test_dask_stays_lazy_and_equals_the_eager_path_on_a_local_cluster():
    distributed = pytest.importorskip("distributed")
    time, lat, lon = grids()
    lazy_time = time.chunk({"time": 1})
    orbit = pv.Orbit(xr.DataArray([0.0167, 0.05], dims="orbit").chunk({"orbit": 1}), 23.44, 102.9)
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster):
        q = pv.daily_insolation(lazy_time, lat, lon)
        assert q.chunks is not None  # nothing computed yet
        assert np.array_equal(q.compute().values, pv.daily_insolation(time, lat, lon).values)
        energy, mean, days = pv.integrated_insolation(lazy_time, lat, 0, 180)
        assert np.array_equal(mean.compute().values, pv.integrated_insolation(time, lat, 0, 180)[1].values)
        by_hand = pv.annual_insolation(orbit, lat).compute()
        eager = pv.annual_insolation(pv.Orbit([[0.0167], [0.05]], 23.44, 102.9), lat.values)
        assert np.array_equal(by_hand.transpose("orbit", "lat").values, eager)
        bare = pv.daily_insolation(da.from_array(np.array([-21.0, 0.0]), chunks=1), 65, 90)
        assert isinstance(bare, da.Array)
        assert np.array_equal(bare.compute(), pv.daily_insolation(np.array([-21.0, 0.0]), 65, 90))
