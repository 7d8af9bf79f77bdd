#!/usr/bin/env bash
# Writes the web build's glyph tables: builds tools/fonts/font_tables and
# runs it, in a virtual X server when there is no DISPLAY.
# Usage: tools/fonts/make_font_tables.sh [OUTPUT.cpp] (default web/bitmap_font_tables.cpp)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="${1:-$root/web/bitmap_font_tables.cpp}"
cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" -j2 --target font_tables >/dev/null
if [ -n "${DISPLAY:-}" ]; then
    "$root/build/tools/fonts/font_tables" "$out"
else
    xvfb-run -a -s "-screen 0 640x480x24" "$root/build/tools/fonts/font_tables" "$out"
fi
