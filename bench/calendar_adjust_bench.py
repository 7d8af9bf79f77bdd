#!/usr/bin/python3
"""calendar_adjust on a model grid, on a dask LocalCluster of two workers:
a synthetic 100-year x 12-month x 96 x 192 float32 field (noleap calendar),
made lazily on the workers in chunks over space, adjusted to 127 ka and
kept on the workers (persist).

usage: PYTHONPATH=BUILD/python calendar_adjust_bench.py [CHUNK_LAT]
Prints the wall time of the adjustment (the graph built, computed and
held in the workers' memory) and each worker's peak resident memory,
sampled every 20 ms during the run, with its resident memory before it.
"""
import sys
import threading
import time

import dask.array as da
import numpy as np
import psutil
import xarray as xr
from dask.distributed import Client, LocalCluster, wait

import paleoviz

YEARS, NLAT, NLON = 100, 96, 192
SAMPLE_S = 0.02


def field(chunk_lat):
    """The synthetic field: a seasonal cycle plus noise, lazily made."""
    times = xr.cftime_range("0001-01-01", periods=12 * YEARS, freq="MS", calendar="noleap")
    lat = np.linspace(-89.0, 89.0, NLAT)
    season = np.cos(2 * np.pi * (np.arange(12 * YEARS) % 12) / 12.0).astype(np.float32)
    noise = da.random.RandomState(0).standard_normal((12 * YEARS, NLAT, NLON),
                                                     chunks=(-1, chunk_lat, NLON)).astype(np.float32)
    values = 280.0 + 20.0 * season[:, None, None] * np.sin(np.radians(lat))[None, :, None] + noise
    return xr.DataArray(values, dims=("time", "lat", "lon"), name="tas",
                        coords={"time": times, "lat": lat})


def rss(dask_worker=None):
    return psutil.Process().memory_info().rss


class Sampler(threading.Thread):
    """Each worker's largest resident memory while the run goes on."""

    def __init__(self, client):
        super().__init__(daemon=True)
        self.client, self.peak, self.done = client, {}, threading.Event()

    def run(self):
        while not self.done.is_set():
            for worker, size in self.client.run(rss).items():
                self.peak[worker] = max(self.peak.get(worker, 0), size)
            time.sleep(SAMPLE_S)


def main(argv):
    chunk_lat = int(argv[1]) if len(argv) > 1 else 8
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        client.run(lambda: paleoviz.calendar_adjust)  # the package imported on the workers
        before = client.run(rss)
        sampler = Sampler(client)
        sampler.start()
        start = time.perf_counter()
        out = paleoviz.calendar_adjust(field(chunk_lat), -127).persist()
        wait(out)
        wall = time.perf_counter() - start
        sampler.done.set()
        sampler.join()
        print("grid %d x 12 x %d x %d float32 (%.0f MB), chunks of %d latitudes" %
              (YEARS, NLAT, NLON, 12 * YEARS * NLAT * NLON * 4 / 1e6, chunk_lat))
        print("wall time %.2f s" % wall)
        for n, worker in enumerate(sorted(before)):
            print("worker %d: peak %.0f MB resident (%.0f MB before the run)" %
                  (n + 1, sampler.peak.get(worker, 0) / 1e6, before[worker] / 1e6))
        print("result mean %.4f" % float(out.mean().compute()))


if __name__ == "__main__":
    sys.exit(main(sys.argv))
