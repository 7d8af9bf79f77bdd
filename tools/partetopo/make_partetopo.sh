#!/bin/sh
# Writes the globes' elevation grid file: 540 rows x 1080 columns of signed
# 16-bit samples, little-endian, no header, row-major. Row r lies at latitude
# 90 - r/3 degrees (row 0 at the north pole), column c at longitude c/3
# degrees east (column 0 at 0 degrees).
#
# Without --elevation the samples form a land/sea mask built by GMT from the
# low-resolution GSHHG shorelines: land and islands in lakes +1, ocean, lakes
# and ponds on islands -1. With --elevation GRID, any grid GMT can read (for
# instance a global relief model in netCDF) is resampled onto the same nodes;
# samples are metres rounded to the nearest integer and clamped to the 16-bit
# range. Nodes the grid has no value for are written as 0.
#
# Needs GMT 6 (Debian packages gmt and gmt-gshhg-low). The GMT program can be
# chosen with the environment variable GMT. Nothing is written outside a
# temporary directory except OUTPUT.

set -u

prog=$(basename "$0")
gmt_program=${GMT:-gmt}

# Gridline-registered nodes every 20 arc minutes: longitudes 0 to 359:40,
# latitudes -89:40 to 90, that is 1080 columns and 540 rows.
region=-R0/359:40/-89:40/90
spacing=-I20m
columns=1080
rows=540
grid_bytes=1166400
# Sample values for ocean/land/lake/island/pond.
mask_values=-N-1/1/-1/1/-1

usage() {
    cat <<EOF
usage: $prog [--elevation GRID] OUTPUT

Writes the 540 x 1080 little-endian int16 elevation grid to OUTPUT.
Without --elevation: a land (+1) / water (-1) mask from the GSHHG
low-resolution shorelines. With --elevation GRID: GRID (any grid GMT reads,
e.g. a global relief model) resampled to the same nodes, in metres.
EOF
}

fail() {
    printf '%s: %s\n' "$prog" "$*" >&2
    exit 1
}

absolute() {
    case $1 in
    /*) printf '%s\n' "$1" ;;
    *) printf '%s/%s\n' "$(pwd)" "$1" ;;
    esac
}

check_gmt() {
    command -v "$gmt_program" >/dev/null 2>&1 ||
        fail "GMT not found ('$gmt_program'); install GMT 6 (Debian package gmt)"
    version=$("$gmt_program" --version 2>/dev/null) ||
        fail "'$gmt_program --version' failed; is this GMT?"
    case $version in
    6.*) ;;
    *) fail "GMT 6 is needed, found version '$version'" ;;
    esac
}

# Runs GMT inside the work directory, where it keeps its history and settings.
run_gmt() {
    (cd "$work" && "$gmt_program" "$@")
}

# Prints a field of 'grdinfo -M -C' (tab separated: name, w, e, s, n, zmin,
# zmax, dx, dy, nx, ny, ..., NaN count in field 16).
grid_field() {
    run_gmt grdinfo -M -C "$1" 2>/dev/null | cut -f "$2"
}

# True when the grid file has the file layout's shape.
has_layout() {
    [ -f "$1" ] || return 1
    [ "$(grid_field "$1" 10)" = "$columns" ] && [ "$(grid_field "$1" 11)" = "$rows" ]
}

make_mask() {
    run_gmt grdlandmask "$region" "$spacing" -rg -Dl "$mask_values" -G"$work/grid.nc" ||
        fail "GMT could not build the land/sea mask"
    has_layout "$work/grid.nc" ||
        fail "GMT could not build the land/sea mask; are the GSHHG shorelines" \
            "installed (Debian package gmt-gshhg-low)?"
}

make_elevation() {
    input=$1
    case $input in
    @*) ;;
    *)
        [ -r "$input" ] || fail "cannot read elevation grid '$input'"
        input=$(absolute "$input")
        ;;
    esac
    run_gmt grdsample "$input" "$region" "$spacing" -rg -fg -G"$work/resampled.nc" >&2
    [ -f "$work/resampled.nc" ] || fail "GMT cannot read '$1' as a grid"
    has_layout "$work/resampled.nc" ||
        fail "'$1' does not cover the whole globe (every longitude, latitudes -90 to 90)"
    missing=$(grid_field "$work/resampled.nc" 16)
    [ "${missing:-0}" = 0 ] ||
        printf '%s: warning: %s nodes without a value written as 0\n' "$prog" "$missing" >&2
    run_gmt grdmath "$work/resampled.nc" 0 DENAN RINT -32768 MAX 32767 MIN = "$work/grid.nc" ||
        fail "GMT could not round the resampled grid"
}

# Samples from the top left, row by row, as int16 in little-endian order.
write_samples() {
    order=TL
    if [ "$(printf '\001\000' | od -An -tu2 | tr -d ' ')" != 1 ]; then
        order=TLw
    fi
    run_gmt grd2xyz "$work/grid.nc" -Z"${order}h" >"$work/partetopo" ||
        fail "GMT could not write the samples"
    size=$(wc -c <"$work/partetopo" | tr -d ' ')
    [ "$size" = "$grid_bytes" ] || fail "wrote $size bytes instead of $grid_bytes"
    mv -f "$work/partetopo" "$output" || fail "cannot write '$output'"
}

elevation=
case ${1:-} in
-h | --help)
    usage
    exit 0
    ;;
--elevation)
    [ $# -ge 2 ] || { usage >&2; exit 2; }
    elevation=$2
    shift 2
    ;;
esac
[ $# -eq 1 ] || { usage >&2; exit 2; }
output=$(absolute "$1")
[ -d "$(dirname "$output")" ] || fail "no directory for '$1'"

check_gmt
work=$(mktemp -d "${TMPDIR:-/tmp}/partetopo.XXXXXX") || fail "cannot make a temporary directory"
trap 'rm -rf "$work"' EXIT
trap 'exit 1' HUP INT TERM
GMT_TMPDIR=$work
GMT_USERDIR=$work
export GMT_TMPDIR GMT_USERDIR
run_gmt set GMT_HISTORY false || fail "GMT does not run"

if [ -n "$elevation" ]; then
    make_elevation "$elevation"
else
    make_mask
fi
write_samples
