#!/bin/sh
# The insolation benchmarks in one run:
#   bench/run_insolation_bench.sh BUILD_DIR [EVERY]
# 1. The daily-mean grid (5801 x 181 x 360 floats in memory, 5801 times
#    spread over the default solution's span): the C++ kernel's vector path
#    (with the instruction set its dispatch chose) and its scalar path,
#    NumPy, and, when BUILD_DIR has the Python module (-DPALEOVIZ_PYTHON=ON),
#    the module called from Python; their times and ratios.
# 2. Every command of paleoviz-insolation over 5801 times x 181 latitudes,
#    C++ beside NumPy versions of the same definitions; the commands that
#    integrate over the year run on every EVERY-th time (default 50;
#    caloric on every tenth of those) and are projected to all 5801. The
#    checksums' relative difference shows how far the NumPy versions (the
#    year summed every 0.1 degree by Simpson's rule) are from the library's
#    quadrature, which follows the integrand (see docs/cli.md).
# 3. The module's orbit and dask paths (insolation_front_ends.py).
set -e
build=${1:?usage: run_insolation_bench.sh BUILD_DIR [EVERY]}
every=${2:-50}
here=$(cd "$(dirname "$0")" && pwd)
elements=$(mktemp)
trap 'rm -f "$elements"' EXIT

"$build/tools/insolation/paleoviz-insolation" elements \
    --time "0:-5799:$(awk 'BEGIN { printf "%.17g", 5799 / 5800 }')" -o "$elements"
seconds() { sed -n "s/^$1: \([0-9.]*\) s.*/\1/p"; }

echo "== daily-mean grid"
cxx=$("$build/bench/paleoviz_insolation_bench")
echo "$cxx"
scalar=$("$build/bench/paleoviz_insolation_bench" "$(nproc)" scalar)
echo "$scalar" | grep -E '^(kernel|grid):'
py=$(/usr/bin/python3 "$here/insolation_numpy.py" "$elements")
echo "$py"
c=$(echo "$cxx" | seconds grid)
s=$(echo "$scalar" | seconds grid)
p=$(echo "$py" | seconds "numpy grid")
awk -v p="$p" -v c="$c" -v s="$s" \
    'BEGIN { printf "ratio scalar path / vector path: %.2f\nratio numpy / C++: %.1f\n", s / c, p / c }'
if [ -d "$build/python/paleoviz" ]; then
    m=$(PYTHONPATH="$build/python" /usr/bin/python3 "$here/insolation_python.py")
    echo "$m"
    m=$(echo "$m" | seconds "python grid")
    awk -v m="$m" -v c="$c" -v p="$p" \
        'BEGIN { printf "ratio paleoviz module / C++: %.2f\nratio numpy / paleoviz module: %.1f\n", m / c, p / m }'
fi

# The module's front-end paths: orbits given by hand against times, and a
# dask grid on two local workers against the single call (time and the
# peak memory of the largest process).
if [ -d "$build/python/paleoviz" ]; then
    PYTHONPATH="$build/python" /usr/bin/python3 -W ignore "$here/insolation_front_ends.py" 2000
fi

echo "== every command (all 5801 times; projected where fewer were run)"
cmds=$(mktemp)
trap 'rm -f "$elements" "$cmds"' EXIT
"$build/bench/paleoviz_insolation_commands_bench" "$every" | tee "$cmds"
/usr/bin/python3 "$here/insolation_commands_numpy.py" "$elements" "$every" | tee -a "$cmds"
echo
echo "command            C++ s   numpy s   numpy/C++  checksums (numpy - C++) / C++"
awk '
    function all(line) { sub(/.*all 5801 times: /, "", line); sub(/ s;.*/, "", line); return line + 0 }
    function sum(line) { sub(/.*checksum /, "", line); return line }
    $1 == "command" { n = $2; sub(/:$/, "", n); order[++count] = n; cxx[n] = all($0); cs[n] = sum($0) }
    $1 == "numpy" { n = $2; sub(/:$/, "", n); np[n] = all($0); ns[n] = sum($0) }
    END {
        for (i = 1; i <= count; ++i) {
            n = order[i]
            printf "%-17s %7.2f  %8.2f  %9.1f  %s\n", n, cxx[n], np[n], np[n] / cxx[n],
                   (cs[n] == ns[n] ? "equal" : sprintf("%.1e", (ns[n] - cs[n]) / cs[n]))
        }
    }' "$cmds"
