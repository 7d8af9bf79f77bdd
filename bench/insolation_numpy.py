#!/usr/bin/python3
"""The insolation benchmark's grid written in NumPy, vectorised in chunks of
times: the same formula, the same 5801 x 181 x 360 daily means into memory.

usage: insolation_numpy.py ELEMENTS_CSV
ELEMENTS_CSV is paleoviz-insolation's `elements` output for the 5801 times.
Prints the seconds of the grid alone.
"""
import sys
import time

import numpy as np

S0 = 1365.0
CHUNK = 16  # times per chunk: about a million values


def main():
    rows = [line for line in open(sys.argv[1], encoding="ascii")
            if not line.startswith("#") and not line.startswith("time")]
    table = np.array([[float(x) for x in r.split(",")[1:4]] for r in rows])
    e, varpi, eps = table[:, 0], np.radians(table[:, 1]), np.radians(table[:, 2])
    lam = np.radians(np.arange(360.0))[None, :, None]
    phi = np.radians(np.arange(-90.0, 91.0))[None, None, :]
    sin_phi, cos_phi, tan_phi = np.sin(phi), np.cos(phi), np.tan(phi)
    out = np.empty((len(e), 360, 181), dtype=np.float32)

    start = time.perf_counter()
    for t0 in range(0, len(e), CHUNK):
        t1 = min(t0 + CHUNK, len(e))
        ec = e[t0:t1, None, None]
        sin_d = np.sin(eps[t0:t1, None, None]) * np.sin(lam)
        d = np.arcsin(sin_d)
        q = (1 + ec * np.cos(lam - varpi[t0:t1, None, None] - np.pi)) / (1 - ec * ec)
        scale = S0 / np.pi * q * q
        c = np.clip(-tan_phi * np.tan(d), -1.0, 1.0)
        out[t0:t1] = scale * (np.cos(d) * cos_phi * np.sqrt(1 - c * c) + sin_d * sin_phi * np.arccos(c))
    seconds = time.perf_counter() - start
    print("numpy grid: %.3f s for %d values (checksum %.6e)"
          % (seconds, out.size, float(out.reshape(-1)[::997].astype(np.float64).sum())))


if __name__ == "__main__":
    main()
