#!/usr/bin/env bash
# Builds the Debian package of Tessaro: a Release build of the programs (the
# window included) in build-pkg/ with Debian's hardening flags, then
# `cpack -G DEB`, then lintian on the result.  The last line printed is the
# path of the .deb.  The tests are not built here.
#   TESSARO_PKG_BUILD   the build folder (default build-pkg)
#   TESSARO_JOBS        parallel jobs (default: all cores)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${TESSARO_PKG_BUILD:-$root/build-pkg}
jobs=${TESSARO_JOBS:-$(nproc)}

# The date in the package's changelog: the last commit's, so that the same
# sources give the same package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
fi
export SOURCE_DATE_EPOCH

# Debian's own compiler and linker flags (fortified, stack protector, full
# RELRO, immediate binding), without debug information: the package is
# stripped anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
cxxflags=$(echo " $cxxflags " | sed -e 's/ -g / /g' -e 's/^ *//' -e 's/ *$//')
ldflags=$(dpkg-buildflags --get LDFLAGS)

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DTESSARO_BUILD_UI=ON -DTESSARO_BUILD_BENCH=OFF -DTESSARO_BUILD_FUZZ=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$jobs" --target tessaro_installed >&2
rm -f "$build"/tessaro_*.deb
(cd "$build" && cpack -G DEB >&2)
deb=$(cd "$build" && ls "$PWD"/tessaro_*.deb)
lintian --fail-on error,warning "$deb" >&2
echo "$deb"
