#!/bin/sh
# Daily-mean insolation grid, C++ against NumPy, in one run:
#   bench/run_insolation_bench.sh BUILD_DIR
# Prints both grid times and their ratio. Both fill 5801 x 181 x 360 floats
# in memory from the same orbital elements (5801 times spread evenly over
# the fitted solution's span).
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
