#!/usr/bin/env bash
# Installs the Python module paleoviz for Debian's /usr/bin/python3:
#   scripts/install_python.sh [PREFIX]
# installs pybind11, NumPy and the build tools where missing (apt-get),
# builds the module in build/ and installs the package alone (the cmake
# component "python") into PREFIX/lib/python3.X/site-packages/paleoviz.
# PREFIX is ~/.local unless given: there /usr/bin/python3 finds it from any
# folder by itself; for another prefix, put that folder on PYTHONPATH.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/common.sh"
prefix="${1:-$HOME/.local}"

install_missing "${build_packages[@]}" "${python_packages[@]}"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DPALEOVIZ_PYTHON=ON >/dev/null
cmake --build "$root/build" -j "$(nproc)" --target paleoviz_python
cmake --install "$root/build" --component python --prefix "$prefix"
site="$prefix/$(/usr/bin/python3 -c 'import sys; print("lib/python%d.%d/site-packages" % sys.version_info[:2])')"
if (cd / && /usr/bin/python3 -c "import paleoviz" 2>/dev/null); then
    echo "paleoviz: installed in $site; /usr/bin/python3 -c \"import paleoviz\" works from any folder"
else
    echo "paleoviz: installed in $site; before importing it: export PYTHONPATH=$site"
fi
