# Shared by run.sh and test.sh: installs missing Debian packages and builds.

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        echo "paleoviz: need root (or sudo) to install: $*" >&2
        return 1
    fi
}

# Installs those of the named Debian packages that are not installed yet.
install_missing() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ "${#missing[@]}" -eq 0 ] && return 0
    echo "paleoviz: installing ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# Eigen: least-squares solves of the orbit fitting tool; CLI11: option
# parsing of the program and its tools; NetCDF: gridded output of the
# insolation tool (HDF5's headers: to turn off its exit handler); libpng:
# the program's snapshots; zlib: the published La2004 tables, compressed as
# published, compiled into the orbit library; Highway: the insolation grid
# kernel's SIMD, chosen at run time for the processor; help2man: the manual
# pages, made from each program's --help.
build_packages=(build-essential cmake pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri
                libeigen3-dev libcli11-dev libnetcdf-dev libhdf5-dev libpng-dev zlib1g-dev libhwy-dev
                help2man)
x_packages=(xvfb xauth x11-utils xdotool imagemagick libx11-dev)
# The Python module paleoviz (-DPALEOVIZ_PYTHON=ON): pybind11 and NumPy for
# Debian's /usr/bin/python3.
python_packages=(python3-dev pybind11-dev python3-numpy)
# What only the tests use: GoogleTest, GMT for the grid regeneration, ncdump
# for NetCDF output, the desktop entry validator, clang with libFuzzer;
# pytest, xarray and its netCDF reader for the Python module's tests, dask
# and dask.distributed for its lazy results on a local cluster, and venv,
# pip, setuptools, wheel and build for installing it with pip offline;
# dpkg-dev (dpkg-shlibdeps) and file for CPack's Debian package, lintian to
# check it.
test_packages=(libgtest-dev gmt gmt-gshhg-low netcdf-bin desktop-file-utils clang libclang-rt-14-dev
               python3-pytest python3-xarray python3-netcdf4 python3-dask python3-distributed
               python3-venv python3-pip python3-setuptools python3-wheel python3-build
               dpkg-dev file lintian)

# The web build: Debian's Emscripten (with the CLI11 headers of
# build_packages); its tests drive Debian's Chromium with puppeteer-core
# from npm (web/tests/package-lock.json), which needs Node.js and npm.
web_build_packages=(emscripten cmake libcli11-dev)
web_test_packages=(chromium nodejs)

# Emscripten's tools run on Node.js; when node is not Debian's own they
# need Debian's JavaScript modules on NODE_PATH.
emscripten_env() {
    export NODE_PATH="${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs"
}

# Builds the site into BUILD_DIR/site: build_web_site ROOT BUILD_DIR [cmake options...]
build_web_site() {
    local root="$1" dir="$2"
    shift 2
    emscripten_env
    emcmake cmake -S "$root/web" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}
