#!/usr/bin/python3
"""Every command of paleoviz-insolation written in plain NumPy from its
definition, over the request of paleoviz_insolation_commands_bench: 181
latitudes (-90..90 by 1 degree) at 5801 times, the commands that integrate
over the year on every EVERY-th time (caloric on every tenth of those).

usage: insolation_commands_numpy.py ELEMENTS_CSV [EVERY [COMMAND...]]
ELEMENTS_CSV is paleoviz-insolation's `elements` output for the 5801 times.
Prints, per command, the seconds, their projection to all 5801 times and
the sum of every finite value (as the C++ benchmark prints it).
"""
import math
import sys
import time

import numpy as np

S0 = 1365.0
YEAR_DAYS = 365.2422
DAY_SECONDS = 86400.0
STEP = math.pi / 1800.0  # largest step of true longitude in the integrals
TWO_PI = 2.0 * math.pi
MONTH_DAYS = [0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365]
# Per calendar of months: each month's first day (1 January 00:00 is day
# 1.0), the day of the March equinox (21 March 00:00) and the year's days,
# each day 1/year of the tropical year. "equinox" stretches the 365-day
# months to the 365.2422-day year; "noleap" keeps them in its own year.
MONTH_STARTS = {
    "equinox": (np.array([1.0 + MONTH_DAYS[m] * (YEAR_DAYS / 365.0) for m in range(12)]), 80.0, YEAR_DAYS),
    "noleap": (np.array([1.0 + MONTH_DAYS[m] for m in range(12)]), 80.0, 365.0),
}

PHI = np.radians(np.arange(-90.0, 91.0))[:, None]
SIN_PHI, TAN_PHI = np.sin(PHI), np.tan(PHI)
COS_PHI = np.where(np.abs(np.abs(PHI) - math.pi / 2) < 1e-12, 0.0, np.cos(PHI))


def wrap(a):
    a = np.fmod(a, TWO_PI)
    return np.where(a < 0, np.where(a + TWO_PI < TWO_PI, a + TWO_PI, 0.0), a)


def cosine_sum(eps, lam):
    """h0 sin phi sin d + cos phi cos d sin h0, latitudes by longitudes."""
    sin_d = np.sin(eps) * np.sin(lam)
    d = np.arcsin(sin_d)
    c = np.clip(-TAN_PHI * np.tan(d), -1.0, 1.0)
    return SIN_PHI * sin_d * np.arccos(c) + COS_PHI * np.cos(d) * np.sqrt(1.0 - c * c)


def scale(e, varpi, lam):
    q = (1 + e * np.cos(lam - varpi - math.pi)) / (1 - e * e)
    return S0 / math.pi * q * q


def per_radian(e):
    return S0 * YEAR_DAYS * DAY_SECONDS / (2 * math.pi ** 2 * math.sqrt(1 - e * e))


def mean_anomaly(e, varpi, lam):
    v = lam - varpi - math.pi
    big_e = 2 * np.arctan2(math.sqrt(1 - e) * np.sin(v / 2), math.sqrt(1 + e) * np.cos(v / 2))
    return wrap(big_e - e * np.sin(big_e))


def true_longitude(e, varpi, m):
    m = wrap(m)
    big_e = m.copy()
    for _ in range(60):
        big_e -= (big_e - e * np.sin(big_e) - m) / (1 - e * np.cos(big_e))
    v = 2 * np.arctan2(math.sqrt(1 + e) * np.sin(big_e / 2), math.sqrt(1 - e) * np.cos(big_e / 2))
    return wrap(v + varpi + math.pi)


