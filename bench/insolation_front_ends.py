#!/usr/bin/python3
"""Two front-end paths of the paleoviz module, measured in one run:

1. Orbits given by hand against times: the same daily-mean grid computed
   from times and from the Orbit of those times' elements (pv.elements(t,
   as_orbit=True)); the two paths share the kernel, so the ratio should be
   close to 1.
2. A grid reduced over time (its mean), once in a single call and once as
   dask chunks on a dask.distributed LocalCluster of two worker processes:
   the seconds and the peak resident memory of the largest process (the
   caller for the single call; the caller or a worker for dask).

usage: PYTHONPATH=BUILD/python insolation_front_ends.py [TIMES]
"""
import resource
import statistics
import subprocess
import sys
import time

import numpy as np

import paleoviz as pv

RUNS = 3
LATS = np.arange(-90.0, 91.0)
LONS = np.arange(0.0, 360.0, 3.0)


def median_seconds(call):
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        call()
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def orbit_against_time(n):
    t = np.linspace(0, -5000, n)
    orbit = pv.elements(t, as_orbit=True)
    grid = (LATS[None, :, None], LONS[None, None, :])
    reshaped = pv.Orbit(*[np.reshape(a, (-1, 1, 1)) for a in
                          (orbit.eccentricity, orbit.obliquity_deg, orbit.perihelion_deg)])
    by_time = median_seconds(lambda: pv.daily_insolation(t[:, None, None], *grid, dtype=np.float32))
    by_orbit = median_seconds(lambda: pv.daily_insolation(reshaped, *grid, dtype=np.float32))
    print("time path: %.3f s  orbit path: %.3f s  ratio orbit / time: %.2f (%d x %d x %d floats)"
          % (by_time, by_orbit, by_orbit / by_time, n, LATS.size, LONS.size))


def peak_mb():
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0


def single_call(n):
    """In a child process, so that its peak memory is its own."""
    start = time.perf_counter()
    grid = pv.daily_insolation(np.linspace(0, -5000, n)[:, None, None], LATS[None, :, None], LONS)
    grid.mean(axis=0)
    print("%.3f %.1f" % (time.perf_counter() - start, peak_mb()))


def dask_cluster(n):
    import distributed
    import xarray as xr

    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        t = xr.DataArray(np.linspace(0, -5000, n), dims="time").chunk({"time": max(1, n // 20)})
        lat, lon = xr.DataArray(LATS, dims="lat"), xr.DataArray(LONS, dims="lon")
        pv.daily_insolation(t[:2], lat, lon).mean("time").compute()  # workers warmed up
        start = time.perf_counter()
        pv.daily_insolation(t, lat, lon).mean("time").compute()
        seconds = time.perf_counter() - start
        workers = client.run(peak_mb)
    return seconds, max(list(workers.values()) + [peak_mb()])


def main():
    n = int(sys.argv[1]) if len(sys.argv) > 1 else 2000
    if len(sys.argv) > 2 and sys.argv[2] == "--single":
        single_call(n)
        return
    orbit_against_time(n)
    single = subprocess.run([sys.executable, __file__, str(n), "--single"], capture_output=True, text=True,
                            check=True).stdout.split()[-2:]
    single_s, single_mb = map(float, single)
    try:
        dask_s, dask_mb = dask_cluster(n)
    except ImportError:
        print("dask grid: skipped (no dask.distributed)")
        return
    print("time-mean of %d x %d x %d: single call %.3f s, peak %.0f MB; dask on 2 local workers %.3f s, "
          "largest process peak %.0f MB; ratio time dask / single %.2f, memory %.2f"
          % (n, LATS.size, LONS.size, single_s, single_mb, dask_s, dask_mb, dask_s / single_s,
             dask_mb / single_mb))


if __name__ == "__main__":
    main()
