#!/usr/bin/python3
"""The insolation benchmark's grid from Python through the paleoviz module:
the same 5801 x 181 x 360 daily means (floats) into memory, laid out as the
C++ side lays them out (time, true longitude, latitude).

usage: PYTHONPATH=BUILD/python insolation_python.py
Prints the seconds of the whole call (orbital elements included), the
median of five runs into the same array (out=), and of one call into a
new array.
"""
import statistics
import time

import numpy as np

import paleoviz

RUNS = 5
ORBIT = "la2004-fit"


def main():
    # The C++ side's times and solution: the fitted one's span.
    (oldest, newest), = [s["span_kyr"] for s in paleoviz.solutions() if s["key"] == ORBIT]
    t = np.linspace(newest, oldest, 5801)[:, None, None]
    lon = np.arange(360.0)[None, :, None]
    lat = np.arange(-90.0, 91.0)[None, None, :]
    # Into a new array each time: the kernel clears every fresh page first.
    start = time.perf_counter()
    fresh = paleoviz.daily_insolation(t, lat, lon, orbit=ORBIT, dtype=np.float32)
    fresh_seconds = time.perf_counter() - start
    # Into the same array, its pages touched before, as the C++ side does.
    seconds = []
    for _ in range(RUNS):
        start = time.perf_counter()
        paleoviz.daily_insolation(t, lat, lon, orbit=ORBIT, out=fresh)
        seconds.append(time.perf_counter() - start)
    checksum = float(fresh.reshape(-1)[::997].astype(np.float64).sum())
    print("python grid: %.3f s for %d values (out=, median of %d runs, fastest %.3f s; "
          "a new array each call: %.3f s; checksum %.6e)"
          % (statistics.median(seconds), fresh.size, RUNS, min(seconds), fresh_seconds, checksum))


if __name__ == "__main__":
    main()
