#!/usr/bin/env bash
# Regenerates docs/figure.png, the README's figure: the window's picture
# today and 21,000 years ago side by side, each a 600 x 600 snapshot of the
# globes turned by 90 degrees. Builds the program first (through run.sh,
# which also provides a virtual X server when there is no display).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for kyr in 0 21; do
    "$root/scripts/run.sh" --time "-$kyr" --spin 90 --snapshot "$work/$kyr.png"
done
convert "$work/0.png" "$work/21.png" +append "$work/figure.png"
mv -f "$work/figure.png" "$root/docs/figure.png"
echo "Figure: $root/docs/figure.png ($(identify -format '%wx%h' "$root/docs/figure.png"))"
