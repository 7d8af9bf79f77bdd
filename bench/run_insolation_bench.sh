#!/bin/sh
# Daily-mean insolation grid, C++ against NumPy and, when BUILD_DIR has the
# Python module (-DPALEOVIZ_PYTHON=ON), against the module called from
# Python, in one run:
#   bench/run_insolation_bench.sh BUILD_DIR
# Prints the grid times and their ratios. All fill 5801 x 181 x 360 floats
# in memory for 5801 times spread evenly over the default solution's span.
# Then the module's orbit and dask paths (insolation_front_ends.py).
set -e
build=${1:?usage: run_insolation_bench.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
elements=$(mktemp)
trap 'rm -f "$elements"' EXIT

"$build/tools/insolation/paleoviz-insolation" elements \
    --time "0:-5799:$(awk 'BEGIN { printf "%.17g", 5799 / 5800 }')" -o "$elements"
cxx=$("$build/bench/paleoviz_insolation_bench")
echo "$cxx"
py=$(/usr/bin/python3 "$here/insolation_numpy.py" "$elements")
echo "$py"
c=$(echo "$cxx" | sed -n 's/^grid: \([0-9.]*\) s.*/\1/p')
p=$(echo "$py" | sed -n 's/^numpy grid: \([0-9.]*\) s.*/\1/p')
awk -v p="$p" -v c="$c" 'BEGIN { printf "ratio numpy / C++: %.1f\n", p / c }'
if [ -d "$build/python/paleoviz" ]; then
    m=$(PYTHONPATH="$build/python" /usr/bin/python3 "$here/insolation_python.py")
    echo "$m"
    m=$(echo "$m" | sed -n 's/^python grid: \([0-9.]*\) s.*/\1/p')
    awk -v m="$m" -v c="$c" -v p="$p" \
        'BEGIN { printf "ratio paleoviz module / C++: %.2f\nratio numpy / paleoviz module: %.1f\n", m / c, p / m }'
fi

# The module's front-end paths: orbits given by hand against times, and a
# dask grid on two local workers against the single call (time and the
# peak memory of the largest process).
if [ -d "$build/python/paleoviz" ]; then
    PYTHONPATH="$build/python" /usr/bin/python3 -W ignore "$here/insolation_front_ends.py" 2000
fi
