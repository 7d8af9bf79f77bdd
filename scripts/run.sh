#!/usr/bin/env bash
# Installs what is missing, builds paleoviz and starts it from data/, where
# it finds partetopo, orbit95b and logo.rgba. Without a display it runs the
# program for a few seconds in a virtual X server and saves a screenshot.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/common.sh"

if [ -n "${DISPLAY:-}" ]; then
    install_missing "${build_packages[@]}"
else
    install_missing "${build_packages[@]}" "${x_packages[@]}"
fi
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPALEOVIZ_TESTS=OFF >/dev/null
cmake --build "$root/build" --target paleoviz -j "$(nproc)"

cd "$root/data"
if [ -n "${DISPLAY:-}" ]; then
    exec "$root/build/paleoviz" "$@"
fi

# No display: a virtual X server, a few seconds of frames, one screenshot.
shot="$root/out/paleoviz-screenshot.png"
mkdir -p "$root/out"
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$display_file" ] && break
    sleep 0.1
done
display=$(head -n1 "$display_file")
rm -f "$display_file"
if [ -z "$display" ]; then
    echo "paleoviz: the virtual X server did not start" >&2
    exit 1
fi
export DISPLAY=":$display"
export LIBGL_ALWAYS_SOFTWARE=1
"$root/build/paleoviz" "$@" &
program=$!
trap 'kill "$program" "$xvfb_pid" 2>/dev/null || true' EXIT
sleep "${PALEOVIZ_SECONDS:-6}"
if ! kill -0 "$program" 2>/dev/null; then
    wait "$program" || echo "paleoviz: the program ended early with status $?" >&2
    exit 1
fi
window=$(xwininfo -root -tree | awk '/"Paleoclimatology Visualization"/ {print $1; exit}')
import -window "$window" "$shot"
echo "paleoviz ran for ${PALEOVIZ_SECONDS:-6} s in a virtual X server (no DISPLAY was set)."
echo "Screenshot: $shot ($(identify -format '%wx%h' "$shot"))"
