#!/bin/sh
# Times frames with the real OpenGL and sets them against the program's own
# CPU share of a frame; then what a snapshot adds to its frame.
#
# Usage: bench/run_frame_bench.sh [build-dir [data-dir [frames]]]
#   build-dir  where paleoviz_frame_bench (and paleoviz_bench) were built; default build
#   data-dir   folder with partetopo, orbit95b, logo.rgba; default data
#   frames     frames timed per mesh step; default 50
# Without a DISPLAY it starts a virtual X server (Xvfb) and renders in
# software (LIBGL_ALWAYS_SOFTWARE=1).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
data=${2:-$root/data}
frames=${3:-50}

frame_bench=$build/bench/paleoviz_frame_bench
noop_bench=$build/bench/paleoviz_bench
if [ ! -x "$frame_bench" ]; then
    echo "no $frame_bench: build the project first (make paleoviz_frame_bench)" >&2
    exit 1
fi

xvfb_pid=
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT INT TERM
if [ -z "${DISPLAY:-}" ]; then
    display=:$((90 + $$ % 100))
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    export DISPLAY="$display"
    export LIBGL_ALWAYS_SOFTWARE=1
fi

out=$(mktemp)
"$frame_bench" "$data" "$frames" | tee "$out"
if [ -x "$noop_bench" ]; then
    "$noop_bench" --frames "$data" >>"$out"
    echo
    echo "step  real frame ms  no-op GL ms  program's own share"
    awk -F'[ =]' '
        $1 == "frame" { real[$3] = $5 }
        $1 == "noop"  { noop[$3] = $5 }
        END {
            for (s = 2; s <= 10; s += 2)
                if (s in real && s in noop)
                    printf "%4d  %13.3f  %11.3f  %18.1f%%\n", s, real[s], noop[s], 100 * noop[s] / real[s]
        }' "$out"
fi
rm -f "$out"
snapshot_bench=$build/bench/paleoviz_snapshot_bench
if [ -x "$snapshot_bench" ]; then
    echo
    "$snapshot_bench" "$data" | grep '^snapshot'
fi
