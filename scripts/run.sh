#!/usr/bin/env bash
# Installs what is missing, builds paleoviz and the programs the README uses
# (paleoviz-insolation, orbit_series, orbit_fit, logo_image) and starts
# paleoviz from data/, where it finds partetopo, orbit95b and logo.rgba.
# Without a display it runs the program for a few seconds in a virtual X
# server and saves a screenshot.
#
# Options are passed to the program, which then runs in the caller's folder
# with --data pointing at data/ (unless --data is given). Without a display,
# --snapshot and --help run to their end in the virtual X server instead of
# the timed screenshot, and the script ends with the program's status.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/common.sh"

if [ -n "${DISPLAY:-}" ]; then
    install_missing "${build_packages[@]}"
else
    install_missing "${build_packages[@]}" "${x_packages[@]}"
fi
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPALEOVIZ_TESTS=OFF >/dev/null
cmake --build "$root/build" --target paleoviz paleoviz-insolation orbit_series orbit_fit logo_image \
    -j "$(nproc)"

# True if one of the arguments after the first is the option $1 (alone or
# as --option=value).
has_option() {
    local name=$1 a
    shift
    for a in "$@"; do
        case "$a" in "$name" | "$name"=*) return 0 ;; esac
    done
    return 1
}

if [ "$#" -eq 0 ]; then
    cd "$root/data"
elif ! has_option --data "$@"; then
    set -- --data "$root/data" "$@"
fi
if [ -n "${DISPLAY:-}" ]; then
    exec "$root/build/paleoviz" "$@"
fi

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
if has_option --snapshot "$@" || has_option --help "$@" || has_option -h "$@"; then
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
    status=0
    "$root/build/paleoviz" "$@" || status=$?
    exit "$status"
fi

# No display and no snapshot: a few seconds of frames, one screenshot.
shot="$root/out/paleoviz-screenshot.png"
mkdir -p "$root/out"
"$root/build/paleoviz" "$@" &
program=$!
trap 'kill "$program" "$xvfb_pid" 2>/dev/null || true' EXIT
sleep "${PALEOVIZ_SECONDS:-6}"
if ! kill -0 "$program" 2>/dev/null; then
    status=0
    wait "$program" || status=$?
    echo "paleoviz: the program ended early with status $status" >&2
    exit $((status == 0 ? 1 : status))
fi
window=$(xwininfo -root -tree | awk '/"Paleoclimatology Visualization"/ {print $1; exit}')
import -window "$window" "$shot"
echo "paleoviz ran for ${PALEOVIZ_SECONDS:-6} s in a virtual X server (no DISPLAY was set)."
echo "Screenshot: $shot ($(identify -format '%wx%h' "$shot"))"
