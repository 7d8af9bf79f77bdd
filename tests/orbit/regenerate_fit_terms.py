"""Regenerates orbit/la2004_fit_terms.h with orbit_fit from the shipped
La2004 table of the past, as docs/data.md says, and compares it with the
committed file.

Every line must be the committed one as written, except the fitted numbers
(each term's amplitude, rate and phase, and the mean obliquity): their last
digits depend on which variants of sin, cos and exp the C library picks for
the processor (with fused multiply-add or without), and a joint fit of 800
parameters carries that into the eighth significant digit. Two runs on one
machine, one with those variants turned off, differ from each other and
from the committed table by at most 5.1e-9 in an amplitude (or the mean
obliquity, degrees), 6.2e-8 arcseconds per year in a rate and 7e-5 degrees
in a phase; the bounds below are ten times that or more. The rounded
accuracy figures of the opening comment must match exactly.

usage: regenerate_fit_terms.py ORBIT_FIT TABLE.asc.gz COMMITTED WORK_DIR
"""
import gzip
import math
import os
import re
import subprocess
import sys

TERM = re.compile(r"^    \{(\S+), (\S+), (\S+)\},$")
MEAN = re.compile(r"^constexpr double la2004MeanObliquity = (\S+);$")
AMPLITUDE_BOUND = 5e-8  # dimensionless, or degrees for the mean obliquity
RATE_BOUND = 1e-6  # arcseconds per year
PHASE_BOUND = 1e-3  # degrees


def numbers(line):
    """The fitted numbers of a term or mean line, or None for any other."""
    for pattern in (TERM, MEAN):
        match = pattern.match(line)
        if match:
            return [float(value) for value in match.groups()]
    return None


def close(made, committed):
    bounds = (AMPLITUDE_BOUND, RATE_BOUND, PHASE_BOUND)
    for value, expected, bound, column in zip(made, committed, bounds, range(3)):
        difference = value - expected
        if column == 2:
            difference = math.remainder(difference, 360.0)
        if not abs(difference) <= bound:
            return False
    return True


def differences(made_lines, committed_lines):
    """What differs between the two files, one message per line."""
    problems = []
    if len(made_lines) != len(committed_lines):
        problems.append(f"{len(made_lines)} lines where the committed file has "
                        f"{len(committed_lines)}")
    for number, (made, committed) in enumerate(zip(made_lines, committed_lines), start=1):
        if made == committed:
            continue
        made_numbers, committed_numbers = numbers(made), numbers(committed)
        if made_numbers is None or committed_numbers is None or \
                len(made_numbers) != len(committed_numbers):
            problems.append(f"line {number}: {made!r} where the committed file has {committed!r}")
        elif not close(made_numbers, committed_numbers):
            problems.append(f"line {number}: {made.strip()} is too far from {committed.strip()}")
    return problems


def main(tool, table, committed, work):
    os.makedirs(work, exist_ok=True)
    plain = os.path.join(work, "la2004-past.asc")
    made = os.path.join(work, "la2004_fit_terms.h")
    with gzip.open(table, "rb") as source, open(plain, "wb") as target:
        target.write(source.read())
    if os.path.exists(made):
        os.remove(made)
    run = subprocess.run([tool, plain, made], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                         text=True)
    if run.returncode != 0:
        print(f"orbit_fit failed ({run.returncode}): {run.stderr}")
        return 1
    with open(made) as file:
        made_lines = file.read().split("\n")
    with open(committed) as file:
        committed_lines = file.read().split("\n")
    problems = differences(made_lines, committed_lines)
    for problem in problems:
        print(f"{committed}: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