def energy_between(o, lam1, lam2):
    """Composite Simpson rule of the cosine sum over the forward arc, per latitude."""
    arc = wrap(lam2 - lam1)
    arc = arc if arc > 0 else TWO_PI
    n = math.ceil(arc / STEP)
    n += n % 2
    w = np.full(n + 1, 2.0)
    w[1::2], w[0], w[-1] = 4.0, 1.0, 1.0
    g = cosine_sum(o[2], lam1 + np.arange(n + 1) * (arc / n))
    g[:, -1] = cosine_sum(o[2], np.array([lam1 + arc]))[:, 0]
    return per_radian(o[0]) * (g @ w) * (arc / n) / 3.0


def days_between(o, lam1, lam2):
    if wrap(lam2 - lam1) <= 0:
        return YEAR_DAYS
    return float(wrap(mean_anomaly(o[0], o[1], lam2) - mean_anomaly(o[0], o[1], lam1))) / TWO_PI * YEAR_DAYS


def profile(o):
    n = math.ceil(TWO_PI / STEP)
    h = TWO_PI / n
    lam = np.arange(n + 1) * h
    g = cosine_sum(o[2], lam)
    s = scale(o[0], o[1], lam)
    w = np.broadcast_to(YEAR_DAYS / (TWO_PI * math.sqrt(1 - o[0] ** 2)) * S0 / (math.pi * s), g.shape)
    return h, g, s * g, w, per_radian(o[0])


def above(p, level):
    """Energy and days of the year in which the daily mean exceeds level (per latitude)."""
    h, g, q, w, pr = p
    level = np.asarray(level, dtype=float).reshape(-1, 1)
    qa, qb = q[:, :-1], q[:, 1:]
    both = (qa > level) & (qb > level)
    one = (qa > level) != (qb > level)
    a_high = qa > level
    pick = lambda x: (np.where(a_high, x[:, :-1], x[:, 1:]), np.where(a_high, x[:, 1:], x[:, :-1]))
    (q_hi, _), (g_hi, g_lo), (w_hi, w_lo) = pick(q), pick(g), pick(w)
    with np.errstate(divide="ignore", invalid="ignore"):
        f = np.where(one, (q_hi - level) / np.abs(qa - qb), 0.0)
    g_part = np.where(both, (g[:, :-1] + g[:, 1:]) / 2, np.where(one, f * (2 * g_hi + f * (g_lo - g_hi)) / 2, 0.0))
    w_part = np.where(both, (w[:, :-1] + w[:, 1:]) / 2, np.where(one, f * (2 * w_hi + f * (w_lo - w_hi)) / 2, 0.0))
    return pr * h * g_part.sum(axis=1), h * w_part.sum(axis=1)


def crossings(p, level):
    h, _, q, _, _ = p
    level = level.reshape(-1, 1)
    qa, qb = q[:, :-1], q[:, 1:]
    i = np.arange(1, q.shape[1])
    ups, downs = (qa <= level) & (qb > level), (qa > level) & (qb <= level)
    with np.errstate(divide="ignore", invalid="ignore"):
        start = np.where(ups, wrap(i * h - h * (qb - level) / (qb - qa)), 0.0).sum(axis=1)
        end = np.where(downs, wrap((i - 1) * h + h * (qa - level) / (qa - qb)), 0.0).sum(axis=1)
    once = (ups.sum(axis=1) == 1) & (downs.sum(axis=1) == 1)
    return np.where(once, start, np.nan), np.where(once, end, np.nan)


def caloric(o):
    p = profile(o)
    year_energy, year_days = above(p, np.full(181, -1.0))
    half = year_days / 2
    low, high = p[2].min(axis=1) - 1.0, p[2].max(axis=1)
    for _ in range(200):
        going = high - low > 1e-13 * (1.0 + high)
        if not going.any():
            break
        mid = (low + high) / 2
        more = above(p, mid)[1] > half
        low, high = np.where(going & more, mid, low), np.where(going & ~more, mid, high)
    energy, days = above(p, high)
    tied = np.maximum(0.0, half - days)
    summer = energy + high * tied * DAY_SECONDS
    start, end = crossings(p, high)
    start, end = np.where(tied > 1e-6, np.nan, start), np.where(tied > 1e-6, np.nan, end)
    seconds = half * DAY_SECONDS
    winter = year_energy - summer
    return [summer / 1e9, summer / seconds, np.degrees(start), np.degrees(end), winter / 1e9,
            winter / seconds, np.degrees(end), np.degrees(start)]


