#!/usr/bin/env bash
# Builds the web site of the window (Emscripten, into build-web/site) and
# serves it on 127.0.0.1, printing the address; Ctrl-C stops the server.
# Usage: scripts/web.sh [--build-only] [PORT]   (PORT 8600 unless given)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/common.sh"

build_only=0
port=8600
for arg in "$@"; do
    case "$arg" in
    --build-only) build_only=1 ;;
    *[!0-9]* | "") echo "usage: scripts/web.sh [--build-only] [PORT]" >&2; exit 2 ;;
    *) port="$arg" ;;
    esac
done

install_missing "${web_build_packages[@]}"
build_web_site "$root" "$root/build-web"
site="$root/build-web/site"
echo "paleoviz: site built in $site"
[ "$build_only" -eq 1 ] && exit 0

echo "paleoviz: serving at http://127.0.0.1:$port/ (Ctrl-C stops)"
exec /usr/bin/python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port"
