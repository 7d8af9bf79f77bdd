#!/bin/sh
# Builds the Debian packages from BUILD_DIR with cpack, checks what they
# hold and their computed dependencies, extracts them and runs the extracted
# paleoviz-insolation (and, where the build has the Python module, the
# extracted module) from a folder outside the build tree; with lintian
# installed, holds each package to no errors.
# Usage: deb_package_test.sh SOURCE_DIR BUILD_DIR VERSION WITH_PYTHON(0|1)
set -eu
source=$1 build=$2 version=$3 with_python=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; fail "cpack -G DEB failed"; }
arch=$(dpkg --print-architecture)
deb=$scratch/out/paleoviz_${version}_$arch.deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb")"
python_deb=$scratch/out/python3-paleoviz_${version}_$arch.deb
[ "$with_python" = 1 ] || [ ! -e "$python_deb" ] || fail "a Python package without the module"
[ "$with_python" = 0 ] || [ -f "$python_deb" ] || fail "cpack made no $(basename "$python_deb")"

# Everything under /usr, and every part there.
dpkg-deb -c "$deb" | awk '{ print $6 }' >"$scratch/contents"
! grep -v -e '^\./$' -e '^\./usr/' "$scratch/contents" || fail "files outside /usr"
for path in bin/paleoviz bin/paleoviz-insolation bin/paleoviz-orbit-series \
    share/paleoviz/partetopo share/paleoviz/orbit95b share/paleoviz/logo.rgba \
    share/man/man1/paleoviz.1.gz share/man/man1/paleoviz-insolation.1.gz \
    share/man/man1/paleoviz-orbit-series.1.gz share/applications/paleoviz.desktop \
    share/icons/hicolor/256x256/apps/paleoviz.png \
    share/doc/paleoviz/copyright share/doc/paleoviz/changelog.gz; do
    grep -qx "\./usr/$path" "$scratch/contents" || fail "the package lacks /usr/$path"
done
depends=$(dpkg-deb -f "$deb" Depends)
case $depends in *libc6*libnetcdf*libpng*) ;; *) fail "Depends not computed: '$depends'" ;; esac

# The extracted tree: the data as shipped, and the tool runs away from the
# build tree (its elements are compiled in, so it needs no other file).
dpkg-deb -x "$deb" "$scratch/root"
for file in partetopo orbit95b logo.rgba; do
    cmp -s "$source/data/$file" "$scratch/root/usr/share/paleoviz/$file" || fail "/usr/share/paleoviz/$file differs"
done
cd "$scratch"
tool=$scratch/root/usr/bin/paleoviz-insolation
[ "$("$tool" --version)" = "paleoviz-insolation $version" ] || fail "--version: $("$tool" --version)"
# 65N at today's June solstice: S0/pi (a/r)^2 (h0 sin(phi) sin(delta) +
# cos(phi) cos(delta) sin(h0)) with delta 23.44, h0 158.4 degrees and
# (a/r)^2 about 0.969 near aphelion gives about 480 W/m2.
value=$("$tool" daily --time 0 --lat 65 --lon 90 | tail -n 1 | cut -d, -f2)
awk -v q="$value" 'BEGIN { exit !(q > 475 && q < 485) }' || fail "daily at 65N, June solstice: '$value'"

if [ "$with_python" = 1 ]; then
    dpkg-deb -c "$python_deb" | awk '{ print $6 }' >"$scratch/python-contents"
    for path in lib/python3/dist-packages/paleoviz/__init__.py share/doc/python3-paleoviz/copyright \
        share/doc/python3-paleoviz/changelog.gz; do
        grep -qx "\./usr/$path" "$scratch/python-contents" || fail "the Python package lacks /usr/$path"
    done
    grep -q '^\./usr/lib/python3/dist-packages/paleoviz/_core\..*\.so$' "$scratch/python-contents" ||
        fail "the Python package lacks the extension"
    case $(dpkg-deb -f "$python_deb" Depends) in *python3-numpy*libc6*) ;; *) fail "Python package's Depends" ;; esac
    dpkg-deb -x "$python_deb" "$scratch/root"
    value=$(PYTHONPATH="$scratch/root/usr/lib/python3/dist-packages" /usr/bin/python3 -c \
        'import paleoviz; assert paleoviz.__file__.startswith("'"$scratch"'/root/"); print(float(paleoviz.daily_insolation(0, 65, 90)))') ||
        fail "the extracted module does not import"
    awk -v q="$value" 'BEGIN { exit !(q > 475 && q < 485) }' || fail "daily_insolation at 65N, June solstice: '$value'"
fi

if command -v lintian >/dev/null 2>&1; then
    packages=$deb
    [ "$with_python" = 0 ] || packages="$deb $python_deb"
    for package in $packages; do
        lintian --fail-on error "$package" || fail "lintian reports errors in $(basename "$package")"
    done
else
    echo "lintian is not installed: the package was not checked by it"
fi
echo "the packages' contents, dependencies and extracted programs are as expected"