def monthly(o, calendar):
    if calendar == "angular":
        starts = [m * TWO_PI / 12 for m in range(12)]
    else:
        m0 = float(mean_anomaly(o[0], o[1], 0.0))
        days, equinox, year = MONTH_STARTS[calendar]
        starts = list(true_longitude(o[0], o[1], m0 + TWO_PI * (days - equinox) / year))
    starts.append(starts[0])
    return [energy_between(o, starts[m], starts[m + 1])
            / (days_between(o, starts[m], starts[m + 1]) * DAY_SECONDS) for m in range(12)]


def integrated(o):
    lam1, lam2 = 0.0, math.pi
    energy, days = energy_between(o, lam1, lam2), days_between(o, lam1, lam2)
    return [energy / 1e9, energy / (days * DAY_SECONDS), np.array([days])]


def threshold(o):
    energy, days = above(profile(o), np.full(181, 275.0))
    return [energy / 1e9, days]


PER_TIME = {
    "integrated": integrated,
    "threshold": threshold,
    "caloric": caloric,
    "monthly-equinox": lambda o: monthly(o, "equinox"),
    "monthly-angular": lambda o: monthly(o, "angular"),
    "monthly-noleap": lambda o: monthly(o, "noleap"),
    "annual": lambda o: [energy_between(o, 0.0, 0.0) / (YEAR_DAYS * DAY_SECONDS)],
}


def every_time(name, e, varpi, eps):
    """daily and instant at true longitude 90 degrees (instant at 9 h), all times at once."""
    lam = math.radians(90.0)
    e, varpi, eps = e[None, :], varpi[None, :], eps[None, :]
    sin_d = np.sin(eps) * math.sin(lam)
    d = np.arcsin(sin_d)
    if name == "daily":
        c = np.clip(-TAN_PHI * np.tan(d), -1.0, 1.0)
        g = SIN_PHI * sin_d * np.arccos(c) + COS_PHI * np.cos(d) * np.sqrt(1.0 - c * c)
        return scale(e, varpi, lam) * g
    z = SIN_PHI * sin_d + COS_PHI * np.cos(d) * math.cos((9.0 - 12.0) * math.pi / 12.0)
    return np.where(z > 0, math.pi * scale(e, varpi, lam) * z, 0.0)


def finite_sum(values):
    return sum(float(np.nansum(np.where(np.isfinite(v), v, 0.0))) for v in values)


def main():
    rows = [line for line in open(sys.argv[1], encoding="ascii")
            if not line.startswith("#") and not line.startswith("time")]
    table = np.array([[float(x) for x in r.split(",")[1:4]] for r in rows])
    e, varpi, eps = table[:, 0], np.radians(table[:, 1]), np.radians(table[:, 2])
    every = int(sys.argv[2]) if len(sys.argv) > 2 else 50
    wanted = sys.argv[3:] or ["daily", "instant"] + list(PER_TIME)
    for name in wanted:
        start = time.perf_counter()
        if name in PER_TIME:
            picked = range(0, len(e), every * (10 if name == "caloric" else 1))
            checksum = sum(finite_sum(PER_TIME[name]((e[t], varpi[t], eps[t]))) for t in picked)
            count = len(picked)
        else:
            checksum, count = finite_sum([every_time(name, e, varpi, eps)]), len(e)
        seconds = time.perf_counter() - start
        print("numpy %s: %d times x 181 latitudes: %.3f s; all %d times: %.2f s; checksum %.9e"
              % (name, count, seconds, len(e), seconds * len(e) / count, checksum))


if __name__ == "__main__":
    main()
