#!/usr/bin/env bash
# Installs what the tests need, builds everything with warnings as errors
# (the web build and the Python module too) and runs, in order: the logic
# and stand-in tests under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan), each libFuzzer harness for a fixed
# number of inputs from a fixed seed (build-fuzz), then every test of the
# normal build through CTest, ending with CTest's summary. Any sanitizer
# report halts its run and fails the command.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/common.sh"
jobs="$(nproc)"

install_missing "${build_packages[@]}" "${x_packages[@]}" "${python_packages[@]}" "${test_packages[@]}" \
                "${web_build_packages[@]}" "${web_test_packages[@]}"
# A Node.js from elsewhere (NodeSource) brings its own npm, which Debian's
# npm package would conflict with.
command -v npm >/dev/null 2>&1 || install_missing npm
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPALEOVIZ_TESTS=ON \
      -DPALEOVIZ_WERROR=ON -DPALEOVIZ_PYTHON=ON >/dev/null
cmake --build "$root/build" -j "$jobs"

# Sanitizers: the unit and stand-in tests and the orbit tool's tests. The
# real-X-server tests stay in the normal build (Mesa's software renderer
# would need leak suppressions and runs many times slower instrumented).
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPALEOVIZ_TESTS=ON \
      -DPALEOVIZ_SANITIZE=ON -DPALEOVIZ_WERROR=ON >/dev/null
cmake --build "$root/build-asan" -j "$jobs" --target paleoviz_tests orbit_series_tests
echo "== logic and stand-in tests under ASan + UBSan"
"$root/build-asan/tests/paleoviz_tests" --gtest_brief=1
"$root/build-asan/tests/data/orbit_series_tests" --gtest_brief=1

# Fuzzing: a fixed seed and input count per harness, new inputs kept in the
# build folder so that the committed seed corpora stay as they are.
fuzzers=(series grid logo colour laskar)
cmake -S "$root" -B "$root/build-fuzz" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DPALEOVIZ_TESTS=OFF -DPALEOVIZ_FUZZ=ON -DPALEOVIZ_WERROR=ON >/dev/null
cmake --build "$root/build-fuzz" -j "$jobs" --target "${fuzzers[@]/#/fuzz_}"
for name in "${fuzzers[@]}"; do
    runs=3000
    [ "$name" = grid ] && runs=100  # every input rebuilds a whole mesh
    found="$root/build-fuzz/corpus/$name"
    rm -rf "$found"
    mkdir -p "$found"
    echo "== fuzz_$name: $runs inputs, seed 1"
    "$root/build-fuzz/tests/fuzz/fuzz_$name" -runs="$runs" -seed=1 "$found" \
        "$root/tests/fuzz/corpus/$name" 2>"$found.log" || { cat "$found.log"; exit 1; }
done

# The web build (warnings as errors) and the browser driver its tests use,
# pinned by web/tests/package-lock.json; puppeteer-core fetches no browser.
echo "== web build"
build_web_site "$root" "$root/build-web" -DPALEOVIZ_WERROR=ON
(cd "$root/web/tests" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund)

cd "$root/build"
ctest --output-on-failure
