#!/usr/bin/env bash
# A long input storm against the window, run by hand (too long for the
# default test run):
#   tests/x11/input_storm.sh PROGRAM [SECONDS [DATA_DIR]]
# PROGRAM is best a build with AddressSanitizer
# (-DPALEOVIZ_SANITIZE=ON; target paleoviz). For SECONDS (default 600) it
# sends, in rounds: 100 random keys (every key command and keys the window
# ignores), a left drag between random points, a right click and a resize
# to a random size from 1 to 900 pixels a side. Only Escape may end the
# window, so the program must still be running at the end; then Escape must
# end it with status 0. Exits 0 on success, 1 with the reason otherwise.
set -uo pipefail
program=${1:?usage: input_storm.sh PROGRAM [SECONDS [DATA_DIR]]}
seconds=${2:-600}
data=${3:-$(cd "$(dirname "$0")/../.." && pwd)/data}

display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
log=$(mktemp)
trap 'kill "$xvfb" 2>/dev/null; rm -f "$log"' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} "$program" --data "$data" >"$log" 2>&1 &
pid=$!
window=""
for _ in $(seq 100); do
    window=$(xdotool search --name "Paleoclimatology Visualization" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.2
done
[ -n "$window" ] || { echo "FAIL: the window never appeared"; cat "$log"; exit 1; }

keys=(y Y 7 ampersand z Z r R a A s S e p o m l space Left Right Up Down
      x q 1 F1 Home Page_Up BackSpace Tab)
random_point() { echo $((RANDOM % 600)) $((RANDOM % 600)); }
round() {
    local k=()
    for _ in $(seq 100); do k+=("${keys[RANDOM % ${#keys[@]}]}"); done
    xdotool key --window "$window" --delay 1 "${k[@]}" 2>/dev/null
    # shellcheck disable=SC2046
    xdotool mousemove --window "$window" $(random_point) mousedown 1 \
        mousemove --window "$window" $(random_point) mouseup 1 2>/dev/null
    # shellcheck disable=SC2046
    xdotool mousemove --window "$window" $(random_point) click 3 2>/dev/null
    xdotool windowsize "$window" $((1 + RANDOM % 900)) $((1 + RANDOM % 900)) 2>/dev/null
}

end=$((SECONDS + seconds))
rounds=0
while [ "$SECONDS" -lt "$end" ]; do
    kill -0 "$pid" 2>/dev/null || break
    round
    rounds=$((rounds + 1))
done
if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    echo "FAIL: the window ended by itself (status $?) after $rounds rounds"
    cat "$log"
    exit 1
fi
xdotool key --window "$window" Escape
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: Escape did not end the window"
    kill "$pid"
    exit 1
fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "FAIL: Escape ended the window with status $status"; cat "$log"; exit 1; }
echo "ok: $rounds rounds in $seconds s, ended by Escape only"
