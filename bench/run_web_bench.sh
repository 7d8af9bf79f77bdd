#!/bin/sh
# The web build against the native window, both in software rendering, in
# one run: native frame times (llvmpipe under Xvfb, paleoviz_frame_bench,
# timed to glFinish) and the browser's (headless Chromium with SwiftShader,
# each frame waited for by reading a pixel back), at mesh steps 8 and 2,
# and the browser's frame not waited for: the program's own share (its
# work and the handing of its GL calls to the browser, not the drawing),
# for the same frame again and for frames whose globes all change colour;
# the running page's frames per second; load to first frame; the site's size;
# the page's map: its recomputation after a slider move or a time step
# (target under 8 ms; the module's kernel alone too) and the frame rate with and without it (within 10%).
#
# Usage: bench/run_web_bench.sh [build-dir [frames]]   (default build, 50)
# The site is build-web/site, or the folder PALEOVIZ_WEB_SITE names.
# Needs the site (scripts/web.sh --build-only) and puppeteer-core (npm ci in
# web/tests).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
frames=${2:-50}
frame_bench=$build/bench/paleoviz_frame_bench
if [ ! -x "$frame_bench" ]; then
    echo "no $frame_bench: build it first (make -C $build paleoviz_frame_bench)" >&2
    exit 1
fi
site=${PALEOVIZ_WEB_SITE:-$root/build-web/site}
if [ ! -f "$site/paleoviz.wasm" ]; then
    echo "no site in $site: run scripts/web.sh --build-only first" >&2
    exit 1
fi

out=$(mktemp)
trap 'rm -f "$out"' EXIT INT TERM
echo "load average before: $(cut -d' ' -f1 /proc/loadavg)"
LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 1024x768x24" "$frame_bench" "$root/data" "$frames" | tee "$out"
node "$root/bench/web_bench.mjs" "$site" "$frames" | tee -a "$out"
echo "load average after: $(cut -d' ' -f1 /proc/loadavg)"
echo
echo "step  native ms  browser ms  browser/native  browser fps running  program's share ms  with new colours ms"
awk -F'[ =]' '
    $1 == "frame" { native[$3] = $5 }
    $1 == "web" && $2 == "frame" { web[$4] = $6; fps[$4] = $10; own[$4] = $12; fresh[$4] = $14 }
    END {
        for (s = 8; s >= 2; s -= 6)
            if (s in native && s in web)
                printf "%4d  %9.1f  %10.1f  %14.2f  %19s  %18.1f  %19.1f\n", s, native[s], web[s], web[s] / native[s],
                       fps[s], own[s], fresh[s]
    }' "$out"
