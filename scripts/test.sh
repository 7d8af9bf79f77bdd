#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs every test
# through CTest, ending with CTest's summary.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/common.sh"

install_missing "${build_packages[@]}" "${x_packages[@]}" "${test_packages[@]}"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPALEOVIZ_TESTS=ON >/dev/null
cmake --build "$root/build" -j "$(nproc)"
cd "$root/build"
ctest --output-on-failure
